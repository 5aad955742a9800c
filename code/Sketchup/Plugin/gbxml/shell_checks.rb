require_relative 'loop_math'

module QORPlugin
  module Gbxml
    # The geometric checks tools that read gbXML rely on, over what the
    # writer is about to write: each space's closed shell and its surfaces
    # used edge by edge (every edge twice, once each way, so the shell is
    # closed and its loops turn anticlockwise seen from outside), each
    # opening in its surface's plane and inside it, and no two surfaces on
    # the same plane overlapping.  Each finding is one line of `problems`.
    class ShellChecks
      TOL = PlaneGeometry::POINT_TOLERANCE

      attr_reader :problems

      # surfaces: WrittenSurfaces::Surface list; shells: per space, its
      # loops turned outward; space_ids: the spaces' written ids.
      def initialize(surfaces, shells, space_ids)
        @surfaces = surfaces
        @space_ids = space_ids
        @problems = []
        @volumes = shells.each_with_index.map { |loops, i| check_shell(i, loops) }
        check_space_surfaces
        @surfaces.each_with_index do |s, k|
          check_loop(s, k)
          check_openings(s, k)
        end
        check_overlaps
      end

      # The volume space i's shell encloses; nil when the shell is not
      # closed.
      def closed_volume(i) = @volumes[i]

      private

      def check_shell(i, loops)
        faults = EdgeCount.new(loops).faults
        unless faults.empty?
          @problems << %(Space "#{@space_ids[i]}": closed shell #{faults})
          return nil
        end
        v = LoopMath.enclosed_volume(loops)
        @problems << %(Space "#{@space_ids[i]}": closed shell turns inwards (volume #{format('%.3f', v)} m3)) unless v.positive?
        v
      end

      # The surfaces beside each space, seen from it, close round it too.
      def check_space_surfaces
        loops = Array.new(@space_ids.length) { [] }
        @surfaces.each do |s|
          s.sides.each_with_index { |side, k| loops[side.space] << (k.zero? ? s.points : s.points.reverse) }
        end
        loops.each_with_index do |list, i|
          faults = EdgeCount.new(list).faults
          @problems << %(Space "#{@space_ids[i]}": surfaces #{faults}) unless faults.empty?
        end
      end

      # A loop that touches or crosses itself: a corner on another edge,
      # or two edges crossing (tools reading gbXML, ours included, refuse
      # such a polygon).
      def check_loop(surface, k)
        n = PlaneGeometry.loop_normal(surface.points) or return
        flat = LoopMath.flat(surface.points, LoopMath.frame(n))
        m = flat.length
        # Each edge's box, a tolerance wider: only edges whose boxes meet
        # are compared.
        boxes = flat.each_index.map do |j|
          a = flat[j]
          b = flat[(j + 1) % m]
          [[a[0], b[0]].min - TOL, [a[0], b[0]].max + TOL, [a[1], b[1]].min - TOL, [a[1], b[1]].max + TOL]
        end
        m.times do |i|
          p = flat[i]
          m.times do |j|
            next if j == i || (j + 1) % m == i
            box = boxes[j]
            a = flat[j]
            b = flat[(j + 1) % m]
            near = p[0].between?(box[0], box[1]) && p[1].between?(box[2], box[3])
            meet = j > i && (i + 1) % m != j && boxes[i][0] <= box[1] && box[0] <= boxes[i][1] &&
                   boxes[i][2] <= box[3] && box[2] <= boxes[i][3]
            next unless (near && FlatPolygon.segment_distance(p, a, b) <= TOL) ||
                        (meet && LoopMath.cross_properly?(p, flat[(i + 1) % m], a, b))
            return @problems << format('surface-%d: its loop touches or crosses itself near (%.3f, %.3f, %.3f)',
                                       k + 1, *surface.points[i])
          end
        end
      end

      def check_openings(surface, k)
        n = PlaneGeometry.loop_normal(surface.points)
        return @problems << "surface-#{k + 1}: its loop encloses no area" unless n
        origin = surface.points.first
        axes = LoopMath.frame(n)
        outline = LoopMath.flat(surface.points, axes)
        surface.openings.each_with_index do |o, j|
          off = o.points.map { |p| PlaneGeometry.dot(PlaneGeometry.sub(p, origin), n).abs }.max
          where = "surface-#{k + 1} opening #{j + 1} (#{o.type})"
          if off > TOL
            @problems << format('%s: lies %.4f m off its surface', where, off)
            next
          end
          flat = LoopMath.flat(o.points, axes)
          if !inside?(flat, outline)
            @problems << "#{where}: not inside its surface"
          elsif o.type.end_with?('Window') && !whole?(o.points, surface.points) &&
                flat.any? { |p| LoopMath.locate(p, outline) == :border }
            @problems << "#{where}: touches its surface's edge"
          end
        end
      end

      # An opening filling its whole surface (a glazed partition).
      def whole?(opening, loop)
        whole = PlaneGeometry.area(loop)
        (PlaneGeometry.area(opening) - whole).abs <= 1e-3 * whole
      end

      def inside?(inner, outer)
        inner.none? { |p| LoopMath.locate(p, outer) == :outside } && !edges_cross?(inner, outer)
      end

      # Surfaces on one plane, compared where their boxes meet.
      def check_overlaps
        planes = Hash.new { |h, k| h[k] = [] }
        info = @surfaces.map { |s| plane_of(s) }
        info.each_with_index do |pl, k|
          next unless pl
          n, d, box = pl
          key = n.map { |c| c.round(3) }
          cell = (d / 0.01).floor
          (cell - 1..cell + 1).each do |c|
            planes.fetch([key, c], []).each do |j|
              m, e, other = info[j]
              next if (d - e).abs > TOL || PlaneGeometry.dot(n, m) < 0.9999 || !boxes_meet?(box, other)
              @problems << "surface-#{j + 1} and surface-#{k + 1} overlap" if overlap?(@surfaces[j], @surfaces[k], n)
            end
          end
          planes[[key, cell]] << k
        end
      end

      # Normal with a fixed sign, offset and box of a surface's plane.
      def plane_of(surface)
        n = PlaneGeometry.loop_normal(surface.points) or return nil
        lead = n.find { |c| c.abs > 1e-6 }
        n = PlaneGeometry.scale(n, -1.0) if lead.negative?
        box = surface.points.transpose.map { |cs| [cs.min, cs.max] }
        [n, PlaneGeometry.dot(n, PlaneGeometry.centroid(surface.points)), box]
      end

      def boxes_meet?(a, b)
        a.zip(b).all? { |(lo1, hi1), (lo2, hi2)| lo1 < hi2 - TOL && lo2 < hi1 - TOL || (hi1 - lo1 < TOL || hi2 - lo2 < TOL) && lo1 <= hi2 + TOL && lo2 <= hi1 + TOL }
      end

      def overlap?(s, t, n)
        axes = LoopMath.frame(n)
        a = LoopMath.flat(s.points, axes)
        b = LoopMath.flat(t.points, axes)
        return true if edges_cross?(a, b)
        return true if a.any? { |p| LoopMath.locate(p, b) == :inside } || b.any? { |p| LoopMath.locate(p, a) == :inside }
        [[a, b], [b, a]].any? do |x, y|
          m = LoopMath.interior_point(x)
          m && LoopMath.locate(m, y) == :inside
        end
      end

      def edges_cross?(a, b)
        a.each_index.any? do |i|
          p, q = a[i], a[(i + 1) % a.length]
          b.each_index.any? { |j| LoopMath.cross_properly?(p, q, b[j], b[(j + 1) % b.length]) }
        end
      end

      # How a set of loops uses its edges, an edge that ends on another's
      # middle counted in pieces.
      class EdgeCount
        def initialize(loops)
          @points = []
          @cells = Hash.new { |h, k| h[k] = [] }
          @loops = loops.map { |pts| pts.map { |p| weld(p) } }
          index_points
        end

        # "" when every edge is used twice, once each way; else what is
        # wrong, with an example edge.
        def faults
          used = Hash.new(0)
          @loops.each do |ids|
            ids.each_index do |k|
              a = ids[k]
              b = ids[(k + 1) % ids.length]
              pieces(a, b).each_cons(2) { |u, v| used[[u, v]] += 1 unless u == v }
            end
          end
          open = []
          over = []
          same = []
          used.each do |(u, v), f|
            next if u > v && used.key?([v, u])
            r = used.fetch([v, u], 0)
            case f + r
            when 1 then open << [u, v]
            when 2 then same << [u, v] unless f == 1
            else over << [u, v]
            end
          end
          [describe(open, 'open along'), describe(over, 'used more than twice along'),
           describe(same, 'turned the same way twice along')].compact.join('; ')
        end

        private

        def describe(edges, what)
          return nil if edges.empty?
          u, v = edges.min
          "#{what} #{edges.length} edge#{edges.length == 1 ? '' : 's'} (e.g. #{text(@points[u])} to #{text(@points[v])})"
        end

        def text(p) = "(#{p.map { |c| format('%.3f', c) }.join(', ')})"

        # One id per point, points within the tolerance welded.
        def weld(p)
          cell = p.map { |c| (c / (2 * TOL)).floor }
          [-1, 0, 1].product([-1, 0, 1], [-1, 0, 1]).each do |d|
            @cells.fetch([cell[0] + d[0], cell[1] + d[1], cell[2] + d[2]], []).each do |id|
              return id if PlaneGeometry.distance(@points[id], p) <= TOL
            end
          end
          @points << p
          @cells[cell] << (@points.length - 1)
          @points.length - 1
        end

        # A grid of the welded points with cells about one edge long, so an
        # edge looks at the points near it, not at every point.
        def index_points
          lengths = @loops.flat_map do |ids|
            ids.each_index.map { |k| PlaneGeometry.distance(@points[ids[k]], @points[ids[(k + 1) % ids.length]]) }
          end.sort
          @size = [lengths.empty? ? 1.0 : lengths[lengths.length / 2], 4 * TOL].max
          @grid = Hash.new { |h, k| h[k] = [] }
          @points.each_with_index { |p, id| @grid[p.map { |c| (c / @size).floor }] << id }
        end

        # Ids of the points in the cells the box [lo, hi] meets; every id
        # when that is fewer cells to visit.
        def near(lo, hi)
          from = lo.map { |c| (c / @size).floor }
          to = hi.map { |c| (c / @size).floor }
          cells = (0..2).reduce(1) { |n, k| n * (to[k] - from[k] + 1) }
          return @points.each_index if cells > @points.length
          (from[0]..to[0]).flat_map do |x|
            (from[1]..to[1]).flat_map { |y| (from[2]..to[2]).flat_map { |z| @grid.fetch([x, y, z], []) } }
          end
        end

        # a, the welded points lying on the edge's middle in order, b.
        def pieces(a, b)
          pa = @points[a]
          ab = PlaneGeometry.sub(@points[b], pa)
          len2 = PlaneGeometry.dot(ab, ab)
          return [a, b] if len2 < TOL * TOL
          lo = pa.zip(@points[b]).map { |x, y| [x, y].min - TOL }
          hi = pa.zip(@points[b]).map { |x, y| [x, y].max + TOL }
          inner = []
          near(lo, hi).each do |id|
            p = @points[id]
            next if id == a || id == b || (0..2).any? { |c| p[c] < lo[c] || p[c] > hi[c] }
            t = PlaneGeometry.dot(PlaneGeometry.sub(p, pa), ab) / len2
            next unless t.positive? && t < 1.0
            inner << [t, id] if PlaneGeometry.distance(p, PlaneGeometry.add(pa, PlaneGeometry.scale(ab, t))) <= TOL
          end
          [a] + inner.sort.map(&:last) + [b]
        end
      end
    end
  end
end

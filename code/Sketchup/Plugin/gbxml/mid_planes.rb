require_relative 'loop_math'
require_relative 'room_fields'
require_relative 'box_grid'

module QORPlugin
  module Gbxml
    # The centreline model gbXML asks for, composed from the rooms' own
    # faces: each face moves along its normal to the middle of its wall or
    # slab (half way to the nearest face of another room across it, no
    # farther than the thickest wall), or stays where it is when nothing of
    # another room lies across; a door leaf moves with the wall it sits in.
    # Each corner of a room then goes to where the moved planes of its
    # faces meet, by the shortest way, so the room's faces still close
    # round it and two rooms' faces on one wall's middle meet there.
    class MidPlanes
      include RoomFields

      TOL = PlaneGeometry::POINT_TOLERANCE
      # Two normals closer than this (cosine) are parallel.
      PARALLEL = 0.999

      # A room's face: its room (index), outward normal, outline (metres),
      # offset of its plane along the normal, whether it is a door leaf,
      # how far it moves (a vector) and its box.
      Face = Struct.new(:space, :outward, :points, :offset, :blind, :shift, :box)

      # The thickest wall the road allows, in metres.
      def self.max_gap
        t = $maxWallThickness.to_f
        t.positive? ? t.to_m : 0.6
      end

      # rooms: the road's rooms; max_gap: the thickest wall, in metres;
      # outward: OutwardNormals of the rooms.
      def initialize(rooms, max_gap, outward)
        @max_gap = max_gap
        @outward = outward
        @by_room_face = {}.compare_by_identity
        @rooms = rooms.each_with_index.map do |room, i|
          room.roomFaces.filter_map do |rf|
            next if field(rf, :@internallyConstructed) == true
            face = face_of(i, rf) or next
            @by_room_face[rf] = face
          end
        end
        @grid = BoxGrid.new(4.0)
        @rooms.flatten.each { |f| @grid.add(f, f.box) }
        @rooms.flatten.reject(&:blind).each { |f| f.shift = PlaneGeometry.scale(f.outward, gap(f) / 2.0) }
        @rooms.each { |faces| share_shifts(faces.reject(&:blind)) }
        @rooms.flatten.select(&:blind).each { |f| f.shift = leaf_shift(f) }
        @moved = Array.new(rooms.length) { {} }
      end

      # How far room face rf moves: a vector; nil for a face not known.
      def shift(rf) = @by_room_face[rf]&.shift

      # Where the corner p (metres) of room `space` goes.
      def move(space, p)
        return p unless p.all? { |c| c.is_a?(Numeric) && c.finite? }
        @moved[space][p.map { |c| (c / TOL).round }] ||= meet(@rooms[space].select { |f| through?(f, p) }, p)
      end

      private

      def face_of(space, rf)
        n = @outward[rf] or return nil
        points = @outward.outline(rf)
        Face.new(space, n, points, PlaneGeometry.dot(n, points.first), field(rf, :@blind) == true, [0.0, 0.0, 0.0],
                 points.transpose.map(&:minmax))
      end

      # The faces whose boxes lie within the thickest wall of f's.
      def nearby(f) = @grid.near(f.box, @max_gap + TOL)

      # The distance to the nearest face of another room across, facing
      # back, that overlaps this one; 0 when there is none, or one lies on
      # this face (a thin wall both rooms list is already the middle).
      def gap(f)
        best = nil
        nearby(f).each do |g|
          next if g.space == f.space || g.blind || !near_box?(f, g) || PlaneGeometry.dot(f.outward, g.outward) > -PARALLEL
          d = PlaneGeometry.dot(f.outward, PlaneGeometry.sub(g.points.first, f.points.first))
          next if d < -TOL || d > @max_gap + TOL || !overlap?(f, g)
          best = d if best.nil? || d < best
        end
        best.nil? || best <= TOL ? 0.0 : best
      end

      # The boxes lie no farther apart than the thickest wall on any axis.
      def near_box?(f, g)
        reach = @max_gap + TOL
        f.box.zip(g.box).all? { |(lo1, hi1), (lo2, hi2)| lo1 <= hi2 + reach && lo2 <= hi1 + reach }
      end

      # The two outlines' boxes overlap with some area, seen along f's normal.
      def overlap?(f, g)
        u, v = LoopMath.frame(f.outward)
        [u, v].all? do |axis|
          a = f.points.map { |p| PlaneGeometry.dot(p, axis) }.minmax
          b = g.points.map { |p| PlaneGeometry.dot(p, axis) }.minmax
          [a[1], b[1]].min - [a[0], b[0]].max > TOL
        end
      end


      # A room's faces on one plane, turned one way, move as the largest of
      # them: a door's threshold across the wall's thickness with the floor
      # it continues, though nothing lies under the threshold itself.
      def share_shifts(faces)
        faces.group_by { |f| [f.outward.map { |c| c.round(3) }, (f.offset / TOL).round] }.each_value do |same|
          next if same.length < 2
          lead = same.max_by { |f| PlaneGeometry.area(f.points) }
          same.each { |f| f.shift = lead.shift }
        end
      end

      # A leaf moves as the wall face on its plane that shares a corner
      # with it: its own room's first, else the room's whose wall holds it.
      def leaf_shift(f)
        walls = nearby(f).select do |g|
          !g.blind && PlaneGeometry.dot(f.outward, g.outward).abs > PARALLEL &&
            (PlaneGeometry.dot(f.outward, PlaneGeometry.sub(g.points.first, f.points.first))).abs <= TOL &&
            f.points.any? { |p| g.points.any? { |q| PlaneGeometry.same_point?(p, q) } }
        end
        wall = walls.find { |g| g.space == f.space } || walls.first
        wall ? wall.shift : [0.0, 0.0, 0.0]
      end

      # p lies on f's outline.
      def through?(f, p)
        return false if (PlaneGeometry.dot(f.outward, p) - f.offset).abs > TOL
        f.points.each_index.any? do |i|
          PlaneGeometry.distance(p, PlaneGeometry.closest_on_segment(p, f.points[i - 1], f.points[i])) <= TOL
        end
      end

      # The point nearest p on every moved plane of the faces through it:
      # p plus the shortest step that puts it on each of them.
      def meet(faces, p)
        rows = []
        faces.each do |f|
          n = f.outward
          target = PlaneGeometry.dot(n, PlaneGeometry.add(f.points.first, f.shift))
          next if rows.any? { |m, _| PlaneGeometry.dot(m, n).abs > PARALLEL }
          rows << [n, target - PlaneGeometry.dot(n, p)] if independent?(rows.map(&:first), n)
        end
        return p if rows.empty?
        lambdas = solve(rows.map { |m, _| rows.map { |k, _| PlaneGeometry.dot(m, k) } }, rows.map(&:last))
        return p unless lambdas
        rows.zip(lambdas).reduce(p) { |q, ((n, _), l)| PlaneGeometry.add(q, PlaneGeometry.scale(n, l)) }
      end

      # n is not (nearly) a combination of the normals kept.
      def independent?(kept, n)
        rest = n
        basis = []
        kept.each do |k|
          basis.each { |b| k = PlaneGeometry.sub(k, PlaneGeometry.scale(b, PlaneGeometry.dot(k, b))) }
          len = PlaneGeometry.length(k)
          basis << PlaneGeometry.scale(k, 1.0 / len) if len > 1e-6
        end
        basis.each { |b| rest = PlaneGeometry.sub(rest, PlaneGeometry.scale(b, PlaneGeometry.dot(rest, b))) }
        PlaneGeometry.length(rest) > 0.05
      end

      # Gaussian elimination of a small system; nil when it is singular.
      def solve(a, b)
        m = a.each_with_index.map { |row, i| row + [b[i]] }
        n = m.length
        n.times do |c|
          pivot = (c...n).max_by { |r| m[r][c].abs }
          return nil if m[pivot][c].abs < 1e-9
          m[c], m[pivot] = m[pivot], m[c]
          (0...n).each do |r|
            next if r == c
            k = m[r][c] / m[c][c]
            m[r] = m[r].each_with_index.map { |x, j| x - k * m[c][j] }
          end
        end
        (0...n).map { |i| m[i][n] / m[i][i] }
      end
    end
  end
end

require_relative 'face_element'
require_relative 'loop_math'
require_relative 'mid_planes'
require_relative 'outward_normals'
require_relative 'plane_clip'
require_relative 'box_grid'
require_relative 'room_fields'

module QORPlugin
  module Gbxml
    # The surfaces of the export road's result, ready to be written as
    # gbXML: one per face the road writes, except that a face two rooms
    # write on the same place (a wall's or slab's shared face on its
    # intermediate plane, or a thin wall both rooms list) is one surface
    # with both spaces.  In a building of thick walls the faces are the
    # rooms' own, moved to their walls' and slabs' middles (MidPlanes);
    # where two rooms' faces there overlap in part, the shared part is one
    # surface with both spaces and the rest of each stands alone.  Loops
    # turn anticlockwise seen from outside the first space.
    class WrittenSurfaces
      include RoomFields

      # What one room's face gave: its space (index), the road's typing
      # and whether the road wrote it as external, the loop and openings of
      # its Face element, the outward normal of the room face it stands
      # for, the model face it names, and where panes fill its holes.
      Candidate = Struct.new(:space, :type, :external, :points, :openings, :outward,
                             :model_face, :reference, :panes)
      # One space's side of a surface, with the surface type in that space.
      Side = Struct.new(:space, :type, :candidate)
      Surface = Struct.new(:type, :sides, :points, :openings, :model_faces, :references)
      Opening = Struct.new(:type, :points)

      OPENING_TYPES = { 'Door' => 'NonSlidingDoor', 'Air' => 'Air' }.freeze
      # A floor with nothing beneath lies on the ground when it is no higher
      # than this above the building's lowest point (metres).
      GROUND = 0.05
      # Centres of coincident loops lie in the same or a neighbouring cell.
      CELL = 0.05

      # surfaces: Surface list; shells: per space, its own faces' loops
      # turned outward; problems and mended: one line each; joined_outside:
      # how many surfaces join two faces the road wrote as outside faces of
      # two rooms (a thin wall both rooms list, or coincident walls).
      attr_reader :surfaces, :shells, :problems, :mended, :joined_outside

      # rooms: the exported QORTA_Room objects; thin: thin-wall mode, where
      # each room writes its own model faces; max_gap: the thickest wall
      # (metres).
      def initialize(rooms, thin:, max_gap: MidPlanes.max_gap)
        @thin = thin
        unless thin
          @outward = OutwardNormals.new(rooms)
          @mid = MidPlanes.new(rooms, max_gap, @outward)
        end
        @problems = []
        @mended = []
        @joined_outside = 0
        @shells = Array.new(rooms.length) { [] }
        @candidates = []
        if @outward
          @mended.concat(@outward.turned)
          @problems.concat(@outward.unread)
        end
        rooms.each_with_index { |room, i| collect(room, i) }
        @ground = @candidates.flat_map(&:points).map { |p| p[2] }.min
        @surfaces = panes_into_walls(@mid ? overlay : pair_up)
        @shells = @shells.map { |loops| without_inner_loops(loops) }
      end

      private

      def collect(room, index)
        leaves = []
        first = @candidates.length
        list(room, :@roomFaces).each do |rf|
          next if flag?(rf, :@internallyConstructed)
          if flag?(rf, :@blind)
            leaf = door_leaf(rf)
            @shells[index] << leaf if leaf
            leaves << leaf.map { |p| @mid.move(index, p) } if leaf && @mid
            next
          end
          own = candidate(index, rf, rf)
          shell = @mid ? own_loop(rf) : own&.points
          @shells[index] << shell if shell && !flag?(rf, :@isOpening)
          @candidates << own if own && (@thin || !flag?(rf, :@isOpening))
        end
        leaves.each { |leaf| @candidates[first..].find { |c| fill_notch(c, leaf) } } if @mid
      end

      # On a wall's middle, a door leaf lies in the notch of the far room's
      # wall as it lies in the near room's: the notch is filled (the door's
      # corners left out, as the road writes the near wall) and the leaf
      # becomes the wall's door, unless the wall has it already.
      def fill_notch(c, leaf)
        n = PlaneGeometry.loop_normal(leaf)
        return false unless n && PlaneGeometry.dot(n, c.outward) > 0.999
        on_leaf = c.points.map { |p| leaf.index { |q| PlaneGeometry.same_point?(p, q) } }
        n = c.points.length
        start = (0...n).find { |i| on_leaf[i] && !on_leaf[i - 1] } or return false
        run = (0...n).map { |k| (start + k) % n }.take_while { |i| on_leaf[i] }
        ends = [on_leaf[run.first], on_leaf[run.last]]
        return false unless run.length >= 3 && run.length == leaf.length && [1, leaf.length - 1].include?((ends[0] - ends[1]).abs)
        gone = run[1...-1]
        c.points = c.points.each_index.reject { |i| gone.include?(i) }.map { |i| c.points[i] }
        centre = PlaneGeometry.centroid(leaf)
        unless c.openings.any? { |o| PlaneGeometry.distance(PlaneGeometry.centroid(o.points), centre) <= PlaneGeometry::POINT_TOLERANCE }
          c.openings << FaceElement::Opening.new('Door', leaf)
        end
        true
      end

      # The candidate for written face v standing for room face rf; nil for
      # a face the road does not write.
      def candidate(index, v, rf)
        parsed = FaceElement.parse(v.getFaceElement)
        return nil unless parsed
        outward = outward_normal(rf)
        parsed = on_mid_plane(index, rf, parsed) if @mid
        return nil unless parsed
        loop = without_repeats(parsed.points)
        if loop.length < parsed.points.length
          @mended << "room #{index + 1} face #{field(rf, :@reference)}: a corner given twice in a row, written once"
        end
        points = orient(loop, outward)
        unless points && outward
          @problems << "room #{index + 1} face #{field(rf, :@reference)}: the loop encloses no area; left out"
          return nil
        end
        Candidate.new(index, field(v, :@type).to_s, field(v, :@isExternal),
                      points, parsed.openings, outward, field(rf, :@face), field(rf, :@reference),
                      pane_centres(rf, points))
      rescue ArgumentError, TypeError => e
        @problems << "room #{index + 1} face #{field(rf, :@reference)}: #{e.message}; left out"
        nil
      end

      # The face element moved to its wall's middle: each corner where
      # its room's moved faces meet, each opening along with the face.
      # nil for a face with nothing left there (a reveal across the wall).
      def on_mid_plane(index, rf, parsed)
        points = parsed.points.map { |p| @mid.move(index, p) }
        if PlaneGeometry.area(points) < PlaneClip::MIN_AREA
          @mended << "room #{index + 1} face #{field(rf, :@reference)}: lies across its wall, nothing of it on the middle"
          return nil
        end
        shift = @mid.shift(rf) || [0.0, 0.0, 0.0]
        openings = parsed.openings.map { |o| FaceElement::Opening.new(o.kind, o.points.map { |p| PlaneGeometry.add(p, shift) }) }
        FaceElement::Parsed.new(points, openings)
      end

      # A door leaf (a face the road leaves blind) closes its room's shell,
      # though no surface stands for it: its outline turned outward.
      def door_leaf(rf)
        face = field(rf, :@face)
        return nil unless face.respond_to?(:outer_loop) && face.respond_to?(:normal)
        orient(face.outer_loop.vertices.map { |v| v.position.to_a.map(&:to_m) }, outward_normal(rf))
      end

      # The room face's own loop where it is, turned outward: the room's
      # closed shell stays the room itself, as its area and volume are.
      def own_loop(rf)
        parsed = FaceElement.parse(rf.getFaceElement) or return nil
        orient(without_repeats(parsed.points), outward_normal(rf))
      rescue ArgumentError, TypeError
        nil
      end

      # The loop without a corner that repeats the one before it (the last
      # compared with the first).
      def without_repeats(points)
        kept = points.each_with_index.reject { |p, i| i.positive? && PlaneGeometry.same_point?(p, points[i - 1]) }.map(&:first)
        kept.pop while kept.length > 1 && PlaneGeometry.same_point?(kept.last, kept.first)
        kept
      end

      # The room face's normal turned to point out of its room.
      def outward_normal(rf)
        return @outward[rf] if @outward
        face = field(rf, :@face)
        n = face.normal.to_a.map(&:to_f)
        n = PlaneGeometry.scale(n, -1.0) if field(rf, :@normalDirectionIn) == true
        PlaneGeometry.length(n) > 0.5 ? n : nil
      end

      # The loop turned anticlockwise round the outward normal; nil when it
      # has no area.
      def orient(points, outward)
        n = PlaneGeometry.loop_normal(points)
        return nil unless n && outward
        PlaneGeometry.dot(n, outward).negative? ? points.reverse : points
      end

      # Centres of the panes that fill the room face's holes, carried along
      # its normal onto the written loop's plane: a window there is glazed,
      # any other window an opening left open.
      def pane_centres(rf, points)
        panes = $innerLoopFacesHash2.is_a?(Hash) ? Array($innerLoopFacesHash2[field(rf, :@face).to_s]) : []
        return [] if panes.empty?
        n = PlaneGeometry.loop_normal(points)
        along = field(rf, :@face).normal.to_a.map(&:to_f)
        across = PlaneGeometry.dot(n, along)
        return [] if across.abs < 1e-9
        panes.map do |pane|
          c = PlaneGeometry.centroid(pane.outer_loop.vertices.map { |v| v.position.to_a.map(&:to_m) })
          PlaneGeometry.add(c, PlaneGeometry.scale(along, PlaneGeometry.dot(n, PlaneGeometry.sub(points.first, c)) / across))
        end
      end

      # Coincident candidates of two rooms facing away from each other
      # become one surface; the others stand alone.
      def pair_up
        partner = exact_pairs
        single = @candidates.each_index.reject { |i| partner.key?(i) }
        repeated = repeats(single)
        piece_of = pieces(single.reject { |i| repeated.key?(i) })
        whole = piece_of.values.uniq.select { |y| covered?(y, piece_of) }.to_h { |y| [y, true] }
        surfaces = []
        @candidates.each_with_index do |c, i|
          next if repeated.key?(i) || whole.key?(i)
          if (j = partner[i])
            next unless i < j
            @joined_outside += 1 if c.external == true && @candidates[j].external == true
            surfaces << surface([c, @candidates[j]])
          elsif (y = piece_of[i])
            surfaces << surface([c, @candidates[y]])
          else
            if c.external == false
              @problems << "room #{c.space + 1} face #{c.reference}: the road finds a room across, but no face " \
                           'of it lies here; written as an outside surface'
            end
            surfaces << surface([c])
          end
        end
        surfaces
      end

      # Candidates of two rooms facing each other on one plane share the
      # part where they overlap: one surface with both spaces per part (the
      # whole of the smaller when it lies within the other); what is left
      # of each stands alone.
      def overlay
        partner = exact_pairs
        across = facing(partner)
        # Each surface as [candidate index, loop] per side; the loops of
        # each candidate's pieces, to share its openings out.
        written = []
        loops = Hash.new { |h, k| h[k] = [] }
        @candidates.each_with_index do |c, i|
          if (j = partner[i])
            next unless i < j
            @joined_outside += 1 if c.external == true && @candidates[j].external == true
            written << [[i, c.points], [j, @candidates[j].points]]
            next
          end
          others = across[i]
          if others.empty? && c.external == false
            @problems << "room #{c.space + 1} face #{c.reference}: the road finds a room across, but no other " \
                         "room's face lies across it within the thickest wall; written as an outside surface"
          end
          others.each do |j|
            next unless i < j
            shared(c, @candidates[j]).each { |pts| written << [[i, pts], [j, pts.reverse]] }
          end
          rest = others.empty? ? [c.points] : PlaneClip.difference(c.points, others.map { |j| @candidates[j].points }, c.outward)
          rest.each { |pts| written << [[i, pts]] }
        end
        written.each { |sides| sides.each { |i, pts| loops[i] << pts } }
        share = loops.to_h { |i, list| [i, openings_by_piece(@candidates[i], list)] }
        written.map { |sides| surface(sides.map { |i, pts| piece(@candidates[i], pts, share[i][pts]) }) }
      end

      # Which of the candidate's pieces each of its openings goes to: the
      # one its middle lies inside, else one whose edge it lies on (named);
      # loop => openings.
      def openings_by_piece(c, pieces)
        out = {}.compare_by_identity
        pieces.each { |pts| out[pts] = [] }
        return out.tap { |h| h[pieces.first] = c.openings } if pieces.length == 1
        axes = LoopMath.frame(c.outward)
        flats = pieces.map { |pts| LoopMath.flat(pts, axes) }
        c.openings.each do |o|
          middle = LoopMath.flat([PlaneGeometry.centroid(o.points)], axes).first
          k = flats.index { |f| LoopMath.locate(middle, f) == :inside } ||
              flats.index { |f| LoopMath.locate(middle, f) == :border }
          if k.nil? || LoopMath.locate(middle, flats[k]) == :border
            @problems << "room #{c.space + 1} face #{c.reference}: an opening lies across the parts its face is " \
                         "cut into#{k ? '; written with one of them' : '; left out'}"
          end
          out[pieces[k]] << o if k
        end
        out
      end

      # Per candidate, the candidates of other rooms facing it on its plane
      # that overlap it.
      def facing(partner)
        grid = BoxGrid.new(4.0)
        alone = @candidates.each_index.reject { |i| partner.key?(i) }
        alone.each { |i| grid.add(i, footprint(@candidates[i].points).box) }
        @candidates.each_index.to_h do |i|
          next [i, []] if partner.key?(i)
          x = @candidates[i]
          near = grid.near(footprint(x.points).box, PlaneGeometry::POINT_TOLERANCE).sort
          [i, near.select do |j|
            y = @candidates[j]
            y.space != x.space && boxes_overlap?(x.points, y.points) && PlaneGeometry.dot(x.outward, y.outward) < -0.999 &&
              PlaneGeometry.dot(x.outward, PlaneGeometry.sub(y.points.first, x.points.first)).abs <= PlaneGeometry::POINT_TOLERANCE &&
              PlaneClip.shared_area(x.points, y.points.reverse, x.outward) > PlaneClip::MIN_AREA
          end]
        end
      end

      # The boxes overlap along every axis both reach along (so loops that
      # only touch end to end are not compared further).
      def boxes_overlap?(a, b)
        tol = PlaneGeometry::POINT_TOLERANCE
        footprint(a).box.zip(footprint(b).box).all? do |(lo_a, hi_a), (lo_b, hi_b)|
          if hi_a - lo_a > tol && hi_b - lo_b > tol
            [hi_a, hi_b].min - [lo_a, lo_b].max > tol
          else
            lo_a <= hi_b + tol && lo_b <= hi_a + tol
          end
        end
      end

      # Where a and b (facing each other) overlap, as loops turned with a.
      def shared(a, b)
        back = b.points.reverse
        return [a.points] if PlaneClip.difference(a.points, [back], a.outward).empty?
        return [back] if PlaneClip.difference(back, [a.points], a.outward).empty?
        PlaneClip.intersection(a.points, back, a.outward)
      end

      # The candidate cut down to the loop given, with the openings given.
      def piece(c, points, openings)
        return c if points.equal?(c.points)
        Candidate.new(c.space, c.type, c.external, points, openings, c.outward, c.model_face, c.reference, c.panes)
      end

      # Candidates of two rooms on the same place, facing away from each
      # other: index => index.
      def exact_pairs
        cells = Hash.new { |h, k| h[k] = [] }
        partner = {}
        @candidates.each_with_index do |c, i|
          cell = cell_of(c)
          found = neighbours(cell).lazy.flat_map { |k| cells.fetch(k, []) }.find do |j|
            !partner.key?(j) && coincide?(@candidates[j], c)
          end
          if found
            partner[found] = i
            partner[i] = found
          else
            cells[cell] << i
          end
        end
        partner
      end

      # A room's face the road built twice on the same place (once per
      # face across, for a level face) is written once.
      def repeats(indices)
        seen = {}
        indices.each_with_object({}) do |i, out|
          c = @candidates[i]
          twin = (seen[c.space] ||= []).find { |j| same_place?(@candidates[j], c) }
          if twin
            out[i] = true
            @mended << "room #{c.space + 1} face #{c.reference}: built twice on the same place, written once"
          else
            seen[c.space] << i
          end
        end
      end

      def same_place?(a, b)
        PlaneGeometry.dot(a.outward, b.outward) > 0.999 && (PlaneGeometry.area(a.points) - PlaneGeometry.area(b.points)).abs <= 1e-6 +
          1e-3 * PlaneGeometry.area(a.points) && on_border?(a.points, b.points) && on_border?(b.points, a.points)
      end

      # A face with another room's larger face across on its plane (a slab
      # under one room over several): index of the small one => index of
      # the large one.  The pieces are written with both spaces.
      def pieces(indices)
        planes = Hash.new { |h, k| h[k] = [] }
        keys = indices.to_h { |i| [i, plane_key(@candidates[i])] }
        indices.each { |i| planes[keys[i]] << i if keys[i] }
        reversed = {}
        indices.each_with_object({}) do |i, out|
          key = keys[i] or next
          x = @candidates[i]
          big = (key[1] - 1..key[1] + 1).lazy.flat_map { |d| planes.fetch([key[0], d], []) }.find do |j|
            y = @candidates[j]
            y.space != x.space && PlaneGeometry.dot(x.outward, y.outward) < -0.999 && within?(x.points, (reversed[j] ||= y.points.reverse))
          end
          out[i] = big if big
        end
      end

      # The plane of a candidate's loop, by a sign-free normal and its
      # offset in centimetres.
      def plane_key(c)
        n = PlaneGeometry.loop_normal(c.points) or return nil
        n = PlaneGeometry.scale(n, -1.0) if n.find { |v| v.abs > 1e-6 }.negative?
        [n.map { |v| v.round(3) }, (PlaneGeometry.dot(n, c.points.first) / 0.01).floor]
      end

      # The pieces cover the large face (to a thousandth of its area).
      def covered?(y, piece_of)
        parts = piece_of.select { |_, big| big == y }.keys.sum { |i| PlaneGeometry.area(@candidates[i].points) }
        parts >= PlaneGeometry.area(@candidates[y].points) * 0.999
      end

      # A face drawn inside a larger face of its room on the same plane, and
      # wholly an opening itself (a pane), is written as that face's
      # opening rather than as a second surface over it.
      def panes_into_walls(surfaces)
        by_space = surfaces.select { |s| s.sides.length == 1 }.group_by { |s| s.sides.first.space }
        gone = {}.compare_by_identity
        by_space.each_value do |list|
          list.each do |pane|
            next unless pane.openings.length == 1 && same_loop?(pane.openings.first.points, pane.points)
            host = list.find { |s| !s.equal?(pane) && !gone.key?(s) && within?(pane.points, s.points) }
            next unless host
            gone[pane] = true
            c = pane.sides.first.candidate
            unless host.openings.any? { |o| PlaneGeometry.distance(PlaneGeometry.centroid(o.points), PlaneGeometry.centroid(pane.points)) <= PlaneGeometry::POINT_TOLERANCE }
              host.openings << Opening.new(pane.openings.first.type, pane.points)
            end
            h = host.sides.first.candidate
            @mended << "room #{c.space + 1} face #{c.reference}: a pane inside room #{h.space + 1} face #{h.reference}, written as its opening"
          end
        end
        surfaces.reject { |s| gone.key?(s) }
      end

      # The shell without loops lying inside another of its loops.
      def without_inner_loops(loops)
        loops.reject do |inner|
          loops.any? { |outer| !outer.equal?(inner) && within?(inner, outer) }
        end
      end

      # Loop a lies on b's plane, faces b's way and lies within b (smaller).
      def within?(a, b)
        fa = footprint(a)
        fb = footprint(b)
        return false unless fa.normal && fb.normal && fa.area < fb.area && PlaneGeometry.dot(fa.normal, fb.normal) > 0.9999
        return false unless (0..2).all? { |k| fa.box[k][0] >= fb.box[k][0] - PlaneGeometry::POINT_TOLERANCE && fa.box[k][1] <= fb.box[k][1] + PlaneGeometry::POINT_TOLERANCE }
        return false if a.any? { |p| PlaneGeometry.dot(PlaneGeometry.sub(p, b.first), fb.normal).abs > PlaneGeometry::POINT_TOLERANCE }
        axes = LoopMath.frame(fb.normal)
        flat = LoopMath.flat(b, axes)
        inner = LoopMath.flat(a, axes)
        return false if inner.any? { |p| LoopMath.locate(p, flat) == :outside }
        # Corners all on b's border do not make a inside b (a leaf in a notch).
        middle = LoopMath.interior_point(inner)
        middle.nil? || LoopMath.locate(middle, flat) != :outside
      end

      Footprint = Struct.new(:normal, :area, :box)

      # A loop's normal, area and box, worked out once per loop.
      def footprint(points)
        (@footprints ||= {}.compare_by_identity)[points] ||=
          Footprint.new(PlaneGeometry.loop_normal(points), PlaneGeometry.area(points), points.transpose.map(&:minmax))
      end

      def cell_of(c)
        PlaneGeometry.centroid(c.points).map { |x| (x / CELL).floor }
      end

      def neighbours(cell)
        [-1, 0, 1].product([-1, 0, 1], [-1, 0, 1]).map { |d| [cell[0] + d[0], cell[1] + d[1], cell[2] + d[2]] }
      end

      # Same place, two rooms, opposite outward normals; or one model face
      # both rooms list, whichever way each room's typing turned it.
      def coincide?(a, b)
        return false if a.space == b.space
        return false unless PlaneGeometry.dot(a.outward, b.outward) < -0.999 || a.model_face.equal?(b.model_face)
        area_a = PlaneGeometry.area(a.points)
        area_b = PlaneGeometry.area(b.points)
        return false if (area_a - area_b).abs > 1e-3 * [area_a, area_b].max + 1e-6
        on_border?(a.points, b.points) && on_border?(b.points, a.points)
      end

      def on_border?(points, loop)
        points.all? do |p|
          loop.each_index.any? { |i| segment_distance3(p, loop[i], loop[(i + 1) % loop.length]) <= PlaneGeometry::POINT_TOLERANCE }
        end
      end

      def segment_distance3(p, a, b)
        ab = PlaneGeometry.sub(b, a)
        len2 = PlaneGeometry.dot(ab, ab)
        t = len2.zero? ? 0.0 : (PlaneGeometry.dot(PlaneGeometry.sub(p, a), ab) / len2).clamp(0.0, 1.0)
        PlaneGeometry.distance(p, PlaneGeometry.add(a, PlaneGeometry.scale(ab, t)))
      end

      # The surface of one candidate, or of two across each other: the
      # first one's loop and openings, with those of the second that lie
      # on it.
      def surface(pair)
        first = pair.first
        openings, air_only = openings_of(first)
        openings += carried_openings(pair[1], first, openings) if pair[1]
        sides = sides_of(pair)
        lead = sides.first.candidate
        points = lead.equal?(first) ? first.points : first.points.reverse
        Surface.new(surface_type(sides, air_only), sides, points, orient_openings(openings, lead.outward),
                    pair.map(&:model_face).uniq, pair.map { |c| [c.space, c.reference] })
      end

      # The other side's openings inside this side's loop that this side
      # does not have already.
      def carried_openings(other, first, have)
        own, = openings_of(other)
        own.select do |o|
          centre = PlaneGeometry.centroid(o.points)
          have.none? { |h| PlaneGeometry.distance(PlaneGeometry.centroid(h.points), centre) <= PlaneGeometry::POINT_TOLERANCE } &&
            within?(orient(o.points, first.outward) || o.points, first.points)
        end
      end

      # The openings as the format names them.  An air opening filling the
      # whole face makes the face an opening-only partition (air), with no
      # opening of its own.
      def openings_of(c)
        air_only = c.openings.any? { |o| o.kind == 'Air' && same_loop?(o.points, c.points) }
        openings = c.openings.reject { |o| air_only && o.kind == 'Air' && same_loop?(o.points, c.points) }
        [openings.map { |o| Opening.new(opening_type(o, c), o.points) }, air_only]
      end

      # A window glazed by the face itself or by a pane is fixed; one the
      # model leaves open opens.
      def opening_type(o, c)
        return OPENING_TYPES.fetch(o.kind, 'Air') unless o.kind == 'Window'
        centre = PlaneGeometry.centroid(o.points)
        glazed = same_loop?(o.points, c.points) || c.panes.any? { |p| PlaneGeometry.distance(p, centre) <= PlaneGeometry::POINT_TOLERANCE }
        glazed ? 'FixedWindow' : 'OperableWindow'
      end

      def orient_openings(openings, outward)
        openings.map { |o| Opening.new(o.type, orient(o.points, outward) || o.points) }
      end

      def same_loop?(a, b)
        a.length == b.length && a.all? { |p| b.any? { |q| PlaneGeometry.distance(p, q) <= PlaneGeometry::POINT_TOLERANCE } }
      end

      # Each space's side.  A level surface between two spaces is the upper
      # space's floor and the lower space's ceiling: the lower space (whose
      # outward normal points up) comes first, so the loop faces up.
      def sides_of(pair)
        return [Side.new(pair[0].space, nil, pair[0])] if pair.length == 1
        a, b = pair
        a, b = b, a if level?(a) && b.outward[2] > a.outward[2]
        expected = level?(a) ? [%w[Ceiling Floor]] : [%w[Wall Wall]]
        unless expected.include?([a.type, b.type])
          @problems << "room #{a.space + 1} face #{a.reference} and room #{b.space + 1} face #{b.reference}: " \
                       "one surface, typed #{a.type} in the one room and #{b.type} in the other"
        end
        [Side.new(a.space, nil, a), Side.new(b.space, nil, b)]
      end

      # The surface's type, and each side's type in its space.
      def surface_type(sides, air_only)
        if air_only
          sides.each { |s| s.type = 'Air' }
          'Air'
        elsif sides.length == 1
          exterior_type(sides.first)
        elsif level?(sides.first.candidate)
          sides[0].type = 'Ceiling'
          sides[1].type = 'InteriorFloor'
          'InteriorFloor'
        else
          sides.each { |s| s.type = 'InteriorWall' }
          'InteriorWall'
        end
      end

      def exterior_type(side)
        c = side.candidate
        side.type =
          case c.type
          when 'Ceiling' then 'Roof'
          when 'Floor' then c.points.map { |p| p[2] }.max <= @ground + GROUND ? 'SlabOnGrade' : 'RaisedFloor'
          else 'ExteriorWall'
          end
      end

      # Closer to level than to upright.
      def level?(c) = c.outward[2].abs >= Math.sqrt(0.5)


      def flag?(object, name) = field(object, name) == true

      def list(object, name)
        value = field(object, name)
        value.is_a?(Array) ? value : []
      end
    end
  end
end

require_relative 'plane_geometry'

module QORPlugin
  module Gbxml
    # Places a surface's openings the way the room-face work finds them:
    # an opening strictly inside becomes a hole; a door standing on the
    # surface's edge becomes a notch in the outline (a door leaf there is
    # what the room face takes for a door); an opening that covers the
    # whole surface makes the surface itself the opening.
    class OpeningCutter
      Placed = Struct.new(:outline, :holes, :notches, :whole)

      class Misplaced < StandardError
        attr_reader :opening_id

        def initialize(opening_id, problem)
          @opening_id = opening_id
          super(problem)
        end
      end

      def initialize(outline, plane)
        @outline = outline
        @plane = plane
      end

      # openings: [id, door?, points]; answers a Placed with holes and
      # notches as [id, points].
      def place(openings)
        placed = Placed.new(@outline, [], [], nil)
        openings.each do |id, door, points|
          if same_loop?(points, @outline)
            placed.whole = id
          elsif inside?(points)
            overlapped = placed.holes.find { |_, other| overlap?(points, other) }
            raise Misplaced.new(id, %(overlaps opening "#{overlapped[0]}")) if overlapped
            placed.holes << [id, points]
          else
            placed.outline = notch(placed.outline, id, door, points)
            placed.notches << [id, points]
          end
        end
        placed
      end

      private

      def flat(points) = points.map { |p| @plane.flat(p) }

      def same_loop?(a, b)
        a.length == b.length && a.all? { |p| b.any? { |q| PlaneGeometry.same_point?(p, q) } }
      end

      def inside?(points)
        outline = flat(@outline)
        loop = flat(points)
        loop.all? { |p| FlatPolygon.strictly_inside?(p, outline) } && !FlatPolygon.edges_cross?(loop, outline)
      end

      def overlap?(a, b)
        fa = flat(a)
        fb = flat(b)
        fa.any? { |p| !FlatPolygon.outside?(p, fb) } || fb.any? { |p| !FlatPolygon.outside?(p, fa) } ||
          FlatPolygon.edges_cross?(fa, fb)
      end

      # The outline run round the door: the edges the two loops share go,
      # the door's other edges come in.  Refused when the result is not one
      # loop through every corner of the door.
      def notch(outline, id, door, points)
        fo = flat(outline)
        fd = flat(points)
        if fd.any? { |p| FlatPolygon.outside?(p, fo) } || FlatPolygon.edges_cross?(fd, fo)
          raise Misplaced.new(id, 'lies outside its surface')
        end
        raise Misplaced.new(id, 'touches the edge of its surface (only a door may)') unless door

        door_loop = points.map { |p| outline.find { |q| PlaneGeometry.same_point?(p, q) } || p }
        door_loop = door_loop.reverse if FlatPolygon.signed_area(flat(door_loop)).negative?
        ring = split_edges(outline, door_loop)
        cut = split_edges(door_loop, outline)
        shared = edge_pairs(ring).select { |a, b| edge_pairs(cut).any? { |c, d| same_edge?(a, b, c, d) } }
        if shared.empty?
          raise Misplaced.new(id, 'touches the edge of its surface at a point only')
        end
        kept = edge_pairs(ring).reject { |a, b| shared.any? { |c, d| same_edge?(a, b, c, d) } } +
               edge_pairs(cut).reject { |a, b| shared.any? { |c, d| same_edge?(a, b, c, d) } }.map(&:reverse)
        result = chain(kept)
        unless result && door_loop.all? { |p| result.any? { |q| PlaneGeometry.same_point?(p, q) } }
          raise Misplaced.new(id, 'cuts its surface apart or takes away a corner of it')
        end
        result
      end

      def edge_pairs(loop) = loop.each_with_index.map { |a, i| [a, loop[(i + 1) % loop.length]] }

      def same_edge?(a, b, c, d)
        (PlaneGeometry.same_point?(a, c) && PlaneGeometry.same_point?(b, d)) ||
          (PlaneGeometry.same_point?(a, d) && PlaneGeometry.same_point?(b, c))
      end

      # The loop with the other loop's corners that lie on its edges put in.
      def split_edges(loop, other)
        edge_pairs(loop).flat_map do |a, b|
          between = other.select do |p|
            !PlaneGeometry.same_point?(p, a) && !PlaneGeometry.same_point?(p, b) &&
              FlatPolygon.segment_distance(@plane.flat(p), @plane.flat(a), @plane.flat(b)) <
                PlaneGeometry::POINT_TOLERANCE
          end
          [a] + between.sort_by { |p| PlaneGeometry.distance(a, p) }
        end
      end

      # One closed loop through every edge, or nil.
      def chain(edges)
        return nil if edges.empty?
        loop = [edges.first[0]]
        remaining = edges.dup
        current = remaining.shift
        until remaining.empty?
          nexts = remaining.select { |a, _| PlaneGeometry.same_point?(a, current[1]) }
          return nil unless nexts.length == 1
          loop << current[1]
          current = remaining.delete(nexts.first)
        end
        PlaneGeometry.same_point?(current[1], loop.first) ? loop : nil
      end
    end
  end
end

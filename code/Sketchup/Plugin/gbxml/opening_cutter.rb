require_relative 'plane_geometry'

module QORPlugin
  module Gbxml
    # Places a surface's openings the way the room-face work finds them:
    # an opening strictly inside becomes a hole; one standing on the
    # surface's edge becomes a notch in the outline (a door leaf there is
    # what the room face takes for a door or, glazed, a window); an opening
    # that covers the whole surface makes the surface itself the opening.
    # Every inside, outside and crossing test allows the one tolerance
    # PlaneGeometry::POINT_TOLERANCE, and corners that close to the outline
    # are moved onto it.  An opening that cannot be placed is left out and
    # reported, never the surface.
    class OpeningCutter
      Placed = Struct.new(:outline, :holes, :notches, :whole, :left_out)
      # kind: :window, :door or :air.
      Candidate = Struct.new(:id, :kind, :points)

      TOLERANCE = PlaneGeometry::POINT_TOLERANCE

      def initialize(outline, plane)
        @outline = outline
        @plane = plane
      end

      # Answers a Placed with holes and notches as [id, points, kind], and
      # left_out as [id, reason].
      def place(candidates)
        placed = Placed.new(@outline, [], [], nil, [])
        candidates = candidates.map { |c| Candidate.new(c.id, c.kind, snap(c.points)) }
        kept_apart(candidates, placed.left_out).each do |c|
          if same_loop?(c.points, @outline)
            placed.whole = c.id
          elsif inside?(c.points)
            placed.holes << [c.id, c.points, c.kind]
          else
            outline = notch(placed.outline, c)
            next placed.left_out << [c.id, outline] if outline.is_a?(String)
            placed.outline = outline
            placed.notches << [c.id, c.points, c.kind]
          end
        end
        placed
      end

      private

      def flat(points) = points.map { |p| @plane.flat(p) }

      # Corners within the tolerance of the outline moved onto it, so that
      # the loader finds them on the edge the file meant.
      def snap(points)
        points.map do |p|
          nearest = PlaneGeometry.edges(@outline).map { |a, b| PlaneGeometry.closest_on_segment(p, a, b) }
                                 .min_by { |q| PlaneGeometry.distance(p, q) }
          PlaneGeometry.distance(p, nearest) < TOLERANCE ? PlaneGeometry.round_point(nearest) : p
        end
      end

      # Overlapping openings: the larger kept, the smaller left out.
      def kept_apart(candidates, left_out)
        kept = []
        candidates.sort_by.with_index { |c, i| [-PlaneGeometry.area(c.points), i] }.each do |c|
          other = kept.find { |k| overlap?(c.points, k.points) }
          next kept << c unless other
          left_out << [c.id, %(overlaps opening "#{other.id}", which is larger)]
        end
        candidates.select { |c| kept.include?(c) }
      end

      def same_loop?(a, b)
        a.length == b.length && a.all? { |p| b.any? { |q| PlaneGeometry.same_point?(p, q) } }
      end

      def inside?(points)
        outline = flat(@outline)
        loop = flat(points)
        loop.all? { |p| FlatPolygon.strictly_inside?(p, outline) } && !FlatPolygon.edges_cross?(loop, outline)
      end

      # Sharing more than corners or edges: a corner, an edge's middle or
      # the middle of one inside the other, crossing edges, or the same loop.
      def overlap?(a, b)
        fa = flat(a)
        fb = flat(b)
        probes(fa).any? { |p| FlatPolygon.strictly_inside?(p, fb) } ||
          probes(fb).any? { |p| FlatPolygon.strictly_inside?(p, fa) } ||
          FlatPolygon.edges_cross?(fa, fb) || same_loop?(a, b)
      end

      def probes(poly)
        middles = FlatPolygon.edges(poly).map { |p, q| [(p[0] + q[0]) / 2.0, (p[1] + q[1]) / 2.0] }
        poly + middles + [[poly.sum { |p| p[0] } / poly.length, poly.sum { |p| p[1] } / poly.length]]
      end

      # The outline run round the opening: the edges the two loops share go,
      # the opening's other edges come in.  A String (the reason) when the
      # result would not be one loop through every corner of the opening.
      def notch(outline, candidate)
        points = candidate.points
        fo = flat(outline)
        fd = flat(points)
        return 'lies outside its surface' if fd.any? { |p| FlatPolygon.outside?(p, fo) } || FlatPolygon.edges_cross?(fd, fo)
        return 'an air opening on its surface\'s edge cannot be drawn as a notch' if candidate.kind == :air

        door_loop = points.map { |p| outline.find { |q| PlaneGeometry.same_point?(p, q) } || p }
        door_loop = door_loop.reverse if FlatPolygon.signed_area(flat(door_loop)).negative?
        ring = split_edges(outline, door_loop)
        cut = split_edges(door_loop, outline)
        shared = edge_pairs(ring).select { |a, b| edge_pairs(cut).any? { |c, d| same_edge?(a, b, c, d) } }
        return 'touches the edge of its surface at a point only' if shared.empty?
        kept = edge_pairs(ring).reject { |a, b| shared.any? { |c, d| same_edge?(a, b, c, d) } } +
               edge_pairs(cut).reject { |a, b| shared.any? { |c, d| same_edge?(a, b, c, d) } }.map(&:reverse)
        result = chain(kept)
        unless result && door_loop.all? { |p| result.any? { |q| PlaneGeometry.same_point?(p, q) } }
          return 'cuts its surface apart or takes away a corner of it'
        end
        result
      end

      def edge_pairs(loop) = PlaneGeometry.edges(loop)

      def same_edge?(a, b, c, d)
        (PlaneGeometry.same_point?(a, c) && PlaneGeometry.same_point?(b, d)) ||
          (PlaneGeometry.same_point?(a, d) && PlaneGeometry.same_point?(b, c))
      end

      # The loop with the other loop's corners that lie on its edges put in.
      def split_edges(loop, other)
        edge_pairs(loop).flat_map do |a, b|
          between = other.select do |p|
            !PlaneGeometry.same_point?(p, a) && !PlaneGeometry.same_point?(p, b) &&
              FlatPolygon.segment_distance(@plane.flat(p), @plane.flat(a), @plane.flat(b)) < TOLERANCE
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

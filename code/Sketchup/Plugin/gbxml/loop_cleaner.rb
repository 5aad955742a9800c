require_relative 'plane_geometry'
require_relative 'planar_pieces'

module QORPlugin
  module Gbxml
    # Makes a gbXML loop into one the building file accepts: repeated and
    # collinear points dropped, every corner pressed onto the loop's plane,
    # a loop bent beyond the tolerance split into planar pieces.  What it
    # changes it counts; what it cannot mend it refuses with Unusable.
    class LoopCleaner
      # A loop bent further than this (metres) is split, not flattened.
      PLANAR_TOLERANCE = 0.005
      # Bends below this are rounding noise: pressed, but not counted.
      FLAT_ENOUGH = 1e-6

      Unusable = Class.new(StandardError)

      attr_reader :repeated, :collinear, :flattened

      def initialize
        @repeated = 0
        @collinear = 0
        @flattened = 0
      end

      # The cleaned loop as planar pieces, each [points, plane]; one piece
      # when the loop is planar within the tolerance.  The second answer is
      # nil, or how far the loop's worst corner lay off its plane.
      def pieces(points)
        cleaned = clean(points)
        plane = plane_of(cleaned)
        worst = cleaned.map { |p| plane.offset(p).abs }.max
        return [[[flatten(cleaned, plane), plane]], nil] if worst <= PLANAR_TOLERANCE
        parts = PlanarPieces.split(cleaned, PLANAR_TOLERANCE).map do |part|
          part_plane = plane_of(part)
          [flatten(part, part_plane), part_plane]
        end
        [parts, worst]
      end

      # An opening's loop, cleaned and pressed onto its surface's plane.
      def opening(points, plane)
        cleaned = clean(points)
        worst = cleaned.map { |p| plane.offset(p).abs }.max
        if worst > PLANAR_TOLERANCE
          raise Unusable, format("lies %.4g m off its surface's plane (tolerance %g m)", worst, PLANAR_TOLERANCE)
        end
        flatten(cleaned, plane)
      end

      private

      def clean(points)
        raise Unusable, "fewer than three points (#{points.length})" if points.length < 3
        cleaned = drop_collinear(drop_repeated(points))
        raise Unusable, 'fewer than three points once repeated and collinear points are dropped' if cleaned.length < 3
        check_simple(cleaned)
        cleaned
      end

      def plane_of(points)
        normal = PlaneGeometry.loop_normal(points) or raise Unusable, 'encloses no area'
        PlaneGeometry::Plane.new(PlaneGeometry.centroid(points), normal)
      end

      def drop_repeated(points)
        kept = []
        points.each { |p| kept << p unless kept.any? && PlaneGeometry.same_point?(kept.last, p) }
        kept.pop while kept.length > 1 && PlaneGeometry.same_point?(kept.last, kept.first)
        @repeated += points.length - kept.length
        kept
      end

      def drop_collinear(points)
        points = points.dup
        while points.length >= 3
          i = points.each_index.find do |k|
            PlaneGeometry.line_distance(points[k], points[k - 1], points[(k + 1) % points.length]) <
              PlaneGeometry::POINT_TOLERANCE
          end
          break unless i
          points.delete_at(i)
          @collinear += 1
        end
        points
      end

      def check_simple(points)
        points.each_with_index do |p, i|
          j = points.each_index.find { |k| k > i && PlaneGeometry.same_point?(p, points[k]) }
          raise Unusable, "passes through the same point twice (#{format_point(p)})" if j
        end
      end

      # Every corner pressed onto the plane: even a bend of a micrometre
      # would otherwise tilt the face the host makes of the corners.
      def flatten(points, plane)
        worst = points.map { |p| plane.offset(p).abs }.max
        @flattened += 1 if worst > FLAT_ENOUGH
        points.map { |p| PlaneGeometry.round_point(plane.project(p)) }
      end

      def format_point(p) = "(#{p.map { |c| format('%.4g', c) }.join(', ')})"
    end
  end
end

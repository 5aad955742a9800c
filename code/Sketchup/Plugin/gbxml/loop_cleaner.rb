require_relative 'plane_geometry'

module QORPlugin
  module Gbxml
    # Makes a gbXML loop into one the building file accepts: repeated and
    # collinear points dropped, a slightly bent loop pressed onto its plane.
    # What it changes it counts; what it cannot mend it refuses with
    # Unusable.
    class LoopCleaner
      # A loop bent further than this (metres) is refused, not flattened.
      PLANAR_TOLERANCE = 0.005
      # Bends below this are rounding noise and left as they are.
      FLAT_ENOUGH = 1e-6

      Unusable = Class.new(StandardError)

      attr_reader :repeated, :collinear, :flattened

      def initialize
        @repeated = 0
        @collinear = 0
        @flattened = 0
      end

      # The cleaned points and their plane.
      def outline(points)
        raise Unusable, "fewer than three points (#{points.length})" if points.length < 3
        cleaned = drop_collinear(drop_repeated(points))
        raise Unusable, 'fewer than three points once repeated and collinear points are dropped' if cleaned.length < 3
        check_simple(cleaned)
        normal = PlaneGeometry.loop_normal(cleaned) or raise Unusable, 'encloses no area'
        plane = PlaneGeometry::Plane.new(PlaneGeometry.centroid(cleaned), normal)
        [flatten(cleaned, plane, 'its own plane'), plane]
      end

      # An opening's loop, cleaned and pressed onto its surface's plane.
      def opening(points, plane)
        raise Unusable, "fewer than three points (#{points.length})" if points.length < 3
        cleaned = drop_collinear(drop_repeated(points))
        raise Unusable, 'fewer than three points once repeated and collinear points are dropped' if cleaned.length < 3
        check_simple(cleaned)
        flatten(cleaned, plane, "its surface's plane")
      end

      private

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

      def flatten(points, plane, what)
        offsets = points.map { |p| plane.offset(p).abs }
        worst = offsets.max
        if worst > PLANAR_TOLERANCE
          k = offsets.index(worst)
          raise Unusable, format('not planar: point %d %s lies %.4g m off %s (tolerance %g m)',
                                 k + 1, format_point(points[k]), worst, what, PLANAR_TOLERANCE)
        end
        return points if worst <= FLAT_ENOUGH
        @flattened += 1
        points.map { |p| PlaneGeometry.round_point(plane.project(p)) }
      end

      def format_point(p) = "(#{p.map { |c| format('%.4g', c) }.join(', ')})"
    end
  end
end

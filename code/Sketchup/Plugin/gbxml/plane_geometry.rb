module QORPlugin
  module Gbxml
    # Plain-number geometry for the import: points are [x, y, z] in metres.
    # The modeller's Geom is not used here, so that the import's decisions
    # do not depend on the host's inch tolerance.
    module PlaneGeometry
      # Two points closer than this are one point; a corner closer than this
      # to the line through its neighbours is not a corner.
      POINT_TOLERANCE = 0.001
      # Coordinates are written to this many decimals of a metre.
      DECIMALS = 9

      module_function

      def sub(a, b) = [a[0] - b[0], a[1] - b[1], a[2] - b[2]]
      def add(a, b) = [a[0] + b[0], a[1] + b[1], a[2] + b[2]]
      def scale(a, k) = [a[0] * k, a[1] * k, a[2] * k]
      def dot(a, b) = a[0] * b[0] + a[1] * b[1] + a[2] * b[2]
      def cross(a, b) = [a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0]]
      def length(a) = Math.sqrt(dot(a, a))
      def distance(a, b) = length(sub(a, b))
      def same_point?(a, b) = distance(a, b) < POINT_TOLERANCE

      # Fixed decimals, and no negative zero, so that equal buildings give
      # equal text whatever unit they were drawn in.
      def round_point(p) = p.map { |c| c.round(DECIMALS) + 0.0 }

      def centroid(points)
        sum = points.reduce([0.0, 0.0, 0.0]) { |s, p| add(s, p) }
        scale(sum, 1.0 / points.length)
      end

      # Newell's normal: follows the loop's turning sense; nil when the
      # points enclose no area.
      def loop_normal(points)
        n = [0.0, 0.0, 0.0]
        points.each_with_index do |a, i|
          b = points[(i + 1) % points.length]
          n = add(n, [(a[1] - b[1]) * (a[2] + b[2]), (a[2] - b[2]) * (a[0] + b[0]), (a[0] - b[0]) * (a[1] + b[1])])
        end
        len = length(n)
        len < 1e-12 ? nil : scale(n, 1.0 / len)
      end

      def area(points)
        n = [0.0, 0.0, 0.0]
        points.each_with_index { |a, i| n = add(n, cross(a, points[(i + 1) % points.length])) }
        length(n) / 2.0
      end

      def edges(loop) = loop.each_with_index.map { |a, i| [a, loop[(i + 1) % loop.length]] }

      # The point of the segment from a to b nearest to p.
      def closest_on_segment(p, a, b)
        ab = sub(b, a)
        len2 = dot(ab, ab)
        return a if len2.zero?
        add(a, scale(ab, (dot(sub(p, a), ab) / len2).clamp(0.0, 1.0)))
      end

      # Distance from p to the line through a and b.
      def line_distance(p, a, b)
        ab = sub(b, a)
        len = length(ab)
        return distance(p, a) if len < 1e-12
        length(cross(ab, sub(p, a))) / len
      end

      # A plane with a frame in it, for the 2-D tests of openings.
      class Plane
        attr_reader :origin, :normal

        def initialize(origin, normal)
          @origin = origin
          @normal = normal
          helper = normal[0].abs < 0.9 ? [1.0, 0.0, 0.0] : [0.0, 1.0, 0.0]
          @u = PlaneGeometry.cross(normal, helper)
          @u = PlaneGeometry.scale(@u, 1.0 / PlaneGeometry.length(@u))
          @v = PlaneGeometry.cross(normal, @u)
        end

        def offset(p) = PlaneGeometry.dot(PlaneGeometry.sub(p, @origin), @normal)
        def project(p) = PlaneGeometry.sub(p, PlaneGeometry.scale(@normal, offset(p)))

        # Anticlockwise seen from the normal's side stays anticlockwise.
        def flat(p)
          d = PlaneGeometry.sub(p, @origin)
          [PlaneGeometry.dot(d, @u), PlaneGeometry.dot(d, @v)]
        end
      end
    end

    # 2-D polygon tests in a plane's frame; polygons are arrays of [x, y].
    module FlatPolygon
      module_function

      def signed_area(poly)
        poly.each_with_index.sum { |a, i| b = poly[(i + 1) % poly.length]; a[0] * b[1] - b[0] * a[1] } / 2.0
      end

      def segment_distance(p, a, b)
        dx = b[0] - a[0]
        dy = b[1] - a[1]
        len2 = dx * dx + dy * dy
        t = len2.zero? ? 0.0 : (((p[0] - a[0]) * dx + (p[1] - a[1]) * dy) / len2).clamp(0.0, 1.0)
        Math.hypot(p[0] - a[0] - t * dx, p[1] - a[1] - t * dy)
      end

      def boundary_distance(p, poly)
        edges(poly).map { |a, b| segment_distance(p, a, b) }.min
      end

      def on_boundary?(p, poly) = boundary_distance(p, poly) < PlaneGeometry::POINT_TOLERANCE

      # Crossing-number test; meaningful away from the boundary.
      def contains?(poly, p)
        inside = false
        edges(poly).each do |a, b|
          next unless (a[1] > p[1]) != (b[1] > p[1])
          x = a[0] + (p[1] - a[1]) * (b[0] - a[0]) / (b[1] - a[1])
          inside = !inside if p[0] < x
        end
        inside
      end

      def strictly_inside?(p, poly) = !on_boundary?(p, poly) && contains?(poly, p)
      def outside?(p, poly) = !on_boundary?(p, poly) && !contains?(poly, p)

      def edges(poly) = poly.each_with_index.map { |a, i| [a, poly[(i + 1) % poly.length]] }

      # Do the segments cross, each passing the other's line by more than
      # the point tolerance on both sides?  An end that close to the other
      # segment's line touches it rather than crossing.
      def crossing?(a, b, c, d)
        ab = Math.hypot(b[0] - a[0], b[1] - a[1])
        cd = Math.hypot(d[0] - c[0], d[1] - c[1])
        return false if ab < PlaneGeometry::POINT_TOLERANCE || cd < PlaneGeometry::POINT_TOLERANCE
        apart?(orient(c, d, a) / cd, orient(c, d, b) / cd) && apart?(orient(a, b, c) / ab, orient(a, b, d) / ab)
      end

      def apart?(s, t)
        tol = PlaneGeometry::POINT_TOLERANCE
        (s > tol && t < -tol) || (s < -tol && t > tol)
      end

      def orient(a, b, c) = (b[0] - a[0]) * (c[1] - a[1]) - (b[1] - a[1]) * (c[0] - a[0])

      def edges_cross?(p, q)
        edges(p).any? { |a, b| edges(q).any? { |c, d| crossing?(a, b, c, d) } }
      end
    end
  end
end

require_relative 'plane_geometry'

module QORPlugin
  module Gbxml
    # The written loops' own tests, on PlaneGeometry's vectors and
    # FlatPolygon's segments: points are [x, y, z] in metres, tolerances a
    # millimetre (PlaneGeometry::POINT_TOLERANCE).
    module LoopMath
      TOLERANCE = PlaneGeometry::POINT_TOLERANCE

      module_function

      # Volume a closed shell of outward-turning loops encloses.
      def enclosed_volume(loops)
        loops.sum do |pts|
          next 0.0 if pts.length < 3
          a = pts[0]
          (1...pts.length - 1).sum { |i| PlaneGeometry.dot(a, PlaneGeometry.cross(pts[i], pts[i + 1])) }
        end / 6.0
      end

      # Two axes of the plane with normal n, so that (u, v, n) is
      # right-handed: a loop anticlockwise round n stays anticlockwise.
      def frame(n)
        helper = n[0].abs < 0.9 ? [1.0, 0.0, 0.0] : [0.0, 1.0, 0.0]
        u = PlaneGeometry.cross(helper, n)
        u = PlaneGeometry.scale(u, 1.0 / PlaneGeometry.length(u))
        [u, PlaneGeometry.cross(n, u)]
      end

      def flat(points, axes)
        u, v = axes
        points.map { |p| [PlaneGeometry.dot(p, u), PlaneGeometry.dot(p, v)] }
      end

      # Where a 2-D point lies against a 2-D loop: :inside, :border or
      # :outside (border within tol).
      def locate(p, loop, tol = TOLERANCE)
        gap = FlatPolygon.boundary_distance(p, loop)
        return :border if gap && gap <= tol
        FlatPolygon.contains?(loop, p) ? :inside : :outside
      end

      # Two 2-D segments cross at one point inside both (not at an end,
      # not along each other); unlike FlatPolygon.crossing?, the tolerance
      # scales with the other segment's length.
      def cross_properly?(a, b, c, d, tol = TOLERANCE)
        lab = Math.hypot(b[0] - a[0], b[1] - a[1])
        lcd = Math.hypot(d[0] - c[0], d[1] - c[1])
        return false if lab < tol || lcd < tol
        d1 = FlatPolygon.orient(c, d, a)
        d2 = FlatPolygon.orient(c, d, b)
        d3 = FlatPolygon.orient(a, b, c)
        d4 = FlatPolygon.orient(a, b, d)
        e1 = tol * lcd
        e2 = tol * lab
        ((d1 > e1 && d2 < -e1) || (d1 < -e1 && d2 > e1)) && ((d3 > e2 && d4 < -e2) || (d3 < -e2 && d4 > e2))
      end

      # A point strictly inside a 2-D loop: the middle of the first ear
      # whose middle is inside; nil for a loop without area.
      def interior_point(loop, tol = TOLERANCE)
        n = loop.length
        n.times do |i|
          a = loop[(i - 1) % n]
          b = loop[i]
          c = loop[(i + 1) % n]
          m = [(a[0] + b[0] + c[0]) / 3.0, (a[1] + b[1] + c[1]) / 3.0]
          return m if locate(m, loop, tol) == :inside
        end
        nil
      end
    end
  end
end

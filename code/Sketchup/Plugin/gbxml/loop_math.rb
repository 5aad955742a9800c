module QORPlugin
  module Gbxml
    # Plain-number geometry of the written loops: points are [x, y, z] in
    # metres.  Tolerances are the writer's: a millimetre for points and
    # planes.
    module LoopMath
      TOLERANCE = 0.001

      module_function

      def sub(a, b) = [a[0] - b[0], a[1] - b[1], a[2] - b[2]]
      def add(a, b) = [a[0] + b[0], a[1] + b[1], a[2] + b[2]]
      def scale(a, k) = [a[0] * k, a[1] * k, a[2] * k]
      def dot(a, b) = a[0] * b[0] + a[1] * b[1] + a[2] * b[2]
      def cross(a, b) = [a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0]]
      def length(a) = Math.sqrt(dot(a, a))
      def distance(a, b) = length(sub(a, b))

      # Newell's vector: along the normal the loop turns anticlockwise
      # round, twice the area long.
      def newell(points)
        n = [0.0, 0.0, 0.0]
        points.each_with_index do |a, i|
          b = points[(i + 1) % points.length]
          n = add(n, [(a[1] - b[1]) * (a[2] + b[2]), (a[2] - b[2]) * (a[0] + b[0]), (a[0] - b[0]) * (a[1] + b[1])])
        end
        n
      end

      def area(points) = length(newell(points)) / 2.0

      # Unit normal, nil when the loop encloses no area.
      def normal(points)
        n = newell(points)
        len = length(n)
        len < 1e-12 ? nil : scale(n, 1.0 / len)
      end

      def centroid(points)
        scale(points.reduce([0.0, 0.0, 0.0]) { |s, p| add(s, p) }, 1.0 / points.length)
      end

      # Volume a closed shell of outward-turning loops encloses.
      def enclosed_volume(loops)
        loops.sum do |pts|
          next 0.0 if pts.length < 3
          a = pts[0]
          (1...pts.length - 1).sum { |i| dot(a, cross(pts[i], pts[i + 1])) }
        end / 6.0
      end

      # Two axes of the plane with normal n, so that (u, v, n) is
      # right-handed: a loop anticlockwise round n stays anticlockwise.
      def frame(n)
        helper = n[0].abs < 0.9 ? [1.0, 0.0, 0.0] : [0.0, 1.0, 0.0]
        u = cross(helper, n)
        u = scale(u, 1.0 / length(u))
        [u, cross(n, u)]
      end

      def flat(points, axes)
        u, v = axes
        points.map { |p| [dot(p, u), dot(p, v)] }
      end

      # Where a 2-D point lies against a 2-D loop: :inside, :border or
      # :outside (border within tol).
      def locate(p, loop, tol = TOLERANCE)
        inside = false
        loop.each_with_index do |a, i|
          b = loop[(i + 1) % loop.length]
          return :border if segment_distance(p, a, b) <= tol
          next unless (a[1] > p[1]) != (b[1] > p[1])
          x = a[0] + (p[1] - a[1]) * (b[0] - a[0]) / (b[1] - a[1])
          inside = !inside if p[0] < x
        end
        inside ? :inside : :outside
      end

      def segment_distance(p, a, b)
        dx = b[0] - a[0]
        dy = b[1] - a[1]
        len2 = dx * dx + dy * dy
        t = len2.zero? ? 0.0 : (((p[0] - a[0]) * dx + (p[1] - a[1]) * dy) / len2).clamp(0.0, 1.0)
        Math.hypot(p[0] - a[0] - t * dx, p[1] - a[1] - t * dy)
      end

      # Two 2-D segments cross at one point inside both (not at an end,
      # not along each other).
      def cross_properly?(a, b, c, d, tol = TOLERANCE)
        d1 = orient(c, d, a)
        d2 = orient(c, d, b)
        d3 = orient(a, b, c)
        d4 = orient(a, b, d)
        lab = Math.hypot(b[0] - a[0], b[1] - a[1])
        lcd = Math.hypot(d[0] - c[0], d[1] - c[1])
        return false if lab < tol || lcd < tol
        e1 = tol * lcd
        e2 = tol * lab
        ((d1 > e1 && d2 < -e1) || (d1 < -e1 && d2 > e1)) && ((d3 > e2 && d4 < -e2) || (d3 < -e2 && d4 > e2))
      end

      def orient(a, b, c) = (b[0] - a[0]) * (c[1] - a[1]) - (b[1] - a[1]) * (c[0] - a[0])

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

# Plain-array vector arithmetic shared by the geometry classes. Everything
# here works on [x, y, z] Float triples so that points, vectors, vertices and
# 3-number arrays can be mixed freely, as the modeller allows.
module Sketchup
  module Headless
    # Length tolerance of the modeller, in inches.
    TOL = 0.001
    # Angular tolerance (sine of the angle) for parallel/perpendicular tests.
    ANGLE_TOL = 1.0e-6

    module_function

    def xyz(obj)
      case obj
      when Coordinates
        obj.to_a
      when Sketchup::Vertex
        xyz(obj.position)
      when Array
        unless (obj.size == 2 || obj.size == 3) && obj.all? { |c| c.is_a?(Numeric) }
          raise ArgumentError, "Cannot convert argument to Geom::Point3d: #{obj.inspect}"
        end
        [obj[0].to_f, obj[1].to_f, (obj[2] || 0).to_f]
      else
        raise ArgumentError, "Cannot convert argument to Geom::Point3d: #{obj.inspect}"
      end
    end

    def add(a, b) = [a[0] + b[0], a[1] + b[1], a[2] + b[2]]
    def sub(a, b) = [a[0] - b[0], a[1] - b[1], a[2] - b[2]]
    def scale(a, s) = [a[0] * s, a[1] * s, a[2] * s]
    def dot(a, b) = a[0] * b[0] + a[1] * b[1] + a[2] * b[2]
    # a + d * t and a - d * t, to the bit what add and sub of scale give,
    # without the scaled triple in between.
    def along(a, d, t) = [a[0] + d[0] * t, a[1] + d[1] * t, a[2] + d[2] * t]
    def back(a, d, t) = [a[0] - d[0] * t, a[1] - d[1] * t, a[2] - d[2] * t]
    def len(a) = Math.sqrt(dot(a, a))

    def cross(a, b)
      [a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0]]
    end

    def unit(a)
      l = len(a)
      l.zero? ? [0.0, 0.0, 0.0] : scale(a, 1.0 / l)
    end

    def dist(a, b) = len(sub(a, b))

    # A line is [point, vector] or [point, point]. A plain Array in second
    # place is read as a vector, because that is what callers build by hand.
    # Returns [origin, unit direction]; raises for a zero-length direction.
    def line(l)
      unless l.is_a?(Array) && l.size == 2
        raise ArgumentError, "Cannot convert argument to a line: #{l.inspect}"
      end
      o = xyz(l[0])
      d = l[1].is_a?(Geom::Point3d) || l[1].is_a?(Sketchup::Vertex) ? sub(xyz(l[1]), o) : xyz(l[1])
      length = len(d)
      raise ArgumentError, 'line direction has zero length' if length.zero?
      [o, scale(d, 1.0 / length)]
    end

    # A plane is [a, b, c, d] (ax + by + cz + d = 0) or [point, normal].
    # Returns [unit normal, d] so that distance = dot(n, p) + d.
    def plane(pl)
      unless pl.is_a?(Array)
        raise ArgumentError, "Cannot convert argument to a plane: #{pl.inspect}"
      end
      if pl.size == 4 && pl[0].is_a?(Numeric) && pl[1].is_a?(Numeric) && pl[2].is_a?(Numeric) &&
         pl[3].is_a?(Numeric)
        n = [pl[0].to_f, pl[1].to_f, pl[2].to_f]
        l = len(n)
        raise ArgumentError, 'plane normal has zero length' if l.zero?
        [scale(n, 1.0 / l), pl[3].to_f / l]
      elsif pl.size == 2
        p = xyz(pl[0])
        n = xyz(pl[1])
        l = len(n)
        raise ArgumentError, 'plane normal has zero length' if l.zero?
        n = scale(n, 1.0 / l)
        [n, -dot(n, p)]
      else
        raise ArgumentError, "Cannot convert argument to a plane: #{pl.inspect}"
      end
    end

    def signed_distance_to_plane(p, pl)
      n, d = plane(pl)
      dot(n, p) + d
    end

    def project_to_line(p, l)
      o, d = line(l)
      along(o, d, dot(sub(p, o), d))
    end

    def project_to_plane(p, pl)
      n, d = plane(pl)
      back(p, n, dot(n, p) + d)
    end

    # Newell's method: twice the signed area vector of a closed polygon.
    def newell(pts)
      nx = ny = nz = 0.0
      pts.each_with_index do |a, i|
        b = pts[(i + 1) % pts.size]
        nx += (a[1] - b[1]) * (a[2] + b[2])
        ny += (a[2] - b[2]) * (a[0] + b[0])
        nz += (a[0] - b[0]) * (a[1] + b[1])
      end
      [nx, ny, nz]
    end

    # Distance from p to the segment a-b, all as triples.
    def dist_to_segment(p, a, b)
      ab = sub(b, a)
      l2 = dot(ab, ab)
      return dist(p, a) if l2.zero?
      t = dot(sub(p, a), ab) / l2
      t = 0.0 if t < 0.0
      t = 1.0 if t > 1.0
      dist(p, add(a, scale(ab, t)))
    end

    # Even-odd test in the x-y plane; border handling is left to the caller.
    def inside_2d?(p, poly)
      inside = false
      j = poly.size - 1
      poly.each_with_index do |a, i|
        b = poly[j]
        if (a[1] > p[1]) != (b[1] > p[1])
          xc = (b[0] - a[0]) * (p[1] - a[1]) / (b[1] - a[1]) + a[0]
          inside = !inside if p[0] < xc
        end
        j = i
      end
      inside
    end

    def fmt(v)
      (v + 0.0).to_s
    end
  end
end

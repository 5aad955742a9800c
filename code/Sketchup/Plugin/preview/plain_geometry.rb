module QORPlugin
  module Preview
    # Vector arithmetic on plain [x, y, z] arrays: the preview reads the
    # export's numbers once and never calls back into the modeller.
    module PlainGeometry
      module_function

      def sub(a, b)
        [a[0] - b[0], a[1] - b[1], a[2] - b[2]]
      end

      def add(a, b)
        [a[0] + b[0], a[1] + b[1], a[2] + b[2]]
      end

      def scale(a, s)
        [a[0] * s, a[1] * s, a[2] * s]
      end

      def dot(a, b)
        a[0] * b[0] + a[1] * b[1] + a[2] * b[2]
      end

      def length(a)
        Math.sqrt(dot(a, a))
      end

      def mean(points)
        return [0.0, 0.0, 0.0] if points.empty?
        n = points.length.to_f
        sum = points.reduce([0.0, 0.0, 0.0]) { |s, p| add(s, p) }
        scale(sum, 1.0 / n)
      end

      # Newell's normal of a loop, unit length (zero for a degenerate loop).
      def normal(points)
        nx = ny = nz = 0.0
        points.each_with_index do |a, i|
          b = points[(i + 1) % points.length]
          nx += (a[1] - b[1]) * (a[2] + b[2])
          ny += (a[2] - b[2]) * (a[0] + b[0])
          nz += (a[0] - b[0]) * (a[1] + b[1])
        end
        n = [nx, ny, nz]
        len = length(n)
        len.zero? ? n : scale(n, 1.0 / len)
      end

      # The foot of p on plane [a, b, c, d].
      def project_to_plane(plane, p)
        n = plane[0, 3]
        nn = dot(n, n)
        return p if nn.zero?
        sub(p, scale(n, (dot(n, p) + plane[3]) / nn))
      end

      # Where the line through p along dir meets the plane; nil when parallel.
      def along_to_plane(plane, p, dir)
        n = plane[0, 3]
        across = dot(n, dir)
        return nil if across.abs < 1e-12
        add(p, scale(dir, -(dot(n, p) + plane[3]) / across))
      end
    end
  end
end

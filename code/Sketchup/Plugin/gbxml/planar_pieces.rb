require_relative 'plane_geometry'

module QORPlugin
  module Gbxml
    # A loop bent out of its plane (old exporters write roofs and walls that
    # way) cut along diagonals into pieces that are each planar within a
    # tolerance, as a modeller triangulates such a surface.  Each cut is the
    # diagonal inside the loop whose two pieces lie closest to their own
    # planes; pieces are cut again until they are flat enough.
    module PlanarPieces
      module_function

      # points: a simple loop in space; answers loops of the same points.
      def split(points, tolerance)
        return [points] if points.length <= 3 || bend(points) <= tolerance
        cut = best_cut(points) or return [points]
        cut.flat_map { |piece| split(piece, tolerance) }
      end

      # How far the loop's worst corner lies off its best plane.
      def bend(points)
        normal = PlaneGeometry.loop_normal(points) or return 0.0
        centre = PlaneGeometry.centroid(points)
        points.map { |p| PlaneGeometry.dot(PlaneGeometry.sub(p, centre), normal).abs }.max
      end

      def best_cut(points)
        n = points.length
        normal = PlaneGeometry.loop_normal(points) or return nil
        frame = PlaneGeometry::Plane.new(PlaneGeometry.centroid(points), normal)
        flat = points.map { |p| frame.flat(p) }
        best = nil
        (0...n).each do |i|
          ((i + 2)...n).each do |j|
            next if i.zero? && j == n - 1
            next unless diagonal_inside?(flat, i, j)
            a = points[i..j]
            b = points[j..] + points[0..i]
            score = [bend(a), bend(b)].max
            best = [score, [a, b]] if best.nil? || score < best[0]
          end
        end
        best&.last
      end

      # The diagonal from corner i to corner j runs inside the loop: it
      # crosses no edge and its middle lies inside.
      def diagonal_inside?(flat, i, j)
        a = flat[i]
        b = flat[j]
        crosses = FlatPolygon.edges(flat).each_with_index.any? do |(c, d), k|
          next false if [k, (k + 1) % flat.length].intersect?([i, j])
          FlatPolygon.crossing?(a, b, c, d)
        end
        middle = [(a[0] + b[0]) / 2.0, (a[1] + b[1]) / 2.0]
        !crosses && FlatPolygon.strictly_inside?(middle, flat)
      end
    end
  end
end

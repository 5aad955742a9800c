module QORPlugin
  # Whether loops drawn on one face cover the same ground: two holes over
  # one part of a wall would each become an opening in the export.  Points
  # are compared in the face's plane; closer than the tolerance counts as
  # touching, which is allowed.
  module HoleOverlaps
    module_function

    # [i, j, :repeats or :overlaps] for the first pair of holes (i < j)
    # whose insides meet, or nil.  Holes are sorted by their left edge so
    # only holes whose spans meet are compared.
    def first_pair(outer, holes, tol)
      return nil if holes.length < 2
      u, v = plane_axes(outer)
      flat = holes.map { |h| h.map { |p| [p.to_a[u], p.to_a[v]] } }
      spans = flat.map { |h| h.map(&:first).minmax }
      order = flat.each_index.sort_by { |k| spans[k][0] }
      order.each_with_index do |a, n|
        order[(n + 1)..].each do |b|
          break if spans[b][0] > spans[a][1] + tol
          i, j = [a, b].minmax
          return [i, j, :repeats] if same?(holes[i], holes[j], tol)
          return [i, j, :overlaps] if insides_meet?(flat[i], flat[j], tol)
        end
      end
      nil
    end

    # The same corners, in any order (3-D points).
    def same?(a, b, tol)
      a.all? { |p| b.any? { |q| p.distance(q) < tol } } && b.all? { |q| a.any? { |p| p.distance(q) < tol } }
    end

    # The two coordinates that keep the plane widest: drop the axis its
    # normal (Newell's) points along most.
    def plane_axes(points)
      n = [0.0, 0.0, 0.0]
      points.each_with_index do |p, k|
        a = p.to_a
        b = points[(k + 1) % points.length].to_a
        n[0] += (a[1] - b[1]) * (a[2] + b[2])
        n[1] += (a[2] - b[2]) * (a[0] + b[0])
        n[2] += (a[0] - b[0]) * (a[1] + b[1])
      end
      drop = n.map(&:abs).each_with_index.max.last
      [0, 1, 2] - [drop]
    end

    # Edges that cross, or a corner or an edge's midpoint of one loop
    # strictly inside the other.
    def insides_meet?(a, b, tol)
      return true if crossing?(a, b, tol)
      probes = ->(loop) { loop + edges(loop).map { |p, q| [(p[0] + q[0]) / 2.0, (p[1] + q[1]) / 2.0] } }
      probes.call(a).any? { |p| inside?(p, b, tol) } || probes.call(b).any? { |p| inside?(p, a, tol) }
    end

    def edges(loop) = loop.each_with_index.map { |p, k| [p, loop[(k + 1) % loop.length]] }

    def crossing?(a, b, tol)
      edges(a).any? do |p1, p2|
        edges(b).any? do |q1, q2|
          side(q1, q2, p1, tol) * side(q1, q2, p2, tol) == -1 && side(p1, p2, q1, tol) * side(p1, p2, q2, tol) == -1
        end
      end
    end

    # -1, 0 or 1: which side of the line a-b the point lies, 0 within tol.
    def side(a, b, p, tol)
      dx = b[0] - a[0]
      dy = b[1] - a[1]
      length = Math.hypot(dx, dy)
      return 0 if length < tol
      d = (dx * (p[1] - a[1]) - dy * (p[0] - a[0])) / length
      d.abs <= tol ? 0 : (d <=> 0)
    end

    # Inside by the even-odd rule and further than tol from every edge.
    def inside?(p, loop, tol)
      inside = false
      edges(loop).each do |a, b|
        return false if segment_distance(p, a, b) <= tol
        next if (a[1] > p[1]) == (b[1] > p[1])
        x = a[0] + (p[1] - a[1]) * (b[0] - a[0]) / (b[1] - a[1])
        inside = !inside if p[0] < x
      end
      inside
    end

    def segment_distance(p, a, b)
      dx = b[0] - a[0]
      dy = b[1] - a[1]
      len2 = dx * dx + dy * dy
      t = len2.zero? ? 0.0 : ((p[0] - a[0]) * dx + (p[1] - a[1]) * dy) / len2
      t = t.clamp(0.0, 1.0)
      Math.hypot(p[0] - (a[0] + t * dx), p[1] - (a[1] + t * dy))
    end
  end
end

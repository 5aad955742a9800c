require_relative 'loop_math'

module QORPlugin
  module Gbxml
    # Where two loops on one plane overlap, and what is left of one beyond
    # others: the loops are cut into convex parts (a loop that is convex
    # already stays whole) and the parts clipped edge by edge.  Loops are
    # [x, y, z] points in metres turning anticlockwise round the normal
    # given; so are the pieces answered.
    module PlaneClip
      TOL = PlaneGeometry::POINT_TOLERANCE
      # A piece with less area than this (square metres) is no piece.
      MIN_AREA = 1e-6
      # A loop with more corners than this is not cut into convex parts
      # (the cutting grows with the cube of the corners): it is clipped
      # whole, which is right where it is convex, and what comes of it is
      # left to the checks.
      MAX_CUT = 48

      module_function

      # The pieces of a that b covers too.
      def intersection(a, b, normal)
        on_plane(a, normal) do |flat|
          merge(convex_parts(flat.(a)).product(convex_parts(flat.(b))).flat_map do |p, q|
            kept(q.each_index.reduce(p) { |r, i| half(r, q[i - 1], q[i]) })
          end)
        end
      end

      # The pieces of a that none of others covers.
      def difference(a, others, normal)
        on_plane(a, normal) do |flat|
          merge(others.flat_map { |b| convex_parts(flat.(b)) }.reduce(convex_parts(flat.(a))) do |pieces, q|
            pieces.flat_map { |p| minus(p, q) }
          end)
        end
      end

      # The area two loops share.
      def shared_area(a, b, normal) = intersection(a, b, normal).sum { |p| PlaneGeometry.area(p) }

      # Runs the block with a flattener onto the plane of `a`; turns the 2-D
      # pieces it answers back into points on that plane.
      def on_plane(a, normal)
        u, v = LoopMath.frame(normal)
        h = PlaneGeometry.dot(normal, a.first)
        pieces = yield ->(loop) { LoopMath.flat(loop, [u, v]) }
        pieces.map do |piece|
          piece.map { |x, y| PlaneGeometry.add(PlaneGeometry.add(PlaneGeometry.scale(u, x), PlaneGeometry.scale(v, y)), PlaneGeometry.scale(normal, h)) }
        end
      end

      # Convex p less convex q: beyond each edge of q in turn, what of p is
      # still inside the edges before it.
      def minus(p, q)
        out = []
        rest = p
        q.each_index do |i|
          a = q[i - 1]
          b = q[i]
          out.concat(kept(half(rest, b, a)))
          rest = half(rest, a, b)
          break if rest.length < 3
        end
        out
      end

      # The part of the loop left of the line from a to b (Sutherland and
      # Hodgman's step).
      def half(loop, a, b)
        return [] if loop.length < 3
        side = ->(p) { FlatPolygon.orient(a, b, p) / Math.hypot(b[0] - a[0], b[1] - a[1]) }
        out = []
        loop.each_index do |i|
          p = loop[i - 1]
          q = loop[i]
          sp = side.(p)
          sq = side.(q)
          out << cut(p, q, sp, sq) if (sp >= -TOL / 10) != (sq >= -TOL / 10) && (sp - sq).abs > 1e-12
          out << q if sq >= -TOL / 10
        end
        out
      end

      def cut(p, q, sp, sq)
        t = sp / (sp - sq)
        [p[0] + (q[0] - p[0]) * t, p[1] + (q[1] - p[1]) * t]
      end

      # The loop without repeated corners and corners on a straight line,
      # as a list of none or one piece; a sliver no wider than the
      # tolerance (where two edges cross at a shallow angle) is no piece.
      def kept(loop)
        pts = clean(loop)
        return [] if pts.length < 3
        return [] unless FlatPolygon.signed_area(pts) > MIN_AREA
        # How far the loop reaches from the line of its longest edge.
        i = pts.each_index.max_by { |k| Math.hypot(pts[k][0] - pts[k - 1][0], pts[k][1] - pts[k - 1][1]) }
        a = pts[i - 1]
        b = pts[i]
        length = Math.hypot(b[0] - a[0], b[1] - a[1])
        pts.map { |p| FlatPolygon.orient(a, b, p).abs / length }.max > TOL ? [pts] : []
      end

      def clean(loop)
        pts = loop.dup
        changed = true
        while changed && pts.length >= 3
          changed = false
          pts.each_index do |i|
            a = pts[i - 1]
            b = pts[i]
            c = pts[(i + 1) % pts.length]
            next unless Math.hypot(b[0] - a[0], b[1] - a[1]) <= TOL / 10 || FlatPolygon.segment_distance(b, a, c) <= TOL / 10
            pts.delete_at(i)
            changed = true
            break
          end
        end
        pts
      end

      def convex?(loop)
        loop.each_index.all? { |i| FlatPolygon.orient(loop[i - 2], loop[i - 1], loop[i]) >= -1e-9 }
      end

      # A simple loop as convex parts: its ears, joined again across each
      # cut while the two sides together stay convex.
      def convex_parts(loop)
        loop = clean(loop)
        loop = loop.reverse if FlatPolygon.signed_area(loop).negative?
        return [loop] if loop.length < 4 || loop.length > MAX_CUT || convex?(loop)
        merge(ears(loop))
      end

      # Parts that share an edge joined while the two together stay convex.
      def merge(parts)
        parts = parts.dup
        merged = true
        while merged
          merged = false
          parts.each_index do |i|
            (i + 1...parts.length).each do |j|
              joined = join(parts[i], parts[j])
              next unless joined && convex?(joined = clean(joined))
              parts[i] = joined
              parts.delete_at(j)
              merged = true
              break
            end
            break if merged
          end
        end
        parts
      end

      def near?(p, q) = Math.hypot(p[0] - q[0], p[1] - q[1]) <= TOL / 10

      # Ear clipping: triangles of a simple anticlockwise loop.
      def ears(loop)
        pts = loop.dup
        out = []
        while pts.length > 3
          i = pts.each_index.find do |k|
            a, b, c = pts[k - 1], pts[k], pts[(k + 1) % pts.length]
            FlatPolygon.orient(a, b, c) > 1e-12 &&
              pts.none? { |p| !p.equal?(a) && !p.equal?(b) && !p.equal?(c) && inside_triangle?(p, a, b, c) }
          end
          return out << pts if i.nil?
          out << [pts[i - 1], pts[i], pts[(i + 1) % pts.length]]
          pts.delete_at(i)
        end
        out << pts
      end

      def inside_triangle?(p, a, b, c)
        [[a, b], [b, c], [c, a]].all? { |u, v| FlatPolygon.orient(u, v, p) >= -1e-12 }
      end

      # Two parts that share an edge (one runs it each way) as one loop.
      def join(p, q)
        p.each_index do |i|
          a = p[i]
          b = p[(i + 1) % p.length]
          j = q.index { |x| near?(x, b) }
          next unless j && near?(q[(j + 1) % q.length], a)
          tail = p.rotate(i + 1) # starts at b, ends at a
          rest = q.rotate(j + 1) # starts at a, ends at b
          return tail + rest[1...-1]
        end
        nil
      end
    end
  end
end

module Sketchup
  # The model's drawing elements (faces, edges, texts) in creation order.
  # Vertices are shared by position (within 0.001 inch) and edges by their
  # two vertices, so touching faces hold the same Vertex and Edge objects.
  # Not modelled: splitting an edge where a new vertex lands on it, and
  # automatic holes when a face is drawn inside another.
  class Entities
    include Enumerable
    H = Headless

    attr_reader :model

    def initialize(model)
      @model = model
      @list = []
      @vertices = Headless::VertexGrid.new
    end

    def parent = @model

    def each(&block)
      return to_enum(:each) unless block
      @list.dup.each(&block)
      self
    end

    def to_a = @list.dup
    def [](index) = @list[index]
    def length = @list.length
    alias size length
    alias count length
    def empty? = @list.empty?

    # Points as separate arguments or one array; vertices and edges (in
    # loop order) are accepted too. nil for fewer than three distinct
    # points, collinear or non-planar points, or a loop touching itself.
    # Drawing the same outline again answers the existing face.
    def add_face(*args)
      pts = face_points(args)
      return nil unless pts && valid_polygon?(pts)
      add_valid_face(pts)
    end

    # Hole helper: a face with the outer outline and one inner loop per
    # hole. Holes must be coplanar with the outline and lie within it; each
    # inner loop is stored running opposite to the face normal. The hole
    # areas get no face of their own (call add_face with the hole points for
    # that; it will share the hole's vertices and edges). nil when the
    # outline or any hole is unusable.
    def add_face_with_holes(outer_points, holes)
      outer = face_points([outer_points])
      return nil unless outer && valid_polygon?(outer)
      plane = Geom.fit_plane_to_points(outer)
      hole_pts = holes.map { |h| face_points([h]) }
      return nil unless hole_pts.all? do |h|
        h && valid_polygon?(h) &&
          h.all? { |p| Geom::Point3d.new(p).on_plane?(plane) } &&
          hole_inside?(h, outer, plane)
      end

      face = add_valid_face(outer)
      return nil unless face
      n = face.normal_xyz
      hole_pts.each do |h|
        h = [h[0]] + h[1..].reverse if H.dot(H.newell(h), n) > 0.0
        verts = h.map { |p| vertex_at(p) }
        edges = verts.each_index.map { |i| edge_between(verts[i], verts[(i + 1) % verts.size]) }
        face.add_loop_internal(Loop.new(@model, face, verts, edges, false))
        edges.each { |e| e.attach_face(face) }
      end
      face
    end

    # One edge per consecutive pair of points; zero-length pairs are skipped.
    def add_edges(*args)
      pts = flatten_points(args).map { |p| H.xyz(p) }
      edges = []
      pts.each_cons(2) do |a, b|
        next if H.dist(a, b) < H::TOL
        edges << edge_between(vertex_at(a), vertex_at(b))
      end
      edges
    end

    def add_line(point1, point2)
      add_edges(point1, point2).first
    end

    def add_text(text, point, vector = nil)
      t = Text.new(@model, text, point, vector)
      will_change!
      @list << t
      t
    end

    # Erasing an edge erases the faces bounded by it; a vertex goes when its
    # last edge goes. Erasing a face leaves its edges and vertices.
    def erase_entities(*entities)
      entities.flatten.each do |e|
        next unless e.is_a?(Entity) && e.valid?
        case e
        when Face then erase_face(e)
        when Edge then erase_edge(e)
        else
          will_change!
          @list.delete(e)
          e.erase_internal if e.respond_to?(:erase_internal)
        end
      end
      nil
    end

    def clear!
      erase_entities(@list.dup)
      true
    end

    private

    # The face of points already cleaned and found a valid polygon.
    def add_valid_face(pts)
      verts = pts.map { |p| vertex_at(p) }
      return nil if verts.uniq.size != verts.size
      existing = verts.first.faces.find do |f|
        ov = f.outer_loop.vertices
        f.loops.size == 1 && ov.size == verts.size && (ov - verts).empty?
      end
      return existing if existing
      edges = verts.each_index.map { |i| edge_between(verts[i], verts[(i + 1) % verts.size]) }
      face = Face.new(@model, verts, edges)
      edges.each { |e| e.attach_face(face) }
      will_change!
      @list << face
      face
    end

    def will_change! = @model.will_change(self)

    def flatten_points(args)
      args = args.first if args.size == 1 && args.first.is_a?(Array) && !args.first.first.is_a?(Numeric)
      args
    end

    def face_points(args)
      items = flatten_points(args)
      items = edge_chain(items) if !items.empty? && items.all? { |i| i.is_a?(Edge) }
      return nil unless items
      pts = []
      items.each do |i|
        p = H.xyz(i)
        pts << p unless pts.last && H.dist(pts.last, p) < H::TOL
      end
      pts.pop while pts.size > 1 && H.dist(pts.first, pts.last) < H::TOL
      pts
    end

    # Vertices in order along edges given in loop order.
    def edge_chain(edges)
      return nil if edges.size < 3
      first, second = edges[0], edges[1]
      cur = second.used_by?(first.end) ? first.end : first.start
      chain = [first.other_vertex(cur), cur]
      edges[1..].each do |e|
        nxt = e.other_vertex(cur)
        return nil unless nxt
        chain << nxt
        cur = nxt
      end
      chain.pop if chain.last.equal?(chain.first)
      chain
    end

    # Are two of the points closer than the tolerance?  Swept in order of x,
    # so that a long outline costs about n log n, not n squared: two points
    # that close are that close in x.
    def coincident_points?(pts)
      if pts.any? { |p| p.any? { |c| c.to_f.nan? } }
        return pts.each_with_index.any? { |a, i| pts[(i + 1)..].any? { |b| H.dist(a, b) < H::TOL } }
      end
      sorted = pts.sort_by { |p| p[0] }
      sorted.each_with_index.any? do |a, i|
        j = i + 1
        found = false
        while !found && j < sorted.size && sorted[j][0] - a[0] < H::TOL
          found = H.dist(a, sorted[j]) < H::TOL
          j += 1
        end
        found
      end
    end

    # The sums run in the same order as the vector helpers', so a polygon
    # is judged to the last bit as they would judge it.
    def valid_polygon?(pts)
      return false if pts.size < 3
      return false if coincident_points?(pts)
      return false if collinear?(pts)
      n = H.unit(H.newell(pts))
      return false if H.len(n).zero?
      c = H.scale(sum_of(pts), 1.0 / pts.size)
      nx, ny, nz = n
      cx, cy, cz = c
      pts.all? { |p| (nx * (p[0] - cx) + ny * (p[1] - cy) + nz * (p[2] - cz)).abs < H::TOL }
    end

    # All within the tolerance of the line from the first point to the one
    # furthest from it.  Spelled out in numbers, in the order of the vector
    # helpers' own arithmetic: this runs for every face drawn.
    def collinear?(pts)
      fx, fy, fz = pts[0]
      far = pts.max_by do |p|
        x = p[0] - fx
        y = p[1] - fy
        z = p[2] - fz
        Math.sqrt(x * x + y * y + z * z)
      end
      dx, dy, dz = H.unit(H.sub(far, pts[0]))
      pts.all? do |p|
        x = p[0] - fx
        y = p[1] - fy
        z = p[2] - fz
        cx = y * dz - z * dy
        cy = z * dx - x * dz
        cz = x * dy - y * dx
        Math.sqrt(cx * cx + cy * cy + cz * cz) < H::TOL
      end
    end

    # The points' sum, added up first to last.
    def sum_of(pts)
      x, y, z = pts[0]
      i = 1
      while i < pts.size
        p = pts[i]
        x += p[0]
        y += p[1]
        z += p[2]
        i += 1
      end
      [x, y, z]
    end

    def hole_inside?(hole, outer, plane)
      n = plane[0, 3].map(&:abs)
      drop = n.index(n.max)
      kept = [0, 1, 2] - [drop]
      flat = ->(q) { [q[kept[0]], q[kept[1]], 0.0] }
      ring = outer.map(&flat)
      hole.all? { |p| Geom.point_in_polygon_2D(flat.(p), ring, false) }
    end

    # point: an [x, y, z] of Floats, as face_points and add_edges make them.
    def vertex_at(p)
      found = @vertices.first_near(p)
      return found if found
      v = Vertex.new(@model, p)
      will_change!
      @vertices << v
      v
    end

    # The existing edge keeps its original direction.
    def edge_between(a, b)
      existing = a.common_edge(b)
      return existing if existing
      e = Edge.new(@model, a, b)
      a.attach_edge(e)
      b.attach_edge(e)
      will_change!
      @list << e
      e
    end

    def erase_face(face)
      face.edges.each { |e| e.detach_face(face) }
      will_change!
      @list.delete(face)
      face.erase_internal
    end

    def erase_edge(edge)
      edge.faces.each { |f| erase_face(f) if f.valid? }
      will_change!
      edge.vertices.each do |v|
        v.detach_edge(edge)
        next unless v.orphan?
        @vertices.delete(v)
        v.erase_internal
      end
      @list.delete(edge)
      edge.erase_internal
    end
  end

  module Headless
    # The model's vertices by position: buckets of one inch, so that finding
    # the vertex at a point looks at a few buckets instead of every vertex.
    # Among vertices within the tolerance, the earliest drawn is found, as a
    # search of the whole list in drawing order would find it.
    class VertexGrid
      CELL = 1.0

      def initialize
        @cells = {}
        @serial = {}.compare_by_identity
        @drawn = 0
      end

      def <<(vertex)
        @serial[vertex] = (@drawn += 1)
        (@cells[key(vertex.xyz)] ||= []) << vertex
        self
      end

      def delete(vertex)
        return unless @serial.delete(vertex)
        @cells[key(vertex.xyz)]&.delete(vertex)
      end

      # A copy that later additions and deletions leave alone, for an
      # operation to roll back to.
      def checkpoint_copy
        copy = dup
        copy.instance_variable_set(:@cells, @cells.transform_values(&:dup))
        copy.instance_variable_set(:@serial, @serial.dup)
        copy
      end

      def first_near(p)
        found = nil
        x, y, z = p
        i = ((x - TOL) / CELL).floor
        while i <= ((x + TOL) / CELL).floor
          j = ((y - TOL) / CELL).floor
          while j <= ((y + TOL) / CELL).floor
            k = ((z - TOL) / CELL).floor
            while k <= ((z + TOL) / CELL).floor
              @cells[pack(i, j, k)]&.each do |v|
                next unless Headless.dist(v.xyz, p) < TOL
                found = v if found.nil? || @serial[v] < @serial[found]
              end
              k += 1
            end
            j += 1
          end
          i += 1
        end
        found
      end

      private

      def key(xyz) = pack((xyz[0] / CELL).floor, (xyz[1] / CELL).floor, (xyz[2] / CELL).floor)

      # A cell's three indices in one Integer; far cells that share a key
      # only add candidates, which the distance test then turns away.
      def pack(i, j, k) = (i << 42) ^ (j << 21) ^ k
    end
  end
end

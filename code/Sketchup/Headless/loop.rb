module Sketchup
  # One boundary of a face. vertices[i] and vertices[i + 1] are the ends of
  # edges[i] (wrapping round), in loop order; an edge's own start/end may run
  # the other way.
  class Loop < Entity
    H = Headless

    def initialize(model, face, vertices, edges, outer)
      super(model)
      @face = face
      @vertices = vertices
      @edges = edges
      @outer = outer
    end

    def face
      check_valid!
      @face
    end

    def vertices
      check_valid!
      @vertices.dup
    end

    def edges
      check_valid!
      @edges.dup
    end

    def outer?
      check_valid!
      @outer
    end

    def count
      check_valid!
      @edges.size
    end

    # True when every turn goes the same way round the face normal.
    def convex?
      check_valid!
      n = H.xyz(@face.normal)
      pts = @vertices.map(&:xyz)
      signs = pts.each_index.map do |i|
        a = pts[i - 1]
        b = pts[i]
        c = pts[(i + 1) % pts.size]
        H.dot(H.cross(H.sub(b, a), H.sub(c, b)), n)
      end
      signs.all? { |s| s >= -1.0e-12 } || signs.all? { |s| s <= 1.0e-12 }
    end

    # Internal: the corners' coordinates, frozen.  Vertices never move, so
    # the list is made once and dropped only when the loop is reversed.
    def points_xyz = (@points_xyz ||= @vertices.map(&:xyz).freeze)

    def reverse_internal
      will_change!
      @points_xyz = nil
      @vertices = [@vertices[0]] + @vertices[1..].reverse
      @edges = @edges.reverse
    end

    def erase_internal = mark_deleted
  end
end

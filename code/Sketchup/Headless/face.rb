module Sketchup
  # A planar polygon with one outer loop and any number of inner loops
  # (holes). Its normal follows the outer loop's vertex order by the
  # right-hand rule; it is never flipped behind the caller's back.
  class Face < Drawingelement
    H = Headless

    PointUnknown = 0
    PointInside = 1
    PointOnVertex = 2
    PointOnEdge = 4
    PointOutside = 16
    PointNotOnPlane = 32

    def initialize(model, outer_vertices, outer_edges)
      super(model)
      @loops = [Loop.new(model, self, outer_vertices, outer_edges, true)]
      @back_material = nil
    end

    def outer_loop
      check_valid!
      @loops.first
    end

    # Outer loop first, then holes in the order they were made.
    def loops
      check_valid!
      @loops.dup
    end

    def vertices
      check_valid!
      @loops.flat_map(&:vertices)
    end

    def edges
      check_valid!
      @loops.flat_map(&:edges)
    end

    def normal
      check_valid!
      Geom::Vector3d.new(normal_xyz)
    end

    # [a, b, c, d] with (a, b, c) the unit normal: a*x + b*y + c*z + d = 0.
    def plane
      check_valid!
      (@plane ||= plane_of_outline.freeze).dup
    end

    # Square inches, holes subtracted.
    def area
      check_valid!
      @area ||= begin
        outer = H.len(H.newell(@loops.first.points_xyz)) / 2.0
        @loops.drop(1).reduce(outer) { |a, l| a - H.len(H.newell(l.points_xyz)) / 2.0 }
      end
    end

    def bounds
      check_valid!
      Geom::BoundingBox.new.add(@loops.first.points_xyz)
    end

    def back_material
      check_valid!
      @back_material
    end

    def back_material=(value)
      check_valid!
      will_change!
      @back_material = @model.materials.resolve(value)
    end

    # Flips the normal by reversing every loop; edges keep their direction.
    def reverse!
      check_valid!
      will_change!
      @normal_xyz = @plane = nil
      @loops.each(&:reverse_internal)
      self
    end

    def classify_point(point)
      check_valid!
      p = H.xyz(point)
      n, d = H.plane(plane)
      return PointNotOnPlane if (H.dot(n, p) + d).abs >= H::TOL
      return PointOnVertex if vertices.any? { |v| H.dist(v.xyz, p) < H::TOL }
      @loops.each do |l|
        pts = l.points_xyz
        pts.each_index do |i|
          return PointOnEdge if H.dist_to_segment(p, pts[i], pts[(i + 1) % pts.size]) < H::TOL
        end
      end
      flat = ->(q) { flatten(q, n) }
      return PointOutside unless H.inside_2d?(flat.(p), @loops.first.points_xyz.map(&flat))
      return PointOutside if @loops.drop(1).any? { |l| H.inside_2d?(flat.(p), l.points_xyz.map(&flat)) }
      PointInside
    end

    # Internal: called by Entities when it adds a hole.
    def add_loop_internal(loop)
      will_change!
      @area = nil
      @loops << loop
    end

    def erase_internal
      @loops.each(&:erase_internal)
      mark_deleted
    end

    # Internal: the unit normal, frozen; kept until the face is reversed.
    def normal_xyz
      @normal_xyz ||= H.unit(H.newell(@loops.first.points_xyz)).freeze
    end

    private

    def plane_of_outline
      n = normal_xyz
      pts = @loops.first.points_xyz
      c = H.scale(pts.reduce { |s, p| H.add(s, p) }, 1.0 / pts.size)
      [n[0], n[1], n[2], -H.dot(n, c) + 0.0]
    end

    # Drops the coordinate along the normal's largest component, keeping
    # the in-plane orientation irrelevant to an even-odd test.
    def flatten(q, n)
      ax = n.map(&:abs)
      drop = ax.index(ax.max)
      kept = [0, 1, 2] - [drop]
      [q[kept[0]], q[kept[1]], 0.0]
    end
  end
end

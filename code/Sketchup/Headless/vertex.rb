module Sketchup
  # A shared corner. Touching faces and edges hold the very same Vertex.
  class Vertex < Entity
    H = Headless

    def initialize(model, xyz)
      super(model)
      @xyz = xyz.dup.freeze
      @edges = []
    end

    # Internal: coordinates as a frozen triple.
    attr_reader :xyz

    def position
      check_valid!
      Geom::Point3d.new(@xyz)
    end

    def edges
      check_valid!
      @edges.dup
    end

    def faces
      check_valid!
      @edges.flat_map(&:faces).uniq
    end

    def loops
      check_valid!
      faces.flat_map { |f| f.loops.select { |l| l.vertices.include?(self) } }
    end

    def used_by?(entity)
      check_valid!
      case entity
      when Edge then @edges.include?(entity)
      when Face then faces.include?(entity)
      else false
      end
    end

    def common_edge(vertex)
      check_valid!
      @edges.find { |e| e.other_vertex(self).equal?(vertex) }
    end

    # Internal bookkeeping, called by Entities.
    def attach_edge(edge)
      will_change!
      @edges << edge unless @edges.include?(edge)
    end

    def detach_edge(edge)
      will_change!
      @edges.delete(edge)
    end
    def orphan? = @edges.empty?
    def erase_internal = mark_deleted
  end
end

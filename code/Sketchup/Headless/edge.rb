module Sketchup
  # A straight segment between two vertices. Its direction (start -> end) is
  # fixed when it is first made; faces that reuse it later may run it the
  # other way round in their loops.
  class Edge < Drawingelement
    H = Headless

    def initialize(model, start_vertex, end_vertex)
      super(model)
      @start = start_vertex
      @end = end_vertex
      @faces = []
      @soft = false
      @smooth = false
    end

    def start
      check_valid!
      @start
    end

    def end
      check_valid!
      @end
    end

    def vertices
      check_valid!
      [@start, @end]
    end

    def faces
      check_valid!
      @faces.dup
    end

    # [start point, unit vector towards end].
    def line
      check_valid!
      [@start.position, Geom::Vector3d.new(H.unit(H.sub(@end.xyz, @start.xyz)))]
    end

    def length
      check_valid!
      H.dist(@start.xyz, @end.xyz)
    end

    def bounds
      check_valid!
      Geom::BoundingBox.new.add(@start.xyz, @end.xyz)
    end

    def other_vertex(vertex)
      check_valid!
      return @end if vertex.equal?(@start)
      return @start if vertex.equal?(@end)
      nil
    end

    def used_by?(entity)
      check_valid!
      case entity
      when Vertex then entity.equal?(@start) || entity.equal?(@end)
      when Face then @faces.include?(entity)
      else false
      end
    end

    # True when the face's loop runs this edge from end to start; nil when
    # the face does not use the edge.
    def reversed_in?(face)
      check_valid!
      face.loops.each do |loop|
        i = loop.edges.index(self)
        next unless i
        return !loop.vertices[i].equal?(@start)
      end
      nil
    end

    def common_face(edge)
      check_valid!
      (@faces & edge.faces).first
    end

    def soft?
      check_valid!
      @soft
    end

    def soft=(flag)
      check_valid!
      will_change!
      @soft = flag ? true : false
    end

    def smooth?
      check_valid!
      @smooth
    end

    def smooth=(flag)
      check_valid!
      will_change!
      @smooth = flag ? true : false
    end

    # Internal bookkeeping, called by Entities.
    def attach_face(face)
      will_change!
      @faces << face unless @faces.include?(face)
    end

    def detach_face(face)
      will_change!
      @faces.delete(face)
    end
    def erase_internal = mark_deleted
  end
end

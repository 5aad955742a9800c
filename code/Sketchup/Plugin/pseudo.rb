# The extension's stand-ins for model objects it constructs itself: it calls
# `new` with the arguments below and sets further instance variables.
module QORTA
  # A face that exists only in the export: its outline is @vertexPoints.
  class QORTA_PseudoFace
    attr_reader :vertexPoints

    def initialize(points)
      @vertexPoints = points.map { |p| p.respond_to?(:position) ? p.position : p }
      @material = nil
      @back_material = nil
      @plane = nil
    end

    def outer_loop
      nil
    end

    # Never erased: it lives only in the export (the face writer asks).
    def valid?
      true
    end

    def plane
      @plane
    end

    attr_accessor :material, :back_material
  end

  class QORTA_PseudoVertex
    def initialize(point)
      @position = point
    end

    def position
      @position
    end
  end

  # A material reference with its own alpha, detached from the model.
  class QORTA_PseudoMaterial
    attr_reader :material

    def initialize(material, alpha)
      @material = material
      @alpha = alpha
    end

    def name
      @material.respond_to?(:name) ? @material.name : @material.to_s
    end

    def alpha
      @alpha
    end
  end
end

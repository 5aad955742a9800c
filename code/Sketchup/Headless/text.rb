module Sketchup
  # A text label at a point, such as a room name.
  class Text < Drawingelement
    def initialize(model, text, point, vector = nil)
      super(model)
      @text = text.to_s
      @point = Geom::Point3d.new(point)
      @vector = vector && Geom::Vector3d.new(vector)
    end

    def text
      check_valid!
      @text
    end

    def text=(value)
      check_valid!
      will_change!
      @text = value.to_s
    end

    def point
      check_valid!
      @point.clone
    end

    def point=(value)
      check_valid!
      will_change!
      @point = Geom::Point3d.new(value)
    end

    def vector
      check_valid!
      @vector&.clone
    end

    def vector=(value)
      check_valid!
      will_change!
      @vector = value && Geom::Vector3d.new(value)
    end

    def bounds
      check_valid!
      Geom::BoundingBox.new.add(@point)
    end

    def erase_internal = mark_deleted
  end
end

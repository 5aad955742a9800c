module Sketchup
  # Base of everything that lives in a model. After erase! an entity keeps
  # answering valid?/deleted?/entityID/typename, and every other call raises
  # TypeError "reference to deleted <Type>", as in the modeller.
  class Entity
    include AttributeHost

    attr_reader :entityID

    def initialize(model)
      @model = model
      @entityID = model.next_entity_id
      @deleted = false
      @observers = []
      model.made(self)
    end

    def model
      check_valid!
      @model
    end

    def parent
      check_valid!
      @model
    end

    def typename
      self.class.name.split('::').last
    end

    def valid?
      !@deleted
    end

    def deleted?
      @deleted
    end

    def persistent_id
      check_valid!
      @entityID
    end

    def add_observer(observer)
      check_valid!
      will_change!
      @observers << observer unless @observers.include?(observer)
      true
    end

    def remove_observer(observer)
      check_valid!
      will_change!
      !@observers.delete(observer).nil?
    end

    # Observers registered so far (not in the modeller's API).
    def observers
      @observers.dup
    end

    def inspect
      state = @deleted ? ' deleted' : ''
      "#<#{self.class.name}:#{format('0x%x', object_id)} id=#{@entityID}#{state}>"
    end

    alias to_s inspect

    private

    def will_change! = @model.will_change(self)

    def check_valid!
      raise TypeError, "reference to deleted #{typename}" if @deleted
    end

    # Marks deleted and tells observers, like the modeller's onEraseEntity.
    def mark_deleted
      return if @deleted
      will_change!
      @deleted = true
      @observers.each { |o| o.onEraseEntity(self) if o.respond_to?(:onEraseEntity) }
    end
  end

  # Entities that can be drawn: bounds, material, visibility.
  class Drawingelement < Entity
    def initialize(model)
      super
      @material = nil
      @hidden = false
    end

    def material
      check_valid!
      @material
    end

    def material=(value)
      check_valid!
      will_change!
      @material = @model.materials.resolve(value)
    end

    def hidden?
      check_valid!
      @hidden
    end

    def hidden=(flag)
      check_valid!
      will_change!
      @hidden = flag ? true : false
    end

    def visible?
      !hidden?
    end

    def visible=(flag)
      self.hidden = !flag
    end

    def erase!
      check_valid!
      @model.entities.erase_entities(self)
      nil
    end
  end
end

module Sketchup
  # Named key/value store attached to an entity or model. Keys keep their
  # insertion order. Any Ruby object is accepted as a value (the modeller
  # only persists simple ones, but nothing is saved here).
  class AttributeDictionary
    include Enumerable

    attr_reader :name

    # model: the model whose operations undo changes here (nil: none).
    def initialize(name, model = nil)
      @name = name.to_s
      @data = {}
      @model = model
    end

    def [](key)
      @data[key.to_s]
    end

    def []=(key, value)
      @model&.will_change(self)
      @data[key.to_s] = value
    end

    def delete_key(key)
      @model&.will_change(self)
      @data.delete(key.to_s)
    end

    def each(&block)
      return to_enum(:each) unless block
      @data.each_pair { |k, v| yield k, v }
      self
    end

    alias each_pair each

    def each_key(&block)
      @data.each_key(&block)
    end

    def keys = @data.keys
    # Internal: whether the key is set, without listing the keys.
    def key_set?(key) = @data.key?(key.to_s)
    def values = @data.values
    def length = @data.length
    alias size length
    alias count length

    def to_h = @data.dup

    def inspect
      "#<#{self.class.name} #{@name.inspect} #{@data.inspect}>"
    end
  end

  # The collection of an entity's dictionaries, in creation order.
  class AttributeDictionaries
    include Enumerable

    def initialize(model = nil)
      @dicts = {}
      @model = model
    end

    def each(&block)
      return to_enum(:each) unless block
      @dicts.values.each(&block)
      self
    end

    # By name only.
    def [](name)
      @dicts[name.to_s]
    end

    def delete(name)
      name = name.name if name.is_a?(AttributeDictionary)
      @model&.will_change(self)
      @dicts.delete(name.to_s)
    end

    def length = @dicts.length
    alias size length
    alias count length

    def to_a = @dicts.values

    def empty? = @dicts.empty?

    # Internal: find or make.
    def fetch_or_create(name)
      return @dicts[name.to_s] if @dicts.key?(name.to_s)
      @model&.will_change(self)
      @dicts[name.to_s] = AttributeDictionary.new(name, @model)
    end
  end

  # Attribute methods shared by entities and the model.
  module AttributeHost
    # nil when there are none (or all were deleted).
    def attribute_dictionaries
      check_valid! if respond_to?(:check_valid!, true)
      @attribute_dictionaries.nil? || @attribute_dictionaries.empty? ? nil : @attribute_dictionaries
    end

    def attribute_dictionary(name, create = false)
      check_valid! if respond_to?(:check_valid!, true)
      dicts = @attribute_dictionaries
      found = dicts && dicts[name]
      return found if found || !create
      owner = is_a?(Model) ? self : @model
      unless @attribute_dictionaries
        owner.will_change(self)
        @attribute_dictionaries = AttributeDictionaries.new(owner)
      end
      @attribute_dictionaries.fetch_or_create(name)
    end

    def get_attribute(dict_name, key, default_value = nil)
      dict = attribute_dictionary(dict_name)
      return default_value unless dict&.key_set?(key)
      dict[key]
    end

    def set_attribute(dict_name, key, value)
      attribute_dictionary(dict_name, true)[key] = value
      value
    end

    # Without a key the whole dictionary goes. Answers whether anything was removed.
    def delete_attribute(dict_name, key = nil)
      dict = attribute_dictionary(dict_name)
      return false unless dict
      if key.nil?
        @attribute_dictionaries.delete(dict_name)
        return true
      end
      return false unless dict.key_set?(key)
      dict.delete_key(key)
      true
    end
  end
end

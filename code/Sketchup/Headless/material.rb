module Sketchup
  # RGBA colour, components 0..255.
  class Color
    NAMES = {
      'black' => [0, 0, 0], 'white' => [255, 255, 255], 'red' => [255, 0, 0],
      'green' => [0, 128, 0], 'lime' => [0, 255, 0], 'blue' => [0, 0, 255],
      'yellow' => [255, 255, 0], 'cyan' => [0, 255, 255], 'aqua' => [0, 255, 255],
      'magenta' => [255, 0, 255], 'fuchsia' => [255, 0, 255], 'gray' => [128, 128, 128],
      'grey' => [128, 128, 128], 'silver' => [192, 192, 192], 'maroon' => [128, 0, 0],
      'olive' => [128, 128, 0], 'purple' => [128, 0, 128], 'teal' => [0, 128, 128],
      'navy' => [0, 0, 128], 'orange' => [255, 165, 0], 'brown' => [165, 42, 42],
      'pink' => [255, 192, 203], 'lightgray' => [211, 211, 211], 'darkgray' => [169, 169, 169]
    }.freeze

    def self.names
      NAMES.keys
    end

    def self.known?(name)
      NAMES.key?(name.to_s.downcase)
    end

    attr_reader :red, :green, :blue, :alpha

    def initialize(*args)
      r, g, b, a =
        if args.size == 1 && args[0].is_a?(String)
          rgb = NAMES[args[0].downcase] or raise ArgumentError, "unknown colour name #{args[0].inspect}"
          rgb + [255]
        elsif args.size == 1 && args[0].is_a?(Color)
          args[0].to_a
        elsif args.size == 1 && args[0].is_a?(Array)
          args[0]
        elsif args.size == 1 && args[0].is_a?(Integer)
          v = args[0]
          [v & 0xff, (v >> 8) & 0xff, (v >> 16) & 0xff]
        elsif args.empty?
          [0, 0, 0]
        else
          args
        end
      @red, @green, @blue = [r, g, b].map { |c| c.to_i.clamp(0, 255) }
      @alpha = (a || 255).to_i.clamp(0, 255)
    end

    def to_a = [@red, @green, @blue, @alpha]

    def ==(other)
      other.is_a?(Color) && to_a == other.to_a
    end

    def to_s = "Color(#{to_a.join(', ')})"
    alias inspect to_s
  end

  class Material < Entity
    DEFAULT_RGB = [128, 128, 128].freeze

    attr_reader :color

    def initialize(model, name, color = nil)
      super(model)
      @name = name
      @display_name = nil
      @alpha = 1.0
      @color = color || Color.new(*DEFAULT_RGB)
    end

    def name
      check_valid!
      @name
    end

    def name=(n)
      check_valid!
      will_change!
      @name = n.to_s
    end

    def display_name
      check_valid!
      @display_name || @name.sub(/\A\[(.*)\]\z/, '\1')
    end

    def alpha
      check_valid!
      @alpha
    end

    def alpha=(value)
      check_valid!
      will_change!
      @alpha = value.to_f.clamp(0.0, 1.0)
    end

    def use_alpha?
      alpha < 1.0
    end

    def color=(value)
      check_valid!
      will_change!
      @color = Color.new(value)
    end

    def texture = nil
    def materialType = 0

    def to_s = @name
  end

  # The model's materials, unique by name, in creation order.
  class Materials < Entity
    include Enumerable

    def initialize(model)
      super(model)
      @list = []
      @current = nil
    end

    # A taken name gets a "#n" suffix, as the modeller does.
    def add(name)
      base = name.to_s
      unique = base
      n = 0
      unique = "#{base}##{n += 1}" while @list.any? { |m| m.name == unique }
      color = Color.known?(base) ? Color.new(base) : nil
      m = Material.new(@model, unique, color)
      will_change!
      @list << m
      m
    end

    def [](key)
      key.is_a?(Integer) ? @list[key] : @list.find { |m| m.name == key.to_s }
    end

    alias at []

    def each(&block)
      return to_enum(:each) unless block
      @list.dup.each(&block)
      self
    end

    def length = @list.length
    alias size length
    alias count length

    def to_a = @list.dup

    def remove(material)
      m = material.is_a?(Material) ? material : self[material]
      return false unless m && @list.include?(m)
      will_change!
      @list.delete(m)
      m.send(:mark_deleted)
      true
    end

    attr_accessor :current

    # Turns what a material writer accepts into a Material or nil: a
    # Material, nil, a name (existing material, else a new one coloured by
    # that name when it is a colour name) or a Color.
    def resolve(value)
      case value
      when nil then nil
      when Material then value
      when String then self[value] || add(value)
      when Color
        name = format('Color_%03d%03d%03d', value.red, value.green, value.blue)
        self[name] || add(name).tap { |m| m.color = value }
      else raise TypeError, "cannot use #{value.class} as a material"
      end
    end
  end
end

# A host that keeps the documented semantics of the modeller's geometry but
# differs from the headless stand-in wherever a real host may: at knife
# edges nobody documents.  Installed once into a process (it changes Geom
# for good), so the tests run it in a forked child.
#
# - point_in_polygon_2D counts a point within 0.01 inch of an edge as on
#   the border (the stand-in: 0.001);
# - dot products summed in another order, and last-bit noise on every dot
#   product and square root (deterministic: the same operands always give
#   the same answer, so both roads meet the same host);
# - points and vectors keep their coordinates in one frozen Array, not in
#   @x/@y/@z: only the public calls (x, y, z, to_a, []) read them.
module DisagreeingHost
  BORDER = 0.01

  # Operands hashed to -1, 0 or +1 units in the last place.
  def self.noise(value, *operands)
    return value if value.zero? || !value.finite?
    case operands.hash % 3
    when 0 then value
    when 1 then value.next_float
    else value.prev_float
    end
  end

  module Arithmetic
    def dot(a, b)
      DisagreeingHost.noise(a[2] * b[2] + a[1] * b[1] + a[0] * b[0], a, b)
    end

    def len(a)
      DisagreeingHost.noise(Math.sqrt(dot(a, a)), a)
    end
  end

  module Border
    def point_in_polygon_2D(point, polygon, check_border)
      h = Sketchup::Headless
      p = h.xyz(point)
      p = [p[0], p[1], 0.0]
      pts = polygon.map { |q| c = h.xyz(q); [c[0], c[1], 0.0] }
      return false if pts.empty?
      pts.each_with_index do |a, i|
        return check_border ? true : false if h.dist_to_segment(p, a, pts[(i + 1) % pts.size]) < BORDER
      end
      return false if pts.size < 3 || h.newell(pts)[2].abs < 1.0e-12
      h.inside_2d?(p, pts)
    end
  end

  # Coordinates in one frozen Array.
  module Storage
    def initialize(*args)
      super
      @c = [remove_instance_variable(:@x), remove_instance_variable(:@y), remove_instance_variable(:@z)].freeze
    end

    def x = @c[0]
    def y = @c[1]
    def z = @c[2]
    def to_a = @c.dup

    def x=(v)
      @c = [v.to_f, @c[1], @c[2]].freeze
    end

    def y=(v)
      @c = [@c[0], v.to_f, @c[2]].freeze
    end

    def z=(v)
      @c = [@c[0], @c[1], v.to_f].freeze
    end

    def set!(*args)
      @c = self.class.new(*args).to_a.freeze
      self
    end

    def to_s
      h = Sketchup::Headless
      inches = is_a?(Geom::Point3d) ? '"' : ''
      "(#{@c.map { |c| h.fmt(c) + inches }.join(', ')})"
    end

    def inspect
      h = Sketchup::Headless
      "#{self.class.name.split('::').last}(#{@c.map { |c| h.fmt(c) }.join(', ')})"
    end
  end

  module VectorStorage
    def length=(l)
      h = Sketchup::Headless
      @c = h.scale(h.unit(to_a), l.to_f).freeze
    end

    def normalize!
      @c = Sketchup::Headless.unit(to_a).freeze
      self
    end

    def reverse = Geom::Vector3d.new(-@c[0], -@c[1], -@c[2])

    def reverse!
      @c = @c.map(&:-@).freeze
      self
    end
  end

  def self.install!
    return if @installed

    @installed = true
    Sketchup::Headless.singleton_class.prepend(Arithmetic)
    Geom.singleton_class.prepend(Border)
    [Geom::Point3d, Geom::Vector3d].each { |k| k.prepend(Storage) }
    Geom::Vector3d.prepend(VectorStorage)
  end

  # Runs the block in a child process on this host; returns what the block
  # returned (Marshal-able), or raises what it raised.
  def self.in_child
    reader, writer = IO.pipe
    pid = Process.fork do
      reader.close
      install!
      result = begin
        [:ok, yield]
      rescue Exception => e # rubocop:disable Lint/RescueException
        [:error, "#{e.class}: #{e.message}\n#{e.backtrace.first(8).join("\n")}"]
      end
      writer.write(Marshal.dump(result))
      writer.close
      exit!(0)
    end
    writer.close
    data = reader.read
    reader.close
    Process.wait(pid)
    raise "the child on the disagreeing host died (#{$?.inspect})" if data.empty?

    kind, value = Marshal.load(data)
    raise value if kind == :error

    value
  end
end

module Sketchup
  module Headless
    # Three coordinates in inches, shared by points and vectors: the
    # constructors, component access and conversions.
    module Coordinates
      def self.included(base)
        base.extend(ClassMethods)
      end

      module ClassMethods
        def linear_combination(weight1, a, weight2, b)
          new(Headless.add(Headless.scale(Headless.xyz(a), weight1.to_f),
                           Headless.scale(Headless.xyz(b), weight2.to_f)))
        end
      end

      def initialize(*args)
        first = args[0]
        # Three Floats, or one Array of them: what nearly every caller
        # passes, taken as they are.
        if args.size == 1 && first.instance_of?(Array) && first.size == 3
          x, y, z = first
        elsif args.size == 3
          x, y, z = args
        end
        if x.instance_of?(Float) && y.instance_of?(Float) && z.instance_of?(Float)
          @x = x
          @y = y
          @z = z
          return
        end
        @x, @y, @z =
          case args.size
          when 0 then [0.0, 0.0, 0.0]
          when 1 then Headless.xyz(first)
          when 2, 3 then Headless.xyz(args)
          else raise ArgumentError, "wrong number of arguments (#{args.size} for 0..3)"
          end
      end

      attr_reader :x, :y, :z

      def x=(v)
        @x = v.to_f
      end

      def y=(v)
        @y = v.to_f
      end

      def z=(v)
        @z = v.to_f
      end

      def [](i)
        to_a.fetch(i) { raise IndexError, "index #{i} out of range" }
      end

      def []=(i, v)
        case i
        when 0 then self.x = v
        when 1 then self.y = v
        when 2 then self.z = v
        else raise IndexError, "index #{i} out of range"
        end
      end

      def to_a
        [@x, @y, @z]
      end

      def clone
        self.class.new(self)
      end

      alias dup clone

      # Tolerant: equal when closer than 0.001 (inch) in total.
      def ==(other)
        return Headless.dist(to_a, other.to_a) < Headless::TOL if other.is_a?(Coordinates)
        o = begin
          Headless.xyz(other)
        rescue ArgumentError
          return false
        end
        Headless.dist(to_a, o) < Headless::TOL
      end

      def set!(*args)
        @x, @y, @z = self.class.new(*args).to_a
        self
      end
    end
  end
end

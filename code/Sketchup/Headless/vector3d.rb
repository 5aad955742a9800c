module Geom
  # A direction with a length, in inches. Equality is tolerant like points:
  # components closer than 0.001 in total.
  class Vector3d
    H = Sketchup::Headless

    def self.linear_combination(weight1, vector1, weight2, vector2)
      a = H.xyz(vector1)
      b = H.xyz(vector2)
      new(H.add(H.scale(a, weight1.to_f), H.scale(b, weight2.to_f)))
    end

    def initialize(*args)
      @x, @y, @z =
        case args.size
        when 0 then [0.0, 0.0, 0.0]
        when 1 then H.xyz(args[0])
        when 2, 3 then H.xyz(args)
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

    def set!(*args)
      @x, @y, @z = Vector3d.new(*args).to_a
      self
    end

    def clone
      Vector3d.new(self)
    end

    alias dup clone

    def ==(other)
      o = begin
        H.xyz(other)
      rescue ArgumentError
        return false
      end
      H.dist(to_a, o) < H::TOL
    end

    def dot(other)
      H.dot(to_a, H.xyz(other))
    end

    alias % dot

    def cross(other)
      Vector3d.new(H.cross(to_a, H.xyz(other)))
    end

    alias * cross

    def +(other)
      Vector3d.new(H.add(to_a, H.xyz(other)))
    end

    def -(other)
      Vector3d.new(H.sub(to_a, H.xyz(other)))
    end

    def length
      H.len(to_a)
    end

    # Keeps the direction; a zero vector stays zero.
    def length=(l)
      @x, @y, @z = H.scale(H.unit(to_a), l.to_f)
    end

    # A zero vector normalises to itself rather than raising.
    def normalize
      Vector3d.new(H.unit(to_a))
    end

    def normalize!
      @x, @y, @z = H.unit(to_a)
      self
    end

    def reverse
      Vector3d.new(-@x, -@y, -@z)
    end

    def reverse!
      @x, @y, @z = -@x, -@y, -@z
      self
    end

    # Radians in 0..pi; atan2 stays accurate near 0 and pi where acos does not.
    def angle_between(other)
      o = H.xyz(other)
      Math.atan2(H.len(H.cross(to_a, o)), H.dot(to_a, o))
    end

    def valid?
      length != 0.0
    end

    def unitvector?
      (length - 1.0).abs < H::ANGLE_TOL
    end

    def parallel?(other)
      a = to_a
      b = H.xyz(other)
      return false if H.len(a).zero? || H.len(b).zero?
      H.len(H.cross(H.unit(a), H.unit(b))) < H::ANGLE_TOL
    end

    def samedirection?(other)
      parallel?(other) && H.dot(to_a, H.xyz(other)) > 0.0
    end

    def perpendicular?(other)
      a = to_a
      b = H.xyz(other)
      return false if H.len(a).zero? || H.len(b).zero?
      H.dot(H.unit(a), H.unit(b)).abs < H::ANGLE_TOL
    end

    # Some vector perpendicular to this one (arbitrary but stable).
    def axes
      z = normalize
      ref = z.z.abs < 0.9 ? [0.0, 0.0, 1.0] : [1.0, 0.0, 0.0]
      x = Vector3d.new(H.unit(H.cross(ref, z.to_a)))
      [x, z.cross(x), z]
    end

    def to_s
      "(#{H.fmt(@x)}, #{H.fmt(@y)}, #{H.fmt(@z)})"
    end

    def inspect
      "Vector3d(#{H.fmt(@x)}, #{H.fmt(@y)}, #{H.fmt(@z)})"
    end
  end
end

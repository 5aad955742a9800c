module Geom
  # A direction with a length, in inches. Equality is tolerant like points:
  # components closer than 0.001 in total.
  class Vector3d
    H = Sketchup::Headless

    include Sketchup::Headless::Coordinates


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

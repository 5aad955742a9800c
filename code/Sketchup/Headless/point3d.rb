module Geom
  # A position in model space, in inches.
  #
  # Equality is tolerant (closer than 0.001 inch). hash/eql? are Object's
  # own (identity), as in the modeller: tolerant equality cannot give a
  # consistent hash, so Array#uniq and Hash keys treat two equal-looking
  # points as different objects.
  class Point3d
    H = Sketchup::Headless

    include Sketchup::Headless::Coordinates


    # Lexicographic order on x, then y, then z.
    def <(other)
      (to_a <=> H.xyz(other)) == -1
    end

    # point + vector -> point
    def +(other)
      Point3d.new(H.add(to_a, H.xyz(other)))
    end

    # point - point -> vector (from the argument to self);
    # point - vector -> point. A plain Array is read as a point.
    def -(other)
      if other.is_a?(Geom::Vector3d)
        Point3d.new(H.sub(to_a, H.xyz(other)))
      else
        Geom::Vector3d.new(H.sub(to_a, H.xyz(other)))
      end
    end

    def vector_to(other)
      return Geom::Vector3d.new(H.sub(H.xyz(other), to_a)) unless other.is_a?(H::Coordinates)
      Geom::Vector3d.new(other.x - x, other.y - y, other.z - z)
    end

    def distance(other)
      H.dist(to_a, H.xyz(other))
    end

    def distance_to_line(line)
      H.dist(to_a, H.project_to_line(to_a, line))
    end

    # Unsigned, like the modeller's.
    def distance_to_plane(plane)
      H.signed_distance_to_plane(to_a, plane).abs
    end

    def project_to_line(line)
      Point3d.new(H.project_to_line(to_a, line))
    end

    def project_to_plane(plane)
      Point3d.new(H.project_to_plane(to_a, plane))
    end

    def on_line?(line)
      distance_to_line(line) < H::TOL
    end

    def on_plane?(plane)
      distance_to_plane(plane) < H::TOL
    end

    # Moves along the vector by its own length, or by +length+ when given.
    def offset(vector, length = nil)
      v = H.xyz(vector)
      v = H.scale(H.unit(v), length.to_f) if length
      Point3d.new(H.add(to_a, v))
    end

    def offset!(vector, length = nil)
      set!(offset(vector, length))
    end

    def to_s
      "(#{H.fmt(@x)}\", #{H.fmt(@y)}\", #{H.fmt(@z)}\")"
    end

    def inspect
      "Point3d(#{H.fmt(@x)}, #{H.fmt(@y)}, #{H.fmt(@z)})"
    end
  end
end

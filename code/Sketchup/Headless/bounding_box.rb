module Geom
  # Axis-aligned box. An empty box answers huge inverted extents, so that
  # adding any point makes it valid.
  class BoundingBox
    H = Sketchup::Headless
    BIG = 1.0e30

    def initialize
      clear
    end

    def clear
      @min = [BIG, BIG, BIG]
      @max = [-BIG, -BIG, -BIG]
      self
    end

    def empty?
      @min[0] > @max[0]
    end

    def valid?
      !empty?
    end

    # Accepts points, vertices, 3-number arrays, other boxes, or arrays of them.
    def add(*things)
      things.each do |t|
        if t.is_a?(BoundingBox)
          next if t.empty?
          add(t.min, t.max)
        elsif t.is_a?(Array) && !t.empty? && !t.first.is_a?(Numeric)
          add(*t)
        else
          c = H.xyz(t)
          3.times do |i|
            @min[i] = c[i] if c[i] < @min[i]
            @max[i] = c[i] if c[i] > @max[i]
          end
        end
      end
      self
    end

    def min
      Point3d.new(@min)
    end

    def max
      Point3d.new(@max)
    end

    def center
      return Point3d.new if empty?
      Point3d.new(H.scale(H.add(@min, @max), 0.5))
    end

    def width
      empty? ? 0.0 : @max[0] - @min[0]
    end

    def height
      empty? ? 0.0 : @max[1] - @min[1]
    end

    def depth
      empty? ? 0.0 : @max[2] - @min[2]
    end

    def diagonal
      empty? ? 0.0 : H.dist(@min, @max)
    end

    def contains?(thing)
      return false if empty?
      if thing.is_a?(BoundingBox)
        return contains?(thing.min) && contains?(thing.max)
      end
      c = H.xyz(thing)
      (0..2).all? { |i| c[i] >= @min[i] - H::TOL && c[i] <= @max[i] + H::TOL }
    end

    # Corners 0..7: bit 0 picks x max, bit 1 y max, bit 2 z max.
    def corner(i)
      Point3d.new((0..2).map { |k| i[k] == 1 ? @max[k] : @min[k] })
    end
  end
end

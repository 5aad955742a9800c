# The few point and vector operations of the modeller's geometry module that
# the extension's geometry functions call, for the release check, in Ruby
# every release interpreter accepts.  Plain arithmetic: the checks use
# values whose results are exact.
module Geom
  class Vector3d
    attr_reader :x, :y, :z
    def initialize(x = 0, y = 0, z = 0)
      @x, @y, @z = x.to_f, y.to_f, z.to_f
    end
    def to_a; [x, y, z]; end
    def [](i); to_a[i]; end
    def ==(o); o.respond_to?(:x) && to_a == [o.x, o.y, o.z]; end
    def +(o); self.class.new(x + o.x, y + o.y, z + o.z); end
    def -(o); self.class.new(x - o.x, y - o.y, z - o.z); end
    def dot(o); x * o.x + y * o.y + z * o.z; end
    def %(o); dot(o); end
    def cross(o); Vector3d.new(y * o.z - z * o.y, z * o.x - x * o.z, x * o.y - y * o.x); end
    def *(o); cross(o); end
    def length; Math.sqrt(dot(self)); end
    def valid?; length > 0; end
    # A zero vector stays zero, as the modeller's does.
    def normalize
      l = length
      l == 0 ? Vector3d.new(0, 0, 0) : Vector3d.new(x / l, y / l, z / l)
    end
    def reverse; Vector3d.new(-x, -y, -z); end
    def angle_between(o)
      c = dot(o) / (length * o.length)
      c = 1.0 if c > 1.0
      c = -1.0 if c < -1.0
      Math.acos(c)
    end
    def inspect; "(#{x}, #{y}, #{z})"; end
    alias to_s inspect
  end

  class Point3d < Vector3d
    def vector_to(o); Vector3d.new(o.x - x, o.y - y, o.z - z); end
    def distance(o); vector_to(o).length; end
    def -(o)
      o.is_a?(Point3d) ? Vector3d.new(x - o.x, y - o.y, z - o.z) : Point3d.new(x - o.x, y - o.y, z - o.z)
    end
    def +(o); Point3d.new(x + o.x, y + o.y, z + o.z); end
  end
end

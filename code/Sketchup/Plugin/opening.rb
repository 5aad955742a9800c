module QORPlugin
  # A door or window: an ordered outline and its kind ("window", "Window" or
  # "Door").  The extension reads @vertices, @type, @centroid, @area, @face
  # and @isHole.
  class Opening
    attr_accessor :vertices, :type, :centroid, :area, :face, :isHole

    def initialize(vertices, kind)
      @vertices = vertices
      @type = kind
      points = vertices.map { |v| v.respond_to?(:position) ? v.position : v }
      @centroid = Geometry.centroid(points)
      @area = Geometry.area(points)
      @face = nil
      @isHole = false
    end
  end

  # A door of the building: its corners are model vertices, and it may
  # know the face that fills it (the door leaf).  A glazed one on a wall's
  # edge is of type "Window".
  class Door < Opening
    def initialize(vertices, face = nil, type = 'Door')
      super(vertices, type)
      @face = face
    end
  end

  # Plain polygon measures for the plug-in side.
  module Geometry
    module_function

    def centroid(points)
      return Geom::Point3d.new(0, 0, 0) if points.empty?
      sx = sy = sz = 0.0
      points.each { |p| sx += p.x; sy += p.y; sz += p.z }
      n = points.length.to_f
      Geom::Point3d.new(sx / n, sy / n, sz / n)
    end

    # Area of a planar polygon in space (Newell's normal).
    def area(points)
      nx = ny = nz = 0.0
      points.each_with_index do |a, i|
        b = points[(i + 1) % points.length]
        nx += (a.y - b.y) * (a.z + b.z)
        ny += (a.z - b.z) * (a.x + b.x)
        nz += (a.x - b.x) * (a.y + b.y)
      end
      Math.sqrt(nx * nx + ny * ny + nz * nz) / 2.0
    end

    # Is point on the segment [a, b], within the host's tolerance?
    def on_segment?(point, a, b)
      return point == a if a == b
      return false unless point.on_line?([a, a.vector_to(b)])
      (point.distance(a) + point.distance(b)) <= a.distance(b) + 0.001
    end

    def on_outline?(point, outline)
      outline.each_with_index.any? do |a, i|
        on_segment?(point, a, outline[(i + 1) % outline.length])
      end
    end
  end
end

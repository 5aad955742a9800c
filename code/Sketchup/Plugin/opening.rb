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
      centroid_of(points.map { |p| xyz(p) })
    end

    # The same of points given as [x, y, z].
    def centroid_of(points)
      return Geom::Point3d.new(0, 0, 0) if points.empty?
      sx = sy = sz = 0.0
      points.each { |x, y, z| sx += x; sy += y; sz += z }
      n = points.length.to_f
      Geom::Point3d.new(sx / n, sy / n, sz / n)
    end

    # Area of a planar polygon in space (Newell's normal).
    def area(points)
      points = points.map { |p| xyz(p) }
      nx = ny = nz = 0.0
      points.each_with_index do |(ax, ay, az), i|
        bx, by, bz = points[(i + 1) % points.length]
        nx += (ay - by) * (az + bz)
        ny += (az - bz) * (ax + bx)
        nz += (ax - bx) * (ay + by)
      end
      Math.sqrt(nx * nx + ny * ny + nz * nz) / 2.0
    end

    # A point's x, y and z, read once: a host point's or an Array's through
    # to_a, any other point's one by one.
    def xyz(point)
      return point.to_a.first(3) if point.is_a?(Geom::Point3d) || point.is_a?(Array)
      [point.x, point.y, point.z]
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

    # Farther than this from a segment, a point is off it on any host: twenty
    # times the tolerance, as the extension's own certain tests have it.
    KNIFE_EDGE = 0.02

    # on_outline? with the outline (and the point, as at) given as [x, y, z]:
    # the host is asked only about the edges the numbers do not put surely
    # out of reach; same answer.  point nil: the host's point made of at.
    def on_outline_of?(point, at, outline)
      n = outline.length
      outline.each_with_index.any? do |a, i|
        b = outline[(i + 1) % n]
        next false if surely_off_segment?(at, a, b)
        point ||= Geom::Point3d.new(at)
        on_segment?(point, Geom::Point3d.new(a), Geom::Point3d.new(b))
      end
    end

    # Is the point farther from the segment [a, b] than the knife edge, by
    # more than rounding?  All three as [x, y, z]; anything not finite is
    # left to the host.
    def surely_off_segment?(p, a, b)
      px, py, pz = p
      ax, ay, az = a
      bx, by, bz = b
      return false unless (px + py + pz + ax + ay + az + bx + by + bz).finite?

      magnitude = [px.abs, py.abs, pz.abs, ax.abs, ay.abs, az.abs, bx.abs, by.abs, bz.abs].max
      ux = bx - ax
      uy = by - ay
      uz = bz - az
      wx = px - ax
      wy = py - ay
      wz = pz - az
      squared = ux * ux + uy * uy + uz * uz
      t = squared > 0.0 ? (wx * ux + wy * uy + wz * uz) / squared : 0.0
      return false unless t.finite?

      t = t.clamp(0.0, 1.0)
      dx = wx - t * ux
      dy = wy - t * uy
      dz = wz - t * uz
      Math.sqrt(dx * dx + dy * dy + dz * dz) > KNIFE_EDGE + 1e-9 * magnitude
    end
  end
end

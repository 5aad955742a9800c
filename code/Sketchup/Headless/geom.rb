# Module-level geometry of the modeller. Lines are [point, vector] or
# [point, point]; planes are [a, b, c, d] or [point, normal].
module Geom
  H = Sketchup::Headless

  module_function

  def linear_combination(weight1, pt_or_vec1, weight2, pt_or_vec2)
    klass = pt_or_vec1.is_a?(Vector3d) ? Vector3d : Point3d
    klass.linear_combination(weight1, pt_or_vec1, weight2, pt_or_vec2)
  end

  # Closest points of two lines, one on each; for parallel lines the foot of
  # the first line's origin on the second.
  def closest_points(line1, line2)
    o1, d1 = H.line(line1)
    o2, d2 = H.line(line2)
    closest_points_of(o1, d1, o2, d2)
  end

  # closest_points of two lines already read: origins and unit directions.
  def closest_points_of(o1, d1, o2, d2)
    b = H.dot(d1, d2)
    denom = 1.0 - b * b
    if H.len(H.cross(d1, d2)) < H::ANGLE_TOL
      return [Point3d.new(o1), Point3d.new(H.project_to_line(o1, [o2, d2]))]
    end
    w = H.sub(o1, o2)
    d = H.dot(d1, w)
    e = H.dot(d2, w)
    s = (b * e - d) / denom
    t = (e - b * d) / denom
    [Point3d.new(H.along(o1, d1, s)), Point3d.new(H.along(o2, d2, t))]
  end

  private_class_method :closest_points_of

  # nil for parallel (including coincident) or skew lines.
  def intersect_line_line(line1, line2)
    o1, d1 = H.line(line1)
    o2, d2 = H.line(line2)
    return nil if H.len(H.cross(d1, d2)) < H::ANGLE_TOL
    p1, p2 = closest_points_of(o1, d1, o2, d2)
    p1.distance(p2) < H::TOL ? p1 : nil
  end

  # nil when the line is parallel to the plane, even if it lies in it.
  def intersect_line_plane(line, plane)
    o, d = H.line(line)
    n, dd = H.plane(plane)
    denom = H.dot(n, d)
    return nil if denom.abs < H::ANGLE_TOL
    t = -(H.dot(n, o) + dd) / denom
    Point3d.new(H.along(o, d, t))
  end

  # A line [Point3d, unit Vector3d], or nil for parallel planes.
  def intersect_plane_plane(plane1, plane2)
    n1, d1 = H.plane(plane1)
    n2, d2 = H.plane(plane2)
    u = H.cross(n1, n2)
    l2 = H.dot(u, u)
    return nil if Math.sqrt(l2) < H::ANGLE_TOL
    # (cross(n2, u) * -d1 + cross(u, n1) * -d2) / |u|^2, spelled out.
    a = H.cross(n2, u)
    b = H.cross(u, n1)
    s = 1.0 / l2
    p = Point3d.new((a[0] * -d1 + b[0] * -d2) * s, (a[1] * -d1 + b[1] * -d2) * s, (a[2] * -d1 + b[2] * -d2) * s)
    [p, Vector3d.new(H.unit(u))]
  end

  # Only x and y are looked at. A point on the border (within 0.001) is
  # inside only when check_border is true. Zero-area polygons have no
  # interior, so only their border can answer true.
  def point_in_polygon_2D(point, polygon, check_border)
    p = H.xyz(point)
    p = [p[0], p[1], 0.0]
    pts = polygon.map { |q| c = H.xyz(q); [c[0], c[1], 0.0] }
    return false if pts.empty?
    pts.each_with_index do |a, i|
      b = pts[(i + 1) % pts.size]
      return check_border ? true : false if H.dist_to_segment(p, a, b) < H::TOL
    end
    return false if pts.size < 3 || H.newell(pts)[2].abs < 1.0e-12
    H.inside_2d?(p, pts)
  end

  # Least-squares plane [a, b, c, d] through the points (Newell normal
  # through the centroid).
  def fit_plane_to_points(*points)
    points = points.first if points.size == 1 && points.first.is_a?(Array) &&
                             !points.first.first.is_a?(Numeric)
    pts = points.map { |q| H.xyz(q) }
    raise ArgumentError, 'at least three points are needed' if pts.size < 3
    n = H.unit(H.newell(pts))
    raise ArgumentError, 'points are collinear' if H.len(n).zero?
    c = H.scale(pts.reduce { |s, q| H.add(s, q) }, 1.0 / pts.size)
    [n[0], n[1], n[2], -H.dot(n, c) + 0.0]
  end
end

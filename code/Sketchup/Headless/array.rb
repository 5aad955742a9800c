# The modeller lets a 3-number Array stand in for a point or a vector.
class Array
  def x
    self[0]
  end

  def y
    self[1]
  end

  def z
    self[2]
  end

  def x=(v)
    self[0] = v
  end

  def y=(v)
    self[1] = v
  end

  def z=(v)
    self[2] = v
  end

  def distance(point)
    Geom::Point3d.new(self).distance(point)
  end

  def distance_to_line(line)
    Geom::Point3d.new(self).distance_to_line(line)
  end

  def distance_to_plane(plane)
    Geom::Point3d.new(self).distance_to_plane(plane)
  end

  def vector_to(point)
    Geom::Point3d.new(self).vector_to(point)
  end

  def on_line?(line)
    Geom::Point3d.new(self).on_line?(line)
  end

  def on_plane?(plane)
    Geom::Point3d.new(self).on_plane?(plane)
  end

  def project_to_line(line)
    Geom::Point3d.new(self).project_to_line(line).to_a
  end

  def project_to_plane(plane)
    Geom::Point3d.new(self).project_to_plane(plane).to_a
  end

  def offset(vector, length = nil)
    Geom::Point3d.new(self).offset(vector, length).to_a
  end

  def offset!(vector, length = nil)
    replace(offset(vector, length))
  end

  def dot(vector)
    Geom::Vector3d.new(self).dot(vector)
  end

  def cross(vector)
    Geom::Vector3d.new(self).cross(vector)
  end

  def normalize
    Geom::Vector3d.new(self).normalize.to_a
  end

  def normalize!
    replace(normalize)
  end
end

# Builds models in the headless modeller the way the plug-in's users draw
# them: faces from points, boxes for rooms.
module QORTest
  module ModelBuilder
    def fresh_model
      Sketchup.new_model
    end

    def entities
      @model.entities
    end

    def face(*points)
      entities.add_face(points.map { |p| Geom::Point3d.new(*p) })
    end

    # The six faces of an axis-aligned box, normals pointing out of it:
    # [floor, ceiling, front (y = y0), right (x = x1), back (y = y1), left (x = x0)].
    def box(x0, y0, z0, x1, y1, z1)
      [
        face([x0, y0, z0], [x0, y1, z0], [x1, y1, z0], [x1, y0, z0]),
        face([x0, y0, z1], [x1, y0, z1], [x1, y1, z1], [x0, y1, z1]),
        face([x0, y0, z0], [x1, y0, z0], [x1, y0, z1], [x0, y0, z1]),
        face([x1, y0, z0], [x1, y1, z0], [x1, y1, z1], [x1, y0, z1]),
        face([x1, y1, z0], [x0, y1, z0], [x0, y1, z1], [x1, y1, z1]),
        face([x0, y1, z0], [x0, y0, z0], [x0, y0, z1], [x0, y1, z1])
      ]
    end
  end
end

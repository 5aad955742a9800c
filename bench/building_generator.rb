# Generates buildings for benchmarks: a grid of rooms separated by walls of
# a given thickness, each room a box of six faces, every room with a glazed
# window in its front wall.
module QORBench
  class BuildingGenerator
    M = 39.37007874015748 # inches in a metre

    attr_reader :rooms_faces

    def initialize(model, columns:, rows:, storeys: 1, room: [4.0, 3.0, 2.5], wall: 0.2)
      @model = model
      @columns = columns
      @rows = rows
      @storeys = storeys
      @w, @d, @h = room.map { |v| v * M }
      @t = wall * M
      @rooms_faces = []
    end

    def generate
      @storeys.times do |s|
        @rows.times do |r|
          @columns.times { |c| @rooms_faces << room_at(c * (@w + @t), r * (@d + @t), s * (@h + @t)) }
        end
      end
      self
    end

    private

    def pt(x, y, z)
      Geom::Point3d.new(x, y, z)
    end

    def face(*points)
      @model.entities.add_face(points)
    end

    def room_at(x0, y0, z0)
      x1 = x0 + @w
      y1 = y0 + @d
      z1 = z0 + @h
      hole = [pt(x0 + 1 * M, y0, z0 + 1 * M), pt(x0 + 1 * M, y0, z0 + 2 * M),
              pt(x0 + 2.5 * M, y0, z0 + 2 * M), pt(x0 + 2.5 * M, y0, z0 + 1 * M)]
      front = @model.entities.add_face_with_holes(
        [pt(x0, y0, z0), pt(x1, y0, z0), pt(x1, y0, z1), pt(x0, y0, z1)], [hole]
      )
      pane = face(*hole)
      pane.material = glass
      [
        face(pt(x0, y0, z0), pt(x0, y1, z0), pt(x1, y1, z0), pt(x1, y0, z0)),
        face(pt(x0, y0, z1), pt(x1, y0, z1), pt(x1, y1, z1), pt(x0, y1, z1)),
        front,
        face(pt(x1, y0, z0), pt(x1, y1, z0), pt(x1, y1, z1), pt(x1, y0, z1)),
        face(pt(x1, y1, z0), pt(x0, y1, z0), pt(x0, y1, z1), pt(x1, y1, z1)),
        face(pt(x0, y1, z0), pt(x0, y0, z0), pt(x0, y0, z1), pt(x0, y1, z1)),
        pane
      ]
    end

    def glass
      @glass ||= @model.materials.add('Glass').tap { |m| m.alpha = 0.4 }
    end
  end
end

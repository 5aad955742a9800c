require_relative 'roomface_builder'

# The office used across suites: a 4 m x 3 m x 2.5 m room whose front wall
# has a door notch and whose right wall a glazed window.
module QORTest
  module OfficeBuilder
    include RoomFaceBuilder

    M = 39.37007874015748 # inches in a metre
    OFFICE_W = 4 * M
    OFFICE_D = 3 * M
    OFFICE_H = 2.5 * M

    # Draws the office; answers its faces [floor, ceiling, front, right,
    # back, left, pane] and leaves the door in @door.
    def draw_office
      w, d, h = OFFICE_W, OFFICE_D, OFFICE_H
      d0 = 0.5 * M
      d1 = 1.4 * M
      dh = 2.0 * M
      floor = face([0, 0, 0], [0, d, 0], [w, d, 0], [w, 0, 0])
      ceiling = face([0, 0, h], [w, 0, h], [w, d, h], [0, d, h])
      front = face([0, 0, 0], [d0, 0, 0], [d0, 0, dh], [d1, 0, dh], [d1, 0, 0], [w, 0, 0],
                   [w, 0, h], [0, 0, h])
      hole = [[w, 1 * M, 1 * M], [w, 2 * M, 1 * M], [w, 2 * M, 2.2 * M], [w, 1 * M, 2.2 * M]]
      right = face_with_holes([[w, 0, 0], [w, d, 0], [w, d, h], [w, 0, h]], hole)
      back = face([w, d, 0], [0, d, 0], [0, d, h], [w, d, h])
      left = face([0, d, 0], [0, 0, 0], [0, 0, h], [0, d, h])
      glass_pane = pane(hole)
      glass = @model.materials.add('Glass')
      glass.alpha = 0.4
      glass_pane.material = glass
      glass_pane.back_material = glass
      @door = door([d0, 0, 0], [d1, 0, 0], [d1, 0, dh], [d0, 0, dh])
      prepare_room([@door])
      [floor, ceiling, front, right, back, left, glass_pane]
    end
  end
end

require_relative 'roomface_builder'
require_relative 'room_builder'

# A two-room flat: Living (x 0..4 m) and Bedroom (x 4.2..8.2 m), 3 m deep,
# 2.5 m high, a 0.2 m party wall with a door notch on both sides, and a
# glazed window in each room's front wall (y = 0).  classify_flat! sets the
# outer-shell fields as the outer-shell and intermediate-plane passes do.
module QORTest
  module FlatBuilder
    include RoomFaceBuilder
    include RoomBuilder

    M = 39.37007874015748 # inches in a metre
    W = 4 * M
    D = 3 * M
    H = 2.5 * M
    T = 0.2 * M
    DOOR_Y = [1.0 * M, 1.9 * M].freeze
    DOOR_H = 2.0 * M
    WINDOW_X = [1.0 * M, 2.5 * M].freeze # from each room's west wall
    WINDOW_Z = [1.0 * M, 2.0 * M].freeze

    # Answers [living, bedroom]; @party holds their party-wall faces.
    def draw_flat
      glass = @model.materials.add('Glass')
      glass.alpha = 0.4
      west = flat_room(0, glass, party_side: :east)
      east = flat_room(W + T, glass, party_side: :west)
      doors = [west.pop, east.pop]
      prepare_room(doors)
      living = new_room(west, number: 1)
      bedroom = new_room(east, number: 2)
      living.setText('Living')
      bedroom.setText('Bedroom')
      [living, bedroom].each { |r| r.levelText = 'Ground floor' }
      @party = [living.roomFaces[3], bedroom.roomFaces[5]]
      [living, bedroom]
    end

    # Every face external but the party wall's two faces, which are internal
    # and paired across the wall on its mid plane.
    def classify_flat!(rooms)
      rooms.flat_map(&:roomFaces).each do |rf|
        rf.outerShellType = 1
        rf.oppositeRoomFaces = []
        rf.intermediatePlanes = []
      end
      a, b = @party
      mid = [1.0, 0.0, 0.0, -(W + T / 2)]
      a.outerShellType = b.outerShellType = 2
      a.oppositeRoomFaces = [b]
      b.oppositeRoomFaces = [a]
      a.intermediatePlanes = [mid]
      b.intermediatePlanes = [mid]
      rooms
    end

    private

    # [floor, ceiling, front, east, back, west, pane, door]
    def flat_room(x0, glass, party_side:)
      x1 = x0 + W
      y0, y1 = DOOR_Y
      hole = [[x0 + WINDOW_X[0], 0, WINDOW_Z[0]], [x0 + WINDOW_X[1], 0, WINDOW_Z[0]],
              [x0 + WINDOW_X[1], 0, WINDOW_Z[1]], [x0 + WINDOW_X[0], 0, WINDOW_Z[1]]]
      front = face_with_holes([[x0, 0, 0], [x1, 0, 0], [x1, 0, H], [x0, 0, H]], hole)
      east = wall_x(x1, party_side == :east, +1)
      west = wall_x(x0, party_side == :west, -1)
      pane_face = pane(hole)
      pane_face.material = glass
      pane_face.back_material = glass
      x = party_side == :east ? x1 : x0
      leaf = door([x, y0, 0], [x, y1, 0], [x, y1, DOOR_H], [x, y0, DOOR_H])
      [face([x0, 0, 0], [x0, D, 0], [x1, D, 0], [x1, 0, 0]),
       face([x0, 0, H], [x1, 0, H], [x1, D, H], [x0, D, H]),
       front, east, face([x1, D, 0], [x0, D, 0], [x0, D, H], [x1, D, H]), west, pane_face, leaf]
    end

    # A wall in the plane x, its normal along +x (sign 1) or -x, with the
    # door notch when it is the party wall.
    def wall_x(x, notched, sign)
      y0, y1 = DOOR_Y
      outline = if notched
                  [[x, 0, 0], [x, y0, 0], [x, y0, DOOR_H], [x, y1, DOOR_H], [x, y1, 0], [x, D, 0], [x, D, H], [x, 0, H]]
                else
                  [[x, 0, 0], [x, D, 0], [x, D, H], [x, 0, H]]
                end
      outline = outline.reverse if sign.negative?
      face(*outline)
    end
  end
end

require_relative 'roomface_builder'

# Two rooms side by side, A (x 0..100) and B (x 108..208), 80 deep and 90
# high, with an 8-inch wall between them.  The wall holds a door (y 20..50,
# up to z 70) whose leaf is on A's side and a window (y 55..70, z 30..60)
# whose pane is on A's side; B's side has the same notch and an open hole.
module QORTest
  module TwoRoomsBuilder
    include RoomFaceBuilder

    DOOR_NOTCH = [[20, 0], [20, 70], [50, 70], [50, 0]].freeze
    WINDOW = [[55, 30], [70, 30], [70, 60], [55, 60]].freeze

    # Answers [room A, room B], prepared as the export prepares them.
    def draw_two_rooms
      a_faces = room_shell(0, 100) { wall_with_openings(100, :pos) }
      b_faces = room_shell(108, 208) { wall_with_openings(108, :neg) }
      leaf = face(*DOOR_NOTCH.map { |y, z| [100, y, z] })
      leaf.set_attribute('FaceDict', 'TrueDoor', true)
      glass = @model.materials.add('Glass')
      glass.alpha = 0.4
      pane(WINDOW.map { |y, z| [100, y, z] }).material = glass
      @door = QORPlugin::Door.new(leaf.outer_loop.vertices, leaf)
      prepare_room([@door])
      rooms = [[a_faces, 1], [b_faces, 2]].map do |faces, number|
        QORTA::QORTA_Room.new(@building, number, faces, true).tap { |r| @building.rooms << r }
      end
      rooms.each { |r| r.setText("Room #{r.number}") }
      QORTA.getRoomsRadii(rooms)
      rooms
    end

    # [floor, ceiling, front, right, back, left] of a room from x0 to x1; the
    # block draws the wall shared with the other room.
    def room_shell(x0, x1)
      d, h = 80, 90
      # The door's feet split the floor's edge along the shared wall, as the
      # modeller splits an edge where a drawn edge ends on it.
      feet = DOOR_NOTCH.map(&:first).uniq
      floor = if x0.zero?
                face([x0, 0, 0], [x0, d, 0], [x1, d, 0], *feet.reverse.map { |y| [x1, y, 0] }, [x1, 0, 0])
              else
                face([x0, 0, 0], *feet.map { |y| [x0, y, 0] }, [x0, d, 0], [x1, d, 0], [x1, 0, 0])
              end
      ceiling = face([x0, 0, h], [x1, 0, h], [x1, d, h], [x0, d, h])
      front = face([x0, 0, 0], [x1, 0, 0], [x1, 0, h], [x0, 0, h])
      back = face([x1, d, 0], [x0, d, 0], [x0, d, h], [x1, d, h])
      shared = yield
      right = x0.zero? ? shared : face([x1, 0, 0], [x1, d, 0], [x1, d, h], [x1, 0, h])
      left = x0.zero? ? face([x0, d, 0], [x0, 0, 0], [x0, 0, h], [x0, d, h]) : shared
      [floor, ceiling, front, right, back, left]
    end

    # The wall at x with the door notch and the window hole; normal +x or -x.
    def wall_with_openings(x, out)
      outline = [[0, 0], *DOOR_NOTCH, [80, 0], [80, 90], [0, 90]]
      outline.reverse! if out == :neg
      face_with_holes(outline.map { |y, z| [x, y, z] }, WINDOW.map { |y, z| [x, y, z] })
    end
  end
end

# Room faces and rooms for the geometry across walls, made without the room
# constructors: the functions under test read them only through instance
# variables, so the tests set those directly around real model faces.
module QORTest
  module WallsBuilder
    # Points of a polygon in the plane z = 0 from [x, y] pairs.
    def poly(*xys)
      xys.map { |x, y| Geom::Point3d.new(x, y, 0) }
    end

    # A room face wrapped around a model face (or a stand-in for one).
    def room_face(face, incursion: false, opposite: [], planes: [], outer_shell_plane: nil)
      rf = QORTA::QORTA_RoomFace.allocate
      rf.instance_variable_set(:@face, face)
      rf.instance_variable_set(:@incursionFace, incursion)
      rf.instance_variable_set(:@oppositeRoomFaces, opposite)
      rf.instance_variable_set(:@intermediatePlanes, planes)
      rf.instance_variable_set(:@outerShellPlane, outer_shell_plane)
      rf
    end

    # A room holding the given room faces, each pointed back at it.
    def room_of(*room_faces)
      room = QORTA::QORTA_Room.allocate
      room.instance_variable_set(:@roomFaces, room_faces)
      room_faces.each { |rf| rf.instance_variable_set(:@room, room) }
      room
    end

    # Room faces for the six faces of a box, in box order, in one room:
    # [floor, ceiling, front (y = y0), right (x = x1), back (y = y1), left (x = x0)].
    def box_room(x0, y0, z0, x1, y1, z1)
      faces = box(x0, y0, z0, x1, y1, z1).map { |f| room_face(f) }
      room_of(*faces)
      faces
    end

    # Says that a and b face each other across a wall, with the plane between.
    def opposite!(a, b, plane)
      [[a, b], [b, a]].each do |x, y|
        x.instance_variable_get(:@oppositeRoomFaces) << y
        x.instance_variable_get(:@intermediatePlanes) << plane
      end
    end

    def mark(face, key, value = true)
      face.set_attribute('FaceDict', key, value)
      face
    end

    # A stand-in for a model face with any outline, even one no modeller
    # would make (fewer than three points, repeated points).
    class OutlineFace
      Loop = Struct.new(:vertices)
      Vertex = Struct.new(:position)

      def initialize(points)
        @points = points
      end

      def outer_loop
        Loop.new(@points.map { |p| Vertex.new(p) })
      end

      def centroid
        n = @points.length.to_f
        Geom::Point3d.new(@points.sum(&:x) / n, @points.sum(&:y) / n, @points.sum(&:z) / n)
      end
    end
  end
end

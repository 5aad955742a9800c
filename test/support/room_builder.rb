# Rooms as the plug-in builds them: a building, numbered rooms, labels.
module QORTest
  module RoomBuilder
    def building
      @building ||= QORPlugin::Building.new
    end

    def new_room(faces, number: 1, claim: false)
      room = QORTA::QORTA_Room.new(building, number, faces, claim)
      building.rooms << room
      room
    end

    def room_face_of(room, face)
      room.roomFaces.find { |rf| rf.face.equal?(face) }
    end

    def types_of(room)
      room.roomFaces.map(&:type)
    end

    # Every faces' materials, as [front name, back name].
    def material_names(faces)
      faces.map { |f| [f.material&.name, f.back_material&.name] }
    end
  end
end

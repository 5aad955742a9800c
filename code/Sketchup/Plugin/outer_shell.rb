module QORPlugin
  # The scripts' part of the outer-shell road: each room face's polygon is
  # its model face's outline, and each face gets one constructed face per
  # face across its wall.  With lone_faces, a face with nothing across gets
  # one on its own plane, so exterior walls, roofs and ground floors are part
  # of the outer shell too.
  module OuterShell
    module_function

    def set_polygons(rooms)
      each_room_face(rooms) { |rf| rf.polygon = rf.face.polygon }
    end

    # Answers how many constructed faces were built.  The model does not
    # change meanwhile, so every face is read of it once for the whole stage.
    # The block, if any, is told each room face before its turn.
    def build_faces(rooms, lone_faces: false, &before)
      set_polygons(rooms)
      built = 0
      QORTA::QORTA_RoomFace.withFaceReads do
        each_room_face(rooms) do |rf|
          before&.call(rf)
          partners = Array(rf.oppositeRoomFaces)
          made = partners.count { |other| rf.getOuterShellFace(other) }
          made += 1 if made.zero? && lone_faces && partners.all? { |o| o.room.equal?(rf.room) } && rf.getOuterShellFace(rf)
          built += made
        end
      end
      built
    end

    def each_room_face(rooms, &block)
      rooms.each { |room| room.roomFaces.each(&block) }
    end
  end
end

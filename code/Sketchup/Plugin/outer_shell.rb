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
    # With centreline (a centreline model, as gbXML wants): a face two
    # rooms both list is built on its own plane for both, and a face whose
    # only faces across are its own room's counts as having none.
    def build_faces(rooms, lone_faces: false, centreline: false, &before)
      set_polygons(rooms)
      thin_walls_between(rooms) if centreline && $thinWalls != 1
      built = 0
      QORTA::QORTA_RoomFace.withFaceReads do
        each_room_face(rooms) do |rf|
          before&.call(rf)
          partners = Array(rf.oppositeRoomFaces)
          made = partners.count { |other| rf.getOuterShellFace(other) }
          alone = centreline ? partners.all? { |o| o.room.equal?(rf.room) } : partners.empty?
          made += 1 if made.zero? && lone_faces && alone && rf.getOuterShellFace(rf)
          built += made
        end
      end
      built
    end

    # A model face two rooms both list (a thin wall in a building of thick
    # ones) is its wall's middle: each room's face on it has the other's
    # across at no distance, and both build on the face's own plane.  The
    # classification looks past the face itself, to whatever lies beyond
    # the other room, and would carry the walls meeting it there.
    def thin_walls_between(rooms)
      by_face = {}.compare_by_identity
      each_room_face(rooms) do |rf|
        (by_face[rf.face] ||= []) << rf unless rf.blind == true || rf.isOpening == true || rf.isWindow == true
      end
      by_face.each do |face, pair|
        next unless pair.length == 2 && !pair[0].room.equal?(pair[1].room)
        plane = face.plane
        pair.each_with_index do |rf, i|
          rf.outerShellType = 2
          rf.oppositeRoomFaces = [pair[1 - i]]
          rf.intermediatePlanes = [plane]
          rf.outerShellPlane = plane
        end
      end
    end

    def each_room_face(rooms, &block)
      rooms.each { |room| room.roomFaces.each(&block) }
    end
  end
end

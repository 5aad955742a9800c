# Builds the openings of room faces the way users draw them: doors as
# notches in a wall's outline (the door leaf fills the notch), windows as
# holes filled by a pane, door and window frames as faces whose hole is the
# opening.  Call prepare_room after drawing, so that the globals see the
# faces and the building's doors.
module QORTest
  module RoomFaceBuilder
    def points(list)
      list.map { |p| p.is_a?(Geom::Point3d) ? p : Geom::Point3d.new(*p) }
    end

    # A face with holes, each hole a list of points.
    def face_with_holes(outer, *holes)
      entities.add_face_with_holes(points(outer), holes.map { |h| points(h) })
    end

    # A door object on the vertices of a door leaf drawn from the points.
    def door(*corners)
      leaf = face(*corners)
      QORPlugin::Door.new(leaf.outer_loop.vertices, leaf)
    end

    # A window: the pane that fills a hole, drawn on the hole's vertices.
    def pane(hole)
      face(*hole)
    end

    # The building with these doors, the globals for the model as drawn,
    # and a room in that building.
    def prepare_room(doors = [])
      @building = QORPlugin::Building.new(doors: doors)
      QORPlugin.prepare(@model, building: @building)
      @room = QORTA::QORTA_Room.allocate
      @room.edifice = @building
      @room
    end

    def room_face(face, reference = 1)
      QORTA::QORTA_RoomFace.new(@room, face, reference)
    end
  end
end

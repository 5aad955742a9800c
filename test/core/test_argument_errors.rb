require_relative '../test_helper'
require File.join(ROOT, 'code/Sketchup/Plugin/building_file')
require File.join(ROOT, 'code/Sketchup/Plugin/room_export')

# Wrong-typed arguments to the public entry points are refused with
# TypeError or ArgumentError naming the argument, not a NoMethodError from
# deep inside.
class ArgumentErrorTest < QORTest::Case
  BAD = [nil, 1, 'text', {}, :sym].freeze

  def entry_points
    up = Geom::Vector3d.new(0, 0, 1)
    origin = pt(0, 0)
    {
      'face' => ->(v) { QORTA.convexHull(v) },
      'points' => ->(v) { QORTA.convexHull2(v) },
      'points ' => ->(v) { QORTA.orderVerticesRoundMinPoint(v, origin, up) },
      'reference' => ->(v) { QORTA.orderVerticesRoundMinPoint([origin], v, up) },
      'faces' => ->(v) { QORTA.orderFacesRoundNormal(v, up, origin) },
      'faces ' => ->(v) { QORTA.topmostFaces(v, [0, 0, 1, 0], [0, 1, 0, 0]) },
      'polygonA' => ->(v) { QORTA.getIntersectionPointsOfPolygons(v, [origin]) },
      'polygonB' => ->(v) { QORTA.getIntersectionPointsOfPolygons([origin], v) },
      'rooms' => ->(v) { QORTA.getRoomsRadii(v) },
      'segment1' => ->(v) { QORTA.intersection(v, [origin, pt(1, 1)], true) },
      'f1' => ->(v) { QORTA.findMissingFace(v, v) },
      'f' => ->(v) { QORTA.findIPlanesByVertexOnly(v, origin, origin, [], nil) },
      'other  ' => ->(v) { [0, 0, 1, 0].qORTA_isEqualtoPlane(v) },
      'plane' => ->(v) { [0, 0, 1, v].qORTA_isEqualtoPlane([0, 0, 1, 0]) },
      'polygon' => ->(v) { Geom.point_in_polygon_3D(origin, v, true) },
      'point' => ->(v) { Geom.point_in_polygon_3D(v, [origin], true) },
      'faces  ' => ->(v) { QORTA::QORTA_Room.new(QORPlugin::Building.new, 1, v, false) },
      'amount' => ->(v) { selected_room_face.countSelect(v) },
      'rooms ' => ->(v) { QORTA.setRoomsFacesOuterShellType(v, 1) },
      'count' => ->(v) { QORTA.setRoomsFacesOuterShellType([], v) },
      'rooms  ' => ->(v) { QORTA.setRoomsIntermediatePlanes(v) },
      'other' => ->(v) { wall_room_face.getOuterShellFace(v) },
      'source' => ->(v) { wall_room_face.project(v) },
      'height' => ->(v) { QORTA::QORTA_Room.allocate.makeFloors(v, 'true', nil) },
      'text' => ->(v) { QORTA.unesc(v) }
    }
  end

  # Values some entry points take: a count or height of 1, unesc's nil and
  # text.
  ACCEPTED = { 'amount' => [1], 'plane' => [1], 'count' => [1], 'height' => [1], 'text' => [nil, 'text'] }.freeze

  def wall_room_face
    QORTA::QORTA_RoomFace.allocate.tap { |rf| rf.face = face([0, 0, 0], [1, 0, 0], [1, 0, 1]) }
  end

  def selected_room_face
    f = face([0, 0, 0], [1, 0, 0], [1, 1, 0])
    f.set_attribute('selectedDictionary', 'selected', 0)
    QORTA::QORTA_RoomFace.allocate.tap { |rf| rf.face = f }
  end

  def test_wrong_types_are_refused_naming_the_argument
    entry_points.each do |name, call|
      BAD.each do |bad|
        next if ACCEPTED.fetch(name.strip, []).include?(bad)
        error = assert_raises(TypeError, ArgumentError, "#{name} = #{bad.inspect}") { call.call(bad) }
        assert_includes error.message, name.strip, "#{name} = #{bad.inspect}"
      end
    end
  end

  # Fields of the wrong type, read by the entry points that read them.
  # Each entry point runs on the two-room flat, taken as far along the road
  # as it needs, with one field of one of its rooms or room faces replaced
  # at a time (and put back after).  The answer is the result, or a
  # TypeError or ArgumentError naming the field: never an error from deep
  # inside.
  FIELD_VALUES = [nil, 7, 'text', { k: 1 }].freeze

  def field_entry_points
    {
      'getRoomsRadii' => [0, ->(r, w, _) { [[r, w], -> { QORTA.getRoomsRadii([r]) }] }],
      'orderFacesRoundNormal' => [0, ->(r, w, _) { [[w], -> { QORTA.orderFacesRoundNormal(r.roomFaces, Geom::Vector3d.new(0, 0, 1), ORIGIN) }] }],
      'topmostFaces' => [0, ->(r, w, _) { [[w], -> { QORTA.topmostFaces(r.roomFaces, [0, 0, 1, 0], [0, 1, 0, 0]) }] }],
      'findMissingFace' => [1, ->(r, w, _) { [[w], -> { QORTA.findMissingFace(w, r.roomFaces[0]) }] }],
      'setText' => [0, ->(r, w, _) { [[r, w], -> { r.setText('Hall') }] }],
      'to_s' => [0, ->(r, _, _) { [[r], -> { r.to_s }] }],
      'surfaceType' => [0, ->(r, w, _) { [[r, w], -> { r.surfaceType(w, true) }] }],
      'select' => [0, ->(r, w, _) { [[r, w], -> { r.select(true); r.select(false) }] }],
      # Deselecting puts back the materials the room faces saved: the room
      # is selected before each bad value goes in (the room face first: bad
      # values of the room's own @selected upset its faces' counts).
      'deselect' => [0, ->(r, w, _) { r.select(true); [[w, r], -> { r.select(false); r.select(true) }] }],
      'makeFloors' => [0, ->(r, w, f) { [[r, w, f], -> { r.makeFloors(0.5, 'true', nil) }] }],
      'getSpaceElement' => [3, ->(r, w, _) { [[r, w], -> { r.getSpaceElement(1) }] }],
      'countSelect' => [0, ->(_, w, _) { [[w], -> { w.countSelect(1) }] }],
      'getFaceElement' => [3, ->(_, w, _) { [[w], -> { w.getFaceElement }] }],
      'setRoomsFacesOuterShellType' => [0, ->(r, w, _) { [[r, w], -> { QORTA.setRoomsFacesOuterShellType([r], 1) }] }],
      'setRoomsIntermediatePlanes' => [1, ->(r, w, _) { [[r, w], -> { QORTA.setRoomsIntermediatePlanes([r]) }] }],
      'getOuterShellFace' => [3, ->(r, w, _) { [[r, w], -> { w.getOuterShellFace(w) }] }],
    }
  end

  ORIGIN = Geom::Point3d.new(0, 0, 0)

  # The flat's rooms after `stage` passes: 0 built and labelled, 1 outer
  # shell, 2 wall planes, 3 outer-shell faces.
  def flat_rooms(stage)
    file = QORPlugin::BuildingFile.load(File.join(ROOT, 'examples/two-room-flat.json'))
    rooms = QORPlugin::RoomExport.new(file).build_rooms
    QORTA.setRoomsFacesOuterShellType(rooms, rooms.length) if stage >= 1
    QORTA.setRoomsIntermediatePlanes(rooms) if stage >= 2
    QORPlugin::OuterShell.build_faces(rooms, lone_faces: true) if stage >= 3
    rooms
  end

  no_gc_stress :test_wrong_typed_fields_are_refused_naming_the_field
  def test_wrong_typed_fields_are_refused_naming_the_field
    field_entry_points.each do |name, (stage, setup)|
      room = flat_rooms(stage).first
      wall = room.roomFaces.find { |rf| Array(rf.doors).any? }
      floor = room.roomFaces.find { |rf| rf.type == 'Floor' }
      targets, call = setup.call(room, wall, floor)
      targets.each do |target|
        target.instance_variables.each do |field|
          kept = target.instance_variable_get(field)
          FIELD_VALUES.each do |bad|
            target.instance_variable_set(field, bad)
            begin
              call.call
            rescue TypeError, ArgumentError => e
              assert_includes e.message, field.to_s, "#{name}: #{field} = #{bad.inspect}"
            rescue StandardError => e
              flunk "#{name}: #{field} = #{bad.inspect}: #{e.class}: #{e.message.lines.first}"
            ensure
              target.instance_variable_set(field, kept)
            end
          end
        end
      end
    end
  end
end

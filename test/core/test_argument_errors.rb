require_relative '../test_helper'

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
      'other' => ->(v) { [0, 0, 1, 0].qORTA_isEqualtoPlane(v) },
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
end

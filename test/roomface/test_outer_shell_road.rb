require_relative '../test_helper'
require_relative '../support/two_rooms_builder'

# Two rooms either side of an 8-inch wall with a door and a window, through
# the outer-shell pass and the constructed faces, as the export drives them.
class OuterShellRoadTest < QORTest::Case
  include QORTest::TwoRoomsBuilder

  MID_PLANE = [1.0, 0.0, 0.0, -104.0].freeze

  def setup
    super
    @a, @b = draw_two_rooms
    @progress = QORPlugin::Progress.new(out: StringIO.new)
    $class_ProgressBar2 = @progress
    QORTA.setRoomsFacesOuterShellType([@a, @b], 12)
    @wall_a = @a.roomFaces[3]
    @wall_b = @b.roomFaces[5]
  end

  # What the pairing across the wall leaves: each wall opposite the other,
  # with the mid plane between them.
  def pair_walls
    [[@wall_a, @wall_b], [@wall_b, @wall_a]].each do |x, y|
      x.oppositeRoomFaces << y
      x.intermediatePlanes << MID_PLANE
    end
  end

  def corners(points)
    points.map { |p| p.to_a.map(&:round) }.sort
  end

  def test_every_face_classified
    assert_equal [12, 6], @progress.values
    # [floor, ceiling, front, right, back, left]: the shared wall faces the
    # other room; every other face only its own room, far off.
    assert_equal [[1, 1, 1, 2, 1, 1], [1, 1, 1, 1, 1, 2]], [@a, @b].map { |r| r.roomFaces.map(&:outerShellType) }
    assert_equal [90.0, 90.0, 80.0, 8.0, 80.0, 100.0], @a.roomFaces.map { |rf| rf.setOuterShellType([@a, @b]) }
    assert([@a, @b].all? { |r| r.roomFaces.none?(&:incursionFace) })
  end

  def test_each_wall_gets_a_face_on_the_mid_plane_with_the_projected_openings
    pair_walls
    @wall_a.face.set_attribute('GroupDict', 'ZOffset', 12)
    assert_equal 2, QORPlugin::OuterShell.build_faces([@a, @b])

    rectangle = corners([[104, 0, 0], [104, 80, 0], [104, 80, 90], [104, 0, 90]])
    built_a, built_b = [@wall_a, @wall_b].map do |wall|
      assert_equal 1, wall.outerShellRoomFaces.length
      v = wall.outerShellRoomFaces.first
      assert_equal rectangle, corners(v.face.vertexPoints)
      assert_equal MID_PLANE, v.face.plane
      assert_equal ['Wall', 2, wall.reference, wall.room, true],
                   [v.type, v.outerShellType, v.reference, v.room, v.internallyConstructed]
      # The window (a pane on A's side, an open hole on B's) is carried over.
      assert_equal [corners(WINDOW.map { |y, z| [104, y, z] })], v.windows.map { |w| corners(w.vertices.map(&:position)) }
      v
    end
    # The door is A's: only A's face carries it, projected, among its doors.
    door_at_mid = corners(DOOR_NOTCH.map { |y, z| [104, y, z] })
    assert_equal [door_at_mid], built_a.doors.map { |d| corners(d.vertices.map(&:position)) }
    assert_equal built_a.projectedDoors, built_a.doors
    assert_empty built_b.doors
    assert_equal [12, nil], [built_a.zOffset, built_b.zOffset]

    # The next pass starts afresh.
    QORTA.setRoomsFacesOuterShellType([@a, @b], 12)
    assert_empty @wall_a.outerShellRoomFaces
  end

  def test_floor_and_ceiling_use_themselves_in_both_roles
    QORPlugin::OuterShell.set_polygons([@a, @b])
    floor, ceiling = @a.roomFaces.first(2)
    # The other face is not looked at: its plane is even perpendicular.
    assert_same true, floor.getOuterShellFace(@wall_b)
    assert_same true, ceiling.getOuterShellFace(@a.roomFaces[2])
    assert_equal corners([[0, 0, 0], [100, 0, 0], [100, 80, 0], [0, 80, 0]]),
                 corners(floor.outerShellRoomFaces.first.face.vertexPoints)
    assert_equal corners([[0, 0, 90], [100, 0, 90], [100, 80, 90], [0, 80, 90]]),
                 corners(ceiling.outerShellRoomFaces.first.face.vertexPoints)
    assert_equal %w[Floor Ceiling], [floor, ceiling].map { |f| f.outerShellRoomFaces.first.type }
  end

  def test_faces_without_common_outline_build_nothing
    QORPlugin::OuterShell.set_polygons([@a, @b])
    front_a, front_b = @a.roomFaces[2], @b.roomFaces[2]
    assert_same false, front_a.getOuterShellFace(front_b)
    assert_empty front_a.outerShellRoomFaces
  end

  def test_swapped_roles_take_the_other_face_plane_towards_this_one
    pair_walls
    QORPlugin::OuterShell.set_polygons([@a, @b])
    @wall_b.intermediatePlanes[0] = [1.0, 0.0, 0.0, -106.0] # B's plane towards A
    @wall_a.reverseCompare = true
    assert_same true, @wall_a.getOuterShellFace(@wall_b)
    v = @wall_a.outerShellRoomFaces.first
    assert_equal [106], v.face.vertexPoints.map(&:x).uniq
    # Still A's face: A's door is projected onto it.
    assert_equal 1, v.doors.length
  end
end

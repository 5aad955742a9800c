require_relative '../test_helper'
require_relative '../support/room_builder'

# Faces paired across walls, and the planes between them.  Rooms are boxes
# 100 x 100 x 96 along x; the classification of the faces by what lies in
# front of them is set by hand: type 1 everywhere except where a test says.
class IntermediatePlanesTest < QORTest::Case
  include QORTest::RoomBuilder

  RIGHT = 3
  LEFT = 5

  # Repeats of paths the other tests run under collector stress.
  no_gc_stress :test_clear_faces_are_not_paired_in_the_second_pass,
               :test_end_faces_with_half_their_edges_short_stay_unmatched,
               :test_progress_counts_the_rooms_still_to_come

  def setup
    super
    $maxWallThickness = 12.0
  end

  def start_over
    @building = nil
    setup
  end

  # A box room from x0 to x1, turned by `turn` radians about the z axis and
  # then as much about the x axis.
  def box_room(x0, x1, number, turn: 0.0, depth: 100)
    c, s = Math.cos(turn), Math.sin(turn)
    faces = box_outlines(x0, x1, depth).map do |outline|
      face(*outline.map do |p|
        x, y = p.x * c - p.y * s, p.x * s + p.y * c
        [x, y * c - p.z * s, y * s + p.z * c]
      end)
    end
    new_room(faces, number: number)
  end

  # The outlines of a box's faces, drawn aside.
  def box_outlines(x0, x1, depth)
    saved, @model = @model, Sketchup::Model.new
    box(x0, 0, 0, x1, depth, 96).map(&:polygon)
  ensure
    @model = saved
  end

  # What the outer-shell pass leaves: fresh lists, the face's own plane,
  # type 1 unless `types` says otherwise.
  def classified(rooms, types = {})
    rooms.each do |room|
      room.intermediatePlanes = []
      room.roomFaces.each do |rf|
        rf.outerShellType = types.fetch(rf, 1)
        rf.outerShellPlane = rf.face.plane
        rf.oppositeRoomFaces = []
        rf.intermediatePlanes = []
      end
    end
    rooms
  end

  def walls(gap, type, **options)
    r1 = box_room(0, 100, 1, **options)
    r2 = box_room(100 + gap, 200 + gap, 2, **options)
    [r1, r2, r1.roomFaces[RIGHT], r2.roomFaces[LEFT]]
  end

  def pair_all(rooms)
    assert_same true, QORTA.setRoomsIntermediatePlanes(rooms)
  end

  def assert_plane(expected, actual)
    assert_equal 4, actual.length
    expected.zip(actual).each { |e, a| assert_float e, a, 1e-9, "#{expected} vs #{actual}" }
  end

  def test_six_inch_wall_of_type_2_one_mid_plane_from_the_lower_numbered_room
    # Listed in reverse number order: the plane still comes from room 1's face
    # (x = 106, normal -x).
    r2 = box_room(0, 100, 2)
    r1 = box_room(106, 206, 1)
    a, b = r2.roomFaces[RIGHT], r1.roomFaces[LEFT]
    pair_all(classified([r2, r1], a => 2, b => 2))
    [[a, b, r2], [b, a, r1]].each do |s, t, room|
      assert_equal [t], s.oppositeRoomFaces
      assert_plane [-1, 0, 0, 103], s.intermediatePlanes[0]
      assert_plane [-1, 0, 0, 103], s.outerShellPlane
      assert_equal s.intermediatePlanes, room.intermediatePlanes
    end
    others = (r1.roomFaces + r2.roomFaces) - [a, b]
    assert(others.all? { |rf| rf.oppositeRoomFaces.empty? && rf.intermediatePlanes.empty? })
  end

  def test_six_inch_wall_of_type_1_each_takes_the_others_plane
    r1, r2, a, b = walls(6, 1)
    pair_all(classified([r1, r2]))
    assert_plane [-1, 0, 0, 106], a.intermediatePlanes[0]
    assert_plane [1, 0, 0, -100], b.intermediatePlanes[0]
  end

  def test_a_type_1_face_across_gives_its_own_plane
    r1, r2, a, b = walls(6, 1)
    pair_all(classified([r1, r2], a => 2))
    assert_plane [-1, 0, 0, 106], a.intermediatePlanes[0] # b's own
    assert_plane [-1, 0, 0, 106], b.intermediatePlanes[0] # rule for its own type 1
  end

  def test_fourteen_inch_wall_paired_in_the_second_pass_on_the_faces_only
    r1, r2, a, b = walls(14, 2)
    pair_all(classified([r1, r2], a => 2, b => 2))
    assert_equal [[b], [a]], [a.oppositeRoomFaces, b.oppositeRoomFaces]
    [a, b].each { |rf| assert_plane [1, 0, 0, -107], rf.intermediatePlanes[0] }
    assert_equal [[], []], [r1.intermediatePlanes, r2.intermediatePlanes]
    assert_equal [2, 2], [a.outerShellType, b.outerShellType]
    # Every other face's nearest facing face is in its own room.
    assert(((r1.roomFaces + r2.roomFaces) - [a, b]).all? { |rf| rf.oppositeRoomFaces.empty? })
  end

  def test_second_pass_type_1_across_gives_its_plane_and_keeps_the_types
    r1, r2, a, b = walls(14, 2)
    pair_all(classified([r1, r2], a => 2))
    assert_plane [-1, 0, 0, 114], a.intermediatePlanes[0]
    assert_plane [1, 0, 0, -107], b.intermediatePlanes[0]
    assert_equal [2, 1], [a.outerShellType, b.outerShellType]
  end

  # On turned walls a face's distance to itself can round to a tiny non-zero
  # number (here a's does); the face must still find the face across the wall.
  def test_turned_fourteen_inch_wall_pairs
    r1, r2, a, b = walls(14, 2, turn: 1.0)
    pair_all(classified([r1, r2], a => 2, b => 2))
    assert_equal [[b], [a]], [a.oppositeRoomFaces, b.oppositeRoomFaces]
    c, s = Math.cos(1.0), Math.sin(1.0)
    assert_plane [c, s * c, s * s, -107], a.intermediatePlanes[0]
  end

  def test_end_faces_with_half_their_edges_short_stay_unmatched
    { 6 => false, 13 => true }.each do |depth, paired|
      start_over
      r1 = box_room(0, 100, 1, depth: depth)
      r2 = box_room(120, 220, 2)
      pair_all(classified([r1, r2]))
      assert_equal paired, r1.roomFaces[RIGHT].oppositeRoomFaces == [r2.roomFaces[LEFT]], "depth #{depth}"
    end
  end

  def test_clear_faces_are_not_paired_in_the_second_pass
    [[:material=, 0.0, false], [:back_material=, 0.0, false], [:material=, 0.5, true]].each do |writer, alpha, paired|
      start_over
      r1, r2, a, b = walls(14, 2)
      glass = @model.materials.add('Glass')
      glass.alpha = alpha
      a.face.send(writer, glass)
      pair_all(classified([r1, r2]))
      assert_equal paired, !a.oppositeRoomFaces.empty?, "#{writer} #{alpha}"
      assert_equal [a], b.oppositeRoomFaces # b itself is opaque
    end
  end

  def test_door_parts_are_no_doors_and_excluded_faces_take_no_part
    r1, r2, a, b = walls(6, 2)
    floor, ceiling = r1.roomFaces[0].face, r1.roomFaces[1].face
    floor.set_attribute('FaceDict', 'IsPartOfDoor', true)
    ceiling.set_attribute('FaceDict', 'IsPartOfDoorFrame', true)
    [floor, ceiling, b.face].each { |f| f.set_attribute('FaceDict', 'Door', 'leaf') }
    b.face.set_attribute('FaceDict', 'Partition', true)
    pair_all(classified([r1, r2]))
    assert_equal [false, false, 'leaf'], [floor, ceiling, b.face].map { |f| f.get_attribute('FaceDict', 'Door') }
    assert_empty a.oppositeRoomFaces
    assert_empty b.oppositeRoomFaces
  end

  def test_coplanar_faces_are_not_across_a_wall
    # Rooms sharing their wall: fronts, backs, floors and ceilings are
    # coplanar neighbours with a common edge; the shared wall is one face.
    r1 = box_room(0, 100, 1)
    r2 = box_room(100, 200, 2)
    # A second, distinct face of room 2 lying in room 1's back wall.
    r2.roomFaces << QORTA::QORTA_RoomFace.new(r2, face([90, 100, 0], [10, 100, 0], [10, 100, 96]), 7)
    pair_all(classified([r1, r2]))
    assert_equal [[], []], [r1.intermediatePlanes, r2.intermediatePlanes]
    (r1.roomFaces + r2.roomFaces).each do |rf|
      assert(rf.oppositeRoomFaces.none? { |o| o.face.plane.qORTA_isEqualtoPlane(rf.face.plane) })
    end
  end

  def test_get_intermediate_plane_rules
    r1, r2, a, b = walls(6, 1)
    classified([r1, r2])
    assert_plane [-1, 0, 0, 106], a.getIntermediatePlane(b)
    # Two faces of one room, both of type 1: own plane only when the
    # incursion mark holds false; nil and true give the mid plane.
    left = r1.roomFaces[LEFT]
    { false => [-1, 0, 0, 0], nil => [-1, 0, 0, 50], true => [-1, 0, 0, 50] }.each do |incursion, plane|
      left.incursionFace = incursion
      assert_plane plane, left.getIntermediatePlane(a)
    end
    before = a.outerShellPlane
    assert_same false, a.getIntermediatePlane(r1.roomFaces[0])
    assert_same before, a.outerShellPlane
  end

  def test_rooms_without_the_lists_are_refused
    r1, r2, = walls(6, 2)
    assert_raises(TypeError) { QORTA.setRoomsIntermediatePlanes([r1, r2]) } # no room list
    r1.intermediatePlanes = []
    assert_raises(TypeError) { QORTA.setRoomsIntermediatePlanes([r1, r2]) } # no face lists
  end

  def test_progress_counts_the_rooms_still_to_come
    rooms = classified([box_room(0, 100, 1), box_room(200, 300, 2), box_room(400, 500, 3)])
    pair_all(rooms)
    assert_equal [2, 1, 0], $class_ProgressBar2.values
  end
end

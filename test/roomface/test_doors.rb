require_relative '../test_helper'
require_relative '../support/roomface_builder'
require 'timeout'

# Walls in the plane y = 0, x along the wall, z up.  The door D sits in a
# notch at the bottom of wall W: its four corners are corners of W.
class RoomFaceDoorTest < QORTest::Case
  include QORTest::RoomFaceBuilder

  DOOR = [[1, 0, 0], [2, 0, 0], [2, 0, 2], [1, 0, 2]].freeze
  NOTCHED = [[0, 0, 0], [1, 0, 0], [1, 0, 2], [2, 0, 2], [2, 0, 0], [4, 0, 0], [4, 0, 3],
             [0, 0, 3]].freeze

  def setup
    super
    @wall = face(*NOTCHED)
    @door = door(*DOOR)
  end

  def test_door_in_the_outline
    prepare_room([@door])
    rf = room_face(@wall)
    assert_equal [@door], rf.doors
    assert_equal [], rf.doorFrames
    # The polygon loses the door's corners; the outline keeps them.
    assert_equal 8, rf.faceVertexPoints.length
    assert_equal [[0, 0, 0], [4, 0, 0], [4, 0, 3], [0, 0, 3]].sort,
                 rf.facePolygon.map { |p| p.to_a.map(&:to_i) }.sort
    # The door is the face's own: not a frame.
    assert_same false, rf.isDoorFrame
    assert_same false, rf.blind
  end

  def test_door_leaf_is_blind_and_later_doors_are_not_examined
    # A door sharing 3 of the leaf's corners with 3 more elsewhere would
    # make the leaf a door frame, but only when examined.
    elsewhere = face([10, 0, 0], [11, 0, 0], [11, 0, 1]).vertices
    partial = QORPlugin::Door.new(@door.vertices.first(3) + elsewhere)

    prepare_room([@door, partial])
    rf = room_face(@door.face)
    assert_same true, rf.blind
    assert_same false, rf.isDoorFrame

    prepare_room([partial, @door])
    rf = room_face(@door.face)
    assert_same true, rf.blind
    assert_same true, rf.isDoorFrame
  end

  # The building's doors are indexed by corner once; a list that grows
  # between two faces is indexed again, and the leaf is found blind.
  def test_door_added_to_the_building_later_is_seen
    elsewhere = door([10, 0, 0], [11, 0, 0], [11, 0, 1])
    doors = [elsewhere]
    prepare_room(doors)
    assert_same false, room_face(@door.face).blind
    doors << @door
    assert_same true, room_face(@door.face).blind
  end

  def test_outline_holding_a_door_that_is_not_its_own_makes_a_frame
    prepare_room([@door])
    # A door search that does not give the wall its door.
    @model.define_singleton_method(:findDoors2) { |_vertices, _face| [] }
    rf = room_face(@wall)
    assert_equal [], rf.doors
    assert_same true, rf.isDoorFrame
  end

  def test_frame_around_the_door_is_examined_for_the_wall
    # A frame whose hole is the door, filled by the door leaf.
    frame = face_with_holes([[0.5, 0, -0.5], [2.5, 0, -0.5], [2.5, 0, 2.5], [0.5, 0, 2.5]], DOOR)
    prepare_room([@door])
    rf = room_face(@wall)
    assert_equal [@door], rf.doors
    assert_equal [@door], rf.doorFrames
    # The frame's hole is looked into for the wall: the leaf fills it.
    assert_equal [@door.face.outer_loop.vertices.sort_by(&:object_id)],
                 rf.windows.map { |w| w.vertices.sort_by(&:object_id) }
    assert_equal [], rf.innerLoopPolygons

    # The frame itself: the door is in its hole, not on its outline.
    rf = room_face(frame)
    assert_equal [], rf.doors
    assert_same false, rf.isDoorFrame
  end

  def test_shared_corner_rule
    # A face with three of the door's corners and one of its own.
    partial = [[1, 0, 0], [2, 0, 0], [2, 0, 2], [0.5, 0, 2.5]]

    four = face(*partial)
    prepare_room([@door])
    assert_same false, room_face(four).isDoorFrame, '3 of 4 corners'

    # Six corners: the shape of the door's top differs, its bottom is the same.
    six = door([1, 0, 0], [2, 0, 0], [2, 0, 2], [1.7, 0, 2.3], [1.3, 0, 2.3], [1, 0, 2])
    prepare_room([six])
    rf = room_face(four)
    assert_equal [], rf.doors
    assert_same true, rf.isDoorFrame, '3 of 6 corners'
  end

  def test_frame_that_carries_the_door_too_does_not_loop
    # Another face around the door whose outline has the door's corners:
    # each face is a frame candidate of the other.
    other = face([0, 0, 0], [1, 0, 0], [1, 0, 2], [2, 0, 2], [2, 0, 0], [3, 0, 0], [3, 0, -1],
                 [0, 0, -1])
    prepare_room([@door])
    rf = Timeout.timeout(10) { room_face(@wall) }
    assert_equal [@door], rf.doorFrames
    assert_equal [@door], rf.doors.uniq

    rf = Timeout.timeout(10) { room_face(other) }
    assert_equal [@door], rf.doorFrames
  end
end

# The frame search looks only at the faces on a door's corner, yet visits
# them in the order of the model's face list, as the walk over every face
# does: the frames' holes come out in that order on both roads.
class RoomFaceDoorFrameOrderTest < QORTest::Case
  include QORTest::RoomFaceBuilder

  DOOR = RoomFaceDoorTest::DOOR
  HOLE_A = [[2.7, 0, 1], [3.2, 0, 1], [3.2, 0, 1.5], [2.7, 0, 1.5]].freeze
  HOLE_B = [[-0.3, 0, 1], [0.2, 0, 1], [0.2, 0, 1.5], [-0.3, 0, 1.5]].freeze

  def setup
    super
    @wall = face(*RoomFaceDoorTest::NOTCHED)
    @door = door(*DOOR)
    # Two frames round the door, each with an open hole of its own.
    @frame_a = face_with_holes([[0.5, 0, -0.5], [3.5, 0, -0.5], [3.5, 0, 2.5], [0.5, 0, 2.5]], DOOR, HOLE_A)
    @frame_b = face_with_holes([[-0.5, 0, -0.6], [2.5, 0, -0.6], [2.5, 0, 2.6], [-0.5, 0, 2.6]], DOOR, HOLE_B)
  end

  def teardown
    QORPlugin.plain_road = false
    super
  end

  def open_holes(listed, plain)
    prepare_room([@door])
    $modelFaces2 = $modelFaces2 - listed + listed
    rf = QORPlugin.on_road(plain) { room_face(@wall) }
    assert_equal [@door], rf.doorFrames
    assert_equal [@door], rf.doors
    rf.innerLoopPolygons.map { |polygon| polygon.map(&:to_a) }
  end

  def test_frames_in_model_face_order_on_both_roads
    [[[@frame_a, @frame_b], [HOLE_A, HOLE_B]],
     [[@frame_b, @frame_a], [HOLE_B, HOLE_A]]].each do |listed, holes|
      [true, false].each do |plain|
        assert_equal holes, open_holes(listed, plain), "plain road: #{plain}"
      end
    end
  end

  def test_door_on_an_erased_corner_has_no_frame
    gone = QORPlugin::Door.new([face([9, 0, 0], [9.5, 0, 0], [9.5, 0, 1]).vertices.first] + @door.vertices)
    entities.erase_entities(gone.vertices.first.edges)
    prepare_room([@door])
    @model.define_singleton_method(:findDoors2) { |_vertices, _face| [gone] }
    [true, false].each do |plain|
      rf = QORPlugin.on_road(plain) { room_face(@wall) }
      assert_equal [[], [gone]], [rf.doorFrames, rf.doors], "plain road: #{plain}"
    end
  end
end

class RoomFaceWindowPaneTest < QORTest::Case
  include QORTest::RoomFaceBuilder

  def strip(x0, x1, *holes)
    outline = [[x0, 0, 0], [x1, 0, 0], [x1, 0, 3], [x0, 0, 3]]
    holes.empty? ? face(*outline) : face_with_holes(outline, *holes)
  end

  def test_one_loop_between_two_faces_is_a_pane
    strip(0, 1)
    pane = strip(1, 2)
    strip(2, 3)
    prepare_room
    assert_equal 2, $cMethods.findAdjFaces(pane).length
    rf = room_face(pane)
    assert_same true, rf.isWindow
    assert_same true, rf.blind
    assert_nil pane.get_attribute('FaceDict', 'RoomFace')
  end

  def test_two_loops_between_two_faces_is_no_pane
    strip(0, 1)
    holed = strip(1, 2, [[1.25, 0, 1], [1.75, 0, 1], [1.75, 0, 2], [1.25, 0, 2]])
    strip(2, 3)
    single = face([10, 0, 0], [11, 0, 0], [11, 0, 3])
    prepare_room
    rf = room_face(holed)
    assert_same false, rf.isWindow
    assert_same false, rf.blind
    assert_same true, holed.get_attribute('FaceDict', 'RoomFace')
    # And a lone face has no neighbours at all.
    assert_same false, room_face(single).isWindow
  end
end

require_relative '../test_helper'
require_relative '../support/walls_builder'

class FindMissingFaceTest < QORTest::Case
  include QORTest::WallsBuilder

  def missing(f1, f2)
    QORTA.findMissingFace(f1, f2)
  end

  def test_faces_sharing_an_edge_have_none
    floor, _, front, = box_room(0, 0, 0, 10, 10, 10)
    # The right wall would bridge them (its vertical edge and its bottom
    # edge each run from the floor's loop to the front's).
    assert_nil missing(floor, front)
  end

  def test_the_last_bridging_face_wins_and_excluded_faces_never_bridge
    floor, ceiling, front, right, back, left = box_room(0, 0, 0, 10, 10, 10)
    assert_same left, missing(floor, ceiling)
    mark(left.instance_variable_get(:@face), 'TrueDoor')
    assert_same back, missing(floor, ceiling)
    mark(back.instance_variable_get(:@face), 'FaceType', 'Partition')
    assert_same right, missing(floor, ceiling)
    right.instance_variable_set(:@incursionFace, true)
    assert_same front, missing(floor, ceiling)
    mark(front.instance_variable_get(:@face), 'FaceType', 'Slab')
    assert_nil missing(floor, ceiling)
  end

  # A square and a rhombus standing on its diagonal: they share the corners
  # p and q but no edge.
  def crossed_pair
    flat = room_face(face([0, 0, 0], [10, 0, 0], [10, 10, 0], [0, 10, 0]))
    standing = room_face(face([0, 0, 0], [5, 5, 8], [10, 10, 0], [5, 5, -8]))
    [flat, standing]
  end

  def test_one_connecting_edge_is_no_bridge
    flat, standing = crossed_pair
    # Only its edge (10,0,0)-(5,5,8) joins the two loops.
    one_edge = room_face(face([10, 0, 0], [5, 5, 8], [20, 0, 3]))
    room_of(flat, standing, one_edge)
    assert_nil missing(flat, standing)
  end

  def test_an_edge_with_both_ends_in_both_loops_counts_twice
    flat, standing = crossed_pair
    # Its edge p-q lies in neither loop, but each end is a corner of both.
    diagonal = room_face(face([0, 0, 0], [10, 10, 0], [10, 0, 5]))
    one_edge = room_face(face([10, 0, 0], [5, 5, 8], [20, 0, 3]))
    room_of(flat, standing, diagonal, one_edge)
    assert_same diagonal, missing(flat, standing)
  end

  def test_only_exact_marks_exclude_a_face
    floor, ceiling, _, _, _, left = box_room(0, 0, 0, 10, 10, 10)
    face = left.instance_variable_get(:@face)
    [['TrueDoor', 1], ['TrueDoor', 'yes'], ['FaceType', 'slab'], ['FaceType', 'Slab '],
     ['FaceType', 'partition']].each do |key, value|
      mark(face, key, value)
      assert_same left, missing(floor, ceiling), "#{key} = #{value.inspect}"
      face.delete_attribute('FaceDict', key)
    end
  end

  def test_a_face_type_that_is_no_string_raises
    floor, ceiling, _, _, _, left = box_room(0, 0, 0, 10, 10, 10)
    mark(left.instance_variable_get(:@face), 'FaceType', 5)
    assert_raises(TypeError) { missing(floor, ceiling) }
  end
end

# Room 1 (x 0..10, y 0..10, z 0..10.5) has rooms 2 (z 0..5) and 3
# (z 5.5..10.5) beyond its right wall, across a wall 0.5 thick; a slab 0.5
# thick parts rooms 2 and 3.  F is room 1's front wall, N its right wall,
# and the search runs along their common vertical edge.
class FindIPlanesByVertexOnlyTest < QORTest::Case
  include QORTest::WallsBuilder

  Q = [10, 0, 0].freeze
  R = [10, 0, 10.5].freeze

  def setup
    super
    @room1 = box_room(0, 0, 0, 10, 10, 10.5)
    @room2 = box_room(10.5, 0, 0, 20, 10, 5)
    @room3 = box_room(10.5, 0, 5.5, 20, 10, 10.5)
    @f = @room1[2]
    @n = @room1[3]
    @a = @room2[5]
    @b = @room3[5]
    @plane_a = [1.0, 0.0, 0.0, -10.25]
    @plane_b = [1.0, 0.0, 0.0, -10.5]
    @floor3_plane = [0.0, 0.0, 1.0, -5.25]
    elsewhere = room_face(face([40, 0, 0], [50, 0, 0], [50, 10, 0]))
    opposite!(@b, elsewhere, [0.0, 0.0, 1.0, 0.0]) # so that N is B's second opposite face
    opposite!(@n, @a, @plane_a)
    opposite!(@n, @b, @plane_b)
    opposite!(@room2[1], @room3[0], [0.0, 0.0, 1.0, -5.25])
    @room3[0].instance_variable_set(:@outerShellPlane, @floor3_plane)
  end

  def search(q = Q, r = R, faces = @room1)
    QORTA.findIPlanesByVertexOnly(@f, pt(*q), pt(*r), faces, :unread)
  end

  def outer_shell_plane(room_face)
    room_face.instance_variable_get(:@outerShellPlane)
  end

  # Stands in for a script method the extension calls on nil.
  def with_nil_method(name, body)
    NilClass.send(:define_method, name, body)
    yield
  ensure
    NilClass.send(:remove_method, name)
  end

  def test_topmost_faces_linked_behind_f_give_their_planes
    # Both walls of rooms 2 and 3 reach the edge, so both are topmost; no
    # face of their rooms bridges them, but room 2's ceiling faces room 3's
    # floor, which links them.
    shown = []
    result = nil
    show = ->(face, top) { shown << [face, top] && :ignored }
    with_nil_method(:showTopFaces, show) do
      result = search
    end
    assert_equal [[@f, [@a, @b]]], shown
    assert_equal 3, result.length
    assert_same @plane_a, result[0]
    assert_same @floor3_plane, result[1]
    assert_same @plane_b, result[2]
    assert_same @plane_a, outer_shell_plane(@a)
    assert_same @plane_b, outer_shell_plane(@b)
  end

  def test_an_incursion_face_answers_nothing_but_still_sets_the_planes
    @f.instance_variable_set(:@incursionFace, true)
    assert_equal [], search
    assert_same @plane_a, outer_shell_plane(@a)
    assert_same @plane_b, outer_shell_plane(@b)
  end

  def test_a_neighbour_with_at_most_one_opposite_face_stands_for_itself
    own = [1.0, 0.0, 0.0, -10.0]
    @n.instance_variable_set(:@outerShellPlane, own)
    [[@a], []].each do |opposite|
      @n.instance_variable_set(:@oppositeRoomFaces, opposite)
      result = search
      assert_equal 1, result.length
      assert_same own, result[0]
    end
    assert_nil outer_shell_plane(@a)
  end

  def test_two_topmost_faces_take_one_bridge_at_most
    # Room 2's wall steps back half-way up: a low part, a step and a high
    # part.  The step bridges the two parts either way round, yet is listed
    # once.
    low = room_face(face([10.5, 0, 0], [10.5, 10, 0], [10.5, 10, 5], [10.5, 0, 5]))
    step = room_face(face([10.5, 0, 5], [10.5, 10, 5], [11, 10, 5], [11, 0, 5]),
                     outer_shell_plane: [0.0, 0.0, 1.0, -5.0])
    high = room_face(face([11, 0, 5], [11, 10, 5], [11, 10, 10.5], [11, 0, 10.5]))
    room_of(low, step, high)
    @n.instance_variable_set(:@oppositeRoomFaces, [])
    @n.instance_variable_set(:@intermediatePlanes, [])
    opposite!(@n, low, @plane_a)
    opposite!(@n, high, @plane_b)
    result = search
    assert_equal 3, result.length
    assert_same @plane_a, result[0]
    assert_same outer_shell_plane(step), result[1]
    assert_same @plane_b, result[2]
  end

  def test_edges_bordering_a_door_are_never_the_edge
    refute_empty search
    door = face(Q, R, [12, -2, 5])
    mark(door, 'TrueDoor')
    assert_equal [], search
  end

  def test_no_edge_or_no_neighbour_answers_nothing
    # The diagonal of F runs along no edge.
    assert_equal [], search([0, 0, 0], R)
    # The edge is there, but no listed face is across it.
    assert_equal [], search(Q, R, [@f, @room1[0]])
    mark(@n.instance_variable_get(:@face), 'Slab')
    assert_equal [], search
  end

  def test_the_neighbour_is_the_first_admissible_face_across_the_edge
    # Listed first but left out: a face in F's own plane, and a partition.
    flush = room_face(face(Q, [12, 0, 0], [12, 0, 10.5], R), outer_shell_plane: [:flush])
    partition = room_face(mark(face(Q, R, [12, -2, 5]), 'Partition'), outer_shell_plane: [:partition])
    # Listed after N: never reached.
    later = room_face(face(Q, R, [12, 3, 5]), outer_shell_plane: [:later])
    result = search(Q, R, [flush, partition, @f] + @room1 + [later])
    assert_same @plane_a, result.first
    assert_same @plane_b, result.last
  end

  def test_incursion_faces_are_left_out_when_incursions_enclose_f
    floor1, ceiling1, _, _, _, left1 = @room1
    @b.instance_variable_set(:@incursionFace, true)
    assert_equal 3, search.length # none around F yet

    floor1.instance_variable_set(:@incursionFace, true)
    assert_equal 3, search.length # one is not enough

    ceiling1.instance_variable_set(:@incursionFace, true)
    # Two: enclosed when the floor's centre lies nearer the ceiling's plane
    # (10.5) than a wall is thick.
    $maxWallThickness = 10.5
    assert_equal 3, search.length
    $maxWallThickness = 10.6
    assert_equal [@plane_a, @floor3_plane], search

    $maxWallThickness = 1.0
    left1.instance_variable_set(:@incursionFace, true)
    assert_equal [@plane_a, @floor3_plane], search # three always enclose
  end
end

require_relative '../test_helper'
require_relative '../support/walls_builder'

class OrderFacesRoundNormalTest < QORTest::Case
  include QORTest::WallsBuilder

  UP = Geom::Vector3d.new(0, 0, 1)

  # A small square room face centred at the given angle (degrees) round the
  # z axis, 10 from it.
  def face_at(degrees, z = 0)
    t = degrees * Math::PI / 180
    cx = (10 * Math.cos(t)).round(9)
    cy = (10 * Math.sin(t)).round(9)
    room_face(face([cx - 1, cy - 1, z], [cx + 1, cy - 1, z], [cx + 1, cy + 1, z], [cx - 1, cy + 1, z]))
  end

  def order(faces, axis = UP, origin = pt(0, 0, 0))
    QORTA.orderFacesRoundNormal(faces, axis, origin)
  end

  def test_faces_come_in_signed_angle_from_the_first
    first = face_at(0)
    left = face_at(90)
    right = face_at(-90)
    near_left = face_at(30)
    assert_equal [right, first, near_left, left], order([first, left, right, near_left])
    # Reversing the axis reverses the sense of the angles.
    assert_equal [left, near_left, first, right], order([first, left, right, near_left], UP.reverse)
  end

  def test_the_face_opposite_the_first_has_key_zero
    first = face_at(0)
    opposite = face_at(180)
    below = face_at(-10)
    above = face_at(10)
    result = order([first, above, opposite, below])
    # Keyed by π it would sort last; keyed 0 it sits with the first face.
    assert_same below, result.first
    assert_same above, result.last
    assert_equal [first, opposite].sort_by(&:object_id), result[1, 2].sort_by(&:object_id)
  end

  def test_axis_length_and_the_faces_heights_do_not_matter
    faces = [face_at(0), face_at(120, 7), face_at(-60, 3), face_at(45)]
    expected = order(faces)
    assert_equal [faces[2], faces[0], faces[3], faces[1]], expected
    assert_equal expected, order(faces, Geom::Vector3d.new(0, 0, 5))
    assert_equal expected, order(faces, UP, pt(0, 0, -20))
  end

  def test_one_face_gives_a_new_array
    faces = [face_at(30)]
    result = order(faces)
    assert_equal faces, result
    refute_same faces, result
  end

  def test_refusals_answer_the_argument_itself
    empty = []
    assert_same empty, order(empty)
    led_by_nil = [nil, face_at(0)]
    assert_same led_by_nil, order(led_by_nil)
    faces = [face_at(0), face_at(90)]
    assert_same faces, order(faces, Geom::Vector3d.new(0, 0, 0))
  end

  def test_faces_that_are_not_room_faces_raise
    assert_match(/@face/, assert_raises(TypeError) { order([room_face('not a face')]) }.message)
    assert_raises(TypeError) { order('faces') }
  end
end

class TopmostFacesTest < QORTest::Case
  include QORTest::WallsBuilder

  # Seen from the line x = 0, z = 0 (where the plane x = 0 meets z = 0),
  # looking along +x across the faces projected into z = 0.
  SIDE = [1, 0, 0, 0].freeze
  GROUND = [0, 0, 1, 0].freeze

  def rect(x0, y0, x1, y1, z = 0)
    room_face(face([x0, y0, z], [x1, y0, z], [x1, y1, z], [x0, y1, z]))
  end

  def topmost(faces, p1 = SIDE, p2 = GROUND)
    QORTA.topmostFaces(faces, p1, p2)
  end

  def test_a_face_behind_another_is_hidden
    near = rect(2, 0, 4, 2)
    far = rect(6, 0, 8, 2, 5)
    aside = rect(6, 4, 8, 6)
    assert_equal [near, aside], topmost([far, near, aside])
  end

  def test_an_outline_reaching_the_line_is_topmost_with_faces_in_between
    reaching = rect(0, 3, 10, 5, 3)
    between = rect(1, 3.5, 2, 4.5)
    hidden = rect(4, 3.8, 6, 4.2, -2)
    assert_equal [reaching, between], topmost([reaching, between, hidden])
  end

  def test_touching_an_outline_at_one_end_of_the_sight_does_not_hide
    # front's sight runs from its centre (5, 9) along y = 9 to the line, where
    # it ends on wall's edge; wall's own edge x = 5 passes front's centre.
    front = rect(4, 8, 6, 10)
    wall = rect(-2, 0, 0, 20, 4)
    across = rect(5, 6, 7, 12, 2)
    result = topmost([front, wall, across])
    assert_includes result, front
    assert_includes result, wall
    refute_includes result, across # its sight crosses front's edge x = 4
  end

  def test_a_sight_grazing_an_apex_meets_two_edges_and_is_hidden
    # back's sight runs along y = 1 from (7, 1) to the line; the triangle's
    # first point, its apex, sits on it at (4, 1), so the closing edge and
    # the first edge both meet the sight there: two meetings hide back.
    back = rect(6, 0, 8, 2)
    apex = room_face(face([4, 1, 0], [5, 3, 0], [3, 3, 0]))
    assert_equal [apex], topmost([back, apex])
  end

  def test_collapsed_outlines_never_hide
    # A vertical face projects onto a segment with repeated points.
    upright = room_face(face([3, 0, 0], [3, 2, 0], [3, 2, 2], [3, 0, 2]))
    behind = rect(5, 0.5, 7, 1.5)
    assert_equal [upright, behind], topmost([upright, behind])
    # An outline of two points is no polygon either.
    stub = room_face(OutlineFace.new([pt(3, 0, 0), pt(3, 2, 0)]))
    assert_equal [stub, behind], topmost([stub, behind])
    # The same segment as a real polygon does hide.
    thin = rect(2.9, 0, 3.1, 2)
    assert_equal [thin], topmost([thin, behind])
  end

  def test_none_topmost_answers_the_argument_itself
    inner = rect(2, 0, 4, 2, 1)
    outer = rect(1, -1, 5, 3)
    faces = [inner, outer]
    assert_same faces, topmost(faces)
    empty = []
    assert_same empty, topmost(empty)
  end

  def test_the_log_is_a_new_empty_string_each_call
    $topmostFacesLog = +'left over'
    faces = [rect(2, 0, 4, 2)]
    topmost(faces)
    first = $topmostFacesLog
    assert_equal '', first
    first << 'written by a script'
    topmost(faces)
    assert_equal '', $topmostFacesLog
    refute_same first, $topmostFacesLog
  end

  def test_parallel_planes_raise_the_hosts_error
    expected = assert_raises(StandardError) { pt(0, 0, 0).project_to_line(nil) }
    error = assert_raises(StandardError) { topmost([rect(2, 0, 4, 2)], GROUND, [0, 0, 1, -5]) }
    assert_equal expected.class, error.class
    assert_equal expected.message, error.message
  end
end

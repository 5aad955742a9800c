require_relative '../test_helper'
require_relative '../support/roomface_builder'

# A wall at y = 0 with one hole; what fills the hole decides the openings.
class RoomFaceHoleTest < QORTest::Case
  include QORTest::RoomFaceBuilder

  OUTER = [[0, 0, 0], [6, 0, 0], [6, 0, 4], [0, 0, 4]].freeze
  HOLE = [[1, 0, 1], [3, 0, 1], [3, 0, 3], [1, 0, 3]].freeze
  INNER = [[1.5, 0, 1.5], [2.5, 0, 1.5], [2.5, 0, 2.5], [1.5, 0, 2.5]].freeze

  def sorted(vertices)
    vertices.sort_by(&:object_id)
  end

  def hole_loop(face)
    (face.loops - [face.outer_loop]).first
  end

  def test_hole_filled_by_a_pane_is_a_window
    wall = face_with_holes(OUTER, HOLE)
    glass = pane(HOLE)
    prepare_room
    rf = room_face(wall)
    assert_equal 1, rf.windows.length
    window = rf.windows.first
    assert_kind_of QORPlugin::Opening, window
    assert_equal 'window', window.type
    assert_equal sorted(glass.outer_loop.vertices), sorted(window.vertices)
    assert_equal [], rf.innerLoopPolygons
    assert_equal [], rf.windowFrames
  end

  def test_unfilled_hole_is_a_window_and_an_inner_polygon
    wall = face_with_holes(OUTER, HOLE)
    prepare_room
    rf = room_face(wall)
    assert_equal 1, rf.windows.length
    assert_equal sorted(hole_loop(wall).vertices), sorted(rf.windows.first.vertices)
    assert_equal 'window', rf.windows.first.type
    assert_equal 1, rf.innerLoopPolygons.length
    assert_equal HOLE.map { |p| p.map(&:to_f) }.sort, rf.innerLoopPolygons.first.map(&:to_a).sort
  end

  def test_hole_filled_by_a_face_with_its_own_hole
    wall = face_with_holes(OUTER, HOLE)
    frame = face_with_holes(HOLE, INNER)
    prepare_room
    rf = room_face(wall)
    assert_equal [frame], rf.windowFrames
    # The frame's open hole becomes a window of the wall.
    assert_equal 1, rf.windows.length
    assert_equal sorted(hole_loop(frame).vertices), sorted(rf.windows.first.vertices)
    assert_equal [INNER.map { |p| p.map(&:to_f) }.sort], rf.innerLoopPolygons.map { |pl| pl.map(&:to_a).sort }
  end

  def test_holes_are_examined_once_per_room_build
    wall = face_with_holes(OUTER, HOLE)
    prepare_room
    assert_equal 1, room_face(wall).windows.length
    assert_same true, wall.get_attribute('FaceDict', 'found')
    # Listed again in the same build: the holes were examined already.
    assert_equal [], room_face(wall).windows
    # Only exactly true counts as examined.
    [false, nil, 1, 'yes'].each do |mark|
      wall.set_attribute('FaceDict', 'found', mark)
      assert_equal 1, room_face(wall).windows.length, mark.inspect
      assert_same true, wall.get_attribute('FaceDict', 'found')
    end
  end

  def test_a_filler_sharing_one_vertex_fills_the_hole
    wall = face_with_holes(OUTER, HOLE)
    corner = face([1, 0, 1], [1, -2, 1], [0, -2, 1]) # meets the hole at (1, 0, 1) only
    prepare_room
    $innerLoopFacesHash2[wall.to_s] = [corner]
    rf = room_face(wall)
    # The listed face is a window of its own; the hole adds none.
    assert_equal [sorted(corner.outer_loop.vertices)], rf.windows.map { |w| sorted(w.vertices) }
    assert_equal [], rf.innerLoopPolygons
  end

  def test_face_missing_from_the_hole_table_has_no_fillers
    wall = face_with_holes(OUTER, HOLE)
    pane(HOLE)
    prepare_room
    $innerLoopFacesHash2.delete(wall.to_s)
    rf = room_face(wall)
    # Nothing is known to fill the hole: it counts as open.
    assert_equal 1, rf.windows.length
    assert_equal 1, rf.innerLoopPolygons.length
  end
end

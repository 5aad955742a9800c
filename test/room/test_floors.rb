require_relative '../test_helper'
require_relative '../support/room_builder'

# Tall rooms cut into storeys: the slab outlines appended to $newFloors.
class FloorsTest < QORTest::Case
  include QORTest::RoomBuilder

  M = 39.37007874015748 # inches in a metre

  def cut(room, metres, mode, tag = 'F')
    room.makeFloors(metres, mode, tag)
  end

  # [[x, y], ...] at height z, compared point by point in chain order.
  def assert_outline(expected_xy, z, polygon)
    got = polygon.map { |p| [p.x.round(6), p.y.round(6)] }
    assert_equal expected_xy.map { |x, y| [x.to_f, y.to_f] }, got
    polygon.each { |p| assert_in_delta z, p.z, 1e-6 }
  end

  def box_room(height_m, z0 = 0.0)
    new_room(box(0, 0, z0, 100, 80, z0 + height_m * M))
  end

  # Walls cut in the middle of a box: the front wall's segment starts the
  # chain and the left and back walls' segments join it turned round.
  BOX_OUTLINE = [[100, 0], [0, 0], [0, 80], [100, 80]].freeze

  def test_single_cut_mode
    room = box_room(2.6)
    assert_equal false, cut(room, 3, 'false')
    assert_empty $newFloors
    assert_equal true, cut(room, 2.5, 'no')
    assert_equal 1, $newFloors.size
    tag, polygon = $newFloors.first
    assert_equal 'F', tag
    assert_in_delta 98.43, polygon.first.z, 0.005
    assert_outline BOX_OUTLINE, 2.5 * M, polygon
  end

  # Storey-count mode: (height + 0.1 in) / storey, truncated, less one cut.
  def test_storey_count_mode
    [[6.1, 3, [3]], [6.0, 3, [3]], [5.9, 3, []], [9.1, 3, [3, 6]], [2.0, 3, []]].each do |h, s, cuts|
      $newFloors = []
      room = box_room(h, 10.0)
      assert_equal true, cut(room, s, 'true'), "#{h} m"
      assert_equal cuts.size, $newFloors.size, "#{h} m with #{s} m storeys"
      $newFloors.zip(cuts).each { |(_, poly), z| assert_outline BOX_OUTLINE, 10.0 + z * M, poly }
      @model = fresh_model
    end
  end

  # Single-cut mode cuts a room exactly one storey high at its top, where
  # the ceiling's edges meet every wall's line again: the outline is still
  # the box's, each side once.
  def test_cut_at_the_top_counts_each_side_once
    room = box_room(2.5)
    assert_equal true, cut(room, 2.5, 'false')
    assert_outline BOX_OUTLINE, 2.5 * M, $newFloors.first[1]
  end

  # Two walls meeting at a corner, one below the cut and one above it:
  # the cut at 40 in is the highest z of the one and the lowest of the
  # other, and both give their segment.
  def test_cut_at_a_faces_lowest_and_highest_z_counts
    below = face([0, 0, 0], [100, 0, 0], [100, 0, 40], [0, 0, 40])
    above = face([0, 0, 40], [0, 80, 40], [0, 80, 100], [0, 0, 100])
    room = new_room([below, above])
    assert_equal true, cut(room, 40 * 0.0254, 'false')
    assert_outline [[100, 0], [0, 0]], 40, $newFloors.first[1]
  end

  # A front wall with a door notch across the cut: four crossings paired
  # into the segments either side of the opening, the door leaf between
  # them, then round the box.
  def test_opening_across_the_cut
    faces = box(0, 0, 0, 100, 80, 100)
    faces[2].erase!
    front = face([0, 0, 0], [20, 0, 0], [20, 0, 70], [50, 0, 70], [50, 0, 0], [100, 0, 0],
                 [100, 0, 100], [0, 0, 100])
    leaf = face([20, 0, 0], [50, 0, 0], [50, 0, 70], [20, 0, 70])
    room = new_room(faces[0, 2] + [front] + faces[3..] + [leaf])
    cut(room, 40 * 0.0254, 'false', :storey)
    tag, polygon = $newFloors.first
    assert_equal :storey, tag
    assert_outline [[100, 0], [50, 0], [20, 0], [0, 0], [0, 80], [100, 80]], 40, polygon
  end

  # Without the leaf the chain cannot get past the opening and stops.
  def test_chain_stops_where_nothing_continues
    faces = box(0, 0, 0, 100, 80, 100)
    faces[2].erase!
    front = face([0, 0, 0], [20, 0, 0], [20, 0, 70], [50, 0, 70], [50, 0, 0], [100, 0, 0],
                 [100, 0, 100], [0, 0, 100])
    room = new_room(faces[0, 2] + [front] + faces[3..])
    cut(room, 40 * 0.0254, 'false')
    assert_outline [[100, 0]], 40, $newFloors.first[1]
  end

  # An L-shaped room 240 in high, 3 m storeys: one cut at 118.11 in.
  def test_l_shaped_room
    outline = [[0, 0], [100, 0], [100, 50], [50, 50], [50, 100], [0, 100]]
    h = 240
    floor = face(*outline.reverse.map { |x, y| [x, y, 0] })
    ceiling = face(*outline.map { |x, y| [x, y, h] })
    walls = outline.each_index.map do |i|
      (x0, y0), (x1, y1) = outline[i], outline[(i + 1) % 6]
      face([x0, y0, 0], [x1, y1, 0], [x1, y1, h], [x0, y0, h])
    end
    room = new_room([floor, ceiling] + walls)
    assert_equal true, cut(room, 3, 'true')
    assert_equal 1, $newFloors.size
    assert_outline [[100, 0], [0, 0], [0, 100], [50, 100], [50, 50], [100, 50]], 3 * M,
                   $newFloors.first[1]
  end

  def test_called_again_appends_anew
    room = box_room(6.1)
    cut(room, 3, 'true', 1)
    cut(room, 2, 'true', 2)
    assert_equal [1, 2, 2], $newFloors.map(&:first)
  end

  # Nothing to cut: no segments, no entry (not an empty polygon).
  def test_cut_without_segments_appends_nothing
    room = new_room([face([0, 0, 0], [0, 80, 0], [100, 80, 0], [100, 0, 0]),
                     face([0, 0, 300], [100, 0, 300], [100, 80, 300], [0, 80, 300])])
    assert_equal true, cut(room, 1, 'true')
    assert_empty $newFloors
  end

  def test_unusable_storey_heights_are_refused
    room = box_room(6.1)
    # 1e-300 m: 1e302 storeys, which would never finish.
    [0, -3, Float::NAN, Float::INFINITY, '0', 1e-300].each do |h|
      error = assert_raises(ArgumentError) { cut(room, h, 'true') }
      assert_includes error.message, h.to_f.to_s
    end
    assert_empty $newFloors
  end
end

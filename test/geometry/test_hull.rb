require_relative '../test_helper'

module HullHelpers
  def xy(points)
    points.map { |p| [p.x, p.y] }
  end

  # Runs the block with Array#sort! yielding `values` to its block instead
  # of sorting.
  def with_sort_yielding(*values)
    Array.class_eval do
      alias_method :__qor_test_sort!, :sort!
      define_method(:sort!) { |&block| block.call(*values); self }
    end
    yield
  ensure
    Array.class_eval do
      alias_method :sort!, :__qor_test_sort!
      remove_method :__qor_test_sort!
    end
  end
end

class ConvexHullTest < QORTest::Case
  include HullHelpers

  CORNERS = [[10, 5], [0, 0], [10, 0], [0, 5]].freeze
  # Anchor: greatest x, then greatest y.  The rest go round it in angular
  # order, here clockwise seen from above.
  EXPECTED = [[10.0, 5.0], [10.0, 0.0], [0.0, 0.0], [0.0, 5.0]].freeze

  def test_rectangle_in_any_order_keeps_only_its_corners
    CORNERS.permutation.each_with_index do |order, i|
      points = order.map { |x, y| pt(x, y) }
      points.insert(i % 5, pt(3, 2))
      assert_equal EXPECTED, xy(QORTA.convexHull2(points)), "input #{order.inspect}"
    end
  end

  def test_points_on_hull_edges_are_dropped
    points = [pt(0, 0), pt(5, 0), pt(10, 0), pt(10, 2.5), pt(10, 5), pt(0, 5), pt(0, 1)]
    assert_equal EXPECTED, xy(QORTA.convexHull2(points))
  end

  def test_equal_x_takes_the_greater_y_first
    [[pt(10, 0), pt(10, 5), pt(0, 2)], [pt(10, 5), pt(10, 0), pt(0, 2)]].each do |points|
      assert_equal [10.0, 5.0], xy(QORTA.convexHull2(points)).first
    end
  end

  def test_result_is_a_subset_and_the_input_is_unchanged
    points = [pt(0, 0, 3), pt(4, 0, 3), pt(2, 1, 3), pt(4, 4, 3), pt(0, 4, 3)]
    before = points.dup
    hull = QORTA.convexHull2(points)
    assert_equal before.map(&:object_id), points.map(&:object_id)
    assert hull.all? { |h| points.any? { |p| p.equal?(h) } }
    refute_same points, hull
    assert_equal 4, hull.length
  end

  def test_hull_of_a_tilted_plane
    # The square x + z = 10 seen along its normal, plus its centre.
    points = [pt(0, 0, 10), pt(10, 0, 0), pt(10, 10, 0), pt(0, 10, 10), pt(5, 5, 5)]
    hull = QORTA.convexHull2(points)
    assert_equal [[10.0, 10.0, 0.0], [10.0, 0.0, 0.0]], hull.first(2).map(&:to_a)
    assert_equal points.first(4).map(&:to_a).sort, hull.map(&:to_a).sort
  end

  def test_convex_hull_reads_the_objects_polygon
    room_face = QORTA::QORTA_RoomFace.allocate
    room_face.polygon = [pt(0, 0), pt(6, 0), pt(3, 1), pt(6, 6), pt(0, 6)]
    assert_equal xy(QORTA.convexHull2(room_face.polygon)), xy(QORTA.convexHull(room_face))
    assert_equal [[6.0, 6.0], [6.0, 0.0], [0.0, 0.0], [0.0, 6.0]], xy(QORTA.convexHull(room_face))

    model_face = face([0, 0, 0], [8, 0, 0], [8, 3, 0], [0, 3, 0])
    assert_equal [[8.0, 3.0], [8.0, 0.0], [0.0, 0.0], [0.0, 3.0]].sort,
                 xy(QORTA.convexHull(model_face)).sort
  end

  def test_degenerate_input_raises_from_the_host
    [[], [pt(1, 1)], [pt(0, 0), pt(1, 1)], [pt(0, 0), pt(1, 1), pt(2, 2)]].each do |points|
      assert_raises(NoMethodError, TypeError, ArgumentError) { QORTA.convexHull2(points) }
    end
  end

  def test_sort_block_refuses_other_than_two_values
    [[pt(1, 1)], [pt(1, 1), pt(2, 2), pt(3, 3)], []].each do |values|
      error = with_sort_yielding(*values) do
        assert_raises(ArgumentError) { QORTA.convexHull2([pt(0, 0), pt(1, 0), pt(0, 1)]) }
      end
      assert_equal 'Invalid arguments for sort block', error.message
    end
  end

  def test_sort_block_refuses_two_values_that_are_not_keyed_entries
    with_sort_yielding(pt(1, 1), pt(2, 2)) do
      assert_raises(TypeError) { QORTA.convexHull2([pt(0, 0), pt(1, 0), pt(0, 1)]) }
    end
  end

  def test_non_numeric_coordinates_raise_the_conversion_error
    odd = Struct.new(:x, :y).new('a', 'b')
    assert_raises(TypeError) { QORTA.convexHull2([pt(0, 0), odd, pt(1, 1)]) }
  end
end

class OrderVerticesRoundMinPointTest < QORTest::Case
  include HullHelpers

  UP = Geom::Vector3d.new(0, 0, 1)

  def test_signed_angle_from_the_first_point
    first = pt(1, 0)
    left = pt(0, 1)      # +90 degrees about UP
    right = pt(0, -1)    # -90 degrees
    behind = pt(-1, 0)   # pi
    ahead = pt(2, -0.5)
    ordered = QORTA.orderVerticesRoundMinPoint([first, left, behind, right, ahead], pt(0, 0), UP)
    assert_equal [right, ahead, first, left, behind].map(&:object_id), ordered.map(&:object_id)
  end

  def test_points_on_one_ray_come_nearest_first
    far = pt(4, 4)
    near = pt(1, 1)
    mid = pt(2, 2)
    first = pt(3, 0)
    ordered = QORTA.orderVerticesRoundMinPoint([first, far, near, mid], pt(0, 0), UP)
    assert_equal [first, near, mid, far].map(&:object_id), ordered.map(&:object_id)
    # points[0] has key 0, so a point beyond it on its own ray still comes
    # after the nearer one.
    ordered = QORTA.orderVerticesRoundMinPoint([far, pt(1, -1), near], pt(0, 0), UP)
    assert_equal [[1.0, -1.0], [1.0, 1.0], [4.0, 4.0]], xy(ordered)
  end

  def test_reversed_normal_reverses_the_sides
    points = [pt(1, 0), pt(0, 1), pt(0, -1)]
    ordered = QORTA.orderVerticesRoundMinPoint(points, pt(0, 0), UP.reverse)
    assert_equal [[0.0, 1.0], [1.0, 0.0], [0.0, -1.0]], xy(ordered)
  end

  def test_input_unchanged_and_empty_input_raises
    points = [pt(0, 1), pt(1, 0)]
    before = points.map(&:object_id)
    QORTA.orderVerticesRoundMinPoint(points, pt(0, 0), UP)
    assert_equal before, points.map(&:object_id)
    assert_raises(NoMethodError, TypeError, ArgumentError) do
      QORTA.orderVerticesRoundMinPoint([], pt(0, 0), UP)
    end
  end

  def test_distance_sort_block_refuses_other_than_two_values
    error = with_sort_yielding([0.0, pt(1, 0)]) do
      assert_raises(ArgumentError) { QORTA.orderVerticesRoundMinPoint([pt(1, 0)], pt(0, 0), UP) }
    end
    assert_equal 'Invalid arguments for sort block', error.message
  end
end

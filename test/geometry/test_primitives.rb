require_relative '../test_helper'

class PlaneEqualityTest < QORTest::Case
  def eq?(a, b)
    a.qORTA_isEqualtoPlane(b)
  end

  def test_proportional_planes_are_equal_whatever_the_orientation
    assert_same true, eq?([0, 0, 1, -100], [0, 0, -1, 100])
    assert_same true, eq?([0, 0, 1, -100], [0, 0, 2, -200])
    assert_same true, eq?([0.6, 0.8, 0, -3], [-0.3, -0.4, 0, 1.5])
  end

  def test_cross_product_tolerance_is_1e5
    assert_same true, eq?([0, 0, 1, -100], [0, 0, 1, -100.000005])
    assert_same false, eq?([0, 0, 1, -100], [0, 0, 1, -100.00002])
  end

  def test_pivot_comes_from_the_receiver
    # Pivot index 0; the argument's coefficient there is below 0.001, so the
    # coefficients are compared directly.
    assert_same false, eq?([1, 0, 0, -5], [0.0005, 1, 0, -5])
    # Pivot index 1 for this receiver: proportional planes are equal.
    assert_same true, eq?([0.0005, 1, 0, -5], [0.001, 2, 0, -10])
    # 0.0005 is under the 0.001 threshold, so the pivot is b = 1 and d
    # differs by 0.001.  A pivot at a (0.0005) would scale that difference
    # down to 5e-7, under the 1e-5 tolerance, and call the planes equal.
    assert_same false, eq?([0.0005, 1, 0, -5], [0.0005, 1, 0, -5.001])
  end

  def test_receiver_without_pivot_compares_directly
    assert_same true, eq?([0.0001, 0, 0, 0], [0.0001 + 9e-6, 0, -9e-6, 0])
    assert_same false, eq?([0.0001, 0, 0, 0], [0.0001 + 2e-5, 0, 0, 0])
    assert_same true, eq?([0, 0, 0, 0], [0, 0, 0, 0])
  end

  def test_a_nan_coefficient_equals_nothing
    nan = Float::NAN
    [[[nan] * 4, [1, 2, 3, 4]], [[1, 0, 0, 0], [nan, 0, 0, 0]], [[0, 0, 1, 5], [0, 0, 1, nan]],
     [[nan] * 4, [nan] * 4]].each do |a, b|
      assert_same false, eq?(a, b), "#{a} vs #{b}"
    end
  end

  def test_integers_and_floats_mix
    assert_same true, eq?([0, 0, 1, -100], [0.0, 0.0, 1.0, -100.0])
  end

  # Bad planes are refused naming the plane: the receiver is "plane", the
  # argument "other".
  def test_bad_planes_are_refused_by_name
    assert_match(/plane must be a plane of 4/, assert_raises(ArgumentError) { eq?([0, 0, 1], [0, 0, 1, 0]) }.message)
    assert_match(/other must be a plane of 4/, assert_raises(ArgumentError) { eq?([0, 0, 1, 0], [0, 0, 1]) }.message)
    assert_match(/plane\[3\] must be a number/, assert_raises(TypeError) { eq?([0, 0, 1, 'x'], [0, 0, 1, 0]) }.message)
    assert_raises(TypeError) { eq?([0, 0, 1, 0], 'plane') }
    assert_raises(TypeError) { eq?([0, 0, 1, 0], nil) }
  end
end

class PointInPolygon3DTest < QORTest::Case
  SQUARE_XY = [[0, 0, 5], [10, 0, 5], [10, 10, 5], [0, 10, 5]].freeze
  SQUARE_XZ = [[0, 3, 0], [10, 3, 0], [10, 3, 10], [0, 3, 10]].freeze

  def poly(points)
    points.map { |p| Geom::Point3d.new(*p) }
  end

  def test_inside_needs_all_three_projections
    assert_same true, Geom.point_in_polygon_3D(pt(5, 5, 5), poly(SQUARE_XY), true)
    assert_same true, Geom.point_in_polygon_3D(pt(5, 3, 5), poly(SQUARE_XZ), true)
    # Inside in x-y, but off the polygon's plane.
    assert_same false, Geom.point_in_polygon_3D(pt(5, 5, 6), poly(SQUARE_XY), true)
    assert_same false, Geom.point_in_polygon_3D(pt(15, 5, 5), poly(SQUARE_XY), true)
  end

  def test_border_flag_is_passed_on
    corner_edge = pt(10, 5, 5)
    assert_same true, Geom.point_in_polygon_3D(corner_edge, poly(SQUARE_XY), true)
    assert_same false, Geom.point_in_polygon_3D(corner_edge, poly(SQUARE_XY), false)
  end

  def test_projections_reach_the_host_in_order
    calls = []
    host = Module.new do
      define_singleton_method(:point_in_polygon_2D) do |p, polygon, flag|
        calls << [[p.x, p.y, p.z], polygon.map { |q| [q.x, q.y, q.z] }, flag]
        true
      end
    end
    $module_Geom = host
    result = Geom.point_in_polygon_3D(pt(1, 2, 3), poly([[4, 5, 6], [7, 8, 9]]), :flag)
    assert_same true, result
    assert_equal [[[1, 3, 0], [[4, 6, 0], [7, 9, 0]], :flag],
                  [[3, 2, 0], [[6, 5, 0], [9, 8, 0]], :flag],
                  [[1, 2, 3], [[4, 5, 6], [7, 8, 9]], :flag]], calls
  end

  def test_answers_are_combined_with_the_hosts_and
    answers = [true, 1, nil]
    host = Module.new do
      define_singleton_method(:point_in_polygon_2D) { |*| answers.shift }
    end
    $module_Geom = host
    # (xy & xz) & zy = (nil & true) & 1 = false
    assert_same false, Geom.point_in_polygon_3D(pt(0, 0), poly(SQUARE_XY), true)
  end

  def test_bad_arguments_are_refused_by_name
    assert_match(/point must be a point/,
                 assert_raises(TypeError) { Geom.point_in_polygon_3D('point', poly(SQUARE_XY), true) }.message)
    assert_match(/polygon must be an Array/,
                 assert_raises(TypeError) { Geom.point_in_polygon_3D(pt(0, 0), nil, true) }.message)
    assert_raises(NoMethodError) { Geom.point_in_polygon_3D(pt(0, 0), [nil, nil, nil], true) }
  end
end

class SegmentIntersectionTest < QORTest::Case
  def seg(a, b)
    [Geom::Point3d.new(*a), Geom::Point3d.new(*b)]
  end

  def cross(s1, s2, mode)
    QORTA.intersection(s1, s2, mode)
  end

  def test_proper_crossing_in_both_modes
    s1 = seg([0, 0, 0], [4, 4, 0])
    s2 = seg([0, 4, 0], [4, 0, 0])
    [true, false].each do |mode|
      p = cross(s1, s2, mode)
      assert_kind_of Geom::Point3d, p
      assert_equal pt(2, 2), p
    end
  end

  def test_t_junction_only_in_mode_true
    stem = seg([2, 0, 0], [2, 3, 0])
    bar = seg([0, 3, 0], [4, 3, 0])
    assert_equal pt(2, 3), cross(stem, bar, true)
    assert_nil cross(stem, bar, false)
    # Either argument order.
    assert_equal pt(2, 3), cross(bar, stem, true)
    assert_nil cross(bar, stem, false)
  end

  def test_never_found
    a = seg([0, 0, 0], [2, 0, 0])
    assert_nil cross(a, seg([2, 0, 0], [2, 2, 0]), true), 'shared end point'
    assert_nil cross(a, seg([0, 1, 0], [2, 1, 0]), true), 'parallel'
    assert_nil cross(a, seg([1, 0, 0], [1, 0, 0]), true), 'zero length second'
    assert_nil cross(seg([1, -1, 0], [1, -1, 0]), a, true), 'zero length first'
    assert_nil cross(a, seg([1, -1, 0], [1, 1, 0]), nil), 'mode nil'
    assert_nil cross(a, seg([1, -1, 0], [1, 1, 0]), 1), 'mode 1'
    assert_nil cross(a, seg([3, -1, 0], [3, 1, 0]), true), 'crossing beyond an end'
    assert_nil cross(a, seg([1, -1, 1], [1, 1, 1]), true), 'skew'
  end

  def test_strict_interior_tolerance
    s1 = seg([0, 0, 0], [10, 0, 0])
    assert_equal pt(5, 0), cross(s1, seg([5, -5, 0], [5, 5, 0]), false)
    # The second segment runs 0.0009 above the first (skew, but within the
    # host's 0.001), so the crossing (5, 0, 0) sits just off its line, e short
    # of its end (5, e, 0.0009).  Seen from the crossing, its two ends are
    # opposite to within cos = -(5e - 8.1e-7) / (|(e, .0009)| |(5, .0009)|):
    #   e = 1.0: -0.99999942, beyond -0.999999, strictly inside: a crossing;
    #   e = 0.5: -0.99999804, not beyond it: no crossing.
    [[1.0, pt(5, 0)], [0.5, nil]].each do |e, expected|
      s2 = seg([5, -5, 0.0009], [5, e, 0.0009])
      result = cross(s1, s2, false)
      expected ? assert_equal(expected, result) : assert_nil(result, "end #{e} past the crossing")
    end
  end

  def test_bad_segments_raise
    assert_raises(TypeError) { cross(nil, seg([0, 0, 0], [1, 1, 0]), true) }
    assert_raises(TypeError) { cross(seg([0, 0, 0], [1, 1, 0]), 'segment', true) }
    assert_match(/segment1 must be a point/,
                 assert_raises(TypeError) { cross([nil, pt(1, 1)], seg([0, 0, 0], [1, 1, 0]), true) }.message)
    assert_match(/segment2 must hold 2 points/,
                 assert_raises(ArgumentError) { cross(seg([0, 0, 0], [1, 1, 0]), [pt(0, 0)], true) }.message)
  end
end

# Host methods that raise: the exception reaches the caller unchanged.
class PrimitiveExceptionTest < QORTest::Case
  class Boom < StandardError; end

  class RaisingPoint < Geom::Point3d
    def vector_to(*)
      raise Boom, 'vector_to failed'
    end
  end

  def test_host_exception_reaches_the_caller_intact
    bad = RaisingPoint.new(0, 0, 0)
    s1 = [bad, pt(4, 4)]
    s2 = [pt(0, 4), pt(4, 0)]
    error = assert_raises(Boom) { QORTA.intersection(s1, s2, true) }
    assert_equal 'vector_to failed', error.message
    # The extension is still usable afterwards.
    assert_equal pt(2, 2), QORTA.intersection([pt(0, 0), pt(4, 4)], s2, true)
  end

  def test_exception_from_the_geom_module
    host = Module.new do
      define_singleton_method(:point_in_polygon_2D) { |*| raise Boom, 'host down' }
    end
    $module_Geom = host
    # 0.01 in from the border, where only the host can answer.
    assert_raises(Boom) { Geom.point_in_polygon_3D(pt(1.01, 1.5), [pt(1, 1), pt(2, 2), pt(1, 2)], true) }
  end

  def test_exception_from_conversion_inside_a_coefficient
    weird = Object.new
    def weird.to_f
      raise Boom, 'no float'
    end
    assert_raises(TypeError, Boom) { [weird, 0, 0, 0].qORTA_isEqualtoPlane([1, 0, 0, 0]) }
  end
end

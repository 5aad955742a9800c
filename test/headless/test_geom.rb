require 'minitest/autorun'
require_relative '../../code/Sketchup/Headless/sketchup'

class TestGeom < Minitest::Test
  P = Geom::Point3d
  V = Geom::Vector3d

  def test_intersect_line_line
    l1 = [P.new(0, 0, 0), V.new(1, 0, 0)]
    l2 = [P.new(5, -3, 0), P.new(5, 3, 0)]
    assert_equal P.new(5, 0, 0), Geom.intersect_line_line(l1, l2)
    assert_nil Geom.intersect_line_line(l1, [P.new(0, 1, 0), V.new(2, 0, 0)]), 'parallel'
    assert_nil Geom.intersect_line_line(l1, l1), 'coincident'
    assert_nil Geom.intersect_line_line(l1, [P.new(5, 0, 1), V.new(0, 1, 0)]), 'skew'
    near = Geom.intersect_line_line(l1, [P.new(5, 0, 0.0005), V.new(0, 1, 0)])
    assert_equal P.new(5, 0, 0), near, 'skew by less than the tolerance still meets'
    assert_nil Geom.intersect_line_line(l1, [P.new(5, 0, 0.002), V.new(0, 1, 0)])
  end

  def test_intersect_line_plane
    line = [P.new(1, 2, 10), V.new(0, 0, -1)]
    assert_equal P.new(1, 2, 3), Geom.intersect_line_plane(line, [0, 0, 1, -3])
    assert_equal P.new(1, 2, 3), Geom.intersect_line_plane(line, [[0, 0, 3], [0, 0, 2]])
    oblique = [P.new(0, 0, 0), P.new(1, 1, 1)]
    assert_equal P.new(4, 4, 4), Geom.intersect_line_plane(oblique, [1, 0, 0, -4])
    assert_nil Geom.intersect_line_plane([P.new(0, 0, 5), V.new(1, 1, 0)], [0, 0, 1, 0])
    assert_nil Geom.intersect_line_plane([P.new(0, 0, 0), V.new(1, 0, 0)], [0, 0, 1, 0])
  end

  def test_intersect_plane_plane
    pt, dir = Geom.intersect_plane_plane([0, 0, 1, -2], [[3, 0, 0], [1, 0, 0]])
    assert_instance_of P, pt
    assert_instance_of V, dir
    assert_in_delta 0.0, pt.distance_to_plane([0, 0, 1, -2]), 1e-9
    assert_in_delta 0.0, pt.distance_to_plane([1, 0, 0, -3]), 1e-9
    assert dir.parallel?([0, 1, 0])
    assert_in_delta 1.0, dir.length, 1e-12
    slanted = Geom.intersect_plane_plane([1, 1, 0, -2], [0, 0, 2, -4])
    assert slanted[0].on_plane?([1, 1, 0, -2]) && slanted[0].on_plane?([0, 0, 1, -2])
    assert_nil Geom.intersect_plane_plane([0, 0, 1, 0], [0, 0, -3, 6])
  end

  def test_point_in_polygon_2d
    sq = [[0, 0, 0], [10, 0, 0], [10, 10, 0], [0, 10, 0]]
    assert Geom.point_in_polygon_2D([5, 5, 0], sq, false)
    assert Geom.point_in_polygon_2D([5, 5, 99], sq, false), 'z is ignored'
    refute Geom.point_in_polygon_2D([15, 5, 0], sq, true)
    refute Geom.point_in_polygon_2D([-0.01, 5, 0], sq, true)
    [[10, 5, 0], [5, 0, 0], [10, 10, 0], [0, 0, 0], [10.0005, 5, 0]].each do |pt|
      assert Geom.point_in_polygon_2D(pt, sq, true), "border #{pt} with flag"
      refute Geom.point_in_polygon_2D(pt, sq, false), "border #{pt} without flag"
    end
    concave = [[0, 0], [10, 0], [10, 10], [5, 2], [0, 10]]
    refute Geom.point_in_polygon_2D([5, 8, 0], concave, false)
    assert Geom.point_in_polygon_2D([2, 2, 0], concave, false)
  end

  def test_point_in_degenerate_polygon
    flat = [[0, 0, 0], [10, 0, 0], [5, 0, 0]]
    refute Geom.point_in_polygon_2D([5, 1, 0], flat, true)
    refute Geom.point_in_polygon_2D([3, 0, 0], flat, false)
    assert Geom.point_in_polygon_2D([3, 0, 0], flat, true)
    vertical = [[0, 0, 0], [10, 0, 0], [10, 0, 5], [0, 0, 5]]
    refute Geom.point_in_polygon_2D([5, 0.5, 0], vertical, true)
  end

  def test_linear_combination_and_fit
    m = Geom.linear_combination(0.25, P.new(0, 0, 0), 0.75, P.new(4, 8, 0))
    assert_instance_of P, m
    assert_equal P.new(3, 6, 0), m
    assert_instance_of V, Geom.linear_combination(1, V.new(1, 0, 0), 1, V.new(0, 1, 0))
    a, b, c, d = Geom.fit_plane_to_points([0, 0, 2], [1, 0, 2], [0, 1, 2])
    assert_in_delta 1.0, c.abs, 1e-12
    assert_in_delta(-2.0 * c, d, 1e-12)
    assert_in_delta 0.0, a.abs + b.abs, 1e-12
  end
end

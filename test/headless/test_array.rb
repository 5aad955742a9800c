require 'minitest/autorun'
require_relative '../../code/Sketchup/Headless/sketchup'

class TestArrayAsPointOrVector < Minitest::Test
  def test_coordinates
    a = [1, 2, 3]
    assert_equal [1, 2, 3], [a.x, a.y, a.z]
    a.z = 9
    assert_equal [1, 2, 9], a
  end

  def test_point_methods
    assert_in_delta 5.0, [0, 0, 0].distance(Geom::Point3d.new(3, 4, 0)), 1e-12
    assert_equal Geom::Vector3d.new(1, 1, 1), [1, 1, 1].vector_to([2, 2, 2])
    assert_in_delta 4.0, [0, 0, 4].distance_to_plane([0, 0, 1, 0]), 1e-12
    assert_in_delta 3.0, [0, 3, 0].distance_to_line([[0, 0, 0], [1, 0, 0]]), 1e-12
    projected = [2, 3, 4].project_to_plane([[0, 0, 1], [0, 0, 1]])
    assert_instance_of Array, projected
    assert_equal [2.0, 3.0, 1.0], projected
    assert_equal [2.0, 0.0, 0.0], [2, 3, 4].project_to_line([[0, 0, 0], [1, 0, 0]])
    assert [7, 0, 0].on_line?([[0, 0, 0], [1, 0, 0]])
    refute [7, 0.01, 0].on_line?([[0, 0, 0], [1, 0, 0]])
    assert [7, 8, 0.0001].on_plane?([0, 0, 1, 0])
    assert_equal [1.0, 2.0, 5.0], [1, 2, 3].offset([0, 0, 2])
  end

  def test_vector_methods
    assert_equal 32.0, [1, 2, 3].dot([4, 5, 6])
    c = [1, 0, 0].cross([0, 1, 0])
    assert_instance_of Geom::Vector3d, c
    assert_equal [0.0, 0.0, 1.0], c.to_a
    n = [3, 4, 0].normalize
    assert_instance_of Array, n
    [0.6, 0.8, 0.0].zip(n).each { |want, got| assert_in_delta want, got, 1e-12 }
  end

  def test_extension_only_methods_are_absent
    refute [].respond_to?(:qORTA_isEqualtoPlane)
    refute Geom.respond_to?(:point_in_polygon_3D)
  end
end

require 'minitest/autorun'
require_relative '../../code/Sketchup/Headless/sketchup'

class TestVector3d < Minitest::Test
  V = Geom::Vector3d

  def test_products_and_length
    a = V.new(1, 0, 0)
    b = V.new(0, 2, 0)
    assert_equal 0.0, a.dot(b)
    assert_equal 6.0, V.new(1, 2, 3).dot([1, 1, 1])
    assert_equal [0.0, 0.0, 2.0], a.cross(b).to_a
    assert_equal [0.0, 0.0, -2.0], (b * a).to_a
    assert_in_delta 5.0, V.new(3, 4, 0).length, 1e-12
    v = V.new(3, 4, 0)
    v.length = 10
    assert_equal V.new(6, 8, 0), v
  end

  def test_normalize
    n = V.new(0, 3, 4).normalize
    assert_in_delta 1.0, n.length, 1e-12
    assert n.unitvector?
    assert_equal [0.0, 0.0, 0.0], V.new(0, 0, 0).normalize.to_a
    refute V.new.valid?
    v = V.new(0, 0, 9)
    assert_same v, v.normalize!
    assert_equal [0.0, 0.0, 1.0], v.to_a
  end

  def test_angle_between
    x = V.new(1, 0, 0)
    assert_in_delta 0.0, x.angle_between([2, 0, 0]), 1e-12
    assert_in_delta Math::PI / 2, x.angle_between([0, 5, 0]), 1e-12
    assert_in_delta Math::PI, x.angle_between([-1, 0, 0]), 1e-12
    assert_in_delta Math::PI / 4, x.angle_between([1, -1, 0]), 1e-12
  end

  def test_direction_predicates
    v = V.new(1, 2, 3)
    assert v.parallel?([-2, -4, -6])
    assert v.samedirection?([2, 4, 6])
    refute v.samedirection?([-2, -4, -6])
    refute v.parallel?([1, 2, 3.1])
    assert V.new(1, 0, 0).perpendicular?([0, 0, 3])
    refute V.new(1, 0, 0).perpendicular?([0.1, 0, 3])
  end

  def test_reverse_and_sums
    v = V.new(1, -2, 3)
    assert_equal [-1.0, 2.0, -3.0], v.reverse.to_a
    assert_equal [1.0, -2.0, 3.0], v.to_a
    v.reverse!
    assert_equal [-1.0, 2.0, -3.0], v.to_a
    assert_equal V.new(0, 0, 0), v + [1, -2, 3]
    assert_equal V.new(-2, 4, -6), v - [1, -2, 3]
    assert_equal V.new(1, 1, 1), V.linear_combination(1, [1, 0, 0], 1, [0, 1, 1])
  end

  def test_tolerant_equality_and_text
    assert_equal V.new(0, 0, 1), V.new(0, 0.0005, 1)
    refute_equal V.new(0, 0, 1), V.new(0, 0.002, 1)
    assert_equal 'Vector3d(1.0, 0.0, -2.0)', V.new(1, -0.0, -2).inspect
    assert_equal '(1.0, 0.0, -2.0)', V.new(1, 0, -2).to_s
  end
end

require 'minitest/autorun'
require_relative '../../code/Sketchup/Headless/sketchup'

class TestBoundingBox < Minitest::Test
  def test_empty_then_filled
    b = Geom::BoundingBox.new
    assert b.empty?
    assert_equal 0.0, b.width
    b.add([1, 5, -2], Geom::Point3d.new(4, 2, 3))
    refute b.empty?
    assert_equal Geom::Point3d.new(1, 2, -2), b.min
    assert_equal Geom::Point3d.new(4, 5, 3), b.max
    assert_equal [3.0, 3.0, 5.0], [b.width, b.height, b.depth]
    assert_equal Geom::Point3d.new(2.5, 3.5, 0.5), b.center
  end

  def test_merge_and_contains
    a = Geom::BoundingBox.new.add([0, 0, 0], [1, 1, 1])
    b = Geom::BoundingBox.new.add([[5, 5, 5], [6, 6, 6]])
    a.add(b)
    assert_equal Geom::Point3d.new(6, 6, 6), a.max
    assert a.contains?([3, 3, 3])
    refute a.contains?([7, 3, 3])
    assert_equal Geom::Point3d.new(6, 0, 0), a.corner(1)
    a.add(Geom::BoundingBox.new)
    assert_equal Geom::Point3d.new(0, 0, 0), a.min, 'adding an empty box changes nothing'
  end
end

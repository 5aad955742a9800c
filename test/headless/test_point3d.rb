require 'minitest/autorun'
require_relative '../../code/Sketchup/Headless/sketchup'

class TestPoint3d < Minitest::Test
  P = Geom::Point3d

  def test_constructors
    assert_equal [0.0, 0.0, 0.0], P.new.to_a
    assert_equal [1.0, 2.0, 3.0], P.new(1, 2, 3).to_a
    assert_equal [1.0, 2.0, 0.0], P.new([1, 2]).to_a
    src = P.new(4, 5, 6)
    copy = P.new(src)
    copy.x = 9
    assert_equal 4.0, src.x, 'new(point) must copy, not alias'
    assert_raises(ArgumentError) { P.new('a') }
  end

  def test_equality_within_tolerance_only
    a = P.new(1, 2, 3)
    assert_equal a, P.new(1.0009, 2, 3)
    assert_equal a, P.new(1, 2, 3.0005)
    refute_equal a, P.new(1.0011, 2, 3)
    refute_equal a, P.new(1.0008, 2.0008, 3)
    assert a == [1, 2, 3]
    refute a == [1, 2, 4]
    refute a == nil
    refute a == 'x'
  end

  def test_hash_is_identity
    a = P.new(1, 2, 3)
    b = P.new(1, 2, 3)
    assert_equal 2, [a, b].uniq.size
    assert_equal 1, [a, a].uniq.size
  end

  def test_arithmetic
    a = P.new(1, 2, 3)
    b = P.new(4, 6, 3)
    v = b - a
    assert_instance_of Geom::Vector3d, v
    assert_equal [3.0, 4.0, 0.0], v.to_a
    assert_instance_of P, a + v
    assert_equal b, a + v
    assert_equal a, b - v
    assert_instance_of P, b - v
    assert_equal v, a.vector_to(b)
    assert_in_delta 5.0, a.distance(b), 1e-12
    assert_equal [2.5, 4.0, 3.0], P.linear_combination(0.5, a, 0.5, b).to_a
  end

  def test_plane_and_line_relations
    p = P.new(3, 4, 7)
    [[0, 0, 1, -2], [[9, 9, 2], [0, 0, 5]]].each do |plane|
      assert_in_delta 5.0, p.distance_to_plane(plane), 1e-12
      assert_equal P.new(3, 4, 2), p.project_to_plane(plane)
      refute p.on_plane?(plane)
      assert P.new(3, 4, 2.0005).on_plane?(plane)
    end
    line = [P.new(0, 0, 0), Geom::Vector3d.new(1, 0, 0)]
    assert_in_delta Math.sqrt(65), p.distance_to_line(line), 1e-12
    assert_equal P.new(3, 0, 0), p.project_to_line(line)
    assert_equal P.new(3, 0, 0), p.project_to_line([P.new(1, 0, 0), P.new(2, 0, 0)])
    assert P.new(5, 0.0009, 0).on_line?(line)
    refute P.new(5, 0.0011, 0).on_line?(line)
  end

  def test_offset_and_index
    p = P.new(1, 1, 1)
    assert_equal P.new(1, 1, 4), p.offset([0, 0, 3])
    assert_equal P.new(1, 1, 3), p.offset([0, 0, 3], 2)
    p.offset!([1, 0, 0])
    assert_equal [2.0, 1.0, 1.0], p.to_a
    p[2] = 7
    assert_equal 7.0, p[2]
    assert_raises(IndexError) { p[3] }
  end

  def test_string_forms
    p = P.new(1, -0.0, 2.5)
    assert_equal 'Point3d(1.0, 0.0, 2.5)', p.inspect
    assert_equal '(1.0", 0.0", 2.5")', p.to_s
    assert_equal '[Point3d(1.0, 0.0, 2.5)]', [p].to_s
    c = p.clone
    refute_same p, c
    assert_equal p, c
  end
end

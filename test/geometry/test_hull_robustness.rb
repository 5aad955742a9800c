require_relative '../test_helper'
require 'timeout'

# Hulls of awkward point sets: repeats, points a hair off an edge, huge
# coordinates, duck-typed points, and host calls that fail mid-sort.
class HullRobustnessTest < QORTest::Case
  SQUARE = [[10, 10], [10, 0], [0, 0], [0, 10]].freeze

  def corners(points)
    QORTA.convexHull2(points).map { |p| [p.x, p.y] }
  end

  def square(scale = 1, extra = [])
    (SQUARE + extra).map { |x, y| pt(x * scale, y * scale) }
  end

  def test_awkward_sets_give_the_corners
    cases = {
      'a repeated corner' => square(1, [[0, 0]]),
      'a repeated anchor' => [[10, 0], [10, 10], [0, 0], [0, 10], [4, 1], [10, 0]].map { |x, y| pt(x, y) },
      'a repeated anchor, another order' =>
        [[0, 0], [0, 10], [10, 10], [10, 0], [9, 2], [10, 10]].map { |x, y| pt(x, y) },
      'a repeated inner point' => square(1, [[5, 5], [5, 5]]),
      'a point 1e-15 inside an edge' => square(1, [[5, 1e-15]]),
      'a point 1e-15 inside a slanted edge' =>
        [pt(0, 0), pt(10, 0), pt(0, 10), pt(5, 5 - 1e-15)],
    }
    cases.each do |name, points|
      got = corners(points)
      want = points.map { |p| [p.x, p.y] }.uniq.reject { |x, y| (x % 10).nonzero? || (y % 10).nonzero? }
      assert_equal want.sort, got.sort, name
    end
  end

  def test_huge_coordinates_do_not_overflow
    [1e77, 1e78, 1e150, 1e300].each do |s|
      assert_equal SQUARE.map { |x, y| [x * s, y * s] }, corners(square(s)), s.to_s
    end
  end

  def test_too_few_or_collinear_points_are_refused_by_name
    [[], [pt(0, 0)], [pt(0, 0), pt(0, 0), pt(0, 0)], [pt(0, 0), pt(1, 1), pt(2, 2), pt(3, 3)]].each do |points|
      error = assert_raises(ArgumentError) { QORTA.convexHull2(points) }
      assert_match(/points/, error.message)
    end
    assert_match(/points/, assert_raises(TypeError) { QORTA.convexHull2(nil) }.message)
  end

  # Points that answer x and y, and a vector_to that takes anything.
  Duck = Struct.new(:x, :y) do
    def vector_to(_other) = Geom::Vector3d.new(0, 0, 0)
  end

  def test_duck_typed_points_end_in_bounded_time
    ducks = SQUARE.map { |x, y| Duck.new(x, y) }
    got = Timeout.timeout(10) { QORTA.convexHull2(ducks) }
    assert_equal ducks.sort_by(&:object_id), got.sort_by(&:object_id)
  end

  # The sort reads each point's coordinates once, before sorting: its
  # comparisons call nothing that could fail half-way through a sort.
  def test_coordinates_are_read_once_and_failures_propagate
    reads = 0
    counted = Class.new(Geom::Point3d) do
      define_method(:x) { reads += 1; super() }
    end
    points = (0...200).map { |i| counted.new(Math.cos(i) * 100, Math.sin(i) * 100, 0) }
    QORTA.convexHull2(points)
    assert_operator reads, :<=, 2 * points.length
    boom = Class.new(StandardError)
    points[150].define_singleton_method(:x) { raise boom }
    20.times { assert_raises(boom) { QORTA.convexHull2(points) } }
  end
end

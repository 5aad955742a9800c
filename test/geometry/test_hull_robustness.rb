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

  # Collinear points whose rounding once made a turn or the plane's normal
  # point either way: points on an edge kept, corners lost.
  def test_collinear_points_in_exact_and_rounded_coordinates
    cases = {
      'two points on the first ray' => [[[1, 3], [2, 3], [0, 4], [4, 2], [0, 2]], XY],
      'a normal from two parallel edges' => [[[0, 0], [3, 3], [3, 1], [2, 0], [3, 0], [3, 4], [1, 1]], TILTED],
      'far from the origin for their spread' =>
        [[[1, 0], [5, 2], [1, 2], [3, 1], [0, 4]], ->(u, v) { [1000 + u * 0.1, 1000 + v * 0.1, 1000] }],
    }
    cases.each do |name, (uv, plane)|
      points = uv.map { |u, v| pt(*plane.(u, v)) }
      assert_equal_cycle reference_hull(uv), QORTA.convexHull2(points).map { |p| uv[points.index { |q| q.equal?(p) }] }, name
    end
  end

  XY = ->(u, v) { [u, v, 0] }
  TILTED = ->(u, v) { [3 * u - v, 2 * u + v, u - 2 * v] }
  PLANES = { 'xy' => XY, 'xz' => ->(u, v) { [u, 0, v] }, 'tilted' => TILTED }.freeze

  # Small sets on a 5 x 5 grid: many repeats and points on one line.
  no_gc_stress :test_random_grid_sets_give_the_strict_corners
  def test_random_grid_sets_give_the_strict_corners
    seed = Integer(ENV.fetch('QOR_HULL_SEED', 2015))
    rng = Random.new(seed)
    3000.times do |i|
      name, plane = PLANES.to_a[i % PLANES.size]
      uv = Array.new(rng.rand(3..9)) { [rng.rand(5), rng.rand(5)] }
      points = uv.map { |u, v| pt(*plane.(u, v)) }
      want = reference_hull(uv)
      if want.nil?
        assert_raises(ArgumentError, "seed #{seed}, #{name} #{uv}") { QORTA.convexHull2(points) }
      else
        got = QORTA.convexHull2(points).map { |p| uv[points.index { |q| q.equal?(p) }] }
        assert_equal_cycle want, got, "seed #{seed} (QOR_HULL_SEED), #{name} #{uv}"
      end
    end
  end

  # The strict corners of integer points, by the monotone chain in exact
  # arithmetic; nil when they are all on one line.
  def reference_hull(uv)
    cross = ->(o, a, b) { (a[0] - o[0]) * (b[1] - o[1]) - (a[1] - o[1]) * (b[0] - o[0]) }
    sorted = uv.uniq.sort
    chain = lambda do |pts|
      pts.each_with_object([]) do |p, h|
        h.pop while h.size >= 2 && cross.(h[-2], h[-1], p) <= 0
        h << p
      end
    end
    hull = chain.(sorted)[0...-1] + chain.(sorted.reverse)[0...-1]
    hull.size < 3 ? nil : hull
  end

  # The same corners in the same cyclic order, either way round.
  def assert_equal_cycle(want, got, message)
    start = got.index(want[0])
    rotated = start && got.rotate(start)
    assert(got.size == want.size && [want, [want[0]] + want[1..].reverse].include?(rotated),
           "#{message}: want #{want}, got #{got}")
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

require_relative '../test_helper'
require_relative '../support/walls_builder'

module PolygonOverlapAssertions
  def overlap(a, b)
    QORTA.getIntersectionPointsOfPolygons(a, b)
  end

  # The entries must be exactly these [tag, from, to], each carrying the very
  # vertex object at `from` of the polygon its tag names.
  def assert_entries(expected, result, a, b)
    assert_equal expected, result.map { |tag, from, to, _| [tag, from, to] }
    result.each do |tag, from, _, point|
      assert_same((tag == 'A' ? a : b)[from], point, "point of #{[tag, from].inspect}")
    end
  end
end

class PolygonContainmentTest < QORTest::Case
  include QORTest::WallsBuilder
  include PolygonOverlapAssertions

  SQUARE = [[0, 0], [10, 0], [10, 10], [0, 10]].freeze
  INNER = [[2, 2], [6, 2], [7, 5], [4, 8], [2, 6]].freeze

  def all_edges(tag, count)
    (-1..count - 2).map { |i| [tag, i, i + 1] }
  end

  def test_b_inside_a_gives_the_edges_of_b_in_order
    a = poly(*SQUARE)
    b = poly(*INNER)
    assert_entries all_edges('B', 5), overlap(a, b), a, b
  end

  def test_a_inside_b_gives_the_edges_of_a_in_order
    a = poly(*INNER)
    b = poly(*SQUARE)
    assert_entries all_edges('A', 5), overlap(a, b), a, b
  end

  def test_borders_count_as_inside
    # B shares A's whole left side and touches its right side.
    a = poly(*SQUARE)
    b = poly([0, 0], [10, 5], [0, 10])
    assert_entries all_edges('B', 3), overlap(a, b), a, b
  end

  def test_identical_polygons_give_the_edges_of_b
    a = poly(*SQUARE)
    b = poly(*SQUARE)
    assert_entries all_edges('B', 4), overlap(a, b), a, b
  end

  def test_entries_of_one_call_share_their_tag_strings
    a = poly(*SQUARE)
    b = poly([5, 5], [15, 5], [15, 15], [5, 15])
    result = overlap(a, b)
    %w[A B].each do |tag|
      tags = result.map(&:first).select { |t| t == tag }
      refute_empty tags
      assert_equal 1, tags.map(&:object_id).uniq.length
    end
  end

  def test_empty_polygons_give_nothing
    assert_equal [], overlap([], poly(*SQUARE))
    assert_equal [], overlap(poly(*SQUARE), [])
    assert_equal [], overlap([], [])
  end

  def test_disjoint_polygons_give_nothing
    assert_equal [], overlap(poly(*SQUARE), poly([20, 0], [30, 0], [30, 10], [20, 10]))
    assert_equal [], overlap(poly([20, 0], [30, 0], [25, 10]), poly(*SQUARE))
  end

  def test_touching_along_an_edge_or_at_a_vertex_is_no_overlap
    square = poly(*SQUARE)
    beside = poly([10, 0], [20, 0], [20, 10], [10, 10])
    corner = poly([10, 10], [20, 10], [20, 20], [10, 20])
    [[square, beside], [beside, square], [square, corner], [corner, square]].each do |a, b|
      assert_operator overlap(a, b).length, :<, 3, "#{a.inspect} / #{b.inspect}"
    end
  end

  def test_bad_input_raises_the_interpreters_errors
    square = poly(*SQUARE)
    assert_raises(TypeError) { overlap(nil, square) }
    assert_raises(TypeError) { overlap(square, 'polygon') }
    assert_match(/polygonB entry must be a point/, assert_raises(TypeError) { overlap(square, [1, 2, 3]) }.message)
    assert_match(/polygonA entry must be a point/, assert_raises(TypeError) { overlap([nil, nil, nil], square) }.message)
  end
end

# Overlaps walked by hand.  Corners are named A0.., B0.. in argument order;
# an edge [k, k+1] is listed with its start vertex, the closing edge as -1.
class PolygonOverlapWalkTest < QORTest::Case
  include QORTest::WallsBuilder
  include PolygonOverlapAssertions

  SQUARE = [[0, 0], [10, 0], [10, 10], [0, 10]].freeze
  CORNER = [[5, 5], [15, 5], [15, 15], [5, 15]].freeze
  WIDE = [[0, 2], [10, 2], [10, 4], [0, 4]].freeze
  TALL = [[4, 0], [6, 0], [6, 6], [4, 6]].freeze
  ELL = [[0, 0], [10, 0], [10, 4], [4, 4], [4, 10], [0, 10]].freeze
  MIDDLE = [[2, 2], [8, 2], [8, 8], [2, 8]].freeze
  TRIANGLE = [[5, 5], [8, 12], [2, 12]].freeze
  TONGUE = [[5, 2], [15, 2], [15, 8], [5, 8]].freeze

  def check(a_xy, b_xy, expected)
    a = poly(*a_xy)
    b = poly(*b_xy)
    assert_entries expected, overlap(a, b), a, b
  end

  def test_corner_overlap
    # Only B0 lies in A, only A2 in B.  A's left and bottom edges miss B; the
    # right edge A1-A2 crosses B0-B1 and opens the outline.  B cannot be
    # followed (B1 and B3 are outside A); of B's neighbouring edges only
    # B3-B0 crosses one edge of A, so it is listed and the walk goes on from
    # it.  It meets A2-A3, whose backward neighbour is the opening edge: done.
    check SQUARE, CORNER, [['A', 1, 2], ['B', 0, 1], ['B', -1, 0]]
    # Swapped: the closing edge A3-A0 crosses B2-B3 and opens the outline;
    # B1-B2 crosses exactly one edge of A (A0-A1), is listed, and leads to
    # A0-A1, whose backward neighbour is the opening edge.
    check CORNER, SQUARE, [['A', -1, 0], ['B', 2, 3], ['B', 1, 2]]
  end

  def test_crossing_rectangles
    # A is wide, B tall; no corner lies in the other.  A0-A1 is the first edge
    # to meet B: it crosses B3-B0 and B1-B2 and the later one is taken.
    # B1-B2 meets A0-A1 (the edge we came from) and A2-A3, so the walk resumes
    # on A2-A3.  That crosses B3-B0 and B1-B2 again; B1-B2 was the last B
    # edge, so B3-B0 is taken, which leads back to A0-A1: the start.
    check WIDE, TALL, [['A', 0, 1], ['B', 1, 2], ['A', 2, 3], ['B', -1, 0]]
    # Swapped: the closing edge A3-A0 opens (crossing B0-B1 and B2-B3, the
    # later taken); B2-B3 leads to A1-A2; A1-A2 takes B0-B1 (B2-B3 was last),
    # which leads back to the opening edge.
    check TALL, WIDE, [['A', -1, 0], ['B', 2, 3], ['A', 1, 2], ['B', 0, 1]]
  end

  def test_l_shape_and_rectangle
    # A is the L, B a square over its inner corner.  B0, B1 and B3 lie in A,
    # B2 does not; of A only the inner corner A3 lies in B.  The first A edge
    # to meet B is A2-A3, crossing B1-B2.  B can't go forward (B2 is out) but
    # goes backward over B0-B1 and B3-B0 and stops at B2-B3, which is listed
    # (as -2..-1) and meets A3-A4.  A3-A4's backward neighbour is the opening
    # edge, so the outline closes without listing A3-A4.
    check ELL, MIDDLE, [['A', 2, 3], ['B', 1, 2], ['B', 0, 1], ['B', -1, 0], ['B', -2, -1]]
    # Swapped: A is the square, its corners A0, A1, A3 inside the L.  The
    # closing edge and A0-A1 lie inside the L and touch none of its edges, so
    # they are listed as the walk moves on.  A1-A2 crosses B2-B3; B's
    # neighbour B3-B4 crosses A2-A3 alone, so it is listed and leads to A2-A3,
    # whose next edge is the opening one.
    check MIDDLE, ELL, [['A', -1, 0], ['A', 0, 1], ['A', 1, 2], ['B', 2, 3], ['B', 3, 4]]
  end

  def test_triangle_over_a_square
    # The apex B0 lies in the square, the base above it.  A's top edge A2-A3
    # is the first to meet B, crossing both B2-B0 and B0-B1; B0-B1 is taken.
    # Its other neighbour B2-B0 crosses A2-A3 alone and is listed; it leads
    # back to A2-A3 only, the edge the walk is on: done.
    check SQUARE, TRIANGLE, [['A', 2, 3], ['B', 0, 1], ['B', -1, 0]]
    # Swapped: the closing edge A2-A0 crosses the square's top B2-B3, which
    # meets A2-A0 and A0-A1; A0-A1 is the way back, but its backward
    # neighbour is the opening edge, so the walk ends before listing it.
    # Only two entries: this order alone does not show the overlap, which is
    # why callers try both orders.
    check TRIANGLE, SQUARE, [['A', -1, 0], ['B', 2, 3]]
  end

  def test_tongue_into_the_side
    # B's left corners B0 and B3 lie in A.  A1-A2 crosses B0-B1 and B2-B3; the
    # later is taken, and B goes forward from B3 over B3-B0 (listed 3..0)
    # until B0-B1 leaves A; B0-B1 meets only A1-A2, the current edge: done.
    check SQUARE, TONGUE, [['A', 1, 2], ['B', 2, 3], ['B', 3, 0], ['B', 0, 1]]
    # Swapped: the closing edge A3-A0 lies in B, meets nothing and is listed;
    # A0-A1 crosses B1-B2, which meets A0-A1 and A2-A3; A2-A3's next edge is
    # the opening one.
    check TONGUE, SQUARE, [['A', -1, 0], ['A', 0, 1], ['B', 1, 2]]
  end

  def test_tongue_walked_along_a
    # The tongue again, its corners renumbered so that its closing edge
    # A3-A0 leaves the square: it crosses B1-B2, which leads to A1-A2; from
    # there A goes forward over A2-A3, inside the square, up to the opening
    # edge.
    rotated = TONGUE.rotate(1)
    check rotated, SQUARE, [['A', -1, 0], ['B', 1, 2], ['A', 2, 3]]
  end
end

# Random polygon pairs in a plane: the walk must always finish with well
# formed entries, whatever the shapes.
class PolygonOverlapRandomTest < QORTest::Case
  include QORTest::WallsBuilder
  include PolygonOverlapAssertions

  # A star-shaped polygon round (cx, cy): convex when all radii are equal.
  def random_polygon(rng, cx, cy, convex:, snap:)
    count = rng.rand(3..7)
    angles = Array.new(count) { rng.rand * 2 * Math::PI }.sort
    radius = rng.rand(3.0..8.0)
    points = angles.map do |t|
      r = convex ? radius : radius * rng.rand(0.3..1.0)
      x = cx + r * Math.cos(t)
      y = cy + r * Math.sin(t)
      snap ? [x.round, y.round] : [x, y]
    end
    points = points.chunk_while { |p, q| p == q }.map(&:first)
    points.pop if points.length > 1 && points.first == points.last
    points.reverse! if rng.rand < 0.5
    points
  end

  def check_entries(result, a, b, context)
    assert_kind_of Array, result, context
    result.each do |e|
      assert_equal 4, e.length, context
      tag, from, to, point = e
      assert_includes %w[A B], tag, context
      poly = tag == 'A' ? a : b
      k = poly.length
      assert_kind_of Integer, from, context
      assert_kind_of Integer, to, context
      assert((-k...k).cover?(from) && (-k...k).cover?(to), "indices #{e[0, 3].inspect} #{context}")
      assert_equal (from + 1) % k, to % k, "not consecutive: #{e[0, 3].inspect} #{context}"
      assert_same poly[from], point, "point of #{e[0, 3].inspect} #{context}"
    end
  end

  def bounds(points)
    xs = points.map(&:first)
    ys = points.map(&:last)
    [xs.min, ys.min, xs.max, ys.max]
  end

  def apart?(p, q)
    a = bounds(p)
    b = bounds(q)
    a[2] + 0.01 < b[0] || b[2] + 0.01 < a[0] || a[3] + 0.01 < b[1] || b[3] + 0.01 < a[1]
  end

  def test_random_pairs_give_well_formed_entries
    rng = Random.new(20_240_517)
    pairs = ENV['QOR_GC_STRESS'] ? 30 : 400
    pairs.times do
      a_xy = random_polygon(rng, 0, 0, convex: rng.rand < 0.4, snap: rng.rand < 0.5)
      b_xy = random_polygon(rng, rng.rand(-10.0..10.0), rng.rand(-10.0..10.0),
                            convex: rng.rand < 0.4, snap: rng.rand < 0.5)
      context = "A=#{a_xy.inspect} B=#{b_xy.inspect}"
      a = poly(*a_xy)
      b = poly(*b_xy)
      result = begin
        overlap(a, b)
      rescue StandardError => e
        flunk "#{e.class}: #{e.message} for #{context}"
      end
      check_entries(result, a, b, context)
      assert_equal [], result, "disjoint: #{context}" if apart?(a_xy, b_xy)
    end
  end
end

# Polygons of the host's own points are walked on their numbers; the host
# road must give the very same entries, down to tolerance-close corners.
class PolygonOverlapRoadsAgreeTest < QORTest::Case
  # Arithmetic compared over many cases: a minute and more under collector
  # stress, which the other overlap tests cover.
  no_gc_stress :test_both_roads_give_the_same_entries, :test_long_outlines_give_the_same_entries_as_the_host

  def random_polygon(rng, n = rng.rand(3..7))
    cx, cy = rng.rand(-4..4), rng.rand(-4..4)
    points = Array.new(n) do |i|
      angle = 2 * Math::PI * i / n
      r = n > 7 ? 6 + rng.rand(-1..1) * 0.25 : rng.rand(2..8)
      [(cx + r * Math.cos(angle)).round, (cy + r * Math.sin(angle)).round]
    end
    # Nudges within and just beyond the host's point tolerance.
    points.map { |x, y| Geom::Point3d.new(x + rng.rand(-1..1) * [0.0, 0.0004, 0.0015].sample(random: rng), y, 0) }
  end

  def entries(a, b)
    QORTA.getIntersectionPointsOfPolygons(a, b).map { |tag, from, to, point| [tag, from, to, point.to_a] }
  end

  def test_both_roads_give_the_same_entries
    rng = Random.new(7)
    400.times do |k|
      a = random_polygon(rng)
      b = random_polygon(rng)
      expected = QORPlugin.on_road(true) { entries(a, b) }
      assert_equal expected, entries(a, b), "pair #{k}: #{a.map(&:to_a)} / #{b.map(&:to_a)}"
    end
  end

  # Long outlines are looked up in indexes of their edges and slabs.
  def test_long_outlines_give_the_same_entries_as_the_host
    rng = Random.new(11)
    [[64, 70], [90, 64], [120, 100]].each do |n, m|
      a = random_polygon(rng, n)
      b = random_polygon(rng, m)
      expected = QORPlugin.on_road(true) { entries(a, b) }
      assert_operator expected.length, :>, 2
      assert_equal expected, entries(a, b), "#{n} and #{m} corners"
    end
  end
end

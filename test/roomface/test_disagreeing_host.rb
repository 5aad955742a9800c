require_relative '../test_helper'
require_relative '../support/disagreeing_host'
require_relative '../../bench/generated_export'

# On a host that keeps the documented semantics but differs at knife edges
# (support/disagreeing_host.rb), the default road still answers as the
# host does: exactly what the plain road, which asks the host everything,
# answers.  Each check runs in a child process that installs that host.
# QOR_ROAD_SEEDS=n runs n generated buildings instead of 40.
class DisagreeingHostTest < QORTest::Case
  BUILDINGS = Integer(ENV['QOR_ROAD_SEEDS'] || (ENV['QOR_GC_STRESS'] ? 1 : 40))
  WALLS = [0.2.m, 0.6.m, 3.5.m].freeze
  no_gc_stress :test_generated_buildings_export_the_same_bytes

  def self.square(x0, y0, x1, y1, per_side = 1)
    corners = [[x0, y0], [x1, y0], [x1, y1], [x0, y1]]
    corners.each_with_index.flat_map do |(x, y), i|
      nx, ny = corners[(i + 1) % 4]
      (0...per_side).map { |k| [x + (nx - x) * k.fdiv(per_side), y + (ny - y) * k.fdiv(per_side)] }
    end
  end

  TEN = square(0, 0, 10, 10).freeze
  # name => [polygon A, polygon B]: corners (x, y) at z = 0.
  OVERLAPS = {
    'a square reaching 0.005 past the other one\'s edge' => [TEN, square(2, 2, 10.005, 8)],
    'a corner 0.005 past the other one\'s corner' => [TEN, square(5, 5, 10.005, 10.005)],
    'a corner 0.005 outside, below and left' => [TEN, square(-0.005, -0.005, 5, 5)],
    'a square 0.005 inside an edge' => [TEN, square(2, 2, 9.995, 8)],
    'corners 0.0009 and 0.0011 from the other\'s' => [TEN, square(0.0009, -0.0011, 10.0011, 10.0009)],
    'a long outline (64 corners) and a square reaching 0.005 past it' =>
      [square(0, 0, 10, 10, 16), square(2, 2, 10.005, 8)],
    'a long outline and a square 0.005 inside it' => [square(0, 0, 10, 10, 16), square(2, 2, 9.995, 8)]
  }.freeze

  # name => [point, polygon]: Geom.point_in_polygon_3D with border, which
  # the default road decides on the numbers where certain.
  UPRIGHT = [[0, 0, 0], [10, 0, 0], [10, 0, 10], [0, 0, 10]].freeze
  FLAT = TEN.map { |x, y| [x, y, 0] }.freeze
  POINTS_IN = {
    '0.005 outside an edge' => [[10.005, 5, 0], FLAT],
    '0.005 inside an edge' => [[9.995, 5, 0], FLAT],
    'on a corner' => [[10, 10, 0], FLAT],
    'well inside' => [[5, 5, 0], FLAT],
    'in an upright wall, well inside' => [[5, 0, 5], UPRIGHT],
    'in an upright wall, 0.005 above its top' => [[5, 0, 10.005], UPRIGHT],
    '0.005 off an upright wall\'s plane' => [[5, 0.005, 5], UPRIGHT]
  }.freeze

  def test_points_in_polygons_are_the_hosts
    answers = DisagreeingHost.in_child do
      POINTS_IN.transform_values do |p, polygon|
        corners = polygon.map { |c| Geom::Point3d.new(*c) }
        [true, false].map { |plain| QORPlugin.on_road(plain) { Geom.point_in_polygon_3D(Geom::Point3d.new(*p), corners, true) } }
      end
    end
    assert_equal [true, true], answers['well inside']
    answers.each { |name, (plain, default)| assert_equal plain, default, name }
  end

  def overlap_on_both_roads(a, b)
    pts = ->(poly) { poly.map { |x, y| Geom::Point3d.new(x, y, 0) } }
    [true, false].map do |plain|
      QORPlugin.on_road(plain) { QORTA.getIntersectionPointsOfPolygons(pts[a], pts[b]).map { |e| e[0, 3] } }
    end
  end

  def test_knife_edges_are_the_hosts
    answers = DisagreeingHost.in_child { OVERLAPS.transform_values { |a, b| overlap_on_both_roads(a, b) } }
    # Worked by hand: this host counts the whole of B as on A's border.
    assert_equal [['B', -1, 0], ['B', 0, 1], ['B', 1, 2], ['B', 2, 3]], answers.values.first[0]
    answers.each { |name, (plain, default)| assert_equal plain, default, name }
  end

  def export_xml(seed, plain)
    file = QORBench::GeneratedFile.new(rooms: 2 + seed % 4, seed: seed, storeys: 1 + seed % 2,
                                       settings: { max_wall_thickness: WALLS[seed % WALLS.length] })
    QORPlugin.on_road(plain) { QORPlugin::RoomExport.new(file, progress: file.progress).run.xml }
  end

  def test_generated_buildings_export_the_same_bytes
    differing = DisagreeingHost.in_child do
      (1..BUILDINGS).reject { |seed| export_xml(seed, true) == export_xml(seed, false) }
    end
    assert_empty differing, 'generated buildings whose export differs between the roads on this host'
  end
end

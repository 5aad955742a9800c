require_relative '../test_helper'
require_relative '../support/building_file_builder'
require_relative '../support/gbxml_fixtures'
require File.join(ROOT, 'code/Sketchup/Plugin/cli/dispatcher')
require File.join(ROOT, 'code/Sketchup/Plugin/preview/preview')

# One tiny building per kind of local problem found in real files: each
# imports, exports and checks (exit 0), and what was mended or left out is
# named, in order.
class GbxmlMendedFixturesTest < QORTest::Case
  include QORTest::BuildingFileBuilder
  include QORTest::GbxmlFixtures

  WARNINGS = {
    'window-on-sill' => [/Opening "op-full": a window on its surface's edge; cut as a notch/],
    'corner-past-edge' => [/Opening "op-window": a window on its surface's edge/],
    'door-takes-corner' => [/"op-corner-door": cuts its surface apart or takes away a corner of it; left out/,
                            /"op-full-door": cuts its surface apart .*; left out/,
                            /"op-small": overlaps opening "op-big", which is larger; left out/],
    'non-planar' => [/"su-west": not planar \(a corner lies 0.0125 m off its plane\); drawn as 2 planar pieces/,
                     /Space "sp-office": is not closed \(4 edges/],
    'space-without-surfaces' => [/Space "sp-empty": no surface bounds it; skipped/],
    'too-few-points' => [/"su-east": fewer than three points \(2\); left out/, /"sp-office": is not closed/],
    'opening-outside' => [/"op-window": lies outside its surface; left out/],
    'slab-on-door-sill' => [],
    'overhanging-roof' => [/Space "sp": is not closed/],
    'open-space' => [/Space "sp": is not closed \(4 edges/],
    'wing-and-loft' => [/Space "sp-a": is not closed/],
    'stacked-walls-door' => []
  }.freeze

  def teardown
    remove_tmpdir
    super
  end

  def road(name, settings = {})
    file, import = QORPlugin::Gbxml.load(fixture("mended/#{name}"))
    file.prepare(settings: settings)
    [QORPlugin::RoomExport.new(file).run, import, file]
  end

  def test_each_fixture_imports_exports_and_names_what_it_mended
    WARNINGS.each do |name, patterns|
      result, import, = road(name)
      warnings = import.warnings.map(&:to_s)
      assert_equal patterns.length, warnings.length, "#{name}: #{warnings}"
      patterns.zip(warnings) { |pattern, w| assert_match pattern, w, name }
      unwritten = result.summary.unwritten
      assert_equal [result.summary.face_count, 0], [unwritten.built, unwritten.list.length], name
      %w[check export].each do |command|
        status, _, err = qor_rooms(command, fixture("mended/#{name}"), '--quiet', *(command == 'export' ? ['-o', File.join(tmpdir, 'x.xml')] : []))
        assert_equal [0, ''], [status, err], "#{command} #{name}"
      end
    end
  end

  def test_a_window_on_its_walls_edge_is_a_glazed_notch_exported_as_a_window
    result, import, file = road('window-on-sill')
    assert_equal [['op-full', 'Window', 'glass']], import.building['doors'].map { |d| d.values_at('id', 'type', 'front') }
    assert_equal %w[Window], file.building.doors.map(&:type)
    assert_equal({ 'Window' => 1 }, result.summary.openings)
  end

  def test_corners_a_rounding_past_the_edge_are_on_it
    result, import, = road('corner-past-edge')
    assert_equal [1, 1], [import.summary.doors, import.summary.windows]
    assert_equal({ 'Door' => 1, 'Window' => 1 }, result.summary.openings)
  end

  # The slab corner on the sill does not split the door leaf: a leaf with a
  # corner more than its door would be taken for a frame, and lost.
  def test_a_slab_corner_on_a_door_sill_keeps_the_door
    result, _, file = road('slab-on-door-sill')
    assert_equal [4], file.building.doors.map { |d| d.vertices.length }
    assert_equal 4, file.building.doors.first.face.outer_loop.vertices.length
    assert_equal({ 'Door' => 1 }, result.summary.openings)
  end

  # Left 0.49 um off, the door's corners tilt the lower wall until its plane
  # and the upper wall's count as parallel but different, and the outer
  # shell of the lower wall then looks for a line where the two meet.
  def test_door_corners_a_fraction_of_a_micrometre_off_their_wall_are_pressed_onto_it
    result, import, file = road('stacked-walls-door')
    vertices = import.building['vertices']
    door = import.building['doors'].first['outline'].map { |id| vertices.fetch(id) }
    assert_equal [0.0] * 4, door.map { |p| p[1] }
    low, high = %w[hall-south-low hall-south-high].map { |id| file.faces.fetch(id).plane }
    assert_equal high, low
    assert_equal({ 'Door' => 1 }, result.summary.openings)
  end

  # Under the modeller's rule a wall meeting neither floor nor roof at an
  # edge is a pane: then it is listed, not lost.
  def test_walls_meeting_their_roof_at_no_edge_are_written_or_listed
    result, = road('overhanging-roof')
    assert_equal({ 'Ceiling' => 1, 'Floor' => 1, 'Wall' => 4 }, result.summary.faces)
    result, = road('overhanging-roof', panes: 'adjacency')
    assert_equal({ 'Ceiling' => 1, 'Floor' => 1 }, result.summary.faces)
    assert_match(/; room faces: 6 built, 2 written, 4 not written \(pane 4\)\z/, result.summary.to_s)
    assert_equal 4, result.summary.unwritten.lines.grep(/\APavilion face \d+: not written: taken for a window pane/).length
    html = QORPlugin::Preview.html(rooms: result.rooms, summary: result.summary.to_h, title: 'Pavilion')
    assert_equal 4, html.scan(%r{<li class="not_written">Pavilion face \d: not written: taken for a window pane}).length
    assert_equal 4, html.scan(/<line class="unwritten problem"/).length, 'each wall outlined in the plan'
  end

  def test_check_expects_a_wing_roof_as_a_ceiling_and_the_loft_floor_per_space
    report = qor_rooms('check', fixture('mended/wing-and-loft'), '--quiet')[1]
    assert_match(/^All +15 +15  100\.0 % +14  100\.0 %$/, report)
    assert_match(/^InteriorWall \(one space both sides\) +1 +1  100\.0 % +0 +-$/, report)
    expected = import_fixture('mended/wing-and-loft').expectations.to_h { |e| [e.surface_id, e.types] }
    assert_equal({ 'sp-a' => 'Ceiling' }, expected['a-wing-roof'])
    assert_equal({ 'sp-b' => 'Floor', 'sp-a' => 'Ceiling' }, expected['mid-floor'])
  end

  # Every fixture and every generated grid: the loader takes what the
  # import writes.
  def test_the_loader_takes_every_imported_building
    names = GOOD_FIXTURES + WARNINGS.keys.map { |n| "mended/#{n}" }
    names.each { |name| QORPlugin::BuildingFile.new(import_fixture(name).json, name) }
    require File.join(ROOT, 'bench/gbxml_generator')
    [[1, 1, 1], [3, 2, 2], [2, 4, 3]].each do |size|
      result = import_text(QORBench::GbxmlGenerator.new(*size).text, 'grid.xml')
      file = QORPlugin::BuildingFile.new(result.json, 'grid')
      assert_equal size.reduce(:*), file.rooms.length
    end
  end
end

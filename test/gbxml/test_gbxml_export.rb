require 'open3'
require 'rexml/document'
require_relative '../test_helper'
require_relative '../support/building_file_builder'
require_relative '../support/gbxml_fixtures'
require_relative '../../bench/generated_export'
require File.join(ROOT, 'code/Sketchup/Plugin/gbxml/export')
require File.join(ROOT, 'code/Sketchup/Plugin/cli/dispatcher')

# The export road's result written as gbXML: what is written for a building
# worked out by hand, validity, round trips through our own import, the
# geometric checks, and the command line.
class GbxmlExportTest < QORTest::Case
  include QORTest::BuildingFileBuilder
  include QORTest::GbxmlFixtures

  SCHEMA = File.expand_path('../shared/gbxml-schema/GreenBuildingXML_Ver6.01.xsd', ROOT)
  TWO_STOREY_FLAT = File.join(ROOT, 'test/fixtures/buildings/two-storey-flat.json')
  BUILDINGS = Dir[File.join(ROOT, 'examples', '*.json')].sort + [TWO_STOREY_FLAT]
  Surface = QORPlugin::Gbxml::WrittenSurfaces::Surface
  Side = QORPlugin::Gbxml::WrittenSurfaces::Side
  Opening = QORPlugin::Gbxml::WrittenSurfaces::Opening

  def teardown
    remove_tmpdir
    super
  end

  def export(source)
    file = source.is_a?(String) ? QORPlugin::BuildingFile.load(source) : source
    rooms = QORPlugin::RoomExport.new(file, progress: $class_ProgressBar2, centreline: true).run.rooms
    QORPlugin::Gbxml::Export.write(file, rooms)
  end

  def generated(seed, thin: false, **drawing)
    QORBench::GeneratedFile.new(rooms: 4 + seed % 9, seed: seed, settings: thin ? { thin_walls: true } : {}, **drawing)
  end

  # Surfaces of a written document: type, "space:type" per side, opening
  # types, model faces named, loop.
  def surfaces(xml)
    REXML::Document.new(xml).root.get_elements('Campus/Surface').map do |s|
      loop = s.get_elements('PlanarGeometry/PolyLoop/CartesianPoint').map { |p| p.get_elements('Coordinate').map { |c| c.text.to_f } }
      [s.attributes['surfaceType'],
       s.get_elements('AdjacentSpaceId').map { |a| "#{a.attributes['spaceIdRef']}:#{a.attributes['surfaceType']}" },
       s.get_elements('Opening').map { |o| o.attributes['openingType'] },
       s.get_elements('CADObjectId').map(&:text), loop]
    end
  end

  # Worked out from the drawing: the party wall is 4.0 to 4.2 m, so its mid
  # plane is x = 4.1; the slab is 2.5 to 2.7 m, so z = 2.6.  Ground-floor
  # walls and floors reach those planes; the loft's floor over two rooms is
  # written as the two pieces over them, each with both spaces.
  HAND_WORKED = [
    ['SlabOnGrade', %w[living:SlabOnGrade], [], %w[living-floor]],
    ['InteriorFloor', %w[living:Ceiling loft:InteriorFloor], [], %w[living-ceiling loft-floor]],
    ['ExteriorWall', %w[living:ExteriorWall], %w[FixedWindow], %w[living-south]],
    ['ExteriorWall', %w[living:ExteriorWall], [], %w[living-west]],
    ['ExteriorWall', %w[living:ExteriorWall], [], %w[living-north]],
    ['InteriorWall', %w[living:InteriorWall bedroom:InteriorWall], %w[NonSlidingDoor], %w[living-party bedroom-party]],
    ['SlabOnGrade', %w[bedroom:SlabOnGrade], [], %w[bedroom-floor]],
    ['InteriorFloor', %w[bedroom:Ceiling loft:InteriorFloor], [], %w[bedroom-ceiling loft-floor]],
    ['ExteriorWall', %w[bedroom:ExteriorWall], %w[FixedWindow], %w[bedroom-south]],
    ['ExteriorWall', %w[bedroom:ExteriorWall], [], %w[bedroom-east]],
    ['ExteriorWall', %w[bedroom:ExteriorWall], [], %w[bedroom-north]],
    ['Roof', %w[loft:Roof], [], %w[loft-roof]],
    ['ExteriorWall', %w[loft:ExteriorWall], %w[FixedWindow], %w[loft-south]],
    ['ExteriorWall', %w[loft:ExteriorWall], [], %w[loft-east]],
    ['ExteriorWall', %w[loft:ExteriorWall], [], %w[loft-north]],
    ['ExteriorWall', %w[loft:ExteriorWall], [], %w[loft-west]]
  ].freeze

  def test_two_storey_flat_worked_by_hand
    result = export(TWO_STOREY_FLAT)
    assert_empty result.problems
    written = surfaces(result.xml)
    assert_equal HAND_WORKED, written.map { |s| s.first(4) }
    # Each loop from the corner the expectation starts at.
    from = ->(loop, corner) { loop.rotate(loop.index(corner) || 0) }
    party = from.(written[5].last, [4.1, 0, 2.6])
    assert_equal [[4.1, 0, 2.6], [4.1, 0, 0], [4.1, 3, 0], [4.1, 3, 2.6]], party, 'party wall on x = 4.1, up to the slab'
    assert_equal [[0, 3, 2.6], [0, 0, 2.6], [4.1, 0, 2.6], [4.1, 3, 2.6]], from.(written[1].last, [0, 3, 2.6]), 'slab over the living room'
    assert_equal [[4.1, 3, 2.6], [4.1, 0, 2.6], [7.2, 0, 2.6], [7.2, 3, 2.6]], from.(written[7].last, [4.1, 3, 2.6]), 'slab over the bedroom'
    # Anticlockwise from outside the first space: the party wall faces away
    # from the living room (+x), the slab away from the room below (up).
    assert_equal [1.0, 0.0, 0.0], QORPlugin::Gbxml::PlaneGeometry.loop_normal(party)
    assert_equal [0.0, 0.0, 1.0], QORPlugin::Gbxml::PlaneGeometry.loop_normal(written[1].last)
    door = REXML::XPath.first(REXML::Document.new(result.xml), '//Opening[@openingType="NonSlidingDoor"]//PolyLoop')
    assert_equal [[4.1, 1, 0], [4.1, 1.9, 0], [4.1, 1.9, 2], [4.1, 1, 2]],
                 door.get_elements('CartesianPoint').map { |p| p.get_elements('Coordinate').map { |c| c.text.to_f } }
    spaces = REXML::Document.new(result.xml).root.get_elements('Campus/Building/Space').map do |s|
      [s.attributes['id'], s.attributes['buildingStoreyIdRef'], s.text('Area').to_f, s.text('Volume').to_f,
       s.get_elements('ShellGeometry/ClosedShell/PolyLoop').length]
    end
    assert_equal [['living', 'storey-1', 12.0, 30.0, 6], ['bedroom', 'storey-1', 9.0, 22.5, 6],
                  ['loft', 'storey-2', 21.6, 54.0, 6]], spaces
    assert_empty result.counts[:mended]
  end

  def test_valid_against_the_schema_and_the_same_bytes_every_run
    skip "gbXML schema not found at #{SCHEMA}: schema checks not run" unless File.exist?(SCHEMA)
    paths = BUILDINGS.map do |path|
      xml = export(path).xml
      assert_equal xml, export(path).xml, "#{path}: same bytes on a second run"
      write_text(File.basename(path, '.json'), xml)
    end
    paths += [1, 5, 9, 13, 17, 21].map { |seed| write_text("generated-#{seed}", export(generated(seed)).xml) }
    out, status = Open3.capture2e('xmllint', '--noout', '--schema', SCHEMA, *paths)
    assert status.success?, out
  end

  # Our gbXML read back by our import and checked: every surface agrees
  # in typing and adjacency.  The generated buildings with thick walls
  # have doors drawn both ways (a leaf both rooms list with reveals, and a
  # leaf on each side) and walls all thick or some thin (seed 1 has one),
  # on one storey or two (seed 8, slabs between):
  # their rooms' own shells close, door leaves included, so do the
  # surfaces round each space, no surfaces overlap and no loop touches
  # itself.
  def test_round_trip_through_our_import_agrees
    thick = { 1 => {}, 9 => {}, 5 => { doors: :two_leaves, shared_walls: false }, 8 => { storeys: 2 } }.map do |seed, drawing|
      result = export(generated(seed, **drawing))
      assert_empty result.problems.grep(/closed shell|surfaces|overlap|itself|opening/), "generated #{seed}, thick walls"
      ["generated #{seed}, thick walls #{drawing}", result]
    end
    BUILDINGS.map { |path| [path, export(path)] }
             .concat([3, 8, 14].map { |seed| ["generated #{seed}, thin walls", export(generated(seed, thin: true))] })
             .concat(thick)
             .each do |label, result|
      file, import = QORPlugin::Gbxml.load(write_text('written', result.xml))
      file.prepare
      rooms = QORPlugin::RoomExport.new(file, progress: $class_ProgressBar2, centreline: true).run.rooms
      agreement = QORPlugin::Gbxml::RoomTyping.new(file, rooms).agreement(import.expectations)
      assert agreement.complete?, "#{label}: #{agreement.disagreements.first(3)}"
      assert_equal result.counts[:surfaces], agreement.total.surfaces, label
    end
  end

  # A gbXML file through import and export keeps every space, surface and
  # opening the import kept, with their areas.
  def test_gbxml_file_round_trip_keeps_spaces_surfaces_and_openings
    GOOD_FIXTURES.each do |name|
      before = areas(File.read(fixture(name)))
      file, = QORPlugin::Gbxml.load(fixture(name))
      file.prepare
      after = areas(export(file).xml)
      assert_equal before.map(&:length), after.map(&:length), name
      before.zip(after).each do |a, b|
        a.sort.zip(b.sort).each { |x, y| assert_in_delta x, y, x * 0.01, name }
      end
    end
  end

  # A file the import had to mend: the export keeps what the import kept
  # (its building's faces, with their doors' area, and its holes, doors
  # and faces made wholly an opening).
  def test_mended_gbxml_file_round_trip_keeps_what_the_import_kept
    Dir[File.join(GBXML_FIXTURES, 'mended', '*.xml')].sort.each do |path|
      file, import = QORPlugin::Gbxml.load(path)
      file.prepare
      name = File.basename(path)
      kept = kept_areas(import.json.is_a?(String) ? JSON.parse(import.json) : import.json)
      after = areas(export(file).xml)
      assert_equal kept.map(&:length), after.map(&:length), name
      kept.zip(after).each { |a, b| a.sort.zip(b.sort).each { |x, y| assert_in_delta x, y, x * 0.01, name } }
    end
  end

  def kept_areas(building)
    at = building['vertices'].to_h
    area = ->(ids) { QORPlugin::Gbxml::PlaneGeometry.area(ids.map { |v| at.fetch(v) }) }
    doors = Array(building['doors']).map { |d| d['outline'] }
    faces = building['faces']
    surfaces = faces.map { |f| area.call(f['outer']) + doors.select { |o| (o - f['outer']).empty? }.sum(&area) }
    openings = faces.flat_map { |f| Array(f['holes']).map(&area) } + doors.map(&area) +
               faces.select { |f| f['front'] }.map { |f| area.call(f['outer']) }
    [building['rooms'].map { 0 }, surfaces, openings]
  end

  # [spaces, surface areas, opening areas] of a document, whatever its
  # namespace prefix.
  def areas(xml)
    doc = REXML::Document.new(xml)
    metres = { 'Feet' => 0.3048, 'Inches' => 0.0254, 'Millimeters' => 0.001, 'Centimeters' => 0.01 }
    scale = metres.fetch(doc.root.attributes['lengthUnit'], 1.0)**2
    all = ->(name) { REXML::XPath.match(doc, "//*[local-name()='#{name}']") }
    area = lambda do |el|
      loop = REXML::XPath.first(el, "*[local-name()='PlanarGeometry']/*[local-name()='PolyLoop']")
      pts = REXML::XPath.match(loop, "*[local-name()='CartesianPoint']").map do |p|
        REXML::XPath.match(p, "*[local-name()='Coordinate']").map { |c| c.text.to_f }
      end
      QORPlugin::Gbxml::PlaneGeometry.area(pts) * scale
    end
    [all.call('Space').map { 0 }, all.call('Surface').map(&area), all.call('Opening').map(&area)]
  end

  # A unit cube, loops turned outward.
  CUBE = [
    [[0, 0, 0], [0, 1, 0], [1, 1, 0], [1, 0, 0]], [[0, 0, 1], [1, 0, 1], [1, 1, 1], [0, 1, 1]],
    [[0, 0, 0], [1, 0, 0], [1, 0, 1], [0, 0, 1]], [[1, 1, 0], [0, 1, 0], [0, 1, 1], [1, 1, 1]],
    [[0, 1, 0], [0, 0, 0], [0, 0, 1], [0, 1, 1]], [[1, 0, 0], [1, 1, 0], [1, 1, 1], [1, 0, 1]]
  ].map { |l| l.map { |p| p.map(&:to_f) } }.freeze

  def checks(loops, openings: [], extra: [])
    surfaces = loops.map.with_index do |l, i|
      Surface.new('ExteriorWall', [Side.new(0, nil, nil)], l, i == 2 ? openings : [], [], [])
    end
    QORPlugin::Gbxml::ShellChecks.new(surfaces + extra, [loops], ['box'])
  end

  def test_geometric_checks_list_what_is_wrong
    window = ->(pts) { [Opening.new('FixedWindow', pts.map { |p| p.map(&:to_f) })] }
    cases = {
      'closed cube' => [checks(CUBE), []],
      'top missing' => [checks(CUBE.reject.with_index { |_, i| i == 1 }),
                        ['Space "box": closed shell open along 4 edges', 'Space "box": surfaces open along 4 edges']],
      'top turned in' => [checks(CUBE.map.with_index { |l, i| i == 1 ? l.reverse : l }),
                          ['Space "box": closed shell turned the same way twice along 4 edges',
                           'Space "box": surfaces turned the same way twice along 4 edges']],
      'window off its wall' => [checks(CUBE, openings: window.call([[0.2, 0.01, 0.2], [0.8, 0.01, 0.2], [0.8, 0.01, 0.8], [0.2, 0.01, 0.8]])),
                                ['surface-3 opening 1 (FixedWindow): lies 0.0100 m off its surface']],
      'window past its wall' => [checks(CUBE, openings: window.call([[0.2, 0, 0.2], [1.2, 0, 0.2], [1.2, 0, 0.8], [0.2, 0, 0.8]])),
                                 ['surface-3 opening 1 (FixedWindow): not inside its surface']],
      'window on its edge' => [checks(CUBE, openings: window.call([[0.2, 0, 0], [0.8, 0, 0], [0.8, 0, 0.8], [0.2, 0, 0.8]])),
                               ["surface-3 opening 1 (FixedWindow): touches its surface's edge"]],
      'overlap' => [checks(CUBE, extra: [Surface.new('Roof', [Side.new(0, nil, nil)],
                                                     [[0.5, 0.5, 1.0], [1.5, 0.5, 1.0], [1.5, 1.5, 1.0], [0.5, 1.5, 1.0]], [], [], [])]),
                    ['surface-2 and surface-7 overlap']],
      'loop touching itself' => [checks(CUBE, extra: [Surface.new('Roof', [Side.new(0, nil, nil)],
                                                                  [[0.0, 0.0, 5.0], [1.0, 0.0, 5.0], [1.0, 1.0, 5.0], [0.5, 0.0, 5.0]], [], [], [])]),
                                 ['surface-7: its loop touches or crosses itself near (0.500, 0.000, 5.000)']]
    }
    cases.each do |label, (found, expected)|
      assert_equal expected, found.problems.map { |p| p.sub(/ \(e\.g\..*/, '') }
                                 .reject { |p| label.match?(/overlap|loop/) && p.start_with?('Space') }, label
    end
    assert_in_delta 1.0, cases['closed cube'][0].closed_volume(0), 1e-12
    assert_nil cases['top missing'][0].closed_volume(0)
  end

  def test_command_line_format_and_preview_from_the_written_gbxml
    target = File.join(tmpdir, 'flat.xml')
    preview = File.join(tmpdir, 'flat.html')
    status, out, err = qor_rooms(TWO_STOREY_FLAT, '--format', 'gbxml', '-o', target, '--preview', preview)
    assert_equal [0, ''], [status, out], err
    assert_match(/^qor-rooms: gbXML: 3 spaces, 16 surfaces \(ExteriorWall 10, InteriorFloor 2, InteriorWall 1, Roof 1, SlabOnGrade 2\), 4 openings/, err)
    assert_match(/; 0 joined from two outside faces, 0 mended, 0 problems$/, err)
    assert_equal export(TWO_STOREY_FLAT).xml, File.read(target)
    html = File.read(preview)
    assert_includes html, 'Two-storey flat (as gbXML)'
    %w[Living Bedroom Loft].each { |name| assert_includes html, name }
    status, out, = qor_rooms(TWO_STOREY_FLAT, '--format', 'gbxml', '-q')
    assert_equal [0, File.read(target)], [status, out]
    status, _, err = qor_rooms(TWO_STOREY_FLAT, '--format', 'ifc')
    assert_equal 2, status
    assert_includes err, 'invalid argument: --format ifc'
  end

  # Room ids become space ids only where they make valid, unique ids that
  # are not the writer's own; otherwise the document would not validate.
  def test_space_ids_stay_valid_and_unique
    file = generated(4)
    file.rooms.zip(['hall', 'hall', 'surface-2', 'x y', 'ok_id']).each { |d, id| d.id = id if id }
    xml = export(file).xml
    ids = REXML::Document.new(xml).root.get_elements('Campus/Building/Space').map { |sp| sp.attributes['id'] }
    assert_equal ['hall', 'space-2', 'space-3', 'space-4', 'ok_id'], ids.first(5)
    skip "gbXML schema not found at #{SCHEMA}" unless File.exist?(SCHEMA)
    out, status = Open3.capture2e('xmllint', '--noout', '--schema', SCHEMA, write_text('ids', xml))
    assert status.success?, out
  end

  # A room left open: the document is still written whole, names escaped,
  # and the open shell named at its top and on standard error.
  def test_an_open_room_is_written_and_named
    doc = minimal_building
    doc['faces'].reject! { |f| f['id'] == 'west' }
    doc['rooms'][0].merge!('id' => '1', 'name' => "Box & <Co>", 'faces' => %w[floor ceiling south east north])
    status, out, err = qor_rooms(write_building(doc), '--format', 'gbxml')
    assert_equal 0, status, err
    root = REXML::Document.new(out).root
    assert_equal 'Box & <Co>', root.elements['Campus/Building/Space/Name'].text
    assert_match(/\A<\?xml[^\n]*\n<!-- Problems found: 2\n  Space &quot;space-1&quot;: closed shell open along 4 edges/, out)
    assert_includes err, 'qor-rooms: problem: Space "space-1": closed shell open along 4 edges'
    assert_includes err, 'qor-rooms: problem: Space "space-1": surfaces open along 4 edges'
    assert_equal %w[floor ceiling south east north], root.get_elements('Campus/Surface/CADObjectId').map(&:text)
  end

  def write_text(name, text)
    path = File.join(tmpdir, "#{name}.xml")
    File.write(path, text)
    path
  end
end

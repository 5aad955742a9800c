require_relative '../test_helper'
require_relative '../support/gbxml_fixtures'

# gbXML files into building files: what each fixture makes, the refusals,
# and the mending of degenerate loops.
class GbxmlImportTest < QORTest::Case
  include QORTest::GbxmlFixtures

  # fixture => [spaces, faces, shared faces, windows, doors, air openings,
  #             corners of the face named last]
  EXPECTED = {
    'box' => [1, 6, 0, 1, 0, 0, 'su-south', 4],
    'two-spaces-door' => [2, 11, 1, 0, 1, 0, 'party', 8],
    'two-storey' => [2, 11, 1, 1, 0, 0, 'mid-floor', 4],
    'roof-skylight' => [1, 6, 0, 1, 0, 1, 'roof', 4],
    'curtain-wall' => [1, 6, 0, 4, 0, 0, 'cw-south', 4],
    'cabin-feet' => [1, 6, 0, 1, 1, 0, 'cab-south', 8]
  }.freeze

  def test_fixtures_import_and_load_as_building_files
    EXPECTED.each do |name, (spaces, faces, shared, windows, doors, air, face_id, corners)|
      result = import_fixture(name)
      s = result.summary
      assert_equal [spaces, faces, shared, windows, doors, air], [s.spaces, s.faces, s.shared, s.windows, s.doors, s.air], name
      assert_equal 0, s.cleaned, name
      file = QORPlugin::BuildingFile.new(result.json, name)
      assert_equal spaces, file.rooms.length, name
      assert_equal corners, file.faces.fetch(face_id).outer_loop.vertices.length, name
      assert_equal doors, file.building.doors.length, name
    end
  end

  def test_rooms_are_named_and_on_their_storeys
    rooms = QORPlugin::BuildingFile.new(import_fixture('two-storey').json).rooms
    assert_equal [%w[sp-ground Shop Ground], %w[sp-first Flat First]], rooms.map { |r| [r.id, r.name, r.storey] }
    assert_same rooms[0].faces[1], rooms[1].faces[0], 'the floor between them is one face'
  end

  def test_openings_become_panes_open_holes_door_leaves_or_glazed_faces
    doc = import_fixture('roof-skylight').building
    assert_equal [['op-skylight', 'roof', 'glass']], doc['windows'].map { |w| w.values_at('id', 'face', 'front') }
    assert_equal 1, doc['faces'].find { |f| f['id'] == 'north' }['holes'].length, 'the air vent is an open hole'
    east = import_fixture('curtain-wall').building['faces'].find { |f| f['id'] == 'cw-east' }
    assert_equal %w[glass glass], east.values_at('front', 'back')
    assert_equal 0.5, import_fixture('curtain-wall').building['materials'].first['alpha']
  end

  # Every length unit, scaled by hand: the box is 4 x 3 x 2.5 m in each.
  def test_each_length_unit_gives_the_box_in_metres
    metres = import_fixture('box').json
    { 'Millimeters' => 1000, 'Centimeters' => 100, 'Inches' => 1 / 0.0254, 'Feet' => 1 / 0.3048 }.each do |unit, per_metre|
      text = box_text.sub('lengthUnit="Meters"', %(lengthUnit="#{unit}"))
                     .gsub(%r{<Coordinate>([^<]*)</Coordinate>}) { "<Coordinate>#{Float($1) * per_metre}</Coordinate>" }
      result = import_text(text)
      assert_equal [4.0, 3.0, 2.5], result.building['vertices'].values.transpose.map(&:max), unit
      assert_equal metres, result.json, unit
    end
  end

  def test_feet_and_metres_make_the_same_building_file
    assert_equal import_fixture('cabin-metres').json, import_fixture('cabin-feet').json
  end

  def test_floor_types_are_the_floor_above_and_the_ceiling_below
    types = import_fixture('two-storey').expectations.to_h { |e| [e.surface_id, e.types] }
    assert_equal({ 'sp-first' => 'Floor', 'sp-ground' => 'Ceiling' }, types['mid-floor'])
    assert_equal({ 'sp-first' => 'Ceiling' }, types['u-roof'])
    assert_equal({ 'sp-ground' => 'Wall' }, types['g-east'])
  end

  # Room construction types faces today; the whole report needs the
  # outer-shell pass (see test_commands.rb).
  def test_our_floor_wall_ceiling_typing_agrees_with_every_fixture
    GOOD_FIXTURES.each do |name|
      result = import_fixture(name)
      file = QORPlugin::BuildingFile.new(result.json, name)
      rooms = file.rooms.each_with_index.map do |desc, i|
        QORTA::QORTA_Room.new(file.building, i + 1, desc.faces, desc.claim_floor)
      end
      file.building.rooms = rooms
      agreement = QORPlugin::Gbxml::RoomTyping.new(file, rooms).agreement(result.expectations)
      assert_equal agreement.total.surfaces, agreement.total.typed, "#{name}: #{agreement.disagreements}"
    end
  end

  REFUSALS = {
    'not-xml' => /: not XML \(line 88: Opening and ending tag mismatch: Campus line 4 and gbXML\)\z/,
    'not-gbxml' => /: not gbXML \(the root element is <Building> in http:/,
    'unknown-unit' => /: gbXML: unknown lengthUnit "Furlongs"/
  }.freeze

  def test_each_malformed_fixture_is_refused_naming_file_element_and_problem
    REFUSALS.each do |name, message|
      path = fixture("bad/#{name}")
      error = assert_raises(QORPlugin::Gbxml::GbxmlError, name) { QORPlugin::Gbxml::Importer.import_file(path) }
      assert error.message.start_with?("#{path}: "), error.message
      assert_match message, error.message, name
    end
  end

  def test_a_version_from_the_future_is_refused
    error = assert_raises(QORPlugin::Gbxml::GbxmlError) { import_text(box_text.sub('version="0.37"', 'version="9.0"')) }
    assert_match(/gbXML: version "9.0" is not supported/, error.message)
  end

  # One element that cannot be used is mended or left out, named and
  # counted; the rest of the building imports and loads.
  # edit => [warning, summary counts [surfaces, openings, spaces] left out, windows]
  def self.coordinates(*xyz) = xyz.map { |c| "<Coordinate>#{c}</Coordinate>" }.join

  LEFT_OUT = {
    'an unknown opening type' => [['openingType="FixedWindow"', 'openingType="Hatch"'],
                                  /Opening "op-window": unknown openingType "Hatch" .*; left out/, [0, 1, 0], 0],
    'an unknown space' => [['<AdjacentSpaceId spaceIdRef="sp-office"/>', '<AdjacentSpaceId spaceIdRef="sp-x"/>'],
                           /Surface "su-floor": AdjacentSpaceId "sp-x" names no Space; that side is left out/, [1, 0, 0], 1],
    'a coordinate not a number' => [[coordinates(4, 3, 0), coordinates(4, 'three', 0)],
                                    /Surface "su-floor": coordinate "three" is not a decimal number; left out/, [1, 0, 0], 1],
    'a hexadecimal coordinate' => [[coordinates(4, 3, 0), coordinates('0x4', 3, 0)],
                                   /Surface "su-floor": coordinate "0x4" is not a decimal number; left out/, [1, 0, 0], 1],
    'an underscored coordinate' => [[coordinates(4, 3, 0), coordinates('4_0', 3, 0)],
                                    /Surface "su-floor": coordinate "4_0" is not a decimal number; left out/, [1, 0, 0], 1],
    'an overflowing coordinate' => [[coordinates(4, 3, 0), coordinates('1e400', 3, 0)],
                                    /Surface "su-floor": coordinate 1e400 is out of range .*; left out/, [1, 0, 0], 1],
    'an overflowing opening corner' => [[coordinates(1, 0, 1), coordinates('-1e400', 0, 1)],
                                        /Opening "op-window": coordinate -1e400 is out of range .*; left out/, [0, 0, 0], 0]
  }.freeze

  def test_one_unusable_element_is_left_out_named_and_counted
    LEFT_OUT.each do |label, ((from, to), warning, counts, windows)|
      text = box_text.sub(from, to)
      refute_equal box_text, text, label
      result = import_text(text)
      assert_match warning, result.warnings.map(&:to_s).join("\n"), label
      assert_equal counts, result.summary.left_out.values_at(:surfaces, :openings, :spaces), label if counts.sum.positive?
      assert_equal windows, result.summary.windows, label
      QORPlugin::BuildingFile.new(result.json, label)
    end
  end

  # A storey id given twice: spaces name storeys by id, so the first is
  # kept and the second named.
  def test_a_storey_id_given_twice_is_named
    text = box_text.sub(%r{( *<BuildingStorey id="st-ground">.*?</BuildingStorey>\n)}m) { "#{$1}#{$1.sub('Ground floor', 'Roof deck')}" }
    result = import_text(text)
    assert_equal ['BuildingStorey "st-ground": id given twice; the first storey of that id is kept'], result.warnings.map(&:to_s)
    assert_equal 'Ground floor', result.building['rooms'].first['storey']
  end

  # Entities the file's DTD declares: internal ones expanded; anything that
  # would read outside the file, or grow without bound, refused.
  def test_entities_declared_in_the_dtd
    dtd = ->(decls) { box_text.sub('<gbXML ', "<!DOCTYPE gbXML [#{decls}]>\n<gbXML ") }
    named = dtd['<!ENTITY office "Office &amp; store">'].sub('<Name>Office</Name>', '<Name>&office;</Name>')
    assert_equal 'Office & store', import_text(named).building['rooms'].first['name']
    laughs = (1..6).map { |i| %(<!ENTITY l#{i} "#{"&l#{i - 1};" * 10}">) }.join
    {
      'an external entity' => [dtd['<!ENTITY ext SYSTEM "/etc/hostname">'], /external or parameter entity \(ext\)/],
      'a parameter entity' => [dtd['<!ENTITY % p "<!ENTITY x \'y\'>"> %p;'], /external or parameter entity \(p\)/],
      'an external DTD' => [box_text.sub('<gbXML ', %(<!DOCTYPE gbXML SYSTEM "/etc/hostname">\n<gbXML )), /the DTD names an external file/],
      'a billion laughs' => [dtd[%(<!ENTITY l0 "ha">#{laughs})].sub('<Name>Office</Name>', '<Name>&l6;</Name>'), /not XML \(line \d+: Detected an entity reference loop\)/]
    }.each do |label, (text, message)|
      error = assert_raises(QORPlugin::Gbxml::GbxmlError, label) { import_text(text) }
      assert_match message, error.message, label
    end
  end

  def test_a_wall_left_out_names_the_openings_it_takes_with_it
    text = box_text.sub(%r{(<Surface id="su-south".*?<PolyLoop>\s*<CartesianPoint>.*?</CartesianPoint>)}m) do
      $1.sub(coordinates(0, 0, 0), coordinates(0, 'x', 0))
    end
    result = import_text(text)
    assert_equal ['Surface "su-south": coordinate "x" is not a decimal number; left out',
                  'Opening "op-window": its surface is left out; left out'], result.warnings.map(&:to_s).first(2)
    assert_equal [1, 1], result.summary.left_out.values_at(:surfaces, :openings)
    text = box_text.sub(%r{(<Surface id="su-south".*?<PolyLoop>)(.*?)(</PolyLoop>)}m) { "#{$1}#{$2.lines.first(3).join}#{$3}" }
    result = import_text(text)
    assert_equal ['Surface "su-south": fewer than three points (2); left out',
                  'Opening "op-window": its surface is left out; left out'], result.warnings.map(&:to_s).first(2)
    assert_equal [1, 1], result.summary.left_out.values_at(:surfaces, :openings)
  end

  def test_overlapping_windows_keep_the_larger
    second = box_text[%r{ *<Opening id="op-window".*?</Opening>\n}m].sub('op-window', 'op-second')
                                                                    .gsub('<Coordinate>1</Coordinate><Coordinate>0<', '<Coordinate>2</Coordinate><Coordinate>0<')
    refute_includes second, coordinates(1, 0, 1), 'the second window starts at x = 2'
    result = import_text(box_text.sub(%r{(<Opening id="op-window".*?</Opening>\n)}m) { "#{$1}#{second}" })
    assert_equal ['Opening "op-second": overlaps opening "op-window", which is larger; left out'], result.warnings.map(&:to_s)
    assert_equal %w[op-window], result.building['windows'].map { |w| w['id'] }
  end

  # A repeated point, a point on a straight edge and a wall bent by 1 mm are
  # mended and counted; the building is the box's, and loads.
  def test_degenerate_loops_are_cleaned_and_counted
    text = box_text.sub(coordinates(4, 3, 0), "#{coordinates(4, 3, 0)}</CartesianPoint><CartesianPoint>#{coordinates(4, 3, 0)}")
                   .sub(coordinates(4, 0, 0), "#{coordinates(4, 0, 0)}</CartesianPoint><CartesianPoint>#{coordinates(4, 1.5, 0)}")
                   .sub(%r{(<Surface id="su-west".*?)#{coordinates(0, 3, 2.5)}}m) { "#{$1}#{coordinates(0.001, 3, 2.5)}" }
    result = import_text(text)
    s = result.summary
    assert_equal [1, 1, 1], [s.repeated, s.collinear, s.flattened]
    assert_match(/cleaned: 1 repeated point, 1 collinear point, 1 loop flattened/, s.to_s)
    floor = result.building['faces'].find { |f| f['id'] == 'su-floor' }
    assert_equal 4, floor['outer'].length
    QORPlugin::BuildingFile.new(result.json)
  end
end

require_relative '../test_helper'
require_relative '../support/building_file_builder'
require File.join(ROOT, 'code/Sketchup/Plugin/cli/dispatcher')

# The bundled two-room flat drawn into the model as its file says.
class BuildingFileRoundTripTest < QORTest::Case
  include QORTest::BuildingFileBuilder

  M = 39.37007874015748

  def setup
    super
    @file = QORPlugin::BuildingFile.load(File.join(EXAMPLES, 'two-room-flat.json'))
    @model = @file.model
  end

  def test_faces_holes_panes_and_leaves
    faces = @model.entities.grep(Sketchup::Face)
    # 12 named faces, a pane in each window hole, a leaf in each doorway.
    assert_equal 16, faces.length
    south = @file.faces['living-south']
    assert_equal 2, south.loops.length
    assert_equal [1, 1, 1, 1, 1, 1], %w[living-floor living-ceiling living-west living-north living-party
                                       bedroom-east].map { |id| @file.faces[id].loops.length }
    assert_equal 8, @file.faces['living-party'].outer_loop.vertices.length
    assert_in_delta 4 * M, @file.faces['living-party'].vertices.map { |v| v.position.x }.max, 1e-9
    assert_equal @model, $object_Sketchup_active_model
    assert_equal faces, $modelFaces2
  end

  def test_corners_on_an_edge_split_it_as_the_modeller_does
    # The doorway's feet (4, 1, 0) and (4, 1.9, 0) lie on the floor's east
    # edge: the floor runs through them, sharing the door's vertices.
    floor = @file.faces['living-floor'].outer_loop.vertices
    feet = @file.building.doors.first.vertices.select { |v| v.position.z.abs < 1e-9 }
    assert_equal 2, feet.length
    assert_equal 6, floor.length
    assert((feet - floor).empty?)
    # A corner merely near an edge (2 mm off) leaves it alone.
    doc = minimal_building
    doc['vertices']['near'] = [50, -0.08, 0]
    doc['faces'] << { 'id' => 'apron', 'outer' => %w[a near b] }
    file = QORPlugin::BuildingFile.load(write_building(doc))
    assert_equal 4, file.faces['floor'].outer_loop.vertices.length
  ensure
    remove_tmpdir
  end

  def test_materials_on_both_sides
    pane = $innerLoopFacesHash2[@file.faces['living-south'].to_s].first
    assert_equal %w[glass glass], [pane.material.name, pane.back_material.name]
    assert_in_delta 0.4, pane.material.alpha, 1e-12
    assert_equal 'plaster', @file.faces['living-west'].material.name
    assert_nil @file.faces['living-floor'].material
    assert_equal [160, 200, 224], @model.materials['glass'].color.to_a.first(3)
  end

  def test_doors_are_leaves_in_the_party_wall_notches
    doors = @file.building.doors
    assert_equal 2, doors.length
    assert(doors.all? { |d| d.type == 'Door' && d.face.material.name == 'oak' })
    party = @file.faces['living-party']
    assert_equal [doors.first], @model.findDoors2(party.outer_loop.vertices, party)
  end

  def test_rooms_and_settings
    living, bedroom = @file.rooms
    assert_equal ['1', 'Living room', 'Ground floor', true], [living.id, living.name, living.storey, living.claim_floor]
    assert_equal({ 'constructionOption' => 'Flat - party wall', 'type' => '12', 'service' => '0' }, living.settings)
    assert_equal 6, bedroom.faces.length
    assert_same @file.faces['bedroom-party'], bedroom.faces.last
    assert_in_delta 0.3 * M, $maxWallThickness, 1e-9
    assert_in_delta Math::PI / 4, $vHETARadians, 1e-12
    assert_equal 0, $thinWalls
  end

  def test_face_attributes_and_thin_walls_of_the_other_examples
    house = QORPlugin::BuildingFile.load(File.join(EXAMPLES, 'two-storey-house.json'))
    edge = house.faces['slab-edge']
    assert_equal [true, 'Slab'], [edge.get_attribute('FaceDict', 'Slab'), edge.get_attribute('FaceDict', 'FaceType')]
    QORPlugin::BuildingFile.load(File.join(EXAMPLES, 'open-plan-office.json'))
    assert_equal 1, $thinWalls
  end
end

# Every mistake in a building file: one message naming the file, the JSON
# path and the problem; exit status 1; no output file, not even an empty one.
class BuildingFileErrorsTest < QORTest::Case
  include QORTest::BuildingFileBuilder

  def teardown
    remove_tmpdir
    super
  end

  # An edit of the file's text rather than of the document.
  TextEdit = Struct.new(:edit)

  CASES = {
    'invalid JSON, with its line' => [
      TextEdit.new(->(t) { t.sub('"units": "in",', '"units": "in"') }),
      nil, /invalid JSON at line 3, column 3: expected ',' or '}'/
    ],
    'unknown face reference' => [
      ->(d) { d['rooms'][0]['faces'][2] = 'sout' },
      'rooms[0].faces[2]', /unknown face "sout"/
    ],
    'unknown vertex reference' => [
      ->(d) { d['faces'][1]['outer'][3] = 'z' }, 'faces[1].outer[3]', /unknown vertex "z"/
    ],
    'fewer than three points' => [
      ->(d) { d['faces'][0]['outer'] = %w[a d a] }, 'faces[0].outer', /fewer than three points/
    ],
    'non-planar face' => [
      ->(d) { d['vertices']['c'] = [100, 80, 2] }, 'faces[0].outer', /not planar: vertex "b" lies 2 in off the plane through "a", "d", "c"/
    ],
    'points on one line' => [
      ->(d) { d['vertices']['m'] = [50, 0, 0]; d['faces'][0]['outer'] = %w[a m b] },
      'faces[0].outer', /lie on one line/
    ],
    'points that all coincide' => [
      ->(d) { d['vertices'].merge!('p' => [0, 0, 0.0004], 'q' => [0.0004, 0, 0]); d['faces'][0]['outer'] = %w[a p q] },
      'faces[0].outer', /the points all coincide/
    ],
    'coordinate beyond a Float in inches' => [
      ->(d) { d['units'] = 'm'; d['vertices']['b'] = [1e308, 0, 0] }, 'vertices.b[0]', /too large \(1\.0e\+308\)/
    ],
    'non-numeric coordinate' => [
      ->(d) { d['vertices']['b'] = [100, '0', 0] }, 'vertices.b[1]', /not a number \("0"\)/
    ],
    'duplicate vertex id' => [
      TextEdit.new(->(t) { t.sub('"b": [', '"a": [0, 0, 0], "b": [') }), 'vertices.a', /duplicate key/
    ],
    'duplicate face id' => [
      ->(d) { d['faces'][3]['id'] = 'ceiling' }, 'faces[3].id', /duplicate id "ceiling" \(also faces\[1\]\)/
    ],
    'unknown material' => [
      ->(d) { d['faces'][3]['front'] = 'brick' }, 'faces[3].front', /unknown material "brick"/
    ],
    'unknown unit' => [->(d) { d['units'] = 'cm' }, 'units', /unknown unit "cm" \(use "m" or "in"\)/],
    'missing field' => [->(d) { d['rooms'][0].delete('name') }, 'rooms[0].name', /missing/],
    'misspelt field' => [->(d) { d['faces'][2]['hole'] = [] }, 'faces[2].hole', /unknown field/],
    'hole outside its face' => [
      ->(d) { d['vertices']['w1'] = [-20, 0, 10] }, 'faces[2]', /hole is not strictly inside/
    ],
    'window in a face without that hole' => [
      ->(d) { d['windows'][0]['hole'] = 1 }, 'windows[0].hole', /has no hole 1 \(it has 1\)/
    ],
    'door off every outline' => [
      ->(d) { d['doors'] = [{ 'id' => 'x', 'outline' => %w[w1 w2 w3] }] }, 'doors[0].outline', /not part of any face/
    ]
  }.freeze

  def test_each_error_is_named_and_nothing_is_written
    CASES.each do |name, (mutate, path, problem)|
      doc = minimal_building
      mutate.call(doc) unless mutate.is_a?(TextEdit)
      text = JSON.pretty_generate(doc)
      file = write_building(mutate.is_a?(TextEdit) ? mutate.edit.call(text) : text)
      out = File.join(tmpdir, 'out.xml')
      status, stdout, stderr = qor_rooms(file, '-o', out)
      assert_equal 1, status, name
      assert_equal 1, stderr.lines.length, "#{name}: #{stderr}"
      assert_includes stderr, "#{file}: #{path}: " if path
      assert_includes stderr, "#{file}: " unless path
      assert_match problem, stderr, name
      assert_empty stdout, name
      assert_equal ['building.json'], Dir.children(tmpdir), name
    end
  end

  def test_unreadable_file
    status, _, stderr = qor_rooms(File.join(tmpdir, 'nowhere.json'))
    assert_equal 1, status
    assert_match(/nowhere\.json: cannot read \(No such file or directory/, stderr)
  end

  # Planted faults the edge splitting must not let through: the closing
  # edge (last corner back to the first) is an edge too; a corner on the
  # edge's line but past its end is not on it.
  def test_closing_edges_split_and_corners_past_an_end_do_not
    {
      'a foot on the floor\'s closing edge' => [{ 'foot' => [50, 0, 0], 's' => [50, 0, -20] }, %w[a foot s], 5],
      'a corner just past the floor\'s corner' => [{ 'past' => [100.5, 0, 0], 'q' => [120, 0, 0], 'r' => [110, 0, -20] },
                                                    %w[past q r], 4]
    }.each do |label, (vertices, outer, corners)|
      doc = minimal_building
      doc['vertices'].merge!(vertices)
      doc['faces'] << { 'id' => 'extra', 'outer' => outer }
      floor = QORPlugin::BuildingFile.new(JSON.generate(doc)).faces['floor'].outer_loop.vertices
      assert_equal corners, floor.length, label
      assert_equal [50.0, 0.0, 0.0], floor.last.position.to_a, label if corners == 5
    end
  end

  # The corner index must not walk every grid cell a long edge spans.
  def test_a_corner_far_away_loads
    doc = minimal_building
    doc['vertices'].merge!('x1' => [0, 0, -10], 'x2' => [4e10, 0, -10], 'x3' => [0, 10, -10])
    doc['faces'] << { 'id' => 'far', 'outer' => %w[x1 x2 x3] }
    file = QORPlugin::BuildingFile.load(write_building(doc))
    assert_equal 8, file.model.entities.grep(Sketchup::Face).length
  end

  def test_minimal_building_loads
    file = QORPlugin::BuildingFile.load(write_building(minimal_building))
    assert_equal 7, file.model.entities.grep(Sketchup::Face).length
    assert_equal 'Box', file.rooms.first.name
    assert_equal '', file.rooms.first.storey
  end
end

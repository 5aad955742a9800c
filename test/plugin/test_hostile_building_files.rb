require_relative '../test_helper'
require_relative '../support/building_file_builder'
require File.join(ROOT, 'code/Sketchup/Plugin/cli/dispatcher')

# Building files made to break the outputs: each is refused with one line
# naming the JSON path, exit 1, nothing written; or, where the file is
# merely unusual, loaded as meant.
class HostileBuildingFilesTest < QORTest::Case
  include QORTest::BuildingFileBuilder

  def teardown
    remove_tmpdir
    super
  end

  # An edit of the file's text rather than of the document.
  TextEdit = Struct.new(:edit)

  def self.extra_hole(doc, corners)
    doc['vertices'].merge!(corners.each_with_index.to_h { |xyz, i| ["v#{i}", xyz] })
    doc['faces'][2]['holes'] << corners.each_index.map { |i| "v#{i}" }
  end

  REFUSED = {
    'control character in a room name' => [
      ->(d) { d['rooms'][0]['name'] = "A\u0001B" }, 'rooms[0].name', /holds U\+0001, a character XML cannot carry/
    ],
    'U+FFFE in a material id' => [
      ->(d) { d['materials'][0]['id'] = "gl\uFFFEass" }, 'materials[0].id', /holds U\+FFFE/
    ],
    'escape character in an attribute value' => [
      ->(d) { d['faces'][0]['attributes'] = { 'FaceDict' => { 'Note' => "x\e[31m" } } },
      'faces[0].attributes.FaceDict.Note', /holds U\+001B/
    ],
    'control character in a key' => [
      ->(d) { d['faces'][0]['attributes'] = { "Dict\u0002" => {} } }, 'faces[0].attributes', /key "Dict\\u0002" holds U\+0002/
    ],
    'ZOffset beyond a Float' => [
      TextEdit.new(->(t) { t.sub('"id": "floor"', '"id": "floor", "attributes": {"GroupDict": {"ZOffset": 1e400}}') }),
      'faces[0].attributes.GroupDict.ZOffset', /not a finite number \(Infinity\)/
    ],
    'negative infinite setting' => [
      TextEdit.new(->(t) { t.sub('"units": "in",', '"units": "in", "settings": {"floorAngle": -1e999},') }),
      'settings.floorAngle', /not a finite number \(-Infinity\)/
    ],
    'ZOffset as text' => [
      ->(d) { d['faces'][0]['attributes'] = { 'GroupDict' => { 'ZOffset' => '120' } } },
      'faces[0].attributes.GroupDict.ZOffset', /must be a number \(inches\), not "120"/
    ],
    'nesting 3,000 deep' => [
      TextEdit.new(->(t) { t.sub('"units": "in",', %("units": "in", "comment": #{'[' * 3000}#{']' * 3000},)) }),
      nil, /invalid JSON at line 2, column 128: nested deeper than 100 levels/
    ],
    'bytes that are not UTF-8' => [
      TextEdit.new(->(t) { t.sub('"Box"', "\"B\xFFox\"".b).force_encoding('BINARY') }),
      nil, /not UTF-8 text at line \d+, column 17 \(byte 0xFF\)/
    ],
    'the same hole twice' => [
      ->(d) { d['faces'][2]['holes'] << %w[w3 w4 w1 w2] }, 'faces[2].holes[1]', /repeats hole 0 of face "south"/
    ],
    'overlapping holes' => [
      ->(d) { extra_hole(d, [[30, 0, 20], [50, 0, 20], [50, 0, 40], [30, 0, 40]]) },
      'faces[2].holes[1]', /overlaps hole 0 of face "south"/
    ],
    'a hole inside another sharing two sides' => [
      ->(d) { extra_hole(d, [[20, 0, 10], [30, 0, 10], [30, 0, 30], [20, 0, 30]]) },
      'faces[2].holes[1]', /overlaps hole 0/
    ],
    'a door over a whole wall' => [
      ->(d) { d['doors'] = [{ 'id' => 'big', 'outline' => %w[a b f e] }] },
      'doors[0].outline', /covers the whole of face "south"/
    ],
    # The wall's corners a2 and e2 are drawn as the floor's a and e, 0.0009 in
    # off; the door's a3 and e3 lie 0.0009 in the other way.
    'a door over a whole wall whose corners the modeller merged' => [
      lambda do |d|
        d['vertices'].merge!('a2' => [0.0009, 0, 0], 'e2' => [0.0009, 0, 50],
                             'a3' => [-0.0009, 0, 0], 'e3' => [-0.0009, 0, 50])
        d['faces'][2]['outer'] = %w[a2 b f e2]
        d['doors'] = [{ 'id' => 'big', 'outline' => %w[a3 b f e3] }]
      end,
      'doors[0].outline', /covers the whole of face "south"/
    ],
    # b2 lies within the tolerance of b: the plane's third corner is d.
    'planarity names three different corners' => [
      lambda do |d|
        d['vertices'].merge!('b' => [0.0015, 0, 0], 'b2' => [0.0015, 0.0009, 0])
        d['faces'][0]['outer'] = %w[a b b2 d h]
      end,
      'faces[0].outer', /vertex "h" lies 50 in off the plane through "a", "b", "d"\z/
    ]
  }.freeze

  def test_each_hostile_value_is_named_and_nothing_is_written
    REFUSED.each do |name, (mutate, path, problem)|
      doc = minimal_building
      mutate.call(doc) unless mutate.is_a?(TextEdit)
      text = JSON.pretty_generate(doc)
      file = write_building(mutate.is_a?(TextEdit) ? mutate.edit.call(text) : text)
      %w[export snapshot].each do |command|
        status, stdout, stderr = qor_rooms(command, file, '-o', File.join(tmpdir, 'out.xml'))
        assert_equal [1, ''], [status, stdout], "#{name} (#{command}): #{stderr}"
        assert_equal 1, stderr.lines.length, "#{name}: #{stderr}"
        assert_includes stderr, "#{file}: #{path}: " if path
        assert_match problem, stderr.chomp, name
        assert_equal ['building.json'], Dir.children(tmpdir), name
      end
    end
  end

  def test_byte_order_mark_and_vertex_comment_are_read_as_meant
    doc = minimal_building
    doc['vertices'] = { 'comment' => 'corners of the box' }.merge(doc['vertices'])
    file = QORPlugin::BuildingFile.load(write_building("\uFEFF#{JSON.pretty_generate(doc)}"))
    assert_equal 'Box', file.rooms.first.name
    assert_equal 7, file.model.entities.grep(Sketchup::Face).length
  end

  def test_holes_that_only_touch_are_allowed
    doc = minimal_building
    self.class.extra_hole(doc, [[40, 0, 10], [60, 0, 10], [60, 0, 30], [40, 0, 30]])
    file = QORPlugin::BuildingFile.load(write_building(doc))
    assert_equal 3, file.faces['south'].loops.length
  end
end

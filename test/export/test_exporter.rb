require 'open3'
require 'minitest/mock'
require_relative '../test_helper'
require_relative '../support/building_file_builder'
require File.join(ROOT, 'code/Sketchup/Plugin/cli/dispatcher')

# The command line: options, misuse, and what a failed export leaves.
class ExporterCommandTest < QORTest::Case
  include QORTest::BuildingFileBuilder

  def teardown
    remove_tmpdir
    super
  end

  def test_misuse_prints_usage_and_exits_2
    file = write_building(minimal_building)
    [['--bogus'], [file, '--max-wall-thickness', '-1'], [file, '--max-wall-thickness', 'thick'],
     [file, file], ['export', '-o']].each do |argv|
      status, out, err = qor_rooms(*argv)
      assert_equal 2, status, argv.inspect
      assert_empty out
      assert_match(/\Aqor-rooms: .+\nusage: qor-rooms \[export\] BUILDING\.json/, err, argv.inspect)
    end
  end

  def test_help_and_version
    status, out, = qor_rooms('--help')
    assert_equal 0, status
    assert_match(/^  export +export the rooms of a building file as XML \(default\)$/, out)
    status, out, = qor_rooms('export', '--help')
    assert_equal 0, status
    assert_includes out, '--max-wall-thickness METRES'
    status, out, = qor_rooms('--version')
    assert_equal [0, "qor-rooms 1.0.0 (#{QORModuleLoader.library_name}, Ruby #{RUBY_VERSION})\n"], [status, out]
  end

  def test_options_override_the_file_settings
    qor_rooms(write_building(minimal_building), '--thin-walls', '--max-wall-thickness', '0.5', '-q',
              '-o', File.join(tmpdir, 'out.xml'))
    assert_equal 1, $thinWalls
    assert_in_delta 0.5 * 39.37007874015748, $maxWallThickness, 1e-9
  end

  def test_failed_export_leaves_the_old_output_alone
    file = write_building(minimal_building)
    target = File.join(tmpdir, 'out.xml')
    File.write(target, 'previous')
    failing = Object.new
    def failing.run = raise(RuntimeError, 'boom')
    QORPlugin::RoomExport.stub(:new, failing) do
      status, out, err = qor_rooms(file, '-o', target)
      assert_equal [1, ''], [status, out]
      assert_equal "qor-rooms: export of #{file} failed: RuntimeError: boom\n", err
    end
    assert_equal 'previous', File.read(target)
    assert_equal %w[building.json out.xml], Dir.children(tmpdir).sort
  end

  # A failure that escapes a stage reaches the user as one line naming the
  # stage, the room and the face it came from.
  def test_a_failed_stage_names_its_room_and_face
    file = write_building(minimal_building)
    QORTA::QORTA_RoomFace.class_eval do
      alias_method :qor_planted_original, :getOuterShellFace
      def getOuterShellFace(*) = raise(RuntimeError, "planted\nsecond line")
    end
    status, _, err = qor_rooms(file, '-o', File.join(tmpdir, 'out.xml'), '--quiet')
    assert_equal 1, status
    assert_match(/\Aqor-rooms: export of .*building\.json failed at outer-shell faces, room "Box" \(r1\), face "[a-z]+": RuntimeError: planted\n\z/, err)
  ensure
    QORTA::QORTA_RoomFace.class_eval do
      alias_method :getOuterShellFace, :qor_planted_original
      remove_method :qor_planted_original
    end
  end

  def test_atomic_write_replaces_whole_or_not_at_all
    target = File.join(tmpdir, 'out.xml')
    File.write(target, 'old')
    QORPlugin::AtomicFile.write(target, 'new text')
    assert_equal 'new text', File.read(target)
    File.stub(:rename, ->(*) { raise Errno::ENOSPC }) do
      assert_raises(QORPlugin::AtomicFile::Failed) { QORPlugin::AtomicFile.write(target, 'lost') }
    end
    assert_equal ['out.xml'], Dir.children(tmpdir)
    assert_equal 'new text', File.read(target)
  end

  def test_unwritable_target_is_reported
    status, _, err = qor_rooms(write_building(minimal_building), '-o', File.join(tmpdir, 'no', 'such', 'dir.xml'))
    assert_equal 1, status
    assert_match(%r{cannot write .*/no/such/dir\.xml: No such file or directory}, err)
  end
end

# The whole road on the bundled examples.  These need every piece of the
# export; until then each run stops at the first unbuilt step and the test
# is skipped (any other error fails it).
class ExporterEndToEndTest < QORTest::Case
  include QORTest::BuildingFileBuilder

  SCHEMA = File.join(ROOT, 'schema', 'rooms-export.xsd')
  EXAMPLE_NAMES = %w[two-room-flat two-storey-house open-plan-office].freeze

  def teardown
    remove_tmpdir
    super
  end

  def export(path)
    QORPlugin::RoomExport.new(QORPlugin::BuildingFile.load(path)).run
  end

  def example(name)
    File.join(EXAMPLES, "#{name}.json")
  end

  def assert_valid(xml, label)
    path = File.join(tmpdir, 'export.xml')
    File.write(path, xml)
    out, status = Open3.capture2e('xmllint', '--noout', '--schema', SCHEMA, path)
    assert status.success?, "#{label}: #{out}"
  rescue Errno::ENOENT
    flunk 'xmllint missing (Debian package libxml2-utils; scripts/setup.sh installs it)'
  end

  def test_every_example_is_valid_and_repeatable
    EXAMPLE_NAMES.each do |name|
      first = export(example(name)).xml
      assert first.start_with?(%(<?xml version="1.0" encoding="UTF-8"?>\n<Spaces )), name
      assert_valid(first, name)
      assert_equal first, export(example(name)).xml, "#{name}: second run differs"
    end
  end

  # Worked by hand.  Each room: 6 faces of its own in the inner shell
  # (floor, ceiling, 4 walls; none blind), and one outer-shell face per
  # room face (the party wall on the mid plane of the 0.2 m wall, every
  # other face on its own plane) = 12 per room, 24 in all: Floor 4,
  # Ceiling 4, Wall 16.  Internal: the two party walls and their two
  # outer-shell faces (type 2); the other 20 external.  Openings: each
  # south wall's window (faceless hole on an external face: Window) and
  # each party wall's door (not a hole: Door), once in the inner shell and
  # once projected onto the outer-shell face: Window 4, Door 4, no Air (all
  # face materials are opaque).
  def test_two_room_flat_counts
    summary = export(example('two-room-flat')).summary
    assert_equal 2, summary.spaces
    assert_equal({ 'Ceiling' => 4, 'Floor' => 4, 'Wall' => 16 }, summary.faces)
    assert_equal [20, 4], [summary.external, summary.internal]
    assert_equal({ 'Door' => 4, 'Window' => 4 }, summary.openings)
  end

  def test_names_with_markup_characters_stay_well_formed
    doc = JSON.parse(File.read(example('two-room-flat')))
    doc['name'] = 'Flat "A" & <B>'
    doc['rooms'][0]['name'] = 'R&D <Lab>'
    doc['rooms'][0]['storey'] = 'Ground & <first>'
    xml = export(write_building(doc)).xml
    assert_includes xml, 'building="Flat &quot;A&quot; &amp; &lt;B&gt;"'
    assert_includes xml, 'R&amp;D &lt;Lab&gt;'
    assert_valid(xml, 'escaped names')
  end

  def test_command_without_arguments_exports_the_example
    status, out, err = qor_rooms
    target = QORPlugin::CLI::ExportCommand::EXAMPLE_OUTPUT
    assert_equal [0, ''], [status, out], err
    assert_match(/\Aqor-rooms: 2 rooms, 24 faces \(Ceiling 4, Floor 4, Wall 16; 20 external, 4 internal\), 8 openings \(Door 4, Window 4\) in \d+\.\d\d s\nqor-rooms: wrote #{Regexp.escape(target)}\n\z/, err)
    assert_equal export(example('two-room-flat')).xml, File.read(target)
  end

  def test_standard_output_and_quiet
    status, out, err = qor_rooms(example('open-plan-office'), '--quiet')
    assert_equal [0, ''], [status, err]
    assert_equal export(example('open-plan-office')).xml, out
  end
end

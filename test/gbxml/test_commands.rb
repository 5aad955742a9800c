require 'open3'
require_relative '../test_helper'
require_relative '../support/building_file_builder'
require_relative '../support/gbxml_fixtures'
require File.join(ROOT, 'code/Sketchup/Plugin/cli/dispatcher')

# The import and check commands, and the exporter given a gbXML file.
class GbxmlCommandsTest < QORTest::Case
  include QORTest::BuildingFileBuilder
  include QORTest::GbxmlFixtures

  def teardown
    remove_tmpdir
    super
  end

  def test_import_writes_a_building_file_the_exporter_loads
    target = File.join(tmpdir, 'box.json')
    status, out, err = qor_rooms('import', fixture('box'), '-o', target)
    assert_equal [0, ''], [status, out], err
    assert_equal "qor-rooms: 1 space, 6 faces (0 shared by two spaces), 1 window, 0 doors, 0 air openings\n" \
                 "qor-rooms: wrote #{target}\n", err
    assert_equal import_fixture('box').json, File.read(target)
    assert_equal 1, QORPlugin::BuildingFile.load(target).rooms.length
    status, out, err = qor_rooms('import', fixture('box'), '--quiet')
    assert_equal [0, File.read(target), ''], [status, out, err]
  end

  def test_refused_files_fail_and_write_nothing
    target = File.join(tmpdir, 'out.json')
    File.write(target, 'previous')
    Dir[File.join(GBXML_FIXTURES, 'bad', '*.xml')].each do |bad|
      %w[import check export].each do |command|
        status, out, err = qor_rooms(command, bad, *(command == 'check' ? [] : ['-o', target]))
        assert_equal [1, ''], [status, out], "#{command} #{bad}"
        assert_match(/\Aqor-rooms: #{Regexp.escape(bad)}: .+\n\z/, err, "#{command} #{bad}")
      end
    end
    assert_equal 'previous', File.read(target)
    assert_equal %w[out.json], Dir.children(tmpdir)
  end

  # One surface that cannot be read is left out with one line naming it;
  # every command goes on (exit 0), none gives a backtrace.
  def test_an_overflowing_coordinate_leaves_out_its_surface_with_one_line
    path = File.join(tmpdir, 'overflow.xml')
    File.write(path, box_text.sub(coordinates(4, 3, 0), coordinates(4, '1e400', 0)))
    warning = %(qor-rooms: #{path}: warning: Surface "su-floor": coordinate 1e400 is out of range (beyond 1000000000 m); left out\n)
    [['import', '-o', File.join(tmpdir, 'o.json')], ['export', '-o', File.join(tmpdir, 'o.xml')], ['check']].each do |command, *rest|
      status, _, err = qor_rooms(command, path, *rest)
      assert_equal 0, status, "#{command}: #{err}"
      assert err.start_with?(warning), "#{command}: #{err}"
      refute_match(/\.rb:\d+/, err, command)
    end
  end

  def test_misuse_exits_2
    [%w[import], ['import', fixture('box'), fixture('box')], %w[check], %w[check --bogus]].each do |argv|
      status, out, err = qor_rooms(*argv)
      assert_equal [2, ''], [status, out], argv.inspect
      assert_match(/\Aqor-rooms: .+\nusage: qor-rooms (import|check) FILE\.xml/, err, argv.inspect)
    end
  end

  # The whole road.
  def check(name)
    status, out, err = qor_rooms('check', fixture(name), '--quiet')
    assert_equal [0, ''], [status, err], name
    out
  end

  def export(name)
    file, = QORPlugin::Gbxml.load(fixture(name))
    QORPlugin::RoomExport.new(file).run.xml
  end

  def test_every_fixture_agrees_fully_with_itself
    GOOD_FIXTURES.each do |name|
      report = check(name)
      assert_match(/^All +(\d+) +\1  100\.0 % +\1  100\.0 %$/, report, name)
      assert_includes report, "Disagreements: none\n", name
      assert report.end_with?("Room faces not written: none\n"), report
    end
  end

  def test_exports_of_gbxml_files_are_valid
    GOOD_FIXTURES.each do |name|
      path = File.join(tmpdir, "#{name}.xml")
      File.write(path, export(name))
      out, status = Open3.capture2e('xmllint', '--noout', '--schema', File.join(ROOT, 'schema', 'rooms-export.xsd'), path)
      assert status.success?, "#{name}: #{out}"
    end
  end

  def test_feet_and_metres_export_the_same_bytes
    assert_equal export('cabin-metres'), export('cabin-feet')
  end

  def test_exporter_reads_a_gbxml_file_directly
    status, out, err = qor_rooms(fixture('two-spaces-door'))
    assert_equal 0, status, err
    assert_equal export('two-spaces-door'), out
    assert_match(/\Aqor-rooms: imported .*two-spaces-door\.xml: 2 spaces, 11 faces/, err)
  end
end

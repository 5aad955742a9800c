require 'rexml/document'
require_relative '../test_helper'
require_relative '../support/building_file_builder'
require File.join(ROOT, 'code/Sketchup/Plugin/cli/dispatcher')

# The storeys and snapshot commands on a small building file.
class StoreysAndSnapshotCommandsTest < QORTest::Case
  include QORTest::BuildingFileBuilder

  def teardown
    remove_tmpdir
    super
  end

  # The 100 x 80 x 50 inch box without its window.
  def plain_box
    minimal_building.tap do |b|
      b['faces'].find { |f| f['id'] == 'south' }.delete('holes')
      b.delete('windows')
    end
  end

  def test_storeys_lists_each_cut_in_metres
    # 50.1 in / 19.685 in gives two storeys, so one cut, at 0.5 m; the chain
    # starts with the south wall's segment, greatest x first.
    status, out, err = qor_rooms('storeys', write_building(plain_box), '--storey-height', '0.5')
    assert_equal [0, ''], [status, err]
    assert_equal "Box: 1 slab\n  z 0.5 m: (2.54, 0.0) (0.0, 0.0) (0.0, 2.032) (2.54, 2.032)\n", out
    status, out, = qor_rooms('storeys', write_building(plain_box), '--storey-height', '2')
    assert_equal [0, "Box: 0 slabs\n"], [status, out]
  end

  def test_storeys_refuses_a_missing_or_bad_height
    file = write_building(plain_box)
    [[], %w[--storey-height 0], %w[--storey-height -1], %w[--storey-height nan], %w[--storey-height x]].each do |extra|
      status, out, err = qor_rooms('storeys', file, *extra)
      assert_equal [2, ''], [status, out], extra.inspect
      assert_match(/\Aqor-rooms: .*storey-height.*\nusage: qor-rooms storeys /, err, extra.inspect)
    end
  end

  # (50 in + 0.1 in allowance) / 10,001 = 0.0050095 in = 0.000127242 m,
  # rounded up to three figures.
  def test_storeys_names_the_least_height_the_building_allows
    status, out, err = qor_rooms('storeys', write_building(plain_box), '--storey-height', '0.0001')
    assert_equal [2, ''], [status, out]
    assert_match(/\Aqor-rooms: invalid argument: --storey-height 0.0001 \(at least 0.000128 m: room "Box" would be cut into more than 10000 storeys\)\nusage: /, err)
    assert_equal 0, qor_rooms('storeys', write_building(plain_box), '--storey-height', '0.000128').first
  end

  def test_snapshot_writes_one_document_of_every_face
    target = File.join(tmpdir, 'faces.xml')
    status, = qor_rooms('snapshot', write_building(minimal_building), '-o', target)
    assert_equal 0, status
    doc = REXML::Document.new(File.read(target))
    # The box's four walls, floor and ceiling, and the window's pane.
    assert_equal 7, doc.get_elements('faces/face').length
  end

  def test_a_bad_file_writes_nothing
    target = File.join(tmpdir, 'faces.xml')
    status, _, err = qor_rooms('snapshot', write_building('{"units": "in"'), '-o', target)
    assert_equal 1, status
    assert_match(/building\.json/, err)
    refute File.exist?(target)
  end
end

require_relative '../test_helper'
require_relative '../support/building_file_builder'
require File.join(ROOT, 'code/Sketchup/Plugin/cli/dispatcher')

# A progress callback that runs another export in the middle of one: the
# outer export still writes the bytes of a clean run, or fails loudly.
class ReentrantExportTest < QORTest::Case
  include QORTest::BuildingFileBuilder

  HOUSE = File.join(EXAMPLES, 'two-storey-house.json')
  FLAT = File.join(EXAMPLES, 'two-room-flat.json')

  # Calls the block once, at the first progress value it is given.
  class Meddling < QORPlugin::Progress
    def initialize(&block)
      super(out: nil)
      @block = block
    end

    def setValue(value)
      super
      block = @block
      @block = nil
      block&.call
    end
  end

  def export(file, progress)
    file.prepare(progress: progress)
    QORPlugin::RoomExport.new(file, progress: $class_ProgressBar2).run.xml
  end

  def test_another_building_exported_mid_export_leaves_the_outer_export_alone
    clean = QORPlugin::RoomExport.new(QORPlugin::BuildingFile.load(HOUSE)).run.xml
    inner = nil
    outer = export(QORPlugin::BuildingFile.load(HOUSE), Meddling.new do
      inner = QORPlugin::RoomExport.new(QORPlugin::BuildingFile.load(FLAT), progress: QORPlugin::Progress.new(out: nil)).run.xml
    end)
    assert_equal clean, outer
    assert_equal QORPlugin::RoomExport.new(QORPlugin::BuildingFile.load(FLAT)).run.xml, inner
  end

  def test_the_same_building_exported_again_mid_export_is_refused
    file = QORPlugin::BuildingFile.load(FLAT)
    error = assert_raises(QORPlugin::RoomExport::ReentryError) do
      export(file, Meddling.new { QORPlugin::RoomExport.new(file).run })
    end
    assert_equal "#{FLAT} is already being exported", error.message
    assert_kind_of QORPlugin::Progress, $class_ProgressBar2
  end
end

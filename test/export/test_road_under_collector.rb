require_relative '../test_helper'
require File.join(ROOT, 'code/Sketchup/Plugin/building_file')
require File.join(ROOT, 'code/Sketchup/Plugin/room_export')

# The whole export of the two-room flat with a collection at every
# allocation, and the heap compacted between the stages and in the middle
# of the extension's passes (at each progress report): any Ruby value
# the extension keeps where the collector cannot see it, or holds by an
# address that compaction moves, turns up as a crash or as different bytes.
class RoadUnderCollectorTest < QORTest::Case
  FLAT = File.join(ROOT, 'examples', 'two-room-flat.json')

  # Compacts at each stage the export announces (after the rooms, after
  # the outer-shell pass, after the outer-shell faces), at each room the
  # extension reports, and when the export ends.
  class CompactingProgress < QORPlugin::Progress
    attr_reader :moved

    def initialize(stress)
      super(out: nil)
      @stress = stress
      @moved = 0
    end

    def stage(*)
      compact
      super
    end

    def setValue(value)
      compact
      super
    end

    def finish
      compact
      super
    end

    def compact
      GC.stress = false
      GC.compact
      @moved += GC.latest_compact_info[:moved].values.sum
      GC.stress = @stress
    end
  end

  def export(progress = QORPlugin::Progress.new(out: nil))
    file = QORPlugin::BuildingFile.load(FLAT)
    $class_ProgressBar2 = progress
    QORPlugin::RoomExport.new(file, progress: progress).run.xml
  end

  no_gc_stress :test_export_survives_collection_at_every_allocation_and_compaction

  def test_export_survives_collection_at_every_allocation_and_compaction
    clean = export
    progress = CompactingProgress.new(QORTest::GCStress.level)
    xml =
      begin
        GC.stress = QORTest::GCStress.level
        export(progress)
      ensure
        GC.stress = false
      end
    assert_operator progress.moved, :>, 0, 'compaction moved nothing'
    assert_equal clean, xml
  end
end

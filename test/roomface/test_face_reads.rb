require_relative '../test_helper'
require_relative '../../bench/generated_export'

# The outer-shell faces stage reads each model face's marks and edges once
# (QORTA_RoomFace.withFaceReads around the stage), each call once outside a
# stage, and afresh every time on the plain road.
class FaceReadsTest < QORTest::Case
  MARKS = %w[TrueDoor Slab Partition FaceType].freeze
  no_gc_stress :test_a_stage_reads_each_mark_and_edge_list_once

  class Boom < StandardError; end

  def teardown
    QORPlugin.plain_road = false
    stop_counting
    super
  end

  def stop_counting
    @counter&.instance_methods(false)&.each { |m| @counter.send(:remove_method, m) }
    @counter = nil
  end

  def rooms_ready_for_faces(seed)
    file = QORBench::GeneratedFile.new(rooms: 6, seed: seed, storeys: 2)
    rooms = QORPlugin::RoomExport.new(file, progress: file.progress).build_rooms
    QORTA.setRoomsFacesOuterShellType(rooms, rooms.length)
    QORTA.setRoomsIntermediatePlanes(rooms)
    QORPlugin::OuterShell.set_polygons(rooms)
    rooms
  end

  # Counts, per face, its marks and edge lists read from now on.
  def count_reads
    reads = Hash.new(0)
    @counter = Module.new do
      define_method(:get_attribute) do |dict, key, *rest|
        reads[[self, key]] += 1 if MARKS.include?(key)
        super(dict, key, *rest)
      end
      define_method(:edges) do
        reads[[self, :edges]] += 1
        super()
      end
    end
    Sketchup::Face.prepend(@counter)
    reads
  end

  def test_a_stage_reads_each_mark_and_edge_list_once
    { false => 1, true => 2 }.each do |plain, least_most|
      rooms = rooms_ready_for_faces(3)
      reads = count_reads
      QORPlugin.on_road(plain) { QORPlugin::OuterShell.build_faces(rooms, lone_faces: true) }
      refute_empty reads
      assert_operator reads.values.max, plain ? :>= : :==, least_most, "plain road #{plain}"
      stop_counting
    end
  end

  def test_reads_last_one_call_outside_a_stage_even_after_a_stage_raised
    rooms = rooms_ready_for_faces(5)
    boom = Boom.new
    assert_same boom, assert_raises(Boom) { QORTA::QORTA_RoomFace.withFaceReads { raise boom } }
    reads = count_reads
    face = rooms.flat_map(&:roomFaces).find { |rf| rf.oppositeRoomFaces.any? }
    2.times { face.getOuterShellFace(face.oppositeRoomFaces.first) }
    assert_operator reads.values.max, :>=, 2
  end

  def test_stage_answers_its_block
    assert_equal 42, QORTA::QORTA_RoomFace.withFaceReads { 42 }
    assert_equal [:inner, :outer],
                 QORTA::QORTA_RoomFace.withFaceReads { [QORTA::QORTA_RoomFace.withFaceReads { :inner }, :outer] }
    assert_raises(LocalJumpError) { QORTA::QORTA_RoomFace.withFaceReads }
  end
end

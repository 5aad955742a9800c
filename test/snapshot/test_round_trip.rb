require 'rexml/document'
require_relative '../test_helper'
require_relative '../../bench/building_generator'

# Every face of a generated building captured, written, erased and put
# back: the same outlines, normals, materials and attributes.
class SnapshotRoundTripTest < QORTest::Case
  Snapshots = QORPlugin::Snapshots
  GLASS = 'Glass'

  def setup
    super
    QORBench::BuildingGenerator.new(@model, rooms: 2).generate
    faces.each_with_index do |f, i|
      f.set_attribute('FaceDict', 'n', i)
      f.set_attribute('OwnerGroup', 'Id', i / 7) if i.even?
      f.back_material = "b&<#{i % 3}>" if i % 3 == 0
    end
  end

  def faces = entities.grep(Sketchup::Face)

  # The fragment without what a restore does not bring back: the source
  # face's identity and its holes.
  def comparable(xml)
    xml.sub(%r{<id>\d+</id>}, '').sub(%r{<loops>.*</loops>}, '')
  end

  def test_round_trip
    doc = REXML::Document.new(Snapshots.faces_xml(@model))
    assert_equal faces.size, doc.root.elements.to_a('face').size
    assert_equal faces.map { |f| f.object_id.to_s }, doc.root.elements.to_a('face/id').map(&:text)

    dumps = Snapshots.capture_faces(@model)
    before = dumps.map { |d| comparable(d.toXML) }
    assert(before.all? { |x| x.include?('<atD>') })
    glazed = faces.count { |f| f.material&.name == GLASS }
    assert_operator glazed, :>, 0
    assert_equal glazed, before.count { |x| x.include?("<m>#{GLASS}</m>") }
    assert_equal (faces.size + 2) / 3, before.count { |x| x.include?('<bm>b&amp;&lt;0&gt;</bm>') }
    entities.erase_entities(faces)
    assert_empty faces
    restored = Snapshots.restore_faces(dumps)
    assert_equal faces, restored
    after = restored.map { |f| comparable(QORTA::QORTA_FaceDump.new(f).toXML) }
    assert_equal before, after
    assert_nil @model.active_operation
  end
end

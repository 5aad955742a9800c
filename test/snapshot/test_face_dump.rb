require_relative '../test_helper'
require_relative '../support/roomface_builder'

# Face snapshots: capture, the XML fragment, escaping, restore.
class FaceDumpTest < QORTest::Case
  include QORTest::RoomFaceBuilder

  Dump = QORTA::QORTA_FaceDump

  def point_xml(x, y, z)
    "<p><x>#{x}</x><y>#{y}</y><z>#{z}</z></p>"
  end

  def test_plain_face_fragment
    f = face([0, 0, 2.5], [12, 0, 2.5], [12, -3.25, 2.5])
    expected = "<face><id>#{f.object_id}</id><ownerGroupId></ownerGroupId>" +
               point_xml('0.0', '0.0', '2.5') + point_xml('12.0', '0.0', '2.5') +
               point_xml('12.0', '-3.25', '2.5') +
               '<n><x>0.0</x><y>0.0</y><z>-1.0</z></n></face>'
    assert_equal expected, Dump.new(f).toXML
  end

  def test_owner_group_and_both_materials
    f = face([1.0e-05, 0, 0], [1, 0, 0], [0, 1, 0])
    f.set_attribute('OwnerGroup', 'Id', 7)
    f.material = 'A&<B>'
    f.back_material = 'back'
    xml = Dump.new(f).toXML
    assert_includes xml, '<ownerGroupId>7</ownerGroupId>'
    assert_includes xml, '<x>1.0e-05</x>'
    assert_includes xml, '</p><m>A&amp;&lt;B&gt;</m><bm>back</bm><n>'
    assert_equal 'A&<B>', QORTA.unesc('A&amp;&lt;B&gt;')
  end

  def test_unesc
    assert_equal '&lt;', QORTA.unesc('&amp;lt;')
    assert_equal %q(a"'b), QORTA.unesc(%q(a"'b))
    assert_nil QORTA.unesc(nil)
    empty = +''
    assert_same empty, QORTA.unesc(empty)
    assert_raises(TypeError) { QORTA.unesc(5) }
  end

  # Two empty holes once each, in the face's loop order; the hole a pane
  # fills is not captured.
  def test_only_empty_holes_are_captured
    h1 = [[1, 1, 0], [3, 1, 0], [3, 3, 0], [1, 3, 0]]
    h2 = [[5, 1, 0], [7, 1, 0], [7, 3, 0], [5, 3, 0]]
    filled = [[1, 5, 0], [3, 5, 0], [3, 7, 0], [1, 7, 0]]
    f = face_with_holes([[0, 0, 0], [10, 0, 0], [10, 10, 0], [0, 10, 0]], h1, h2, filled)
    pane(points(filled))
    dump = Dump.new(f)
    # Holes run against the face's normal: first point kept, the rest reversed.
    expected = [h1, h2].map { |h| [h[0], h[3], h[2], h[1]] }
    assert_equal expected, dump.loops.map { |l| l.map { |p| p.to_a.map(&:to_i) } }
    xml = dump.toXML
    assert_equal 1, xml.scan('<loops>').size
    assert_equal 2, xml.scan('<lf>').size
    assert_includes xml, "<loops><lf>#{point_xml('1.0', '1.0', '0.0')}#{point_xml('1.0', '3.0', '0.0')}"
  end

  def test_dictionaries_with_value_classes
    f = face([0, 0, 0], [1, 0, 0], [0, 1, 0])
    f.set_attribute('a<d', 'n', 5)
    f.set_attribute('a<d', 'k>', true)
    f.set_attribute('other', 's', 'x&y')
    dump = Dump.new(f)
    assert_equal [['a<d', ['n', 5, 'k>', true]], ['other', ['s', 'x&y']]], dump.attributeDictionaries
    assert_match %r{<n><x>0.0</x><y>0.0</y><z>1.0</z></n><atD><d><n>a&lt;d</n>}, dump.toXML
    assert dump.toXML.end_with?(
      "<at><n>n</n><t>#{5.class}</t><v>5</v></at><at><n>k&gt;</n><t>TrueClass</t><v>true</v></at></d>" \
      '<d><n>other</n><at><n>s</n><t>String</t><v>x&amp;y</v></at></d></atD></face>'
    )
  end

  def test_what_is_not_a_face
    assert_equal 'Invalid argument to serialised Face constructor',
                 assert_raises(ArgumentError) { Dump.new(entities.add_line([0, 0, 0], [1, 0, 0])) }.message
    subclass = Class.new(Sketchup::Face)
    assert_raises(ArgumentError) { Dump.new(subclass.allocate) }
    empty = Dump.new(nil)
    assert_equal [], empty.attributeDictionaries
    assert_nil empty.facePoints
    assert_raises(TypeError) { empty.toXML }
  end

  # Restored against the recorded normal, with materials on their sides and
  # every attribute, in an operation of its own.
  def test_restore
    f = face([0, 0, 0], [4, 0, 0], [4, 4, 0], [0, 4, 0])
    f.material = 'red'
    f.back_material = 'blue'
    f.set_attribute('D', 'k', 1)
    dump = Dump.new(f)
    dump.normal = Geom::Vector3d.new(0, 0, -1)
    f.erase!
    @model.clear_operation_log
    g = dump.restore
    assert_instance_of Sketchup::Face, g
    assert_equal [0.0, 0.0, -1.0], g.normal.to_a
    assert_equal %w[red blue], [g.material.name, g.back_material.name]
    assert_equal 1, g.get_attribute('D', 'k')
    assert_equal [[:start, 'restore face'], [:commit, 'restore face']], @model.operation_log
  end

  def test_refused_face_aborts
    dump = Dump.new(face([0, 0, 0], [4, 0, 0], [4, 4, 0]))
    dump.facePoints = [Geom::Point3d.new(0, 0, 0), Geom::Point3d.new(9, 0, 0)]
    @model.clear_operation_log
    assert_nil dump.restore
    assert_equal [[:start, 'restore face'], [:abort, 'restore face']], @model.operation_log
  end

  # A failing add_face or a failing setter afterwards: the operation is
  # aborted (the model as before) and the very exception arrives.
  def test_failure_inside_the_operation_aborts_it
    f = face([0, 0, 0], [4, 0, 0], [4, 4, 0])
    dump = Dump.new(f)
    f.erase!
    error = RuntimeError.new('host failed')
    [[entities, :add_face], [Sketchup::Face, :material=]].each do |target, name|
      @model.clear_operation_log
      broken = Module.new { define_method(name) { |*| raise error } }
      target.is_a?(Class) ? target.prepend(broken) : target.singleton_class.prepend(broken)
      begin
        assert_same error, assert_raises(RuntimeError) { dump.restore }
      ensure
        broken.send(:remove_method, name)
      end
      assert_nil @model.active_operation
      assert_equal :abort, @model.operation_log.last.first
      assert_empty entities.grep(Sketchup::Face), "#{name}: the face was not taken back"
    end
  end
end

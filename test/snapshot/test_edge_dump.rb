require_relative '../test_helper'

# Edge snapshots: flags and dictionaries captured and put back.
class EdgeDumpTest < QORTest::Case
  Dump = QORTA::QORTA_EdgeDump

  # Captured dictionaries have no accessor on an edge snapshot.
  def dicts(dump)
    dump.instance_variable_get(:@attributeDictionaries)
  end

  def line(a = [0, 0, 0], b = [10, 0, 0])
    entities.add_line(a, b)
  end

  def test_flags_restore
    e = line
    e.soft = true
    e.smooth = true
    e.visible = false
    dump = Dump.new(e)
    assert_equal [e.object_id.to_s, true, true, false], [dump.edgeId, dump.soft, dump.smooth, dump.visible]
    e.erase!
    r = dump.restore
    refute_same e, r
    assert_equal [true, true, false], [r.soft?, r.smooth?, r.visible?]
    assert_equal [[0.0, 0.0, 0.0], [10.0, 0.0, 0.0]], [r.start.position.to_a, r.end.position.to_a]
  end

  def test_two_dictionaries_restore_in_capture_order
    e = line
    %w[a b c].each_with_index { |k, i| e.set_attribute('one', k, i) }
    %w[z y x].each_with_index { |k, i| e.set_attribute('two', k, "v#{i}") }
    dump = Dump.new(e)
    assert_equal [['one', ['a', 0, 'b', 1, 'c', 2]], ['two', ['z', 'v0', 'y', 'v1', 'x', 'v2']]],
                 dicts(dump)
    e.erase!
    r = dump.restore
    assert_equal dicts(dump), r.attribute_dictionaries.map { |d| [d.name, d.to_a.flatten] }
  end

  # The model's own edge between the points is reused: one edge, set again.
  def test_restoring_twice_leaves_one_edge
    e = line
    e.soft = true
    dump = Dump.new(e)
    e.soft = false
    first = dump.restore
    assert_same e, first
    assert first.soft?
    first.soft = false
    assert_same e, dump.restore
    assert e.soft?
    assert_equal 1, entities.grep(Sketchup::Edge).size
  end

  # No class test: anything answering an edge's calls is captured.  A
  # dictionary whose each yields other than two values is refused.
  EdgeLike = Struct.new(:dicts) do
    def soft? = true
    def smooth? = false
    def visible? = true
    def start = Sketchup::Vertex.allocate.tap { |v| v.define_singleton_method(:position) { Geom::Point3d.new(1, 2, 3) } }
    define_method(:end) { start }
    def attribute_dictionaries = dicts
  end

  def dictionary(*yields)
    d = Object.new
    d.define_singleton_method(:name) { 'odd' }
    d.define_singleton_method(:each) { |&b| yields.each { |y| b.call(*y) } }
    d
  end

  def test_duck_typed_edges_and_the_pair_block
    dump = Dump.new(EdgeLike.new([dictionary(%w[k v], [%w[p q]])]))
    assert_equal [['odd', %w[k v p q]]], dicts(dump)
    assert_equal [1.0, 2.0, 3.0], dump.edgeStart.to_a
    [[%w[a b c]], [['a']], [[]]].each do |bad|
      error = assert_raises(ArgumentError) { Dump.new(EdgeLike.new([dictionary(*bad)])) }
      assert_equal 'Invalid arguments for each pair block', error.message
    end
  end

  # Anything missing one of an edge's calls is refused by name before any
  # field is set.
  def test_a_non_edge_is_a_type_error_naming_the_argument
    half_edge = EdgeLike.new([]).tap { |e| e.singleton_class.send(:undef_method, :end) }
    [[Object.new, 'soft?'], [1, 'soft?'], ['edge', 'soft?'], [half_edge, 'end']].each do |bad, missing|
      error = assert_raises(TypeError) { Dump.new(bad) }
      assert_equal "edge must answer #{missing}, not #{bad.class}", error.message
    end
  end

  def test_empty_snapshot
    dump = Dump.new(nil)
    assert_equal [], dicts(dump)
    assert_nil dump.edgeStart
    assert_raises(NoMethodError) do
      entities.define_singleton_method(:add_edges) { |*| [] }
      dump.restore
    end
  end
end

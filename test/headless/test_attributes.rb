require 'minitest/autorun'
require_relative '../../code/Sketchup/Headless/sketchup'

class TestAttributes < Minitest::Test
  def setup
    @model = Sketchup.new_model
    @face = @model.entities.add_face([0, 0, 0], [1, 0, 0], [0, 1, 0])
  end

  def test_missing_reads_nil
    assert_nil @face.attribute_dictionaries
    assert_nil @face.get_attribute('FaceDict', 'found')
    assert_equal 7, @face.get_attribute('FaceDict', 'found', 7)
    assert_nil @face.attribute_dictionary('FaceDict')
    assert_nil @face.attribute_dictionaries, 'reading must not create a dictionary'
    @face.set_attribute('FaceDict', 'Floor', 3)
    assert_nil @face.get_attribute('FaceDict', 'found')
    assert_nil @face.get_attribute('facedict', 'Floor'), 'names are case-sensitive'
  end

  def test_set_get_and_falsy_values
    assert_equal 5, @face.set_attribute('FaceDict', 'UseCount', 5)
    assert_equal 5, @face.get_attribute('FaceDict', 'UseCount')
    @face.set_attribute('FaceDict', 'found', false)
    assert_equal false, @face.get_attribute('FaceDict', 'found', :default)
    obj = Object.new
    @face.set_attribute('FaceDict2', 'RoomFace', obj)
    assert_same obj, @face.get_attribute('FaceDict2', 'RoomFace')
  end

  def test_insertion_order_and_enumeration
    %w[c a b].each_with_index { |k, i| @face.set_attribute('D', k, i) }
    @face.set_attribute('A', 'x', 1)
    @face.set_attribute('D', 'a', 99)
    dicts = @face.attribute_dictionaries
    assert_equal %w[D A], dicts.map(&:name)
    assert_equal 2, dicts.length
    assert_equal %w[D A], dicts.to_a.map(&:name)
    d = dicts['D']
    pairs = []
    d.each { |k, v| pairs << [k, v] }
    assert_equal [['c', 0], ['a', 99], ['b', 2]], pairs
    assert_equal %w[c a b], d.keys
    assert_equal [0, 99, 2], d.values
    assert_equal 99, d['a']
    d['z'] = 4
    assert_equal 4, @face.get_attribute('D', 'z')
    assert_equal 3, d.delete_key('b') && d.length
  end

  def test_delete_attribute
    @face.set_attribute('D', 'k', 1)
    @face.set_attribute('D', 'j', 2)
    assert @face.delete_attribute('D', 'k')
    refute @face.delete_attribute('D', 'k')
    assert_nil @face.get_attribute('D', 'k')
    assert @face.delete_attribute('D')
    assert_nil @face.attribute_dictionary('D')
    assert_nil @face.attribute_dictionaries
  end

  def test_create_flag_and_other_hosts
    d = @face.attribute_dictionary('OwnerGroup', true)
    assert_instance_of Sketchup::AttributeDictionary, d
    assert_same d, @face.attribute_dictionary('OwnerGroup')
    @model.set_attribute('Rooms', 'k1 type', '3')
    assert_equal '3', @model.get_attribute('Rooms', 'k1 type')
    assert_nil @model.get_attribute('Rooms', 'k1 service')
    edge = @face.edges.first
    edge.set_attribute('E', 'x', 1)
    assert_nil @face.edges[1].get_attribute('E', 'x'), 'dictionaries are per entity'
  end
end

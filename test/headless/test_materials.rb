require 'minitest/autorun'
require_relative '../../code/Sketchup/Headless/sketchup'

class TestMaterials < Minitest::Test
  def setup
    @model = Sketchup.new_model
    @mats = @model.materials
    @face = @model.entities.add_face([0, 0, 0], [1, 0, 0], [0, 1, 0])
  end

  def test_add_makes_unique_names
    a = @mats.add('Brick')
    b = @mats.add('Brick')
    refute_equal a.name, b.name
    assert_same a, @mats['Brick']
    assert_same b, @mats[b.name]
    assert_equal 2, @mats.count
    assert_equal [a, b], @mats.to_a
    assert_nil @mats['Glass']
  end

  def test_alpha
    m = @mats.add('Glass')
    assert_equal 1.0, m.alpha
    refute m.use_alpha?
    m.alpha = 0.25
    assert_equal 0.25, m.alpha
    assert m.use_alpha?
    m.alpha = 3
    assert_equal 1.0, m.alpha
  end

  def test_colour_names_create_then_reuse
    @face.material = 'red'
    red = @face.material
    assert_instance_of Sketchup::Material, red
    assert_equal 'red', red.name
    assert_equal [255, 0, 0], red.color.to_a[0, 3]
    @face.back_material = 'red'
    assert_same red, @face.back_material
    assert_equal 1, @mats.count
    @face.material = 'blue'
    assert_equal 2, @mats.count
    assert_same red, @face.back_material
  end

  def test_material_objects_and_nil
    m = @mats.add('Wood')
    @face.material = m
    assert_same m, @face.material
    @face.material = 'Wood'
    assert_same m, @face.material, 'a name finds the existing material'
    @face.material = nil
    assert_nil @face.material
    assert_nil @face.back_material
    assert_raises(TypeError) { @face.material = 42 }
  end

  def test_colour_values
    assert_equal Sketchup::Color.new(255, 0, 0), Sketchup::Color.new('Red')
    assert_raises(ArgumentError) { Sketchup::Color.new('no such colour') }
    m = @mats.add('Custom')
    m.color = [10, 20, 30]
    assert_equal [10, 20, 30, 255], m.color.to_a
  end
end

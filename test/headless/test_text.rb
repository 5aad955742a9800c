require 'minitest/autorun'
require_relative '../../code/Sketchup/Headless/sketchup'

class TestText < Minitest::Test
  def setup
    @model = Sketchup.new_model
    @ents = @model.entities
  end

  def test_text_labels
    t = @ents.add_text('Kitchen', [1, 2, 3])
    assert_equal 'Kitchen', t.text
    assert_equal Geom::Point3d.new(1, 2, 3), t.point
    assert_nil t.vector
    t.text = 'Hall'
    assert_equal 'Hall', t.text
    t.erase!
    assert t.deleted?
    refute_includes @ents.to_a, t
    assert_raises(TypeError) { t.text }
  end
end

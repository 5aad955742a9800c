require 'minitest/autorun'
require_relative '../../code/Sketchup/Headless/sketchup'

class TestVertex < Minitest::Test
  def setup
    @model = Sketchup.new_model
    @ents = @model.entities
  end

  def test_vertex_links
    f = @ents.add_face([0, 0, 0], [3, 0, 0], [0, 3, 0])
    v = f.vertices.first
    assert_instance_of Geom::Point3d, v.position
    p = v.position
    p.x = 99
    assert_equal 0.0, v.position.x, 'position is a copy'
    assert_equal [f], v.faces
    assert_equal 2, v.edges.size
    assert_equal [f.outer_loop], v.loops
    assert v.used_by?(f)
  end
end

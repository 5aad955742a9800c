require 'minitest/autorun'
require_relative '../../code/Sketchup/Headless/sketchup'

class TestEdge < Minitest::Test
  def setup
    @model = Sketchup.new_model
    @ents = @model.entities
  end

  def test_edge_geometry
    e = @ents.add_line([1, 1, 1], [4, 5, 1])
    assert_in_delta 5.0, e.length, 1e-12
    pt, dir = e.line
    assert_equal Geom::Point3d.new(1, 1, 1), pt
    assert_equal Geom::Vector3d.new(0.6, 0.8, 0), dir
    assert_equal Geom::Point3d.new(4, 5, 1), e.bounds.max
    assert_same e.end, e.other_vertex(e.start)
    assert_nil e.other_vertex(Object.new)
    assert e.used_by?(e.start)
    assert_equal [], e.faces
  end

  def test_edge_flags
    e = @ents.add_line([0, 0, 0], [1, 0, 0])
    refute e.soft?
    refute e.smooth?
    assert e.visible?
    e.soft = true
    e.smooth = 1
    e.visible = false
    assert_equal [true, true, false, true], [e.soft?, e.smooth?, e.visible?, e.hidden?]
    e.hidden = false
    assert e.visible?
  end
end

require 'minitest/autorun'
require_relative '../../code/Sketchup/Headless/sketchup'

class TestEntities < Minitest::Test
  def setup
    @model = Sketchup.new_model
    @ents = @model.entities
  end

  def square(x0, z = 0, size = 10)
    [[x0, 0, z], [x0 + size, 0, z], [x0 + size, size, z], [x0, size, z]]
  end

  def test_add_face_accepts_splat_array_and_vertices
    f1 = @ents.add_face(*square(0))
    assert_instance_of Sketchup::Face, f1
    f2 = @ents.add_face(square(20))
    assert_instance_of Sketchup::Face, f2
    f3 = @ents.add_face(f1.outer_loop.vertices.reverse)
    assert_same f1, f3, 'the same outline answers the existing face'
  end

  def test_add_face_rejections
    assert_nil @ents.add_face([0, 0, 0], [1, 0, 0])
    assert_nil @ents.add_face([0, 0, 0], [1, 0, 0], [1.0005, 0, 0]), 'only two distinct points'
    assert_nil @ents.add_face([0, 0, 0], [1, 0, 0], [2, 0, 0]), 'collinear'
    assert_nil @ents.add_face([0, 0, 0], [1, 1, 1], [5, 5, 5], [9, 9, 9]), 'collinear in space'
    assert_nil @ents.add_face([0, 0, 0], [10, 0, 0], [10, 10, 0], [0, 10, 1]), 'non-planar'
    assert_nil @ents.add_face([0, 0, 0], [10, 0, 0], [0, 0, 0], [0, 10, 0]), 'loop touches itself'
    assert_equal 0, @ents.length, 'rejections leave nothing behind'
    tiny_bump = @ents.add_face([0, 0, 0], [10, 0, 0], [10, 10, 0], [0, 10, 0.0005])
    assert_instance_of Sketchup::Face, tiny_bump, 'planar within tolerance'
  end

  def test_closing_and_repeated_points_are_dropped
    f = @ents.add_face([0, 0, 0], [10, 0, 0], [10, 0, 0], [10, 10, 0], [0, 0, 0])
    assert_equal 3, f.vertices.size
    assert_equal 3, f.edges.size
  end

  def test_touching_faces_share_vertices_and_edges
    f1 = @ents.add_face(square(0))
    f2 = @ents.add_face(square(10))
    shared = f1.edges & f2.edges
    assert_equal 1, shared.size
    edge = shared.first
    assert_equal [f1, f2], edge.faces
    assert_equal 2, (f1.vertices & f2.vertices).size
    v = f1.vertices.find { |x| x.position == [10, 0, 0] }
    assert_same v, f2.vertices.find { |x| x.position == [10, 0, 0] }
    assert_equal 2, v.faces.size
    assert_equal 3, v.edges.size
    assert_equal 7, @ents.grep(Sketchup::Edge).size
    assert_equal 2, @ents.grep(Sketchup::Face).size
  end

  def test_vertices_merge_within_tolerance_only
    f1 = @ents.add_face(square(0))
    f2 = @ents.add_face([[10.0004, 0, 0], [20, 0, 0], [20, 10, 0], [10, 9.9996, 0]])
    assert_equal 1, (f1.edges & f2.edges).size
    f3 = @ents.add_face([[10.002, 0, 5], [20, 0, 5], [20, 10, 5]])
    assert_empty f3.vertices & f1.vertices
    # Far apart but filed under one key of the vertex index: still apart.
    far = 2.0**21
    f4 = @ents.add_face([[0, 1, 0], [0, 1, far], [-1, 1, far]])
    f5 = @ents.add_face([[0, 0, far], [0, 0, 1], [0, -1, far]])
    assert_equal 6, (f4.vertices + f5.vertices).uniq.size
  end

  def test_shared_edge_keeps_first_direction
    f1 = @ents.add_face(square(0))
    edge = f1.edges[1]
    assert_equal [[10.0, 0.0, 0.0], [10.0, 10.0, 0.0]], edge.vertices.map { |v| v.position.to_a }
    f2 = @ents.add_face([[10, 0, 0], [20, 0, 0], [20, 10, 0], [10, 10, 0]])
    assert_includes f2.edges, edge
    loop = f2.outer_loop
    i = loop.edges.index(edge)
    assert_same edge.end, loop.vertices[i], 'the second face runs the edge end to start'
    assert_same edge.start, loop.vertices[(i + 1) % loop.vertices.size]
    assert edge.reversed_in?(f2)
    refute edge.reversed_in?(f1)
  end

  def test_add_edges_and_line
    edges = @ents.add_edges([0, 0, 0], [5, 0, 0], [5, 5, 0])
    assert_equal 2, edges.size
    assert_same edges[0].end, edges[1].start
    assert_same edges[0], @ents.add_line([5, 0, 0], [0, 0, 0]), 'existing edge reused'
    assert_nil @ents.add_line([1, 1, 1], [1, 1, 1.0001])
    face = @ents.add_face([0, 0, 0], [5, 0, 0], [5, 5, 0])
    assert_equal 2, (face.edges & edges).size
  end

  def test_face_from_edges
    edges = @ents.add_edges([0, 0, 0], [4, 0, 0], [4, 4, 0], [0, 0, 0])
    f = @ents.add_face(edges)
    assert_instance_of Sketchup::Face, f
    assert_equal edges.sort_by(&:entityID), f.edges.sort_by(&:entityID)
  end

  def test_collection_protocol
    f = @ents.add_face(square(0))
    t = @ents.add_text('Room 1', [5, 5, 0])
    assert_equal 6, @ents.length
    assert_equal @ents.count, @ents.size
    assert_same f, @ents.to_a.find { |e| e.is_a?(Sketchup::Face) }
    assert_same t, @ents[-1]
    assert_equal @ents.to_a, @ents.each.to_a
  end

  def test_face_erase_keeps_edges
    f1 = @ents.add_face(square(0))
    f2 = @ents.add_face(square(10))
    shared = (f1.edges & f2.edges).first
    f1.erase!
    assert f1.deleted?
    refute f1.valid?
    assert f2.valid?
    assert_equal [f2], shared.faces
    assert_equal 4, f2.outer_loop.vertices.count(&:valid?)
    refute_includes @ents.to_a, f1
    err = assert_raises(TypeError) { f1.outer_loop }
    assert_equal 'reference to deleted Face', err.message
    assert_raises(TypeError) { f1.get_attribute('d', 'k') }
    assert_raises(TypeError) { f1.material = 'red' }
  end

  def test_edge_erase_takes_its_faces_and_lonely_vertices
    f1 = @ents.add_face(square(0))
    f2 = @ents.add_face(square(10))
    outer = f1.edges.find { |e| e.faces == [f1] && e.start.position.x.zero? && e.end.position.x.zero? }
    corner = outer.start
    @ents.erase_entities(outer)
    assert outer.deleted?
    assert f1.deleted?
    assert f2.valid?
    assert corner.valid?, 'vertex still has another edge'
    @ents.erase_entities(corner.edges)
    assert corner.deleted?
    assert_raises(TypeError) { corner.position }
    assert_equal 'reference to deleted Vertex', (assert_raises(TypeError) { corner.edges }).message
  end

  def test_erase_notifies_observers
    seen = []
    obs = Object.new
    obs.define_singleton_method(:onEraseEntity) { |e| seen << e }
    f = @ents.add_face(square(0))
    assert_equal true, f.add_observer(obs)
    f.erase!
    assert_equal [f], seen
  end
end

require 'minitest/autorun'
require_relative '../../code/Sketchup/Headless/sketchup'

class TestFace < Minitest::Test
  def setup
    @model = Sketchup.new_model
    @ents = @model.entities
  end

  def test_normal_follows_point_order
    up = @ents.add_face([0, 0, 0], [10, 0, 0], [10, 10, 0], [0, 10, 0])
    assert_equal Geom::Vector3d.new(0, 0, 1), up.normal, 'counter-clockwise seen from +z, kept at z=0'
    down = @ents.add_face([0, 0, 5], [0, 10, 5], [10, 10, 5], [10, 0, 5])
    assert_equal Geom::Vector3d.new(0, 0, -1), down.normal
    wall = @ents.add_face([0, 0, 0], [0, 0, 8], [0, 6, 8], [0, 6, 0])
    assert_equal Geom::Vector3d.new(-1, 0, 0), wall.normal
    slope = @ents.add_face([0, 0, 0], [4, 0, 4], [4, 4, 4])
    assert_in_delta 1.0, slope.normal.length, 1e-12
  end

  def test_plane_uses_unit_normal
    f = @ents.add_face([0, 0, 3], [0, 2, 3], [2, 2, 3], [2, 0, 3])
    a, b, c, d = f.plane
    assert_equal [0.0, 0.0, -1.0], [a, b, c]
    assert_in_delta 3.0, d, 1e-12
    slope = @ents.add_face([10, 0, 0], [20, 0, 10], [20, 10, 10], [10, 10, 0])
    pl = slope.plane
    assert_in_delta 1.0, Math.sqrt(pl[0]**2 + pl[1]**2 + pl[2]**2), 1e-12
    slope.vertices.each { |v| assert v.position.on_plane?(pl) }
  end

  def test_area_and_bounds
    f = @ents.add_face([0, 0, 0], [10, 0, 0], [10, 5, 2], [0, 5, 2])
    assert_in_delta 10 * Math.sqrt(29), f.area, 1e-9
    assert_equal Geom::Point3d.new(0, 0, 0), f.bounds.min
    assert_equal Geom::Point3d.new(10, 5, 2), f.bounds.max
  end

  def test_face_with_hole
    outer = [[0, 0, 0], [10, 0, 0], [10, 10, 0], [0, 10, 0]]
    hole = [[2, 2, 0], [4, 2, 0], [4, 4, 0], [2, 4, 0]]
    f = @ents.add_face_with_holes(outer, [hole])
    assert_in_delta 96.0, f.area, 1e-9
    assert_equal [true, false], f.loops.map(&:outer?)
    assert_same f.outer_loop, f.loops.first
    assert_equal 8, f.vertices.size
    assert_equal 8, f.edges.size
    inner = f.loops[1]
    assert_equal hole.size, inner.vertices.size
    inner_normal = Sketchup::Headless.newell(inner.vertices.map { |v| v.position.to_a })
    assert_operator inner_normal[2], :<, 0, 'hole loop runs against the face normal'
    assert_equal Geom::Vector3d.new(0, 0, 1), f.normal
    plug = @ents.add_face(hole)
    assert_equal 4, (plug.edges & inner.edges).size, 'a face in the hole shares its edges'
    assert_equal Sketchup::Face::PointOutside, f.classify_point([3, 3, 0])
    assert_equal Sketchup::Face::PointInside, f.classify_point([6, 6, 0])
    assert_equal Sketchup::Face::PointOnEdge, f.classify_point([3, 2, 0])
    assert_equal Sketchup::Face::PointOnVertex, f.classify_point([10, 10, 0])
    assert_equal Sketchup::Face::PointNotOnPlane, f.classify_point([6, 6, 1])
  end

  def test_bad_holes_are_refused
    outer = [[0, 0, 0], [10, 0, 0], [10, 10, 0], [0, 10, 0]]
    assert_nil @ents.add_face_with_holes(outer, [[[2, 2, 1], [4, 2, 1], [4, 4, 1]]]), 'not coplanar'
    assert_nil @ents.add_face_with_holes(outer, [[[8, 8, 0], [12, 8, 0], [12, 9, 0]]]), 'sticks out'
    assert_nil @ents.add_face_with_holes(outer, [[[2, 2, 0], [4, 2, 0]]]), 'too few points'
    assert_equal 0, @ents.length
  end

  def test_reverse
    f = @ents.add_face([0, 0, 0], [10, 0, 0], [10, 10, 0], [0, 10, 0])
    edges_before = f.edges.map { |e| [e.start, e.end] }
    loop_before = f.outer_loop.vertices
    assert_equal [0.0, 0.0, 1.0], f.plane[0, 3], 'read before the reversal, which must not keep it'
    assert_same f, f.reverse!
    assert_equal Geom::Vector3d.new(0, 0, -1), f.normal
    assert_equal [0.0, 0.0, -1.0], f.plane[0, 3]
    @model.start_operation('flip back')
    f.reverse!
    assert_equal [0.0, 0.0, 1.0], f.plane[0, 3]
    @model.abort_operation
    assert_equal Geom::Vector3d.new(0, 0, -1), f.normal, 'an aborted reversal leaves the normal as it was'
    assert_equal [0.0, 0.0, -1.0], f.plane[0, 3]
    assert_equal loop_before.reverse.rotate(-1), f.outer_loop.vertices
    assert_equal edges_before.sort_by { |s, _| s.entityID }, f.edges.map { |e| [e.start, e.end] }.sort_by { |s, _| s.entityID }
    l = f.outer_loop
    l.edges.each_with_index do |e, i|
      ends = [l.vertices[i], l.vertices[(i + 1) % l.vertices.size]]
      assert_equal ends.sort_by(&:entityID), e.vertices.sort_by(&:entityID), 'edges stay in loop order'
    end
  end

  def test_identity_and_kind
    f = @ents.add_face([0, 0, 0], [1, 0, 0], [0, 1, 0])
    assert_equal 'Face', f.typename
    assert_same @model, f.model
    assert_same @model, f.parent
    assert f.instance_of?(Sketchup::Face)
    ids = [f, *f.edges, *f.vertices].map(&:entityID)
    assert_equal ids.uniq.size, ids.size
    g = @ents.add_face([5, 0, 0], [6, 0, 0], [5, 1, 0])
    assert_operator g.entityID, :>, f.entityID
    assert f.outer_loop.convex?
    assert_same f, f.outer_loop.face
  end
end

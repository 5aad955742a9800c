require_relative '../test_helper'
require_relative '../support/roomface_builder'

require 'timeout'

class RoomFaceConstructionTest < QORTest::Case
  include QORTest::RoomFaceBuilder

  def coords(points)
    points.map(&:to_a)
  end

  def test_plain_face
    wall = face([0, 0, 0], [10, 0, 0], [10, 0, 8], [0, 0, 8])
    prepare_room
    rf = room_face(wall, 3)

    assert_same @room, rf.room
    assert_same wall, rf.face
    assert_equal 3, rf.reference
    assert_equal 3, rf.roomFaceNumber
    %i[doors doorFrames windows windowFrames innerLoopPolygons oppositeRoomFaces
       constructedOpenings constructionLines].each { |list| assert_equal [], rf.send(list), list }
    assert_equal coords(rf.faceVertexPoints), coords(rf.facePolygon)
    assert_equal wall.outer_loop.vertices.sort_by(&:object_id), rf.faceVertices.sort_by(&:object_id)
    assert_equal coords(rf.faceVertices.map(&:position)), coords(rf.faceVertexPoints)
    assert_same false, rf.blind
    assert_same false, rf.isWindow
    assert_same false, rf.isWindowFrame
    assert_same false, rf.isDoorFrame
    assert_same false, rf.internallyConstructed
    assert_same rf, rf.outerShellRoomFace
    assert_equal 0, rf.outerShellType
    assert_equal wall.normal.to_a, rf.normal.to_a
    assert_equal wall.plane, rf.outerShellPlane
    assert_nil rf.material
    assert_nil rf.back_material
    assert_same 1.0, rf.instance_variable_get(:@opacity)
    assert_same 0.0, rf.instance_variable_get(:@glazedArea)
    assert_same true, wall.get_attribute('FaceDict', 'RoomFace')
    assert_nil rf.type
  end

  def test_nil_or_false_face_sets_nothing
    prepare_room
    [nil, false].each do |nothing|
      assert_equal [], QORTA::QORTA_RoomFace.new(@room, nothing, 1).instance_variables
    end
  end

  def test_vertical_angle_and_z_extent
    wall = face([0, 0, 2], [10, 0, 2], [10, 0, 8], [4, 0, 11], [0, 0, 8])
    down = face([0, 0, 5], [0, 10, 5], [10, 10, 5], [10, 0, 5])
    down.reverse! if down.normal.z > 0
    prepare_room

    rf = room_face(wall)
    assert_float Math::PI / 2, rf.verticalAngle
    assert_same 2.0, rf.leastZ
    assert_same 11.0, rf.greatestZ
    assert_same 9.0, rf.spanZ
    assert_float (2 + 2 + 8 + 11 + 8) / 5.0, rf.height

    rf = room_face(down)
    assert_float Math::PI, rf.verticalAngle
    assert_same 0.0, rf.spanZ
    assert_same 5.0, rf.height
  end

  def test_opacity_rule_and_glazed_area
    pane = face([0, 0, 0], [4, 0, 0], [4, 0, 3], [0, 0, 3])
    prepare_room
    material = lambda do |alpha|
      next nil if alpha.nil?
      m = @model.materials.add("alpha #{alpha}")
      m.alpha = alpha
      m
    end
    # front alpha, back alpha, opacity
    [[0.3, 1.0, 0.3], [1.0, 0.4, 0.4], [0.40005, 0.4, 0.4], [0.5, nil, 0.5],
     [0.0, nil, 0.0], [nil, 0.7, 0.7], [nil, nil, 1.0]].each do |front, back, opacity|
      pane.material = material.call(front)
      pane.back_material = material.call(back)
      rf = room_face(pane)
      glazed = opacity > 0.0 && opacity < 1.0 ? pane.area : 0.0
      assert_float opacity, rf.instance_variable_get(:@opacity), 1e-12, [front, back].inspect
      assert_kind_of Float, rf.instance_variable_get(:@glazedArea)
      assert_float glazed, rf.instance_variable_get(:@glazedArea), 1e-9, [front, back].inspect
      assert_same pane.material, rf.material
      assert_same pane.back_material, rf.back_material
    end
  end

  def test_material_names_are_recorded_only_when_present
    wall = face([0, 0, 0], [4, 0, 0], [4, 0, 3], [0, 0, 3])
    other = face([0, 5, 0], [4, 5, 0], [4, 5, 3], [0, 5, 3])
    wall.material = @model.materials.add('Brick')
    wall.back_material = @model.materials.add('Plaster')
    other.back_material = @model.materials.add('Glass')
    prepare_room
    room_face(wall)
    room_face(other)
    assert_equal 'Brick', wall.get_attribute('materialDictionary', 'material')
    assert_equal 'Plaster', wall.get_attribute('materialDictionary', 'back_material')
    assert_nil other.get_attribute('materialDictionary', 'material')
    assert_equal 'Glass', other.get_attribute('materialDictionary', 'back_material')
  end

  def test_pseudo_face
    points = [pt(0, 0, 1), pt(3, 0, 1), pt(3, 3, 1)]
    pseudo = QORTA::QORTA_PseudoFace.new(points)
    pseudo.material = @model.materials.add('ignored').tap { |m| m.alpha = 0.5 }
    prepare_room
    rf = room_face(pseudo, 7)

    assert_same true, rf.internallyConstructed
    assert_equal coords(points), coords(rf.facePolygon)
    refute_same pseudo.vertexPoints, rf.facePolygon
    assert_same pseudo, rf.face
    assert_equal 7, rf.reference
    assert_same 1.0, rf.instance_variable_get(:@opacity)
    assert_same 0.0, rf.instance_variable_get(:@glazedArea)
    assert_equal 0, rf.outerShellType
    %i[faceVertices normal verticalAngle material outerShellRoomFace isWindow].each do |unset|
      assert_nil rf.send(unset), unset
    end
    assert_equal [], rf.doors
    assert_same false, rf.blind
  end

  def test_loop_edges_running_against_the_loop_still_chain
    corners = [pt(0, 0, 0), pt(6, 0, 0), pt(6, 0, 4), pt(3, 0, 6), pt(0, 0, 4)]
    # Every edge drawn end to start, then a mix of directions.
    [[0, 1, 2, 3, 4], [0, 2, 4]].each_with_index do |reversed, i|
      shifted = corners.map { |p| p.offset(Geom::Vector3d.new(0, 10 * i, 0)) }
      reversed.each { |k| entities.add_line(shifted[(k + 1) % 5], shifted[k]) }
      wall = entities.add_face(shifted)
      assert wall.outer_loop.edges.any? { |e| e.reversed_in?(wall) }
      prepare_room
      chain = room_face(wall).faceVertices
      assert_equal 5, chain.length
      assert_equal wall.outer_loop.vertices.sort_by(&:object_id), chain.sort_by(&:object_id)
      chain.each_with_index do |v, k|
        assert v.common_edge(chain[(k + 1) % 5]), "vertices #{k} and #{k + 1} are not neighbours"
      end
    end
  end

  def test_loop_whose_edges_do_not_chain_ends_the_walk
    link = Struct.new(:start, :end)
    a, b, c, d, e = (0..4).map { |k| face([k, 20, 0], [k + 0.5, 20, 0], [k, 21, 0]).vertices.first }
    # Nothing after the first edge touches a: a pass adds no vertex.
    loop = Struct.new(:edges).new([link.new(a, b), link.new(c, d), link.new(d, e), link.new(e, c)])
    filler = Object.new
    filler.define_singleton_method(:loops) { [loop] }
    filler.define_singleton_method(:outer_loop) { loop }
    wall = face([0, 0, 0], [4, 0, 0], [4, 0, 3], [0, 0, 3])
    prepare_room
    $innerLoopFacesHash2[wall.to_s] = [filler]
    rf = Timeout.timeout(10) { room_face(wall) }
    assert_equal [[a]], rf.windows.map(&:vertices)
  end
end

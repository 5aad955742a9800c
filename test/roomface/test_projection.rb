require_relative '../test_helper'
require_relative '../support/roomface_builder'

# Openings of a wall in the plane y = 0 projected onto a constructed face
# 4 inches behind it, whose outline runs x 2..8, z 0..8.
class ProjectionTest < QORTest::Case
  include QORTest::RoomFaceBuilder

  TARGET = [[2, 4, 0], [8, 4, 0], [8, 4, 8], [2, 4, 8]].freeze

  def setup
    super
    @wall = face([0, 0, 0], [10, 0, 0], [10, 0, 10], [0, 0, 10])
    prepare_room
    @source = room_face(@wall)
    pseudo = QORTA::QORTA_PseudoFace.new(points(TARGET))
    pseudo.instance_variable_set(:@plane, [0.0, 1.0, 0.0, -4.0])
    @target = room_face(pseudo)
    @target.projectedDoors = []
  end

  # A window of the wall with corners x0..x1, z0..z1, its pane drawn 3
  # inches in front of the wall so that it touches nothing.
  def window(x0, z0, x1, z1, front: nil, back: nil)
    pane = face([x0, -3, z0], [x1, -3, z0], [x1, -3, z1], [x0, -3, z1])
    pane.material = material(front) if front
    pane.back_material = material(back) if back
    opening = QORPlugin::Opening.new(pane.outer_loop.vertices, 'window')
    opening.face = pane
    opening
  end

  def material(alpha)
    m = @model.materials.add("alpha #{alpha}")
    m.alpha = alpha
    m
  end

  def corners_of(opening)
    opening.vertices.map { |v| v.position.to_a }
  end

  def test_window_inside_projected_once
    w = window(3, 2, 5, 4)
    @source.windows = [w]
    assert_same true, @target.project(@source)
    assert_same true, @target.project(@source)
    assert_equal 1, @target.windows.length
    projected = @target.windows.first
    assert_equal [[3, 4, 2], [5, 4, 2], [5, 4, 4], [3, 4, 4]], corners_of(projected)
    assert_kind_of QORTA::QORTA_PseudoFace, projected.face
    assert_empty @target.projectedDoors
  end

  def test_only_openings_wholly_inside_the_outline_are_kept
    straddling = window(7, 2, 9, 4)
    touching = window(2, 0, 4, 2) # two sides on the outline
    @source.windows = [straddling, touching]
    @target.project(@source)
    assert_equal [[[2, 4, 0], [4, 4, 0], [4, 4, 2], [2, 4, 2]]], @target.windows.map { |o| corners_of(o) }
  end

  def test_types_from_the_opening_face_materials
    cases = {
      [0.5, nil] => 'Window', [0.0, nil] => 'Air', [1.0, nil] => 'Door',
      [1.0, 0.3] => 'Window', [0.3, 1.0] => 'Window', [nil, nil] => 'Door'
    }
    cases.each_with_index do |((front, back), type), i|
      # Each case on its own spot, so no centroid repeats.
      w = window(2.5 + i * 0.5, 1, 2.6 + i * 0.5, 2, front: front, back: back)
      @source.windows = [w]
      @target.windows = []
      @target.project(@source)
      assert_equal type, @target.windows.first.type, "front #{front.inspect}, back #{back.inspect}"
    end
  end

  def test_opening_without_face_keeps_the_class_type
    corners = points([[3, 0, 2], [4, 0, 2], [4, 0, 3]]).map { |p| QORTA::QORTA_PseudoVertex.new(p) }
    @source.windows = [QORPlugin::Opening.new(corners, 'window')]
    @target.project(@source)
    assert_equal 'Window', @target.windows.first.type
    assert_nil @target.windows.first.face
  end

  def test_door_mark_hole_flag_and_materials_carried
    w = window(3, 2, 5, 4, front: 0.4)
    w.face.set_attribute('FaceDict', 'Door', 'leaf')
    w.isHole = true
    @source.windows = [w]
    @target.project(@source)
    o = @target.windows.first
    assert_equal 'leaf', o.face.instance_variable_get(:@door)
    assert_same true, o.isHole
    pm = o.face.instance_variable_get(:@material)
    assert_equal [w.face.material, 0.4], [pm.material, pm.alpha]
  end

  def test_doors_go_to_projected_doors_and_skip_deleted_corners
    leaf = face([3, -2, 0], [5, -2, 0], [5, -2, 6], [3, -2, 6])
    gone = entities.add_edges(pt(20, -2, 0), pt(20, -2, 5)).first
    lost_corner = gone.start
    door = QORPlugin::Door.new(leaf.outer_loop.vertices + [lost_corner])
    entities.erase_entities(gone)
    refute lost_corner.valid?
    @source.doors = [door]
    @target.project(@source)
    @target.project(@source) # @doors is not yet extended: compared against, nothing stops a copy
    assert_empty @target.doors
    assert_equal 2, @target.projectedDoors.length
    assert_equal [[3, 4, 0], [5, 4, 0], [5, 4, 6], [3, 4, 6]], corners_of(@target.projectedDoors.first)
    assert_equal 'Door', @target.projectedDoors.first.type
    # Once the doors are the face's own, the same door is not added again.
    @target.doors = @target.projectedDoors
    @target.projectedDoors = []
    @target.project(@source)
    assert_empty @target.projectedDoors
  end

  def test_flags_and_materials_copied_to_the_face
    glass = material(0.25)
    @wall.material = glass
    @source.isWindow = true
    @source.isDoorFrame = true
    @target.project(@source)
    assert_equal [true, true, false], [@target.isWindow, @target.isDoorFrame, @target.isWindowFrame]
    assert_same glass, @target.face.material
    assert_in_delta 0.25, @target.face.material.alpha
    assert_nil @target.face.back_material
  end
end

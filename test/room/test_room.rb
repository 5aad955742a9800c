require_relative '../test_helper'
require_relative '../support/room_builder'

# A room built from model faces: typing, totals, marks on the model.
class RoomConstructionTest < QORTest::Case
  include QORTest::RoomBuilder

  M = 39.37007874015748 # inches in a metre

  def test_box_room_typed_and_measured
    faces = box(0, 0, 0, 4 * M, 3 * M, 2.5 * M)
    room = new_room(faces)
    assert_equal %w[Floor Ceiling Wall Wall Wall Wall], types_of(room)
    assert_in_delta 120_000.0, room.totalFloorArea, 1e-6
    walls_cm2 = 2 * (4 * 2.5 + 3 * 2.5) * 10_000
    assert_in_delta walls_cm2, room.totalWallArea, 1e-6
    assert_in_delta 250.0, room.maximumHeight, 1e-9
    assert_in_delta 0.0, room.level, 1e-9
    assert_equal 0.0, room.totalGlazedArea
    assert_same false, room.selected
    assert_same false, room.exteriorOuterShell
    assert_equal faces, room.sketchupFaces
    assert_equal [1, 2, 3, 4, 5, 6], room.roomFaces.map(&:reference)
  end

  def test_orientation_of_the_faces_does_not_change_the_types
    faces = box(0, 0, 0, 100, 80, 90)
    faces.each(&:reverse!) # normals into the room
    room = new_room(faces)
    assert_equal %w[Floor Ceiling Wall Wall Wall Wall], types_of(room)
    assert(room.roomFaces.all?(&:normalDirectionIn))
    assert_equal [1] * 6, room.roomFaces.map(&:crossFaceCount)
  end

  def test_model_marks
    faces = box(0, 0, 0, 100, 80, 90)
    room = new_room(faces)
    faces.each_with_index do |f, i|
      assert_same room.roomFaces[i], f.get_attribute('FaceDict2', 'RoomFace')
      assert_same true, f.get_attribute('FaceDict', 'found')
    end
    floor = faces[0]
    assert_equal 1, floor.get_attribute('FaceDict', 'Floor')
    assert_equal 5, floor.get_attribute('FaceDict', 'RoomFaceCount')
    assert_nil faces[1].get_attribute('FaceDict', 'Floor')
  end

  def test_room_key_is_the_floor_points_greatest_x_then_y_first
    room = new_room(box(0, 0, 0, 100, 80, 90))
    expected = [pt(100, 80, 0), pt(100, 0, 0), pt(0, 80, 0), pt(0, 0, 0)].to_s
    assert_equal expected, room.roomKey
    # Stable: the same model built again gives the same key.
    @model = fresh_model
    QORPlugin.prepare(@model)
    assert_equal expected, new_room(box(0, 0, 0, 100, 80, 90)).roomKey
  end

  def test_only_rejected_faces
    gone = face([0, 0, 0], [10, 0, 0], [10, 10, 0])
    gone.erase!
    tag = entities.add_edges(pt(0, 0, 50), pt(5, 0, 50)).first
    tag.set_attribute('OwnerGroup', 'Id', 42)
    room = new_room([nil, 'face', gone, tag])
    assert_empty room.roomFaces
    assert_empty room.sketchupFaces
    assert_equal [0.0, 0.0, 0.0, 0.0],
                 [room.totalFloorArea, room.totalWallArea, room.totalGlazedArea, room.maximumHeight]
    assert_equal 50_000.0, room.level
    assert_equal '', room.roomKey
    assert_equal 42, room.ownerGroup
  end

  def test_indices_count_accepted_faces_only
    a = face([0, 0, 0], [10, 0, 0], [10, 10, 0])
    b = face([0, 0, 5], [10, 0, 5], [10, 10, 5])
    room = new_room([a, nil, b])
    assert_equal [1, 2], room.roomFaces.map(&:reference)
    assert_equal [a, b], room.sketchupFaces
  end

  def test_owner_group_from_the_last_element_even_when_rejected
    faces = box(0, 0, 0, 10, 10, 10)
    faces.last.set_attribute('OwnerGroup', 'Id', 7)
    assert_equal 7, new_room(faces).ownerGroup
    assert_nil new_room(faces + [nil]).ownerGroup
  end

  def test_blind_openings_marked
    faces = box(0, 0, 0, 10, 10, 10)
    faces[2].set_attribute('FaceDict', 'BlindOpening', true)
    room = new_room(faces)
    assert_equal [nil, nil, true, nil, nil, nil], room.roomFaces.map { |rf| rf.instance_variable_get(:@isBlind) }
  end

  def test_not_an_array
    assert_raises(TypeError) { new_room(nil) }
  end
end

# The ray test and the angle bands of surface typing.
class SurfaceTypeTest < QORTest::Case
  include QORTest::RoomBuilder

  def test_even_crossings_swap_floor_and_ceiling
    up = face([0, 0, 20], [10, 0, 20], [10, 10, 20], [0, 10, 20])
    down = face([0, 0, 0], [0, 10, 0], [10, 10, 0], [10, 0, 0])
    room = new_room([up, down])
    # Each faces away from the other: no crossing.
    assert_equal [0, 0], room.roomFaces.map(&:crossFaceCount)
    assert_equal %w[Ceiling Floor], types_of(room)
    assert_equal [false, false], room.roomFaces.map(&:normalDirectionIn)
  end

  def test_angle_band_limits_are_strict
    faces = box(0, 0, 0, 10, 10, 10)
    room = new_room(faces)
    slope = room.roomFaces[2] # a wall; give it a 45 degree normal
    slope.normal = Geom::Vector3d.new(0, -1, 1).normalize
    theta = slope.normal.angle_between(Geom::Vector3d.new(0, 0, 1))

    $vHETARadians = theta
    room.surfaceType(slope, false)
    assert_equal 'Wall', slope.type, 'exactly t is not a floor or ceiling'

    $vHETARadians = theta + 1e-9
    room.surfaceType(slope, false)
    assert_equal 'Ceiling', slope.type

    # The normal turned over (theta about 135 degrees) and t chosen so that
    # theta is exactly 3.141592 - t.
    slope.normal = slope.normal.reverse
    theta = slope.normal.angle_between(Geom::Vector3d.new(0, 0, 1))
    t = 3.141592 - theta
    assert_equal theta, 3.141592 - t, 'float round trip of the limit'
    $vHETARadians = t
    room.surfaceType(slope, false)
    refute_equal 'Wall', slope.type, 'exactly 3.141592 - t is not a wall'
  end

  def test_surface_type_answers_true_and_retypes
    room = new_room(box(0, 0, 0, 10, 10, 10))
    rf = room.roomFaces[0]
    rf.type = 'Other'
    assert_same true, room.surfaceType(rf, nil)
    assert_equal 'Floor', rf.type
  end

  def test_ray_skips_points_in_holes
    # A ceiling with a hole right above the floor's inner point: the ray
    # from the up-facing floor leaves through the hole.
    floor = face([0, 0, 0], [10, 0, 0], [10, 10, 0], [0, 10, 0])
    ceiling = entities.add_face_with_holes(
      [pt(0, 0, 10), pt(10, 0, 10), pt(10, 10, 10), pt(0, 10, 10)],
      [[pt(2, 2, 10), pt(8, 2, 10), pt(8, 8, 10), pt(2, 8, 10)]]
    )
    room = new_room([floor, ceiling])
    assert_equal 0, room.roomFaces[0].crossFaceCount
    assert_equal 'Ceiling', room.roomFaces[0].type
  end
end

# Which room a shared floor belongs to.
class FloorClaimTest < QORTest::Case
  include QORTest::RoomBuilder

  def setup
    super
    @floor = face([0, 0, 0], [0, 10, 0], [10, 10, 0], [10, 0, 0])
    @floor.set_attribute('FaceDict', 'Floor', 3)
    @floor.set_attribute('FaceDict', 'RoomFaceCount', 5)
    @walls = box(0, 0, 0, 10, 10, 10)[2, 4] # 4 other faces
  end

  def test_fewer_faces_reclaim_only_with_the_flag
    new_room([@floor] + @walls, number: 7, claim: false)
    assert_equal 3, @floor.get_attribute('FaceDict', 'Floor')
    new_room([@floor] + @walls, number: 7, claim: true)
    assert_equal 7, @floor.get_attribute('FaceDict', 'Floor')
    assert_equal 5, @floor.get_attribute('FaceDict', 'RoomFaceCount')
  end

  def test_more_faces_never_reclaim
    @floor.set_attribute('FaceDict', 'RoomFaceCount', 4)
    room = new_room([@floor] + @walls, number: 7, claim: true)
    assert_equal 3, @floor.get_attribute('FaceDict', 'Floor')
    refute_equal '', room.roomKey, 'the key is set whoever owns the floor'
  end
end

# Label, diagnostic text, radii.
class RoomLabelTest < QORTest::Case
  include QORTest::RoomBuilder

  def test_label_at_the_mean_of_face_vertices
    room = new_room(box(0, 0, 0, 10, 20, 30))
    label = room.setText('Kitchen')
    assert_same label, room.text
    assert_equal 'Kitchen', label.text
    assert_equal 'Kitchen', room.textCharacters
    assert_equal [5.0, 10.0, 15.0], room.centroid
    assert_equal [5.0, 10.0, 15.0], label.point.to_a
  end

  def test_label_of_a_room_without_vertices
    room = new_room([])
    label = room.setText('Empty')
    assert_equal 'Empty', label.text
    assert_equal [0.0, 0.0, 0.0], room.centroid
  end

  def test_to_s
    a = face([0, 0, 0], [10, 0, 0], [10, 10, 0])
    b = face([0, 0, 5], [10, 0, 5], [10, 10, 5])
    room = new_room([a, b], number: 12)
    room.setText('Hall')
    names = [a.to_s, b.to_s].sort
    assert_equal "Hall 12\nFaces = \n#{names[0]}\n#{names[1]}\n facecount2\n Outer sh = false", room.to_s
  end

  def test_radii
    assert_same true, QORTA.getRoomsRadii([])
    square = face([-1, -1, 0], [1, -1, 0], [1, 1, 0], [-1, 1, 0])
    room = new_room([square])
    room.setText('Square')
    assert_equal [0.0, 0.0, 0.0], room.centroid
    assert_same true, QORTA.getRoomsRadii([room])
    assert_in_delta Math.sqrt(2), room.radius, 1e-12
  end

  def test_radius_skips_deleted_vertices
    square = face([-1, -1, 0], [1, -1, 0], [1, 1, 0], [-1, 1, 0])
    room = new_room([square])
    room.setText('Gone')
    room.radius = 99.0
    square.vertices.each { |v| def v.valid? = false }
    QORTA.getRoomsRadii([room])
    assert_equal 0.0, room.radius
  end

  def test_radius_needs_a_centroid
    room = new_room([face([0, 0, 0], [1, 0, 0], [1, 1, 0])])
    assert_raises(StandardError) { QORTA.getRoomsRadii([room]) }
  end
end

# Highlighting: painted once, restored exactly, one operation per call.
class RoomHighlightTest < QORTest::Case
  include QORTest::RoomBuilder

  def setup
    super
    @faces = box(0, 0, 0, 10, 10, 10)
    wood = @model.materials.add('Wood')
    wood.alpha = 1.0
    @faces[0].material = wood
    @faces[1].back_material = 'blue'
    @room = new_room(@faces)
    @model.clear_operation_log
  end

  def test_select_twice_paints_once
    before = material_names(@faces)
    assert_same true, @room.select(true)
    assert(@faces.all? { |f| f.material.name == 'red' && f.back_material.name == 'red' })
    assert_same true, @room.select(true)
    assert_equal [1] * 6, @faces.map { |f| f.get_attribute('selectedDictionary', 'selected') }
    assert_equal [[:start, 'select room'], [:commit, 'select room']] * 2, @model.operation_log
    @room.select(false)
    assert_equal before, material_names(@faces)
    assert_equal [0] * 6, @faces.map { |f| f.get_attribute('selectedDictionary', 'selected') }
  end

  def test_deselect_restores_material_alpha
    @faces[0].material.alpha = 1.0
    @room.select(true)
    @room.roomFaces[0].instance_variable_set(:@opacity, 1.0)
    @room.select(nil)
    assert_equal 'Wood', @faces[0].material.name
    assert_equal 1.0, @faces[0].material.alpha
    assert_same false, @room.selected
  end

  def test_a_face_shared_with_another_selected_room_stays_red
    other = new_room(@faces[0, 1], number: 2)
    other.select(true)
    @room.select(true)
    @room.select(false)
    assert_equal 'red', @faces[0].material.name
    other.select(false)
    assert_equal 'Wood', @faces[0].material.name
  end

  def test_translucent_faces_and_windows_are_left_alone
    @room.roomFaces[2].instance_variable_set(:@opacity, 0.4)
    @room.roomFaces[3].isWindow = true
    @room.select(true)
    refute_equal 'red', @faces[2].material&.name
    refute_equal 'red', @faces[3].material&.name
    assert_equal 'red', @faces[4].material.name
  end

  def test_deselecting_an_unselected_room_changes_nothing
    before = material_names(@faces)
    assert_same true, @room.select(false)
    assert_equal before, material_names(@faces)
    assert_equal [[:start, 'deselect room'], [:commit, 'deselect room']], @model.operation_log
  end

  # A deselect refused for a bad saved material leaves that face painted
  # and counted: once the field is mended, deselecting restores its own
  # materials instead of keeping the red as if it were the face's.
  def test_a_refused_deselect_loses_no_material
    before = material_names(@faces)
    @room.select(true)
    [[:@material, 7], [:@back_material, 7]].each do |field, bad|
      rf = @room.roomFaces[1]
      kept = rf.instance_variable_get(field)
      rf.instance_variable_set(field, bad)
      error = assert_raises(TypeError) { @room.select(false) }
      assert_includes error.message, field.to_s
      assert_same true, @room.selected
      rf.instance_variable_set(field, kept)
    end
    @room.select(false)
    assert_equal before, material_names(@faces)
  end

  def test_failure_half_way_aborts_the_operation
    face = @faces[3]
    def face.material=(*)
      raise IOError, 'host refused'
    end
    assert_raises(IOError) { @room.select(true) }
    assert_equal [[:start, 'select room'], [:abort, 'select room']], @model.operation_log
    assert_same false, @room.selected
    assert_nil @model.active_operation
  end
end

require_relative '../test_helper'
require_relative '../support/roomface_builder'
require 'rexml/document'

# The Face element of a room face: outline, face-material openings, windows
# and doors, and whether the face counts as external.
class FaceXmlTest < QORTest::Case
  include QORTest::RoomFaceBuilder

  M = 39.37007874015748 # inches in a metre
  WALL = [[0, 0, 0], [4 * M, 0, 0], [4 * M, 0, 2.5 * M], [0, 0, 2.5 * M]].freeze
  HOLE = [[1 * M, 0, 1 * M], [2 * M, 0, 1 * M], [2 * M, 0, 2 * M], [1 * M, 0, 2 * M]].freeze
  # The wall with a door notch, and the door's corners.
  NOTCH = [[0, 0, 0], [2.5 * M, 0, 0], [2.5 * M, 0, 2 * M], [3.5 * M, 0, 2 * M], [3.5 * M, 0, 0],
           [4 * M, 0, 0], [4 * M, 0, 2.5 * M], [0, 0, 2.5 * M]].freeze
  DOOR = [[2.5 * M, 0, 0], [3.5 * M, 0, 0], [3.5 * M, 0, 2 * M], [2.5 * M, 0, 2 * M]].freeze

  # Room faces for the faces, in one room of the building.
  def room_faces(*faces, doors: [])
    prepare_room(doors)
    faces = faces.each_with_index.map { |f, i| room_face(f, i + 1) }
    @room.roomFaces = faces
    @room.sketchupFaces = faces.map(&:face)
    @building.rooms = [@room]
    faces
  end

  # A second room of the building holding the faces.
  def neighbour(*faces)
    room = QORTA::QORTA_Room.allocate
    room.edifice = @building
    room.roomFaces = faces.map { |f| QORTA::QORTA_RoomFace.new(room, f, 1) }
    room.sketchupFaces = faces
    @building.rooms << room
    room
  end

  def vertex_at(face, xyz)
    face.vertices.find { |v| v.position == Geom::Point3d.new(*xyz) }
  end

  def opening_types(xml)
    xml.scan(/<Opening openingType="(\w+)">/).flatten
  end

  # The written points, [x, y, z] in metres, of the face and its openings.
  def loops(xml)
    REXML::Document.new(xml).get_elements('//PolyLoop').map do |l|
      l.get_elements('CartesianPoint').map { |p| p.get_elements('Coordinate').map { |c| Float(c.text) } }
    end
  end

  def glass(alpha)
    @model.materials.add("Glass #{alpha}").tap { |m| m.alpha = alpha }
  end

  def test_one_line_wall_with_one_window
    wall = face_with_holes(WALL, HOLE)
    rf, = room_faces(wall)
    rf.type = 'Wall'
    rf.reference = 7
    rf.windows = [QORPlugin::Opening.new(HOLE.map { |p| vertex_at(wall, p) }, 'Window')]
    point = ->(x, z) { "<CartesianPoint><Coordinate>#{x}</Coordinate><Coordinate>0.0</Coordinate><Coordinate>#{z}</Coordinate></CartesianPoint>" }
    expected = '<Face faceType="Wall"  faceRef="7" ><PolyLoop>' +
               point['0.0', '0.0'] + point['4.0', '0.0'] + point['4.0', '2.5'] + point['0.0', '2.5'] +
               '</PolyLoop><Opening openingType="Window"><PolyLoop>' +
               point['1.0', '1.0'] + point['2.0', '1.0'] + point['2.0', '2.0'] + point['1.0', '2.0'] +
               '</PolyLoop></Opening></Face>'
    assert_equal expected, rf.getFaceElement
    assert_same true, rf.isExternal
    assert_same true, rf.windows.first.isHole
  end

  def test_face_materials_give_one_opening_with_the_face_outline
    # [front alpha, back alpha, openings]
    [[0.5, 0.0, %w[Window]], [1.0, 0.0, %w[Air]], [nil, 0.3, %w[Window]], [0.0, 0.5, %w[Air]],
     [1.0, 1.0, []], [nil, nil, []]].each do |front, back, expected|
      wall = face(*WALL)
      wall.material = glass(front) if front
      wall.back_material = glass(back) if back
      xml = room_faces(wall).first.getFaceElement
      assert_equal expected, opening_types(xml), [front, back].inspect
      outline, *openings = loops(xml)
      openings.each { |o| assert_equal outline, o }
      wall.erase!
    end
  end

  def test_faceless_window_partly_shared_with_another_face_is_air
    # What else touches the hole: nothing, a sill (two of its corners), a pane (all four).
    { none: 'Window', sill: 'Air', pane: 'Window' }.each do |other, expected|
      @model = fresh_model
      wall = face_with_holes(WALL, HOLE)
      extra = case other
              when :sill then [face(HOLE[0], HOLE[1], [2 * M, -10, 1 * M], [1 * M, -10, 1 * M])]
              when :pane then [pane(HOLE)]
              else []
              end
      rf, = room_faces(wall, *extra)
      assert_equal [expected], opening_types(rf.getFaceElement), other
      assert_same true, rf.windows.first.isHole
      # An internal face writes every hole as air.
      rf.outerShellType = 2
      assert_equal %w[Air], opening_types(rf.getFaceElement), other
    end
  end

  def test_window_filled_by_a_neighbours_face
    wall = face_with_holes(WALL, HOLE)
    leaf = pane(HOLE)
    rf, = room_faces(wall)
    window = QORPlugin::Opening.new(leaf.outer_loop.vertices, 'Window')
    window.face = leaf
    rf.windows = [window]
    assert_equal %w[Window], opening_types(rf.getFaceElement), 'no room claims the leaf'
    other = neighbour(leaf)
    assert_equal [], opening_types(rf.getFaceElement), 'the leaf is the neighbour\'s face'
    listed = QORPlugin::Opening.new(leaf.outer_loop.vertices, 'Window')
    listed.face = leaf
    other.roomFaces.first.windows = [listed]
    assert_equal %w[Window], opening_types(rf.getFaceElement), 'the neighbour lists it as a window'
  end

  def test_transparent_leaf_is_a_hole_only_in_an_internal_face
    wall = face_with_holes(WALL, HOLE)
    leaf = pane(HOLE)
    leaf.back_material = glass(0.0)
    rf, = room_faces(wall)
    window = QORPlugin::Opening.new(leaf.outer_loop.vertices, 'Door')
    window.face = leaf
    rf.windows = [window]
    assert_equal %w[Door], opening_types(rf.getFaceElement)
    rf.outerShellType = 2
    assert_equal %w[Air], opening_types(rf.getFaceElement)
    assert_same true, window.isHole
  end

  def test_hole_door_type_follows_whether_the_face_is_external
    # [thin walls, face also in a neighbour, outer-shell type, written, external]
    [[true, true, 0, 'Air', false], [true, false, 2, 'Window', true],
     [false, true, 2, 'Air', false], [false, true, 1, 'Window', true]].each do |thin, shared, type, expected, ext|
      @model = fresh_model
      wall = face(*NOTCH)
      door = door(*DOOR)
      door.isHole = true
      rf, = room_faces(wall, doors: [door])
      neighbour(shared ? wall : face([0, 9, 0], [9, 9, 0], [9, 9, 9]))
      $thinWalls = thin ? 1 : 0
      rf.outerShellType = type
      assert_equal [expected], opening_types(rf.getFaceElement), [thin, shared, type].inspect
      assert_same ext, rf.isExternal
    end
  end

  def test_group_offset_lowers_every_z
    wall = face_with_holes(NOTCH, HOLE)
    d = door(*DOOR)
    rf, = room_faces(wall, doors: [d])
    plain = loops(rf.getFaceElement)
    wall.set_attribute('GroupDict', 'ZOffset', 120)
    lowered = loops(rf.getFaceElement)
    assert_equal 3, lowered.length
    plain.flatten(1).zip(lowered.flatten(1)).each do |(x, y, z), (lx, ly, lz)|
      assert_equal [x, y], [lx, ly]
      assert_in_delta z - 3.048, lz, 1e-12
    end
  end

  def test_constructed_face_from_its_points_and_own_offset
    rf, = room_faces(face(*WALL))
    pseudo = QORTA::QORTA_PseudoFace.new([pt(0, 0, 120), pt(M, 0, 120), pt(M, M, 120)])
    built = QORTA::QORTA_RoomFace.new(@room, pseudo, 3)
    built.type = 'Wall'
    assert_equal [[[0.0, 0.0, 3.048], [1.0, 0.0, 3.048], [1.0, 1.0, 3.048]]], loops(built.getFaceElement)
    built.zOffset = 120
    assert_equal [[[0.0, 0.0, 0.0], [1.0, 0.0, 0.0], [1.0, 1.0, 0.0]]], loops(built.getFaceElement)
  end

  def test_door_frame_listed_as_door_removes_corners_but_is_not_written
    wall = face(*NOTCH)
    d = door(*DOOR)
    rf, = room_faces(wall, doors: [d])
    assert_equal [d], rf.doors
    assert_equal %w[Door], opening_types(rf.getFaceElement)
    rf.doorFrames = [d]
    xml = rf.getFaceElement
    assert_equal [], opening_types(xml)
    assert_equal [[[0.0, 0.0, 0.0], [4.0, 0.0, 0.0], [4.0, 0.0, 2.5], [0.0, 0.0, 2.5]]], loops(xml)
  end

  def test_faces_not_written
    cases = {
      'deleted' => ->(rf, _) { rf.face.erase! },
      'window frame' => ->(rf, _) { rf.isWindowFrame = true },
      'door frame' => ->(rf, _) { rf.isDoorFrame = true },
      'opening' => ->(rf, _) { rf.isOpening = true },
      'another face\'s window' => ->(rf, other) { other.windows = [QORPlugin::Opening.new([], 'Window').tap { |w| w.face = rf.face }] },
      'another face\'s door' => ->(rf, other) { other.doors = [QORPlugin::Door.new([], rf.face)] }
    }
    cases.each do |what, change|
      @model = fresh_model
      rf, other = room_faces(face(*WALL), face([0, 9, 0], [9, 9, 0], [9, 9, 9]))
      refute_equal ' ', rf.getFaceElement, what
      change.call(rf, other)
      assert_equal ' ', rf.getFaceElement, what
    end
  end

  def test_type_and_reference_escaped
    rf, = room_faces(face(*WALL))
    rf.type = 'A "B" & <C>'
    rf.reference = 'r&1'
    xml = rf.getFaceElement
    assert xml.start_with?('<Face faceType="A &quot;B&quot; &amp; &lt;C&gt;"  faceRef="r&amp;1" >'), xml
    face_element = REXML::Document.new(xml).root
    assert_equal 'A "B" & <C>', face_element.attributes['faceType']
  end
end

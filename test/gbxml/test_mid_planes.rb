require 'rexml/document'
require_relative '../test_helper'
require_relative '../support/building_file_builder'
require File.join(ROOT, 'code/Sketchup/Plugin/gbxml/export')

# Thick-wall buildings written on their walls' middles: faces that overlap
# there in part, faces the road turns into their room, and the cutting of
# loops on one plane.
class GbxmlMidPlanesTest < QORTest::Case
  include QORTest::BuildingFileBuilder

  G = QORPlugin::Gbxml

  def teardown
    remove_tmpdir
    super
  end

  # Two box rooms 0.2 m apart: a low one (x 0 to 4, 2.5 m high) and a tall
  # one (x 4.2 to 8, 3.5 m high), each 3 m deep.
  def low_and_tall
    box = lambda do |name, x0, x1, h|
      v = { "#{name}1" => [x0, 0, 0], "#{name}2" => [x1, 0, 0], "#{name}3" => [x1, 3, 0], "#{name}4" => [x0, 3, 0],
            "#{name}5" => [x0, 0, h], "#{name}6" => [x1, 0, h], "#{name}7" => [x1, 3, h], "#{name}8" => [x0, 3, h] }
      c = ->(*ks) { ks.map { |k| "#{name}#{k}" } }
      faces = { 'floor' => c.(1, 4, 3, 2), 'roof' => c.(5, 6, 7, 8), 'south' => c.(1, 2, 6, 5),
                'east' => c.(2, 3, 7, 6), 'north' => c.(3, 4, 8, 7), 'west' => c.(4, 1, 5, 8) }
      [v, faces.map { |k, outer| { 'id' => "#{name}-#{k}", 'outer' => outer } }]
    end
    low_v, low_f = box.('low', 0, 4, 2.5)
    tall_v, tall_f = box.('tall', 4.2, 8, 3.5)
    { 'units' => 'm', 'vertices' => low_v.merge(tall_v), 'faces' => low_f + tall_f,
      'rooms' => [{ 'id' => 'low', 'name' => 'Low', 'faces' => low_f.map { |f| f['id'] } },
                  { 'id' => 'tall', 'name' => 'Tall', 'faces' => tall_f.map { |f| f['id'] } }] }
  end

  # Worked out by hand: the wall's middle is x = 4.1.  The low room's east
  # wall and the tall room's west wall share it up to 2.5 m; above, the
  # tall room's wall has nothing across.  The roofs and the walls along
  # the wall reach the middle.
  def test_a_wall_shared_in_part_is_cut_into_a_shared_and_an_outside_part
    file = QORPlugin::BuildingFile.load(write_building(low_and_tall))
    rooms = QORPlugin::RoomExport.new(file, progress: $class_ProgressBar2, centreline: true).run.rooms
    result = G::Export.write(file, rooms)
    assert_empty result.problems
    written = REXML::Document.new(result.xml).root.get_elements('Campus/Surface').map do |s|
      loop = s.get_elements('PlanarGeometry/PolyLoop/CartesianPoint').map { |p| p.get_elements('Coordinate').map { |c| c.text.to_f } }
      [s.attributes['surfaceType'], s.get_elements('AdjacentSpaceId').map { |a| a.attributes['spaceIdRef'] },
       loop.transpose.map(&:minmax)]
    end
    on_middle = written.select { |_, _, box| box[0] == [4.1, 4.1] }
    assert_equal [['InteriorWall', %w[low tall], [[4.1, 4.1], [0, 3], [0, 2.5]]],
                  ['ExteriorWall', %w[tall], [[4.1, 4.1], [0, 3], [2.5, 3.5]]]], on_middle
    roofs = written.select { |type, _, _| type == 'Roof' }.map { |_, _, box| box[0] }
    assert_equal [[0, 4.1], [4.1, 8]], roofs
    south = written.select { |type, _, box| type == 'ExteriorWall' && box[1] == [0, 0] }.map { |_, _, box| box[0] }
    assert_equal [[0, 4.1], [4.1, 8]], south
  end

  # A room face standing for its model face, as the road leaves it.
  class FakeRoomFace
    def initialize(fields) = fields.each { |k, v| instance_variable_set("@#{k}", v) }
  end
  FakeRoom = Struct.new(:roomFaces)

  # A unit box whose top the road says points in (its model normal points
  # up, out of the box): it is turned out and named; the others stand.  A
  # face whose outline the host cannot give is left out and named.
  def test_a_face_the_road_turns_into_its_room_is_turned_out
    model = Sketchup.new_model
    m = 39.37007874015748
    pt = ->(x, y, z) { Geom::Point3d.new(x * m, y * m, z * m) }
    loops = [[[0, 0, 0], [0, 1, 0], [1, 1, 0], [1, 0, 0]], [[0, 0, 1], [1, 0, 1], [1, 1, 1], [0, 1, 1]],
             [[0, 0, 0], [1, 0, 0], [1, 0, 1], [0, 0, 1]], [[1, 1, 0], [0, 1, 0], [0, 1, 1], [1, 1, 1]],
             [[0, 1, 0], [0, 0, 0], [0, 0, 1], [0, 1, 1]], [[1, 0, 0], [1, 1, 0], [1, 1, 1], [1, 0, 1]]]
    faces = loops.each_with_index.map do |l, i|
      face = model.entities.add_face(l.map { |p| pt.(*p) })
      out = face.normal.to_a.zip(G::PlaneGeometry.loop_normal(l)).sum { |a, b| a * b }.positive?
      FakeRoomFace.new(face: face, reference: i + 1, normalDirectionIn: i == 1 ? out : !out)
    end
    broken = Object.new
    def broken.normal = Geom::Vector3d.new(0, 0, 1)
    def broken.outer_loop = raise(TypeError, 'no loop')
    normals = G::OutwardNormals.new([FakeRoom.new(faces + [FakeRoomFace.new(face: broken, reference: 7)])])
    assert_equal ['room 1 face 2: turned into its room by the road; turned out'], normals.turned
    assert_equal ['room 1 face 7: its outline cannot be read (no loop); left out'], normals.unread
    assert_equal [[0, 0, -1], [0, 0, 1], [0, -1, 0], [0, 1, 0], [-1, 0, 0], [1, 0, 0]],
                 faces.map { |f| normals[f].map { |c| c.round(6) + 0 } }
  end

  # A box the grid cannot hold in a few cells (huge, or not finite, as a
  # fuzzed building has) is near every box; the others only near theirs.
  def test_box_grid_holds_huge_and_broken_boxes_apart
    grid = G::BoxGrid.new(4.0)
    grid.add(:small, [[0, 1], [0, 1], [0, 1]])
    grid.add(:far, [[100, 101], [0, 1], [0, 1]])
    grid.add(:huge, [[-1e300, 1e300], [0, 1], [0, 1]])
    grid.add(:broken, [[Float::NAN, 1], [0, 1], [0, 1]])
    assert_equal %i[huge broken small], grid.near([[0.5, 0.6], [0.5, 0.6], [0.5, 0.6]])
    assert_equal %i[small far huge broken], grid.near([[0, Float::INFINITY], [0, 1], [0, 1]])
  end

  # [a, b] => areas of what they share, and of the pieces left of a (a
  # ring left round a hole comes in convex pieces).
  CLIPS = {
    'apart' => [[[0, 0, 2, 2], [3, 0, 5, 2]], [], [4.0]],
    'within' => [[[0, 0, 4, 3], [1, 1, 2, 2]], [1.0], [1.0, 3.0, 3.0, 4.0]],
    'across' => [[[0, 0, 4, 3], [1, -1, 2, 5]], [3.0], [3.0, 6.0]],
    'same' => [[[0, 0, 4, 3], [0, 0, 4, 3]], [12.0], []],
    'a sliver thinner than the tolerance' => [[[0, 0, 4, 3.0005], [0, 0, 4, 3]], [12.0], []]
  }.freeze

  def test_loops_on_one_plane_cut_into_shared_and_left_parts
    up = [0.0, 0.0, 1.0]
    rect = ->((x0, y0, x1, y1)) { [[x0, y0, 0.0], [x1, y0, 0.0], [x1, y1, 0.0], [x0, y1, 0.0]] }
    area = ->(pieces) { pieces.map { |p| G::PlaneGeometry.area(p).round(6) }.sort }
    CLIPS.each do |label, ((a, b), shared, left)|
      assert_equal shared, area.(G::PlaneClip.intersection(rect.(a), rect.(b), up)), label
      assert_equal left, area.(G::PlaneClip.difference(rect.(a), [rect.(b)], up)), label
    end
    # An L (a 4 x 4 square less its 2 x 2 corner) against the whole square:
    # the corner is left, in one piece.
    l_shape = [[0, 0, 0], [4, 0, 0], [4, 2, 0], [2, 2, 0], [2, 4, 0], [0, 4, 0]].map { |p| p.map(&:to_f) }
    assert_equal [4.0], area.(G::PlaneClip.difference(rect.([0, 0, 4, 4]), [l_shape], up))
    assert_equal 12.0, area.(G::PlaneClip.intersection(l_shape, rect.([-1, -1, 5, 5]), up)).sum
  end
end

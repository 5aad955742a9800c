require_relative '../test_helper'
require_relative '../support/room_builder'
require_relative '../support/walls_builder'

# Small scenes at the edges of what the indexed road may rule out or decide
# on its own, each worked by hand and run on both roads: a grid reach, a
# slab margin, a tie, a limit and a plane's offset that, got wrong, change
# a result.
class PairMarginsTest < QORTest::Case
  include QORTest::RoomBuilder
  include QORTest::WallsBuilder

  def teardown
    QORPlugin.plain_road = false
    super
  end

  def on_both_roads(&block)
    [true, false].map { |plain| QORPlugin.on_road(plain, &block) }
  end

  # A 10 m wall and, near its far end, a short face tilted 10 degrees whose
  # plane passes 6 inches from the wall's centroid (within the 12-inch
  # limit) and whose centroid lands on the wall: the first pass pairs the
  # wall with it.  A grid that reached only as far as a wall's thickness,
  # not its own size, from the wall's centroid would miss the short face,
  # 180 inches along.
  def test_short_tilted_face_at_the_far_end_of_a_long_wall
    answers = on_both_roads do
      @model = fresh_model
      QORPlugin.prepare(@model)
      $maxWallThickness = 12.0
      wall = face([0, 0, 0], [394, 0, 0], [394, 0, 96], [0, 0, 96])
      tilt = 10 * Math::PI / 180
      start = [370, 6 + (370 - 197) * Math.tan(tilt)]
      stop = [start[0] + 20 * Math.cos(tilt), start[1] + 20 * Math.sin(tilt)]
      short = face([start[0], start[1], 0], [start[0], start[1], 96], [stop[0], stop[1], 96], [stop[0], stop[1], 0])
      rooms = [new_room([wall], number: 1), new_room([short], number: 2)]
      rooms.each do |room|
        room.intermediatePlanes = []
        room.roomFaces.each do |rf|
          rf.outerShellType = 1
          rf.outerShellPlane = rf.face.plane
          rf.oppositeRoomFaces = []
          rf.intermediatePlanes = []
        end
      end
      QORTA.setRoomsIntermediatePlanes(rooms)
      # The first pass gives the wall's room a plane; the second, which
      # would pair the two anyway, gives rooms none.
      [rooms[0].roomFaces.first.oppositeRoomFaces.map { |o| o.room.equal?(rooms[1]) }, rooms[0].intermediatePlanes.length]
    end
    assert_equal [[[true], 1]] * 2, answers
  end

  # An outline of 128 corners from y = 0 to 64 has its slabs half an inch
  # apart; the tip of a spike pointing down lies exactly on the boundary
  # y = 32, the lowest point of both its edges.  A triangle's corner 0.0005
  # inch below the tip is on the outline's border (the host says so), and
  # the overlap walk must meet it there on both roads.
  def test_corner_just_past_a_spike_tip_on_a_slab_boundary
    outline = [[0, 0], [20, 0], [20, 40], [40, 40], [48, 32], [56, 40], [64, 40], [64, 64]]
    outline << [64 - 64.0 * (outline.length - 7) / 121, 64] while outline.length < 127
    outline << [0, 64]
    triangle = [[40, 50], [48, 31.9995], [56, 50]]
    pts = ->(poly) { poly.map { |x, y| Geom::Point3d.new(x, y, 0) } }
    assert_equal 128, outline.length
    assert Geom.point_in_polygon_3D(pts[[triangle[1]]][0], pts[outline], true)
    answers = on_both_roads do
      [QORTA.getIntersectionPointsOfPolygons(pts[outline], pts[triangle]).map { |e| e[0, 3] },
       QORTA.getIntersectionPointsOfPolygons(pts[triangle], pts[outline]).map { |e| e[0, 3] }]
    end
    assert_equal answers[0], answers[1]
  end

  def wall(y, out, x0: 0, x1: 10)
    corners = [[x0, y, 0], [x1, y, 0], [x1, y, 10], [x0, y, 10]]
    corners.reverse! if out == :pos
    room_face(face(*corners)).tap { |rf| rf.normalDirectionIn = false }
  end

  def walled_room(*room_faces)
    room_of(*room_faces).tap do |r|
      r.centroid = [5, 0, 5]
      r.radius = 100.0
      r.exteriorOuterShell = false
    end
  end

  # Two faces 8 inches in front of s, one across a wall (type 2), one the
  # same way round (type 0): at equal distances the lower face number, the
  # one the all-pairs loop meets first, decides.
  def test_equal_distances_in_the_pass_go_to_the_lower_face_number
    [[%i[across same_way], 2], [%i[same_way across], 0]].each do |order, type|
      answers = on_both_roads do
        s = wall(0, :pos)
        others = { across: wall(8, :neg, x1: 5), same_way: wall(8, :pos, x0: 5) }
        rooms = [walled_room(s)] + order.map { |k| walled_room(others[k]) }
        QORTA.setRoomsFacesOuterShellType(rooms, 3)
        s.outerShellType
      end
      assert_equal [type, type], answers, order.inspect
    end
  end

  # Walls across which both faces see another room (type 2).  A face whose
  # centroid lies exactly $maxWallThickness from the other face's plane is
  # within the limit: the first pass pairs them and gives room 1 the mid
  # plane x = 106; 0.01 inch farther only the second pass pairs them, and
  # it gives rooms no planes.
  def test_the_wall_thickness_limit_is_inclusive
    { 12.0 => [[1.0, 0.0, 0.0, -106.0]], 12.01 => [] }.each do |gap, planes|
      answers = on_both_roads do
        @model = fresh_model
        QORPlugin.prepare(@model)
        $maxWallThickness = 12.0
        r1 = new_room(box(0, 0, 0, 100, 100, 96), number: 1)
        r2 = new_room(box(100 + gap, 0, 0, 200 + gap, 100, 96), number: 2)
        [r1, r2].each do |room|
          room.intermediatePlanes = []
          room.roomFaces.each do |rf|
            rf.outerShellType = 1
            rf.outerShellPlane = rf.face.plane
            rf.oppositeRoomFaces = []
            rf.intermediatePlanes = []
          end
        end
        r1.roomFaces[3].outerShellType = r2.roomFaces[5].outerShellType = 2
        QORTA.setRoomsIntermediatePlanes([r1, r2])
        r1.intermediatePlanes.map { |p| p.map { |c| c.round(9) } }
      end
      assert_equal [planes, planes], answers, "gap #{gap}"
    end
  end

  # Faces ordered round the z axis through (0, 0, 50): their centroids
  # projected onto the plane [origin, axis], at z = 50.  With the plane's
  # offset taken with the wrong sign they would land at z = -50 and the
  # small face at 100 degrees would sort before the large one at 80.
  def test_plane_given_as_point_and_vector_orders_round_its_own_height
    square = lambda do |cx, cy, half|
      room_face(face([cx - half, cy - half, 0], [cx + half, cy - half, 0], [cx + half, cy + half, 0],
                     [cx - half, cy + half, 0]))
    end
    at = ->(r, deg) { [r * Math.cos(deg * Math::PI / 180), r * Math.sin(deg * Math::PI / 180)] }
    answers = on_both_roads do
      first = square.call(10, 0, 1)
      small = square.call(*at.call(1.5, 100), 0.25)
      large = square.call(*at.call(100, 80), 1)
      ordered = QORTA.orderFacesRoundNormal([first, small, large], Geom::Vector3d.new(0, 0, 1), Geom::Point3d.new(0, 0, 50))
      ordered.map { |f| { first => :first, small => :small, large => :large }[f] }
    end
    assert_equal [%i[first large small]] * 2, answers
  end
end

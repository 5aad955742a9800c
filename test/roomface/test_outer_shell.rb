require_relative '../test_helper'
require_relative '../support/walls_builder'

# Walls parallel to the plane y = 0, 10 x 10 inches unless told, in rooms
# whose spheres all touch.  `out` is the way the wall's normal points out of
# its room: :pos (+y) or :neg (-y).
class OuterShellTypeTest < QORTest::Case
  include QORTest::WallsBuilder

  def wall(y, out, x0: 0, x1: 10)
    corners = [[x0, y, 0], [x1, y, 0], [x1, y, 10], [x0, y, 10]]
    corners.reverse! if out == :pos
    room_face(face(*corners)).tap { |rf| rf.normalDirectionIn = false }
  end

  # A room of the room faces, centred near the origin, reaching everything.
  def room(*room_faces, centre: [5, 0, 5], radius: 100.0, exterior: false)
    r = room_of(*room_faces)
    r.centroid = centre
    r.radius = radius
    r.exteriorOuterShell = exterior
    r
  end

  def classify(rf, rooms)
    [rf.setOuterShellType(rooms), rf.outerShellType]
  end

  def test_facing_faces_of_other_rooms
    s = wall(0, :pos)
    # [other face, expected result, expected type]
    cases = [
      [wall(8, :neg), 8.0, 2],                     # across an 8-inch wall
      [wall(0, :neg, x0: 1, x1: 9), 0.0, 1],       # distinct, coincident
      [wall(8, :pos, x0: 2), 8.0, 0],              # same way, in front: outer shell
      [wall(-8, :pos), 8.0, 1],                    # same way, behind
      [wall(0, :pos, x0: 2, x1: 8), 0.0, 1]        # same way, coincident
    ]
    cases.each do |other, distance, type|
      rooms = [room(s), room(other)]
      result, got = classify(s, rooms)
      assert_equal [distance, type], [result, got], "other at #{other.face.plane.inspect}"
      assert_kind_of Float, result
    end
  end

  def test_no_facing_face
    s = wall(0, :pos)
    side = room_face(face([0, 0, 0], [0, 10, 0], [0, 10, 10], [0, 0, 10]))
    tilt = Math::PI / 12 # 15 degrees: |cos| 0.966 < 0.97
    turned = room_face(face(*[[0, 8, 0], [10, 8, 0], [10, 8, 10], [0, 8, 10]].map do |x, y, z|
      [x * Math.cos(tilt), 8 + x * Math.sin(tilt), z]
    end))
    [side, turned].each { |rf| rf.normalDirectionIn = false }
    far = wall(8, :neg)
    cases = {
      'perpendicular' => -> { [room(s, side)] },
      'tilted 15 degrees' => -> { [room(s), room(turned)] },
      'spheres apart' => -> { [room(s, radius: 1.0), room(far, centre: [5, 100, 5], radius: 1.0)] },
      'exterior room' => -> { [room(s), room(far, exterior: true)] },
      'the face itself in another room' => -> { [room(s), room(room_face(s.face))] }
    }
    cases.each do |label, rooms|
      s.outerShellType = 0
      assert_equal [-1, 1], classify(s, rooms.call), label
    end
  end

  def test_doors_and_slabs_never_face_but_are_classified
    %w[TrueDoor Slab].each do |key|
      s = wall(0, :pos)
      marked = wall(8, :neg)
      mark(marked.face, key)
      assert_equal [-1, 1], classify(s, [room(s), room(marked)]), key
      # The marked face itself still finds what faces it.
      assert_equal [8.0, 2], classify(marked, [room(s), room(marked)]), key
    end
  end

  def test_own_room_face_nearer_than_a_wall_is_an_incursion
    [[0.1, true], [0.6, false]].each do |gap, incursion|
      $maxWallThickness = 0.5
      s = wall(0, :pos)
      fin = wall(gap, :neg)
      result, type = classify(s, [room(s, fin)])
      assert_in_delta gap, result, 1e-9
      assert_equal [1, incursion], [type, s.incursionFace], "gap #{gap}"
    end
  end

  def test_equal_distances_keep_the_first_met
    s = wall(0, :pos)
    across = wall(8, :neg, x1: 5)    # another room, facing: type 2
    same_way = wall(8, :pos, x0: 5)  # same orientation in front: type 0
    assert_equal 2, classify(s, [room(s), room(across), room(same_way)]).last
    assert_equal 0, classify(s, [room(s), room(same_way), room(across)]).last
    # Faces of one room in their order too.
    assert_equal 0, classify(s, [room(s), room(same_way, across)]).last
    # A strictly nearer face replaces the first.
    nearer = wall(6, :neg, x1: 5)
    assert_equal [6.0, 2], classify(s, [room(s), room(same_way, nearer)])
  end

  def test_pass_resets_classifies_and_reports_progress
    a1, a2, b1 = wall(0, :pos), wall(-10, :neg), wall(8, :neg)
    rooms = [room(a1, a2), room(b1)]
    stale = Object.new
    a1.oppositeRoomFaces = [stale]
    a1.intermediatePlanes = [[0, 1, 0, -4]]
    a1.outerShellPlane = [0, 1, 0, -4]
    b1.outerShellRoomFaces = [stale]
    $class_ProgressBar2 = QORPlugin::Progress.new(out: StringIO.new)

    assert_same true, QORTA.setRoomsFacesOuterShellType(rooms, 7)
    assert_equal [7, 5], $class_ProgressBar2.values
    assert_equal [2, 1, 2], [a1, a2, b1].map(&:outerShellType)
    [a1, a2, b1].each do |rf|
      assert_equal rf.face.plane, rf.outerShellPlane
      %i[intermediatePlanes outerShellFaces outerShellRoomFaces oppositeRoomFaces projectedDoors].each do |v|
        assert_equal [], rf.send(v), v
      end
    end
    refute_same a1.oppositeRoomFaces, b1.oppositeRoomFaces
  end
end

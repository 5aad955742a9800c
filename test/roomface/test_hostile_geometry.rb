require_relative '../test_helper'
require_relative '../support/roomface_builder'

# Geometry drawn to make construction explode: many faces round one door
# notch, outlines of thousands of vertices.  Cost is counted in host calls.
class RoomFaceHostileGeometryTest < QORTest::Case
  include QORTest::RoomFaceBuilder

  DOOR = [[1, 0, 0], [2, 0, 0], [2, 0, 2], [1, 0, 2]].freeze

  # k faces in the plane y = 0, each with the door's notch in its outline:
  # each is a frame candidate of every other.
  def faces_round_one_notch(k)
    (0...k).map do |i|
      face([0, 0, 0], [1, 0, 0], [1, 0, 2], [2, 0, 2], [2, 0, 0], [3 + i, 0, 0], [3 + i, 0, -1 - i],
           [0, 0, -1 - i])
    end
  end

  def test_faces_sharing_one_notch_list_the_door_once
    faces = faces_round_one_notch(6)
    the_door = door(*DOOR)
    prepare_room([the_door])
    faces.each do |f|
      rf = room_face(f)
      assert_equal [the_door], rf.doors
      assert_equal [the_door], rf.doorFrames
    end
  end

  # Calls of Edge#start and Edge#end while the block runs.
  def edge_end_calls
    calls = 0
    counter = Module.new { %i[start end].each { |m| define_method(m) { calls += 1; super() } } }
    Sketchup::Edge.prepend(counter)
    yield
    calls
  ensure
    counter.send(:remove_method, :start, :end)
  end

  def test_long_outlines_cost_a_few_host_calls_per_vertex
    n = 400
    ring = (0...n).map { |i| a = 2 * Math::PI * i / n; [100 * Math.cos(a), 100 * Math.sin(a), 0] }
    polygon = face(*ring)
    prepare_room
    rf = nil
    calls = edge_end_calls { rf = room_face(polygon) }
    assert_equal n, rf.faceVertices.length
    assert_equal n, rf.faceVertices.uniq.length
    assert_operator calls, :<, 20 * n, 'edge ends are read once per chain, not once per sweep'
  end

  def test_door_frames_nested_beyond_the_limit_raise_instead_of_overflowing
    # Each face frames the next one's door: a chain of 70 frames.
    $chain = (0...70).map { |i| face([10 * i, 0, 0], [10 * i + 5, 0, 0], [10 * i + 5, 0, 5], [10 * i, 0, 5], [10 * i, 0, 2.5]) }
    $chain_doors = $chain.each_cons(2).map { |_, b| QORPlugin::Door.new(b.vertices.first(4), b) }
    prepare_room
    $modelFaces2 = $chain
    @model.define_singleton_method(:findDoors2) do |_vertices, f|
      i = $chain.index(f)
      i && i + 1 < $chain.length ? [$chain_doors[i]] : []
    end
    error = assert_raises(RuntimeError) { room_face($chain[0]) }
    assert_match(/nested more than 64 deep/, error.message)
  end
end

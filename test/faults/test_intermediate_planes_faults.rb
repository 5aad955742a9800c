require_relative '../test_helper'
require_relative '../support/room_builder'
require_relative '../support/fault_injection'

# A host or plug-in call that fails while faces are paired across a 14-inch
# wall (both passes run): the very exception reaches the script, and no face
# is left with the temporary type the second pass gives a face while it
# computes its plane.
class IntermediatePlanesFaultTest < QORTest::Case
  include QORTest::RoomBuilder

  Injection = QORTest::FaultInjection

  # Notes the call count each time the pass asks a face for its plane.
  module PlaneCalls
    class << self
      attr_accessor :counts
    end

    def getIntermediatePlane(other)
      PlaneCalls.counts&.push(Injection.count)
      super
    end
  end
  QORTA::QORTA_RoomFace.prepend(PlaneCalls)

  def setup
    super
    Injection.install!
  end

  def classified_rooms
    @model = fresh_model
    QORPlugin.prepare(@model, building: @building = QORPlugin::Building.new)
    $maxWallThickness = 12.0
    rooms = [new_room(box(0, 0, 0, 100, 100, 96), number: 1),
             new_room(box(114, 0, 0, 214, 100, 96), number: 2)]
    rooms.each do |room|
      room.intermediatePlanes = []
      room.roomFaces.each do |rf|
        rf.outerShellType = 2
        rf.oppositeRoomFaces = []
        rf.intermediatePlanes = []
      end
    end
  end

  # Calls failing at every point of the plane computations, and at a spread
  # of points over the whole pass (every call would take too long).
  def calls_to_fail
    rooms = classified_rooms
    PlaneCalls.counts = []
    total = Injection.run(nil) { QORTA.setRoomsIntermediatePlanes(rooms) }
    starts = PlaneCalls.counts
    PlaneCalls.counts = nil
    assert_equal 2, starts.length # the two faces of the wall, second pass
    inside_planes = starts.flat_map { |s| (s + 1..s + 40).to_a }
    (inside_planes + (1..total).step(total / 200).to_a + [total]).uniq.select { |k| k <= total }
  end

  no_gc_stress :test_failure_anywhere_reaches_the_caller

  def test_failure_anywhere_reaches_the_caller
    failures = []
    calls_to_fail.each do |k|
      rooms = classified_rooms
      begin
        Injection.run(k) { QORTA.setRoomsIntermediatePlanes(rooms) }
        failures << "call #{k}: no exception"
      rescue QORTest::FaultInjection::Injected => e
        failures << "call #{k}: another exception" unless e.equal?(Injection.last_raised)
      end
      types = rooms.flat_map { |r| r.roomFaces.map(&:outerShellType) }.uniq
      failures << "call #{k}: types #{types}" unless types == [2]
    end
    assert_empty failures
    # Still working after all that.
    rooms = classified_rooms
    QORTA.setRoomsIntermediatePlanes(rooms)
    assert_equal [rooms[1].roomFaces[5]], rooms[0].roomFaces[3].oppositeRoomFaces
  end
end

require_relative '../test_helper'
require_relative '../support/two_rooms_builder'
require_relative '../support/fault_injection'

# A host or plug-in call failing anywhere in the outer-shell pass or in
# building the faces across the wall reaches the script unchanged.
class OuterShellFaultTest < QORTest::Case
  include QORTest::TwoRoomsBuilder

  Injection = QORTest::FaultInjection

  def setup
    super
    Injection.install!
    @rooms = draw_two_rooms
    $class_ProgressBar2 = QORPlugin::Progress.new(out: StringIO.new)
  end

  # The pass resets every face, so it can run again on the same rooms.
  def pass
    a, b = @rooms
    lambda do
      QORTA.setRoomsFacesOuterShellType(@rooms, 12)
      wall_a, wall_b = a.roomFaces[3], b.roomFaces[5]
      [[wall_a, wall_b], [wall_b, wall_a]].each do |x, y|
        x.oppositeRoomFaces << y
        x.intermediatePlanes << [1.0, 0.0, 0.0, -104.0]
      end
      QORPlugin::OuterShell.build_faces(@rooms)
    end
  end

  no_gc_stress :test_failure_at_sampled_calls_reaches_the_caller

  def test_failure_at_sampled_calls_reaches_the_caller
    total = Injection.run(nil, &pass)
    assert_operator total, :>, 500
    # Every call of the first room's walls, then a spread over the rest.
    points = (1..300).to_a + (301..total).step([total / 300, 1].max).to_a + [total]
    failures = points.uniq.filter_map do |k|
      Injection.run(k, &pass)
      "call #{k}: no exception"
    rescue QORTest::FaultInjection::Injected => e
      "call #{k}: another exception" unless e.equal?(Injection.last_raised)
    end
    assert_empty failures
    # Still working, with the same answers.
    assert_equal total, Injection.run(nil, &pass)
    assert_equal 1, @rooms[0].roomFaces[3].outerShellRoomFaces.length
  end
end

require_relative '../test_helper'
require_relative '../support/room_builder'
require_relative '../support/office_builder'
require_relative '../support/fault_injection'

# Every host or plug-in call the extension makes during a room's road can
# fail.  Whichever fails, the very exception reaches the script, nothing
# crashes, and the extension keeps working.
class InjectedExceptionTest < QORTest::Case
  include QORTest::RoomBuilder
  include QORTest::OfficeBuilder

  Injection = QORTest::FaultInjection

  def setup
    super
    Injection.install!
  end

  def road
    faces = draw_office
    lambda do
      room = QORTA::QORTA_Room.new(@building, 1, faces, true)
      room.setText('Office')
      QORTA.getRoomsRadii([room])
      room.select(true)
      room.select(false)
      room.to_s
      # Thin walls: the room's own faces are written, with all their openings.
      $thinWalls = 1
      room.levelText = 'Ground'
      room.getSpaceElement(1)
    end
  end

  no_gc_stress :test_failure_at_every_call_reaches_the_caller

  def test_failure_at_every_call_reaches_the_caller
    total = Injection.run(nil, &road)
    assert_operator total, :>, 100
    failures = []
    (1..total).each do |k|
      @model = fresh_model
      step = road
      begin
        Injection.run(k, &step)
        failures << "call #{k}: no exception"
      rescue QORTest::FaultInjection::Injected => e
        failures << "call #{k}: another exception object" unless e.equal?(Injection.last_raised)
        failures << "call #{k}: message changed" unless e.message.start_with?("injected failure at call #{k}:")
      end
      # Only a failing commit may leave its operation open: the host itself
      # failed to close it.
      unless Injection.last_raised&.message&.end_with?('#commit_operation')
        assert_nil @model.active_operation, "call #{k} left an operation open"
      end
    end
    assert_empty failures
    # Still working after all that.
    @model = fresh_model
    assert_equal total, Injection.run(nil, &road)
  end
end

require_relative '../test_helper'
require_relative '../support/office_builder'
require_relative '../support/fault_injection'

# Every host call that capture and restore make can fail.  Whichever
# fails, the very exception reaches the script, nothing crashes and no
# operation is left open.
class SnapshotFaultTest < QORTest::Case
  include QORTest::OfficeBuilder

  Injection = QORTest::FaultInjection

  def setup
    super
    Injection.install!
  end

  def road
    faces = draw_office
    faces[0].set_attribute('OwnerGroup', 'Id', 3)
    edge = faces[2].edges.first
    edge.set_attribute('E', 'k', 1)
    lambda do
      dumps = faces.map { |f| QORTA::QORTA_FaceDump.new(f) }
      dumps.each(&:toXML)
      edge_dump = QORTA::QORTA_EdgeDump.new(edge)
      @model.entities.erase_entities(faces[0], faces[3])
      dumps[0].restore
      dumps[3].restore
      @model.start_operation('edge')
      edge_dump.restore
      @model.commit_operation
    end
  end

  no_gc_stress :test_failure_at_every_call_reaches_the_caller

  def test_failure_at_every_call_reaches_the_caller
    total = Injection.run(nil, &road)
    assert_operator total, :>, 100
    failures = []
    (1..total).each do |k|
      @model = fresh_model
      QORPlugin.prepare(@model)
      step = road
      begin
        Injection.run(k, &step)
        failures << "call #{k}: no exception"
      rescue QORTest::FaultInjection::Injected => e
        failures << "call #{k}: another exception object" unless e.equal?(Injection.last_raised)
      end
      # The test's own edge operation is left open by the failure: close it.
      @model.abort_operation if @model.active_operation == 'edge'
      next if Injection.last_raised&.message&.end_with?('#commit_operation')
      failures << "call #{k}: operation left open" if @model.active_operation
    end
    assert_empty failures
  end
end

require_relative '../test_helper'
require 'set'
require_relative '../support/fault_sweep'
require File.join(ROOT, 'code/Sketchup/Plugin/building_file')
require File.join(ROOT, 'code/Sketchup/Plugin/room_export')

# Every counted host or plug-in call of a whole export of a small building
# (a room with a window and a door, its neighbour across a thick wall: rooms,
# labels, radii, outer-shell pass, wall planes, outer-shell faces, Space
# elements) fails in turn, once by raising and once by throwing.  Each time
# the very exception or throw reaches the caller and no operation is left
# open; the same building exported afterwards in the same process writes
# the same bytes as a clean run: checked after the first failure of each
# (calling method, called method) pair and after evenly spread others.
#
# QOR_ROAD_FAULT_SAMPLE=n fails only n calls, evenly spread, one after the
# other in this process (the valgrind run uses it: it is that run that
# finds leaks on the failure paths).
class ExportRoadFaultTest < QORTest::Case
  Injection = QORTest::FaultInjection
  BUILDING = File.join(ROOT, 'test', 'fixtures', 'buildings', 'room-and-neighbour.json')
  SPREAD = 100 # re-exports after failures other than a pair's first

  def setup
    super
    Injection.install!
  end

  def export(file)
    QORPlugin::RoomExport.new(file).run.xml
  end

  def building
    QORPlugin::BuildingFile.load(BUILDING)
  end

  no_gc_stress :test_a_raise_at_every_call_reaches_the_caller, :test_a_throw_at_every_call_reaches_its_catch

  def test_a_raise_at_every_call_reaches_the_caller
    sweep(throws: false)
  end

  def test_a_throw_at_every_call_reaches_its_catch
    sweep(throws: true)
  end

  private

  def sweep(throws:)
    @clean = export(building)
    sweep = QORTest::FaultSweep.new(throws: throws)
    sample = ENV['QOR_ROAD_FAULT_SAMPLE'].to_i
    return sweep_sample(sweep, sample, throws) if sample.positive?

    rechecked = recheck_points
    file = building
    started = Process.clock_gettime(Process::CLOCK_MONOTONIC)
    failures = sweep.each_call(-> { export(file) }) do |outcome|
      problems(outcome, file, throws, recheck: rechecked.include?(outcome.call))
    end
    seconds = Process.clock_gettime(Process::CLOCK_MONOTONIC) - started
    warn format('%s: %d calls failed by %s, %d re-exports, %.0f s', name, sweep.calls,
                throws ? 'throwing' : 'raising', rechecked.length, seconds)
    assert_equal sweep.calls, sweep.children, 'a call was not failed'
    assert_empty failures, "#{failures.length} of #{sweep.calls} failed calls:\n#{failures.first(20).join("\n")}"
    assert_equal @clean, export(file), 'the unfailed road wrote other bytes'
    assert_equal @clean, export(building)
  end

  def sweep_sample(sweep, n, throws)
    counted = building # loaded before counting: the load's own calls are no part of the road
    calls = Injection.run(nil) { export(counted) }
    failures = (0...n).filter_map do |i|
      file = building
      outcome = sweep.at(1 + i * calls / n, -> { export(file) })
      problem = problems(outcome, file, throws, recheck: true)
      "call #{outcome.call}: #{problem}" if problem
    end
    assert_empty failures
  end

  def problems(outcome, file, throws, recheck:)
    outcome.changed(throws) || left_open(file, outcome) ||
      (recheck && @clean != export(building) && 'the next export wrote other bytes')
  end

  # Only a failing commit may leave its operation open: the host itself
  # failed to close it.
  def left_open(file, outcome)
    return if outcome.name.end_with?('#commit_operation') || file.model.active_operation.nil?
    "operation #{file.model.active_operation.inspect} left open"
  end

  # The first failure of each (calling method, called method) pair, and
  # SPREAD more, evenly spread.
  def recheck_points
    file = building
    trace = Injection.trace { export(file) }
    firsts = trace.each_with_index.reverse_each.to_h { |pair, i| [pair, i + 1] }.values # earliest wins
    (firsts + (1..trace.length).step([trace.length / SPREAD, 1].max).to_a).to_set
  end
end

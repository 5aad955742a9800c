require_relative '../test_helper'
require_relative '../support/fault_injection'
require File.join(ROOT, 'code/Sketchup/Plugin/building_file')
require File.join(ROOT, 'code/Sketchup/Plugin/room_export')

# A host or plug-in call failing anywhere in a whole export of the two-room
# flat (rooms, labels, radii, outer shell, wall planes, outer-shell faces,
# Space elements), by raising or by throwing: the very exception or throw
# reaches the caller, no operation is left open, and the next export in the
# same process writes the same bytes as a clean one.
#
# A full export makes about 170,000 counted calls, 40,000 of them from the
# extension itself: too many to fail one by one in a test.  The calls
# failed are, for each pair of (extension method, called method), its 1st,
# 4th, 16th, 64th ... occurrence, and 100 calls evenly spread over
# those the plug-in and the modeller make among themselves.
# QOR_ROAD_FAULT_SAMPLE=n keeps n of those, evenly spread (the valgrind run
# uses it: it is that run that finds leaks on the failure paths).
class ExportRoadFaultTest < QORTest::Case
  Injection = QORTest::FaultInjection
  FLAT = File.join(ROOT, 'examples', 'two-room-flat.json')
  SPREAD = 100

  def setup
    super
    Injection.install!
  end

  def export(file)
    QORPlugin::RoomExport.new(file).run.xml
  end

  def flat
    QORPlugin::BuildingFile.load(FLAT)
  end

  def self.extension_methods
    names = QORTA.singleton_methods(false) + ['initialize'] +
            [QORTA::QORTA_Room, QORTA::QORTA_RoomFace].flat_map { |c| c.public_instance_methods(false) }
    names = names.map(&:to_s)
    names.reject { |m| m.end_with?('=') || names.include?("#{m}=") } # not the accessors
  end

  def fault_points
    ours = self.class.extension_methods
    seen = Hash.new(0)
    points = []
    others = []
    file = flat
    Injection.trace { export(file) }.each.with_index(1) do |(caller, called), k|
      next others << k unless ours.include?(caller)
      n = seen[[caller, called]] += 1
      points << k if n.bit_length.odd? && (n & (n - 1)).zero? # 1, 4, 16, 64 ...
    end
    points += others.each_slice([others.length / SPREAD, 1].max).map(&:first)
    sample(points.sort)
  end

  def sample(points)
    n = ENV['QOR_ROAD_FAULT_SAMPLE']&.to_i
    return points unless n&.positive? && n < points.length
    (0...n).map { |i| points[i * points.length / n] }
  end

  # Only a failing commit may leave its operation open: the host itself
  # failed to close it.
  def left_open(file, k)
    return if Injection.failed_call.end_with?('#commit_operation') || file.model.active_operation.nil?
    "call #{k}: operation #{file.model.active_operation.inspect} left open"
  end

  no_gc_stress :test_a_raise_at_any_call_reaches_the_caller, :test_a_throw_at_any_call_reaches_its_catch

  def test_a_raise_at_any_call_reaches_the_caller
    clean = export(flat)
    points = fault_points
    failures = points.filter_map do |k|
      file = flat
      begin
        Injection.run(k) { export(file) }
        next "call #{k}: no exception"
      rescue Injection::Injected => e
        next "call #{k}: another exception object" unless e.equal?(Injection.last_raised)
      end
      left_open(file, k)
    end
    assert_empty failures, "#{failures.length} of #{points.length} failed calls"
    assert_equal clean, export(flat)
  end

  def test_a_throw_at_any_call_reaches_its_catch
    clean = export(flat)
    points = fault_points
    failures = points.filter_map do |k|
      file = flat
      tag = Object.new
      caught = catch(tag) do
        Injection.run(k, throw_to: tag) { export(file) }
        :finished
      end
      next "call #{k}: no throw" if caught == :finished
      next "call #{k}: caught something else" unless caught.equal?(Injection.last_thrown)
      left_open(file, k)
    rescue StandardError => e
      "call #{k}: #{e.class} (#{e.message[0, 80]}) instead of the throw"
    end
    assert_empty failures, "#{failures.length} of #{points.length} failed calls"
    assert_equal clean, export(flat)
  end
end

# Overlap of wall outlines (getIntersectionPointsOfPolygons): wall-clock time
# and objects allocated per call, for the shapes met across walls.  Prints
# figures; asserts nothing.
#   ruby bench/bench_polygon_intersection.rb [calls per shape]
root = File.expand_path('..', __dir__)
require File.join(root, 'code/Sketchup/Headless/sketchup')
require File.join(root, 'code/Sketchup/Plugin/plugin')
require_relative 'command_line'

M = 39.37007874015748 # inches in a metre

# A polygon in the wall plane y = 0 from [x, z] pairs in metres.
def wall(*xzs)
  xzs.map { |x, z| Geom::Point3d.new(x * M, 0, z * M) }
end

def measure(label, count)
  GC.start
  before = GC.stat(:total_allocated_objects)
  t0 = Process.clock_gettime(Process::CLOCK_MONOTONIC)
  entries = nil
  count.times { entries = yield }
  dt = Process.clock_gettime(Process::CLOCK_MONOTONIC) - t0
  objects = GC.stat(:total_allocated_objects) - before
  printf("  %-30s %2d entries  %8.1f ms  %7.3f ms/call  %7.0f objects/call\n",
         label, entries.length, dt * 1000, dt * 1000 / count, objects.to_f / count)
end

calls = QORBench.whole_numbers(ARGV, 'ruby bench/bench_polygon_intersection.rb [calls per shape]', at_most: 1).first || 2000
model = Sketchup.new_model
QORPlugin.prepare(model)

room_wall = wall([0, 0], [4, 0], [4, 2.5], [0, 2.5])
shapes = {
  'same wall both sides' => [room_wall, wall([0, 0], [4, 0], [4, 2.5], [0, 2.5])],
  'shorter wall inside' => [room_wall, wall([1, 0], [3, 0], [3, 2.5], [1, 2.5])],
  'walls overlapping at an end' => [room_wall, wall([3, 0], [7, 0], [7, 2.5], [3, 2.5])],
  'walls of two storeys' => [room_wall, wall([2, 2], [6, 2], [6, 4.5], [2, 4.5])],
  'L-shaped wall over a wall' => [wall([0, 0], [6, 0], [6, 1], [2, 1], [2, 3], [0, 3]), room_wall],
  'walls apart' => [room_wall, wall([5, 0], [9, 0], [9, 2.5], [5, 2.5])]
}

puts "Polygon overlap, #{calls} calls per shape (#{QORModuleLoader.library_name}, Ruby #{RUBY_VERSION})"
shapes.each do |label, (a, b)|
  measure(label, calls) { QORTA.getIntersectionPointsOfPolygons(a, b) }
end

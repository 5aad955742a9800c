# Loading a building file into the headless modeller: separate box rooms
# (six faces each, a window in one wall), so that nothing but the number of
# faces grows.  Prints the load time per count (wall clock, and processor
# time, which a busy machine disturbs less) and the growth exponent.
#   ruby bench/bench_building_load.rb [rooms...]   (default 250 1000 4000)
root = File.expand_path('..', __dir__)
require File.join(root, 'code/Sketchup/Headless/sketchup')
require File.join(root, 'code/Sketchup/Plugin/plugin')
require File.join(root, 'code/Sketchup/Plugin/building_file')
require 'json'
require_relative 'command_line'

USAGE = 'ruby bench/bench_building_load.rb [rooms...]'.freeze
counts = QORBench.whole_numbers(ARGV, USAGE, at_most: 6)
counts = [250, 1000, 4000] if counts.empty?

# n boxes of 4 x 3 x 2.5 m, 6 m apart on a square grid.
def boxes(n)
  vertices = {}
  faces = []
  rooms = []
  side = Math.sqrt(n).ceil
  n.times do |i|
    x = (i % side) * 6.0
    y = (i / side) * 6.0
    corner = ->(dx, dy, z) { vertices["v#{vertices.length + 1}"] = [x + dx, y + dy, z]; "v#{vertices.length}" }
    b = [[0, 0], [4, 0], [4, 3], [0, 3]].map { |dx, dy| corner[dx, dy, 0.0] }
    t = [[0, 0], [4, 0], [4, 3], [0, 3]].map { |dx, dy| corner[dx, dy, 2.5] }
    w = [[1, 1], [3, 1], [3, 2], [1, 2]].map { |dx, z| corner[dx, 0, z] }
    ids = %w[floor roof south east north west].map { |k| "r#{i}-#{k}" }
    faces << { 'id' => ids[0], 'outer' => b.reverse } << { 'id' => ids[1], 'outer' => t }
    faces << { 'id' => ids[2], 'outer' => [b[0], b[1], t[1], t[0]], 'holes' => [w] }
    faces << { 'id' => ids[3], 'outer' => [b[1], b[2], t[2], t[1]] }
    faces << { 'id' => ids[4], 'outer' => [b[2], b[3], t[3], t[2]] }
    faces << { 'id' => ids[5], 'outer' => [b[3], b[0], t[0], t[3]] }
    rooms << { 'id' => "r#{i}", 'name' => "Room #{i}", 'faces' => ids }
  end
  JSON.generate('units' => 'm', 'vertices' => vertices, 'faces' => faces, 'rooms' => rooms)
end

puts "Building-file load (Ruby #{RUBY_VERSION}): separate box rooms"
times = counts.map do |n|
  text = boxes(n)
  t0 = Process.clock_gettime(Process::CLOCK_MONOTONIC)
  c0 = Process.clock_gettime(Process::CLOCK_PROCESS_CPUTIME_ID)
  QORPlugin::BuildingFile.new(text, 'boxes.json')
  seconds = Process.clock_gettime(Process::CLOCK_MONOTONIC) - t0
  cpu = Process.clock_gettime(Process::CLOCK_PROCESS_CPUTIME_ID) - c0
  printf("  %6d rooms (%6d faces): %7.2f s (%.2f s of processor time)\n", n, n * 6, seconds, cpu)
  seconds
end
if counts.length > 1
  printf("  growth exponent %d to %d rooms: %.2f\n", counts.first, counts.last,
         Math.log(times.last / times.first) / Math.log(counts.last.to_f / counts.first))
end

# Room construction, labels and radii on generated buildings: wall-clock
# time, objects allocated and resident memory.  Prints figures; asserts
# nothing.
#   ruby bench/bench_rooms.rb [columns rows storeys]
root = File.expand_path('..', __dir__)
require File.join(root, 'code/Sketchup/Headless/sketchup')
require File.join(root, 'code/Sketchup/Plugin/plugin')
require_relative 'building_generator'
require_relative 'command_line'

def rss_kib
  File.read('/proc/self/status')[/VmRSS:\s+(\d+)/, 1].to_i
end

def measure(label, count, unit)
  GC.start
  before = GC.stat(:total_allocated_objects)
  t0 = Process.clock_gettime(Process::CLOCK_MONOTONIC)
  yield
  dt = Process.clock_gettime(Process::CLOCK_MONOTONIC) - t0
  objects = GC.stat(:total_allocated_objects) - before
  printf("  %-22s %8.1f ms  %8.3f ms/%s  %9d objects  %7.0f objects/%s\n",
         label, dt * 1000, dt * 1000 / count, unit, objects, objects.to_f / count, unit)
end

args = QORBench.whole_numbers(ARGV, 'ruby bench/bench_rooms.rb [columns rows storeys]', at_most: 3)
abort 'usage: ruby bench/bench_rooms.rb [columns rows storeys]' unless [0, 3].include?(args.length)
sizes = args.empty? ? [[2, 2, 1], [5, 4, 2], [10, 10, 2]] : [args]
puts "Room road on generated buildings (#{QORModuleLoader.library_name}, Ruby #{RUBY_VERSION})"
sizes.each do |columns, rows, storeys|
  model = Sketchup.new_model
  gen = QORBench::BuildingGenerator.new(model, rooms: columns * rows * storeys, storeys: storeys).generate
  building = QORPlugin::Building.new(doors: gen.doors)
  QORPlugin.prepare(model, building: building)
  n = gen.rooms_faces.length
  faces = gen.rooms_faces.sum(&:length)
  puts "#{columns} x #{rows} x #{storeys}: #{n} rooms, #{faces} faces, #{model.entities.count} entities"
  rooms = nil
  rss0 = rss_kib
  measure('QORTA_Room.new', faces, 'face') do
    rooms = gen.rooms_faces.each_with_index.map { |f, i| QORTA::QORTA_Room.new(building, i + 1, f, true) }
  end
  building.rooms = rooms
  measure('setText', n, 'room') { rooms.each_with_index { |r, i| r.setText("Room #{i + 1}") } }
  measure('getRoomsRadii', n, 'room') { QORTA.getRoomsRadii(rooms) }
  measure('select on/off', n, 'room') { rooms.each { |r| r.select(true); r.select(false) } }
  rooms.each { |r| r.levelText = 'Storey' }
  measure('getSpaceElement', n, 'room') { rooms.each_with_index { |r, i| r.getSpaceElement(i) } }
  # Thin walls: every face looks for itself among the other rooms' faces.
  $thinWalls = 1
  measure('getSpaceElement thin', n, 'room') { rooms.each_with_index { |r, i| r.getSpaceElement(i) } }
  $thinWalls = 0
  puts "  resident memory grew #{rss_kib - rss0} KiB over the rooms"
end

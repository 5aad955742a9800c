# Face snapshots of generated buildings: capture, XML and restore of every
# face, and storey cuts of tall rooms.  Prints figures; asserts nothing.
#   ruby bench/bench_snapshots.rb [columns rows storeys]
root = File.expand_path('..', __dir__)
require File.join(root, 'code/Sketchup/Headless/sketchup')
require File.join(root, 'code/Sketchup/Plugin/plugin')
require_relative 'building_generator'
require_relative 'command_line'

def measure(label, count, unit)
  GC.start
  before = GC.stat(:total_allocated_objects)
  t0 = Process.clock_gettime(Process::CLOCK_MONOTONIC)
  result = yield
  dt = Process.clock_gettime(Process::CLOCK_MONOTONIC) - t0
  objects = GC.stat(:total_allocated_objects) - before
  printf("  %-22s %8.1f ms  %8.3f ms/%s  %9d objects  %7.0f objects/%s\n",
         label, dt * 1000, dt * 1000 / count, unit, objects, objects.to_f / count, unit)
  result
end

usage = 'ruby bench/bench_snapshots.rb [columns rows storeys]'
args = QORBench.whole_numbers(ARGV, usage, at_most: 3)
abort "usage: #{usage}" unless [0, 3].include?(args.length)
sizes = args.empty? ? [[2, 2, 1], [10, 10, 1]] : [args]
puts "Snapshots and storeys on generated buildings (#{QORModuleLoader.library_name}, Ruby #{RUBY_VERSION})"
sizes.each do |columns, rows, storeys|
  model = Sketchup.new_model
  gen = QORBench::BuildingGenerator.new(model, rooms: columns * rows * storeys, storeys: storeys).generate
  building = QORPlugin::Building.new
  QORPlugin.prepare(model, building: building)
  faces = model.entities.grep(Sketchup::Face)
  puts "#{columns} x #{rows} x #{storeys}: #{faces.size} faces, rooms 6.1 m high"
  rooms = gen.rooms_faces.each_with_index.map { |f, i| QORTA::QORTA_Room.new(building, i + 1, f, true) }
  measure('makeFloors 3 m', rooms.size, 'room') { QORPlugin::Storeys.slab_outlines(rooms, 3) }
  dumps = measure('capture', faces.size, 'face') { QORPlugin::Snapshots.capture_faces(model) }
  xml = measure('toXML', faces.size, 'face') { dumps.map(&:toXML).join }
  puts "  #{xml.bytesize} bytes of XML"
  model.entities.erase_entities(faces)
  measure('restore', faces.size, 'face') { QORPlugin::Snapshots.restore_faces(dumps) }
end

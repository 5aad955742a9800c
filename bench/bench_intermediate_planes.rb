# Pairing faces across walls on generated buildings: wall-clock time and
# objects allocated by the two passes.  The faces' outer-shell fields are set
# as a classification leaves them fresh (type 1, own plane, empty lists);
# the work does not depend on the types.  Prints figures; asserts nothing.
#   ruby bench/bench_intermediate_planes.rb [columns rows storeys]
root = File.expand_path('..', __dir__)
require File.join(root, 'code/Sketchup/Headless/sketchup')
require File.join(root, 'code/Sketchup/Plugin/plugin')
require_relative 'building_generator'
require_relative 'command_line'

def classify(rooms)
  rooms.each do |room|
    room.intermediatePlanes = []
    room.roomFaces.each do |rf|
      rf.outerShellType = 1
      rf.outerShellPlane = rf.face.plane
      rf.oppositeRoomFaces = []
      rf.intermediatePlanes = []
    end
  end
end

def time_and_objects
  GC.start
  before = GC.stat(:total_allocated_objects)
  t0 = Process.clock_gettime(Process::CLOCK_MONOTONIC)
  yield
  [Process.clock_gettime(Process::CLOCK_MONOTONIC) - t0, GC.stat(:total_allocated_objects) - before]
end

usage = 'ruby bench/bench_intermediate_planes.rb [columns rows storeys]'
args = QORBench.whole_numbers(ARGV, usage, at_most: 3)
abort "usage: #{usage}" unless [0, 3].include?(args.length)
sizes = args.empty? ? [[2, 1, 1], [2, 2, 1], [3, 3, 1]] : [args]
puts "Intermediate planes on generated buildings (#{QORModuleLoader.library_name}, Ruby #{RUBY_VERSION})"
sizes.each do |columns, rows, storeys|
  model = Sketchup.new_model
  gen = QORBench::BuildingGenerator.new(model, rooms: columns * rows * storeys, storeys: storeys).generate
  building = QORPlugin::Building.new
  QORPlugin.prepare(model, building: building, progress: QORPlugin::Progress.new(out: File.open(File::NULL, 'w')))
  rooms = gen.rooms_faces.each_with_index.map { |f, i| QORTA::QORTA_Room.new(building, i + 1, f, true) }
  building.rooms = rooms
  classify(rooms)
  faces = rooms.sum { |r| r.roomFaces.length }
  dt, objects = time_and_objects { QORTA.setRoomsIntermediatePlanes(rooms) }
  paired = rooms.sum { |r| r.roomFaces.count { |rf| !rf.oppositeRoomFaces.empty? } }
  printf("%d x %d x %d: %3d rooms %4d faces %4d paired  %9.1f ms  %8.3f ms/face  %10d objects\n",
         columns, rows, storeys, rooms.length, faces, paired, dt * 1000, dt * 1000 / faces, objects)
end

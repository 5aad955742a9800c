# The outer-shell pass (classification of every room face) and the faces
# built across walls, on rows of rooms side by side behind 8-inch walls.
# Prints figures; asserts nothing.
#   ruby bench/bench_outer_shell.rb [rooms per row ...]
root = File.expand_path('..', __dir__)
require File.join(root, 'code/Sketchup/Headless/sketchup')
require File.join(root, 'code/Sketchup/Plugin/plugin')
require_relative 'command_line'

def box(entities, x0, x1)
  pt = ->(*a) { a.map { |x, y, z| Geom::Point3d.new(x, y, z) } }
  d, h = 160, 100
  [pt.([x0, 0, 0], [x0, d, 0], [x1, d, 0], [x1, 0, 0]), pt.([x0, 0, h], [x1, 0, h], [x1, d, h], [x0, d, h]),
   pt.([x0, 0, 0], [x1, 0, 0], [x1, 0, h], [x0, 0, h]), pt.([x1, 0, 0], [x1, d, 0], [x1, d, h], [x1, 0, h]),
   pt.([x1, d, 0], [x0, d, 0], [x0, d, h], [x1, d, h]), pt.([x0, d, 0], [x0, 0, 0], [x0, 0, h], [x0, d, h])]
    .map { |points| entities.add_face(points) }
end

def row(count)
  model = Sketchup.new_model
  faces = (0...count).map { |i| box(model.entities, i * 128, i * 128 + 120) }
  building = QORPlugin::Building.new
  QORPlugin.prepare(model, building: building, progress: QORPlugin::Progress.new(out: File.open(File::NULL, 'w')))
  rooms = faces.each_with_index.map { |f, i| QORTA::QORTA_Room.new(building, i + 1, f, true) }
  building.rooms.concat(rooms)
  rooms.each { |r| r.setText("Room #{r.number}") }
  QORTA.getRoomsRadii(rooms)
  rooms
end

def pair_walls(rooms)
  rooms.each_cons(2) do |a, b|
    wa, wb = a.roomFaces[3], b.roomFaces[5]
    plane = [1.0, 0.0, 0.0, -(wa.face.vertices.first.position.x + 4)]
    [[wa, wb], [wb, wa]].each { |x, y| x.oppositeRoomFaces << y; x.intermediatePlanes << plane }
  end
end

def timed
  t0 = Process.clock_gettime(Process::CLOCK_MONOTONIC)
  yield
  (Process.clock_gettime(Process::CLOCK_MONOTONIC) - t0) * 1000
end

args = QORBench.whole_numbers(ARGV, 'ruby bench/bench_outer_shell.rb [rooms...]', at_most: 8)
sizes = args.empty? ? [4, 16, 32] : args
puts "Outer-shell pass (#{QORModuleLoader.library_name}, Ruby #{RUBY_VERSION})"
sizes.each do |n|
  rooms = row(n)
  faces = rooms.sum { |r| r.roomFaces.length }
  pass = timed { QORTA.setRoomsFacesOuterShellType(rooms, faces) }
  pair_walls(rooms)
  built = 0
  build = timed { built = QORPlugin::OuterShell.build_faces(rooms) }
  printf("  %3d rooms %4d faces  classify %8.1f ms (%6.2f ms/face)  build %3d faces %8.1f ms\n",
         n, faces, pass, pass / faces, built, build)
end

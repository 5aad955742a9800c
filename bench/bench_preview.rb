# The HTML preview of generated buildings: generation time, document size
# and objects allocated.  Prints figures; asserts nothing.
#   ruby bench/bench_preview.rb [columns rows storeys]   (default 10 15 2: 300 rooms)
require 'tmpdir'
root = File.expand_path('..', __dir__)
require File.join(root, 'code/Sketchup/Headless/sketchup')
require File.join(root, 'code/Sketchup/Plugin/plugin')
require File.join(root, 'code/Sketchup/Plugin/preview/preview')
require_relative 'building_generator'
require_relative 'command_line'

USAGE = 'ruby bench/bench_preview.rb [columns rows storeys]'.freeze

# The outer-shell fields as the outer-shell and intermediate-plane passes
# set them on a generated grid: walls and slabs between neighbours paired
# on their mid planes (internal), every other face external.  Faces per
# room: floor, ceiling, front, right, back, left, pane.
def classify_grid!(rooms, columns, rows, storeys)
  at = ->(c, r, s) { rooms[(s * rows + r) * columns + c] }
  rooms.flat_map(&:roomFaces).each do |rf|
    rf.outerShellType = 1
    rf.oppositeRoomFaces = []
    rf.intermediatePlanes = []
  end
  pair = lambda do |a, b, axis|
    mid = (a.faceVertexPoints.first.to_a[axis] + b.faceVertexPoints.first.to_a[axis]) / 2.0
    plane = [0.0, 0.0, 0.0, -mid].tap { |p| p[axis] = 1.0 }
    [[a, b], [b, a]].each do |x, y|
      x.outerShellType = 2
      x.oppositeRoomFaces << y
      x.intermediatePlanes << plane
    end
  end
  storeys.times do |s|
    rows.times do |r|
      columns.times do |c|
        room = at.call(c, r, s)
        pair.call(room.roomFaces[3], at.call(c + 1, r, s).roomFaces[5], 0) if c + 1 < columns
        pair.call(room.roomFaces[4], at.call(c, r + 1, s).roomFaces[2], 1) if r + 1 < rows
        pair.call(room.roomFaces[1], at.call(c, r, s + 1).roomFaces[0], 2) if s + 1 < storeys
      end
    end
  end
end

args = QORBench.whole_numbers(ARGV, USAGE, at_most: 3)
abort "usage: #{USAGE}" unless [0, 3].include?(args.length)
columns, rows, storeys = args.empty? ? [10, 15, 2] : args
model = Sketchup.new_model
gen = QORBench::BuildingGenerator.new(model, rooms: columns * rows * storeys, storeys: storeys).generate
building = QORPlugin::Building.new
QORPlugin.prepare(model, building: building)
rooms = gen.rooms_faces.each_with_index.map { |f, i| QORTA::QORTA_Room.new(building, i + 1, f, true) }
building.rooms = rooms
rooms.each_with_index do |room, i|
  room.setText("Room #{i + 1}")
  room.levelText = "Storey #{i / (columns * rows) + 1}"
end
classify_grid!(rooms, columns, rows, storeys)
faces = rooms.sum { |r| r.roomFaces.length }
puts "Preview of a generated building (#{QORModuleLoader.library_name}, Ruby #{RUBY_VERSION})"
puts "#{columns} x #{rows} x #{storeys}: #{rooms.length} rooms, #{faces} room faces"

summary = { 'rooms' => rooms.length }
times = []
html = nil
objects = 0
3.times do
  GC.start
  before = GC.stat(:total_allocated_objects)
  t0 = Process.clock_gettime(Process::CLOCK_MONOTONIC)
  html = QORPlugin::Preview.html(rooms: rooms, summary: summary, title: 'Generated building')
  times << Process.clock_gettime(Process::CLOCK_MONOTONIC) - t0
  objects = GC.stat(:total_allocated_objects) - before
end
write_time = Dir.mktmpdir do |dir|
  t0 = Process.clock_gettime(Process::CLOCK_MONOTONIC)
  QORPlugin::Preview.write(File.join(dir, 'preview.html'), rooms: rooms, summary: summary, title: 'Generated building')
  Process.clock_gettime(Process::CLOCK_MONOTONIC) - t0
end
File.write(ENV['QOR_PREVIEW_OUT'], html) if ENV['QOR_PREVIEW_OUT']
printf("  html        %8.1f ms (best of 3, worst %.1f ms)  %9d objects\n", times.min * 1000, times.max * 1000, objects)
printf("  write       %8.1f ms\n", write_time * 1000)
printf("  document    %8.2f MB  (%d bytes, %.0f bytes/room)\n", html.bytesize / 1e6, html.bytesize,
       html.bytesize.to_f / rooms.length)

# The whole export road on generated buildings, stage by stage: wall time,
# host calls (the headless modeller's public methods, outermost calls only),
# objects allocated and peak resident memory; then the growth exponent of
# total time, and one tiled hall built as a single room.  Prints figures;
# asserts nothing.  A stage the extension does not build yet prints
# "not built" and the road goes on.
#   ruby bench/bench_road.rb [rooms...] [--hall faces] [--plain-hall]
#     rooms        building sizes (default 100 300 1000)
#     --hall n     faces of the single-room hall (default 2000)
#     --plain-hall also build the hall on the plain road (slow: minutes)
root = File.expand_path('..', __dir__)
require File.join(root, 'code/Sketchup/Headless/sketchup')
require File.join(root, 'code/Sketchup/Plugin/plugin')
require_relative 'building_generator'
require_relative 'command_line'

module QORBench
  # Counts calls into the headless modeller; a call made while another is
  # running (the modeller calling itself) is not counted.
  module HostCalls
    class << self
      attr_accessor :count, :counting

      def install!
        return if @installed
        @installed = true
        @count = 0
        @depth = 0
        targets = [Geom::Point3d, Geom::Vector3d, Sketchup::Headless::Coordinates, Sketchup::Face,
                   Sketchup::Loop, Sketchup::Edge, Sketchup::Vertex, Sketchup::Material,
                   Sketchup::Materials, Sketchup::Entities, Sketchup::Text, Geom::BoundingBox,
                   Sketchup::AttributeHost, Sketchup::AttributeDictionary, Sketchup::AttributeDictionaries, Sketchup::Entity]
        targets.each { |t| wrap(t, t.public_instance_methods(false)) }
        wrap(Sketchup::Model, Sketchup::Model.public_instance_methods(false) -
                              QORPlugin::ModelMethods.public_instance_methods(false))
        wrap(Geom.singleton_class, Geom.singleton_methods(false))
      end

      def enter
        @count += 1 if @counting && @depth.zero?
        @depth += 1
      end

      def leave
        @depth -= 1
      end

      private

      def wrap(target, methods)
        target.prepend(Module.new do
          methods.each do |m|
            define_method(m) do |*args, &block|
              HostCalls.enter
              begin
                super(*args, &block)
              ensure
                HostCalls.leave
              end
            end
          end
        end)
      end
    end
  end

  class Road
    Stage = Struct.new(:name, :seconds, :calls, :objects, :peak_kib, :built)

    def initialize(rooms, seed: 1, count_calls: false)
      @size = rooms
      @seed = seed
      @count_calls = count_calls
    end

    attr_reader :faces

    def run
      model = Sketchup.new_model
      gen = BuildingGenerator.new(model, rooms: @size, seed: @seed).generate
      building = QORPlugin::Building.new(doors: gen.doors)
      QORPlugin.prepare(model, building: building)
      @faces = gen.rooms_faces.sum(&:length)
      rooms = nil
      stages = []
      stages << stage('rooms') do
        rooms = gen.rooms_faces.each_with_index.map { |f, i| QORTA::QORTA_Room.new(building, i + 1, f, true) }
        building.rooms = rooms
      end
      stages << stage('labels and radii') do
        rooms.each_with_index do |r, i|
          r.setText("Room #{i + 1}")
          r.levelText = "Storey #{gen.rooms[i].storey + 1}"
          r.intermediatePlanes = []
        end
        QORTA.getRoomsRadii(rooms)
      end
      room_faces = rooms.sum { |r| r.roomFaces.length }
      stages << stage('outer shell') { QORTA.setRoomsFacesOuterShellType(rooms, room_faces) }
      stages << stage('intermediate planes') { QORTA.setRoomsIntermediatePlanes(rooms) }
      stages << stage('outer-shell faces') { QORPlugin::OuterShell.build_faces(rooms, lone_faces: true) }
      stages << stage('Space XML') { rooms.each_with_index { |r, i| r.getSpaceElement(i + 1) } }
      stages
    end

    private

    def stage(name)
      GC.start
      reset_peak
      objects = GC.stat(:total_allocated_objects)
      HostCalls.count = 0
      HostCalls.counting = @count_calls
      t0 = Process.clock_gettime(Process::CLOCK_MONOTONIC)
      built = true
      begin
        yield
      rescue NotImplementedError
        built = false
      ensure
        HostCalls.counting = false
      end
      seconds = Process.clock_gettime(Process::CLOCK_MONOTONIC) - t0
      Stage.new(name, seconds, @count_calls ? HostCalls.count : nil,
                GC.stat(:total_allocated_objects) - objects, peak_kib, built)
    end

    # The kernel's high-water mark of resident memory, reset per stage
    # where the kernel allows it.
    def reset_peak
      File.write('/proc/self/clear_refs', '5')
    rescue SystemCallError
      nil
    end

    def peak_kib
      File.read('/proc/self/status')[/VmHWM:\s+(\d+)/, 1].to_i
    end
  end
end

argv = ARGV.dup
plain_hall = argv.delete('--plain-hall')
hall_faces = 2000
if (i = argv.index('--hall'))
  hall_faces = QORBench.whole_numbers([argv[i + 1].to_s], 'ruby bench/bench_road.rb [rooms...] [--hall faces] [--plain-hall]', at_most: 1).first
  argv.slice!(i, 2)
end
usage = 'ruby bench/bench_road.rb [rooms...] [--hall faces] [--plain-hall]'
sizes = QORBench.whole_numbers(argv, usage, at_most: 6)
sizes = [100, 300, 1000] if sizes.empty?

puts "Export road on generated buildings (#{QORModuleLoader.library_name}, Ruby #{RUBY_VERSION})"
timed = sizes.map { |n| [n, QORBench::Road.new(n).run] }
QORBench::HostCalls.install!
counted = sizes.map { |n| road = QORBench::Road.new(n, count_calls: true); [n, road.run, road.faces] }

totals = []
timed.zip(counted).each do |(n, stages), (_, calls, faces)|
  puts "#{n} rooms, #{faces} room faces"
  printf("  %-20s %10s %12s %10s %12s %10s\n", 'stage', 'ms', 'host calls', 'calls/face', 'objects', 'peak MiB')
  stages.zip(calls).each do |s, c|
    if s.built
      printf("  %-20s %10.1f %12d %10.2f %12d %10.1f\n", s.name, s.seconds * 1000, c.calls,
             c.calls.to_f / faces, s.objects, s.peak_kib / 1024.0)
    else
      printf("  %-20s %10s\n", s.name, 'not built')
    end
  end
  total = stages.select(&:built).sum(&:seconds)
  built_calls = calls.select(&:built).sum(&:calls)
  printf("  %-20s %10.1f %12d %10.2f\n", 'total (built)', total * 1000, built_calls, built_calls.to_f / faces)
  totals << [n, total]
end
if totals.length >= 2
  xs = totals.map { |n, _| Math.log(n) }
  ys = totals.map { |_, t| Math.log(t) }
  mx = xs.sum / xs.size
  my = ys.sum / ys.size
  slope = xs.zip(ys).sum { |x, y| (x - mx) * (y - my) } / xs.sum { |x| (x - mx)**2 }
  printf("growth exponent of total time, %d to %d rooms: %.2f\n", totals.first[0], totals.last[0], slope)
end

def hall_seconds(faces, plain)
  model = Sketchup.new_model
  hall = QORBench::BuildingGenerator.big_room(model, faces: faces, seed: 1)
  building = QORPlugin::Building.new
  QORPlugin.prepare(model, building: building)
  t0 = Process.clock_gettime(Process::CLOCK_MONOTONIC)
  c0 = Process.clock_gettime(Process::CLOCK_PROCESS_CPUTIME_ID)
  QORPlugin.on_road(plain) { QORTA::QORTA_Room.new(building, 1, hall, true) }
  [hall.length, Process.clock_gettime(Process::CLOCK_MONOTONIC) - t0,
   Process.clock_gettime(Process::CLOCK_PROCESS_CPUTIME_ID) - c0]
end

QORBench::HostCalls.counting = false
faces, seconds, cpu = hall_seconds(hall_faces, false)
printf("one room of %d faces constructed: %.3f s (%.3f s of processor time)\n", faces, seconds, cpu)
if plain_hall
  _, seconds, cpu = hall_seconds(hall_faces, true)
  printf("the same room on the plain road: %.3f s (%.3f s of processor time)\n", seconds, cpu)
end

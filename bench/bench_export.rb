# The main job end to end, as a user runs it: the benchmark generator's
# building written as a building file (bench/write_building.rb), then
# `bin/qor-rooms export FILE -o OUT --quiet` in a process of its own,
# timed from start to exit with its peak memory; then the same export in
# this process, stage by stage, counting every call into the host (a call
# the host makes to itself is not counted; a block the host yields to is
# the caller's code, and its calls are).  Prints figures; asserts nothing.
#   ruby bench/bench_export.rb [rooms...]   (default 100 300 1000)
#   ruby bench/bench_export.rb --big-room WALLS...   one room of n walls
root = File.expand_path('..', __dir__)
require File.join(root, 'code/Sketchup/Headless/sketchup')
require File.join(root, 'code/Sketchup/Plugin/plugin')
require File.join(root, 'code/Sketchup/Plugin/building_file')
require File.join(root, 'code/Sketchup/Plugin/room_export')
require 'json'
require 'rbconfig'
require 'tmpdir'
require_relative 'big_room'
require_relative 'building_file_writer'
require_relative 'command_line'

module QORBench
  # Counts calls into the headless modeller from outside it.
  module AllHostCalls
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
                   Sketchup::AttributeHost, Sketchup::AttributeDictionary, Sketchup::AttributeDictionaries,
                   Sketchup::Entity]
        targets.each { |t| wrap(t, t.public_instance_methods(false)) }
        wrap(Sketchup::Model, Sketchup::Model.public_instance_methods(false) -
                              QORPlugin::ModelMethods.public_instance_methods(false))
        wrap(Geom.singleton_class, Geom.singleton_methods(false))
      end

      def call_host(block)
        @count += 1 if @counting && @depth.zero?
        @depth += 1
        caller_block = block && lambda do |*a|
          depth, @depth = @depth, 0
          begin
            block.call(*a)
          ensure
            @depth = depth
          end
        end
        yield caller_block
      ensure
        @depth -= 1
      end

      private

      def wrap(target, methods)
        target.prepend(Module.new do
          methods.each do |m|
            define_method(m) do |*args, &block|
              AllHostCalls.call_host(block) { |b| super(*args, &b) }
            end
          end
        end)
      end
    end
  end

  # One export of a building file, stage by stage.
  class ExportStages
    Stage = Struct.new(:name, :seconds, :calls)

    def initialize(path)
      @path = path
    end

    def run
      stages = []
      file = nil
      result = nil
      stages << stage('load') { file = QORPlugin::BuildingFile.load(@path) }
      export = QORPlugin::RoomExport.new(file)
      rooms = nil
      # One set of face reads for the whole road, as RoomExport#run has it.
      QORTA::QORTA_RoomFace.withFaceReads do
        stages << stage('rooms, labels, radii') { rooms = export.build_rooms }
        stages << stage('outer shell') { QORTA.setRoomsFacesOuterShellType(rooms, rooms.length) }
        stages << stage('intermediate planes') { QORTA.setRoomsIntermediatePlanes(rooms) }
        stages << stage('outer-shell faces') { QORPlugin::OuterShell.build_faces(rooms, lone_faces: true) }
        stages << stage('Space XML') do
          result = rooms.zip(file.rooms).map { |room, desc| room.getSpaceElement(desc.id) }
        end
      end
      [stages, rooms.sum { |r| r.roomFaces.length }, result]
    end

    private

    def stage(name)
      GC.start
      AllHostCalls.count = 0
      AllHostCalls.counting = true
      t0 = Process.clock_gettime(Process::CLOCK_MONOTONIC)
      yield
      Stage.new(name, Process.clock_gettime(Process::CLOCK_MONOTONIC) - t0, AllHostCalls.count)
    ensure
      AllHostCalls.counting = false
    end
  end

  # bin/qor-rooms export in a process of its own: [seconds, processor
  # seconds, peak MiB].
  def self.export_process(path, out)
    root = File.expand_path('..', __dir__)
    peak = File.join(File.dirname(out), 'peak')
    probe = %(at_exit { File.write(#{peak.inspect}, File.read('/proc/self/status')[/VmHWM:\\s+(\\d+)/, 1]) })
    t0 = Process.clock_gettime(Process::CLOCK_MONOTONIC)
    before = Process.times
    ok = system(RbConfig.ruby, '-e', probe + "\nload #{File.join(root, 'bin/qor-rooms').inspect}",
                'export', path, '-o', out, '--quiet')
    seconds = Process.clock_gettime(Process::CLOCK_MONOTONIC) - t0
    after = Process.times
    raise "the export of #{path} failed" unless ok

    cpu = after.cutime + after.cstime - before.cutime - before.cstime
    [seconds, cpu, File.read(peak).to_i / 1024.0]
  end
end

usage = 'ruby bench/bench_export.rb [rooms...] | --big-room WALLS...'
argv = ARGV.dup
big = argv.delete('--big-room')
sizes = QORBench.whole_numbers(argv, usage, at_most: 6)
sizes = big ? [1000, 4000, 10_000] : [100, 300, 1000] if sizes.empty?

puts "bin/qor-rooms export, end to end (#{QORModuleLoader.library_name}, Ruby #{RUBY_VERSION})"
Dir.mktmpdir('qor-bench') do |dir|
  files = sizes.map do |n|
    path = File.join(dir, "#{n}.json")
    doc = big ? QORBench.big_room(n) : QORBench::BuildingFileWriter.new(rooms: n).document
    File.write(path, JSON.generate(doc))
    [n, path]
  end
  totals = files.map do |n, path|
    seconds, cpu, peak = QORBench.export_process(path, File.join(dir, "#{n}.xml"))
    printf("%6d %s: %7.2f s (processor %7.2f s), peak %6.1f MiB (file %.1f MB)\n", n, big ? 'walls' : 'rooms',
           seconds, cpu, peak, File.size(path) / 1e6)
    [n, seconds]
  end
  if totals.length >= 2
    xs = totals.map { |n, _| Math.log(n) }
    ys = totals.map { |_, t| Math.log(t) }
    mx = xs.sum / xs.size
    my = ys.sum / ys.size
    slope = xs.zip(ys).sum { |x, y| (x - mx) * (y - my) } / xs.sum { |x| (x - mx)**2 }
    printf("growth exponent of end-to-end time, %d to %d: %.2f\n", totals.first[0], totals.last[0], slope)
  end
  next if ENV['QOR_BENCH_NO_CALLS']

  QORBench::AllHostCalls.install!
  files.each do |n, path|
    stages, faces, = QORBench::ExportStages.new(path).run
    puts "#{n} #{big ? 'walls' : 'rooms'}, #{faces} room faces, in this process with every host call counted"
    printf("  %-22s %9s %12s %10s\n", 'stage', 's', 'host calls', 'calls/face')
    stages.each { |s| printf("  %-22s %9.2f %12d %10.1f\n", s.name, s.seconds, s.calls, s.calls.to_f / faces) }
    calls = stages.sum(&:calls)
    printf("  %-22s %9.2f %12d %10.1f\n", 'total', stages.sum(&:seconds), calls, calls.to_f / faces)
  end
end

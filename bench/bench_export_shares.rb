# Where the time of the main job goes: `bin/qor-rooms export FILE` of the
# generator's building, sampled with stackprof in a process of its own
# (once for time, once for allocations), each sample put to the part of
# the system on its stack.  Ends with what the export would take if the
# extension cost nothing, its share of the collector's work included (the
# collector's time split by who allocated).  Prints figures; asserts
# nothing.  Needs the ruby-stackprof package.
#   ruby bench/bench_export_shares.rb [rooms]   (default 1000)
root = File.expand_path('..', __dir__)
require File.join(root, 'code/Sketchup/Headless/sketchup')
require File.join(root, 'code/Sketchup/Plugin/plugin')
require 'json'
require 'rbconfig'
require 'tmpdir'
require_relative 'building_file_writer'
require_relative 'command_line'
begin
  require 'stackprof'
rescue LoadError
  abort 'bench_export_shares.rb: needs stackprof (the ruby-stackprof package)'
end

module QORBench
  # The parts a sample can fall in, the first that matches its stack.
  module ExportShares
    PARTS = {
      collector: 'the collector',
      modeller: 'the headless modeller and all it calls',
      extension: "the extension's entry points (its C++ and the interpreter's C functions it calls)",
      called: 'Ruby methods the extension calls (plug-in callbacks, core classes)',
      scripts: "the plug-in's scripts (loader, drivers)",
      other: 'start-up and the rest'
    }.freeze

    def self.part(frames)
      leaf = frames.last
      return :collector if leaf[:name].to_s.match?(/\A\((garbage collection|marking|sweeping)\)\z/)
      return :modeller if frames.any? { |f| f[:file].to_s.include?('/Sketchup/Headless/') }
      return :extension if leaf[:name].to_s.start_with?('QORTA')
      return :called if frames.any? { |f| f[:name].to_s.start_with?('QORTA') }
      return :scripts if frames.any? { |f| f[:file].to_s.include?('/Sketchup/Plugin/') }

      :other
    end

    # part => share of the samples (0..1).
    def self.shares(dump)
      frames = dump[:frames]
      raw = dump[:raw]
      counts = Hash.new(0)
      i = 0
      while i < raw.length
        depth = raw[i]
        stack = raw[i + 1, depth].map { |id| frames[id] }
        counts[part(stack)] += raw[i + 1 + depth]
        i += depth + 2
      end
      total = counts.values.sum.to_f
      PARTS.keys.to_h { |p| [p, total.zero? ? 0.0 : counts[p] / total] }
    end

    # One export in a process of its own under stackprof: [dump, seconds].
    def self.sample(path, mode, dir)
      root = File.expand_path('..', __dir__)
      dump = File.join(dir, "#{mode}.dump")
      seconds = File.join(dir, "#{mode}.seconds")
      script = <<~RUBY
        require 'stackprof'
        ARGV.replace(['export', #{path.inspect}, '-o', #{File.join(dir, 'out.xml').inspect}, '--quiet'])
        t0 = Process.clock_gettime(Process::CLOCK_MONOTONIC)
        StackProf.run(mode: :#{mode}, interval: #{mode == :object ? 50 : 200}, raw: true, out: #{dump.inspect}) do
          load #{File.join(root, 'bin/qor-rooms').inspect}
        rescue SystemExit
        end
        File.write(#{seconds.inspect}, (Process.clock_gettime(Process::CLOCK_MONOTONIC) - t0).to_s)
      RUBY
      raise "the sampled export of #{path} failed" unless system(RbConfig.ruby, '-e', script)

      [Marshal.load(File.binread(dump)), File.read(seconds).to_f]
    end
  end
end

rooms, = QORBench.whole_numbers(ARGV, 'ruby bench/bench_export_shares.rb [rooms]', at_most: 1)
rooms ||= 1000
Dir.mktmpdir('qor-shares') do |dir|
  path = File.join(dir, "#{rooms}.json")
  File.write(path, JSON.generate(QORBench::BuildingFileWriter.new(rooms: rooms).document))
  time_dump, seconds = QORBench::ExportShares.sample(path, :cpu, dir)
  alloc_dump, = QORBench::ExportShares.sample(path, :object, dir)
  time = QORBench::ExportShares.shares(time_dump)
  alloc = QORBench::ExportShares.shares(alloc_dump)
  printf("bin/qor-rooms export of %d rooms, sampled (%.2f s with the sampler on)\n", rooms, seconds)
  printf("  %6s %6s  %s\n", 'time', 'allocs', 'part')
  QORBench::ExportShares::PARTS.each do |p, name|
    printf("  %5.1f%% %5.1f%%  %s\n", 100 * time[p], p == :collector ? 0 : 100 * alloc[p], name)
  end
  own = time[:extension] + time[:collector] * alloc[:extension]
  with_called = own + time[:called] + time[:collector] * alloc[:called]
  printf("  an extension that cost nothing: %.2f s (%.0f%%); with the Ruby methods it calls: %.2f s (%.0f%%)\n",
         seconds * (1 - own), 100 * (1 - own), seconds * (1 - with_called), 100 * (1 - with_called))
end

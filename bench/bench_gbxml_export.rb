# The export road's result written as gbXML, on generated buildings: time of
# the road and of the writer's parts (surfaces from the road's faces, the
# geometric checks, the whole document), the document's size, and whether
# xmllint finds it valid against the published schema.  With --generated N,
# also writes N smaller generated buildings (4 to 20 rooms, seeds 1 to N)
# and validates them all in one xmllint run.
#   ruby bench/bench_gbxml_export.rb [rooms...] [--generated N]   (default 100 300 1000)
root = File.expand_path('..', __dir__)
require 'tmpdir'
require File.join(root, 'code/Sketchup/Headless/sketchup')
require File.join(root, 'code/Sketchup/Plugin/plugin')
require File.join(root, 'code/Sketchup/Plugin/gbxml/export')
require_relative 'generated_export'

USAGE = 'ruby bench/bench_gbxml_export.rb [rooms...] [--generated N]'.freeze
SCHEMA = File.expand_path('../shared/gbxml-schema/GreenBuildingXML_Ver6.01.xsd', root)

args = ARGV.dup
if args.include?('--help') || args.include?('-h')
  puts "usage: #{USAGE}"
  exit 0
end
generated = 0
if (i = args.index('--generated'))
  generated = args.delete_at(i + 1).to_i
  args.delete_at(i)
end
bad = args.find { |a| a !~ /\A[1-9]\d*\z/ }
if bad || generated.negative?
  warn "bench_gbxml_export.rb: unknown argument #{bad}"
  warn "usage: #{USAGE}"
  exit 2
end
sizes = args.empty? ? [100, 300, 1000] : args.map(&:to_i)

def clock = Process.clock_gettime(Process::CLOCK_MONOTONIC)

def timed
  t = clock
  value = yield
  [value, clock - t]
end

def xmllint(paths)
  return 'no schema' unless File.exist?(SCHEMA)
  ok = system('xmllint', '--noout', '--schema', SCHEMA, *paths, out: File::NULL, err: File::NULL)
  ok ? 'valid' : 'INVALID'
end

puts format('%-7s %7s %8s %9s %8s %9s %9s %9s %10s %8s %s', 'rooms', 'faces', 'road s', 'surfaces', 'sides 2',
            'collect s', 'checks s', 'gbXML s', 'bytes', 'problems', 'schema')
Dir.mktmpdir('qor-bench-gbxml') do |dir|
  sizes.each do |n|
    file = QORBench::GeneratedFile.new(rooms: n, seed: 1)
    result, road = timed { QORPlugin::RoomExport.new(file, progress: file.progress).run }
    set, collect = timed { QORPlugin::Gbxml::WrittenSurfaces.new(result.rooms, thin: $thinWalls == 1) }
    ids = file.rooms.map(&:id)
    _, check = timed { QORPlugin::Gbxml::ShellChecks.new(set.surfaces, set.shells, ids) }
    written, whole = timed { QORPlugin::Gbxml::Export.write(file, result.rooms) }
    path = File.join(dir, "rooms-#{n}.xml")
    File.write(path, written.xml)
    faces = result.rooms.sum { |r| r.roomFaces.length }
    puts format('%-7d %7d %8.2f %9d %8d %9.2f %9.2f %9.2f %10d %8d %s', n, faces, road, set.surfaces.length,
                set.surfaces.count { |s| s.sides.length == 2 }, collect, check, whole, written.xml.bytesize,
                written.problems.length, xmllint([path]))
  end
  next if generated.zero?

  paths = (1..generated).map do |seed|
    file = QORBench::GeneratedFile.new(rooms: 4 + seed % 17, seed: seed)
    result = QORPlugin::RoomExport.new(file, progress: file.progress).run
    path = File.join(dir, "generated-#{seed}.xml")
    File.write(path, QORPlugin::Gbxml::Export.write(file, result.rooms).xml)
    path
  end
  puts "#{generated} generated buildings (seeds 1 to #{generated}): #{xmllint(paths)}"
end

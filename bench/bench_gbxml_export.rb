# The export road's result written as gbXML, on generated buildings: time of
# the road and of the writer's parts (surfaces from the road's faces, the
# geometric checks, the whole document), the document's size, and whether
# xmllint finds it valid against the published schema.  With --generated N,
# also writes N smaller generated buildings (4 to 20 rooms, seeds 1 to N)
# and validates them all in one xmllint run; with --round-trip, reads each
# back through our import and counts how its typing and adjacency agree and
# which of the writer's checks fail, for the generator's two ways of
# drawing doors (a leaf both rooms list with reveals; a leaf on each side)
# and with every wall thick.  --each R gives every generated building R
# rooms instead (80 and more make two storeys or more).
#   ruby bench/bench_gbxml_export.rb [rooms...] [--generated N [--each R] [--round-trip]]   (default 100 300 1000)
root = File.expand_path('..', __dir__)
require 'tmpdir'
require File.join(root, 'code/Sketchup/Headless/sketchup')
require File.join(root, 'code/Sketchup/Plugin/plugin')
require File.join(root, 'code/Sketchup/Plugin/gbxml/export')
require File.join(root, 'code/Sketchup/Plugin/gbxml')
require_relative 'generated_export'

USAGE = 'ruby bench/bench_gbxml_export.rb [rooms...] [--generated N [--each R] [--round-trip]]'.freeze
SCHEMA = File.expand_path('../shared/gbxml-schema/GreenBuildingXML_Ver6.01.xsd', root)

args = ARGV.dup
if args.include?('--help') || args.include?('-h')
  puts "usage: #{USAGE}"
  exit 0
end
round_trip = !args.delete('--round-trip').nil?
generated = 0
if (i = args.index('--generated'))
  generated = args.delete_at(i + 1).to_i
  args.delete_at(i)
end
each = nil
if (i = args.index('--each'))
  each = args.delete_at(i + 1).to_i
  args.delete_at(i)
end
bad = args.find { |a| a !~ /\A[1-9]\d*\z/ }
if bad || generated.negative? || (each && !each.positive?)
  warn "bench_gbxml_export.rb: unknown argument #{bad}"
  warn "usage: #{USAGE}"
  exit 2
end
sizes = args.empty? && !round_trip ? [100, 300, 1000] : args.map(&:to_i)

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

# Reads the written document back and adds to the tally: surfaces, how
# many agree, spaces and how many close, and the writer's findings by kind.
def round_trip_counts(path, written, tally)
  tally[:buildings] += 1
  tally[:spaces] += written.counts[:spaces]
  open = written.problems.grep(/\ASpace "[^"]*": surfaces /).length
  tally[:spaces_closed] += written.counts[:spaces] - open
  written.problems.each { |p| tally["listed: #{finding(p)}"] += 1 }
  file, import = QORPlugin::Gbxml.load(path)
  file.prepare
  rooms = QORPlugin::RoomExport.new(file, progress: $class_ProgressBar2, centreline: true).run.rooms
  total = QORPlugin::Gbxml::RoomTyping.new(file, rooms).agreement(import.expectations).total
  tally[:surfaces] += total.surfaces
  tally[:typed] += total.typed
  tally[:adjacent] += total.adjacent
  tally[:judged] += total.judged
  tally[:agreeing] += 1 if total.typed == total.surfaces && total.adjacent == total.judged
rescue QORPlugin::Gbxml::GbxmlError => e
  tally[:refused] += 1
  tally["refused: #{e.message[/[^:(]*\)?\z/].strip.chomp(')')}"] += 1
end

# What kind of finding a problem line is, without its places.
def finding(line)
  line.sub(/\ASpace "[^"]*": /, 'space: ').sub(/\Aroom \d+ face \d+:/, 'face:')
      .gsub(/surface-\d+/, 'surface').sub(/ \(e\.g\..*/, '').sub(/; .*/, '').gsub(/\d+ edges?/, 'N edges')
      .sub(/opening \d+/, 'opening').sub(/ near \(.*\)\z/, '')
end

def report_round_trip(t)
  puts format('  read back: %d of %d buildings (%d refused); %d agree wholly; typing %d of %d surfaces, ' \
              'adjacency %d of %d', t[:buildings] - t[:refused], t[:buildings], t[:refused], t[:agreeing],
              t[:typed], t[:surfaces], t[:adjacent], t[:judged])
  puts format('  spaces whose surfaces close: %d of %d', t[:spaces_closed], t[:spaces])
  t.keys.grep(String).sort.each { |k| puts format('  %-90s %d', k, t[k]) }
end

unless sizes.empty?
  puts format('%-7s %7s %8s %9s %8s %9s %9s %9s %10s %8s %s', 'rooms', 'faces', 'road s', 'surfaces', 'sides 2',
              'collect s', 'checks s', 'gbXML s', 'bytes', 'problems', 'schema')
end
Dir.mktmpdir('qor-bench-gbxml') do |dir|
  sizes.each do |n|
    file = QORBench::GeneratedFile.new(rooms: n, seed: 1)
    result, road = timed { QORPlugin::RoomExport.new(file, progress: file.progress, centreline: true).run }
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

  drawings = { 'doors with reveals, some walls thin' => {} }
  drawings['a leaf each side, every wall thick'] = { doors: :two_leaves, shared_walls: false } if round_trip
  drawings.each do |label, drawing|
    tally = Hash.new(0)
    paths = (1..generated).map do |seed|
      file = QORBench::GeneratedFile.new(rooms: each || 4 + seed % 17, seed: seed, **drawing)
      result = QORPlugin::RoomExport.new(file, progress: file.progress, centreline: true).run
      written = QORPlugin::Gbxml::Export.write(file, result.rooms)
      path = File.join(dir, "generated-#{seed}.xml")
      File.write(path, written.xml)
      round_trip_counts(path, written, tally) if round_trip
      path
    end
    puts "#{generated} generated buildings (seeds 1 to #{generated}, #{each || '4 to 20'} rooms), #{label}: #{xmllint(paths)}"
    report_round_trip(tally) if round_trip
  end
end

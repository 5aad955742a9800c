# gbXML through the commands: a generated grid of box rooms (bench/
# gbxml_generator.rb) imported (`qor-rooms import`) and exported
# (`qor-rooms export`), each in its own process; wall time and peak
# resident memory of each, and the file's size.
#   ruby bench/bench_gbxml_import.rb [spaces...]   (default 400 1600 12800)
require 'tmpdir'
require 'open3'
require_relative 'command_line'
require_relative 'gbxml_generator'

USAGE = 'ruby bench/bench_gbxml_import.rb [spaces...]'.freeze
ROOT = File.expand_path('..', __dir__)
counts = QORBench.whole_numbers(ARGV, USAGE, at_most: 8)
counts = [400, 1600, 12_800] if counts.empty?

# [wall seconds, processor seconds, peak MiB] of one command, through
# /usr/bin/time.
def run(*argv)
  _, err, status = Open3.capture3('/usr/bin/time', '-f', 'TIME %e %U %S %M', RbConfig.ruby, File.join(ROOT, 'bin/qor-rooms'), *argv)
  abort "failed: #{argv.join(' ')}\n#{err}" unless status.success?
  wall, user, sys, kib = err[/^TIME (.*)$/, 1].split.map(&:to_f)
  [wall, user + sys, kib / 1024.0]
end

puts "gbXML import and export (Ruby #{RUBY_VERSION}); per command: wall seconds, processor seconds, peak resident MiB"
printf("%8s %8s %9s %22s %22s\n", 'spaces', 'surfaces', 'file MiB', 'import s / cpu s / MiB', 'export s / cpu s / MiB')
Dir.mktmpdir do |dir|
  counts.each do |n|
    grid = QORBench::GbxmlGenerator.for_spaces(n)
    xml = File.join(dir, "grid-#{n}.xml")
    text = grid.text
    File.write(xml, text)
    import = run('import', xml, '-o', File.join(dir, 'grid.json'), '--quiet')
    export = run('export', xml, '-o', File.join(dir, 'grid-export.xml'), '--quiet')
    printf("%8d %8d %9.1f %7.1f / %6.1f / %5.0f %7.1f / %6.1f / %5.0f\n", grid.spaces, text.scan('<Surface ').length,
           text.bytesize / 1048576.0, *import, *export)
  end
end

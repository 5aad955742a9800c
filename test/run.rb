# Runs Ruby tests in one process: the files and folders given, or every
# test/**/test_*.rb except the headless modeller's own tests (those check
# the modeller alone and run in a process of their own).
options, paths = ARGV.partition { |a| a.start_with?('-') }
targets = paths.map { |a| File.expand_path(a) }
ARGV.replace(options) # left for minitest
files =
  if targets.empty?
    Dir[File.join(__dir__, '**', 'test_*.rb')].reject { |f| f.include?('/headless/') }
  else
    targets.flat_map { |t| File.directory?(t) ? Dir[File.join(t, '**', 'test_*.rb')] : [t] }
  end
files.sort.each { |f| require f }

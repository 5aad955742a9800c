# Runs Ruby tests in one process: the files and folders given, or every
# test/**/test_*.rb except the headless modeller's own tests (they check the
# modeller alone) and the fault-injection tests (they wrap the host's
# methods); both run in processes of their own.
options, paths = ARGV.partition { |a| a.start_with?('-') }
targets = paths.map { |a| File.expand_path(a) }
ARGV.replace(options) # left for minitest
files =
  if targets.empty?
    Dir[File.join(__dir__, '**', 'test_*.rb')].reject { |f| f.match?(%r{/(headless|faults)/}) }
  else
    targets.flat_map { |t| File.directory?(t) ? Dir[File.join(t, '**', 'test_*.rb')] : [t] }
  end
files.sort.each { |f| require f }

# Command-line arguments of the benchmarks: --help prints the usage; anything
# but whole numbers is refused with the usage line and exit status 2.
module QORBench
  def self.whole_numbers(argv, usage, at_most:)
    if argv.include?('--help') || argv.include?('-h')
      puts "usage: #{usage}"
      exit 0
    end
    bad = argv.find { |a| a !~ /\A[1-9]\d*\z/ }
    if bad || argv.length > at_most
      warn "#{File.basename($PROGRAM_NAME)}: #{bad ? "unknown argument #{bad}" : 'too many arguments'}"
      warn "usage: #{usage}"
      exit 2
    end
    argv.map(&:to_i)
  end
end

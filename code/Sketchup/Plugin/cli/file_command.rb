require 'optparse'
require_relative 'command'
require_relative '../building_file'
require_relative '../atomic_file'

module QORPlugin
  module CLI
    # A command that reads one input file: its options, --help, misuse, the
    # one-line failure message, and writing to a file or standard output.
    # A subclass gives usage, describe(parser, options) and
    # perform(source, options, out, err).
    class FileCommand < Command
      def run(argv, out, err)
        options = {}
        parser = option_parser(options)
        args = parser.parse(argv)
        return help(parser, out) if options[:help]
        return usage_error(err, "too many arguments: #{args.drop(1).join(' ')}", usage) if args.length > 1

        source = args.first || default_source(options)
        return usage_error(err, "no #{input_kind} given", usage) unless source

        check(options)
        perform(source, options, out, err)
      rescue OptionParser::ParseError => e
        usage_error(err, e.message, usage)
      rescue BuildingFileError => e
        err.puts "#{PROGRAM}: #{e.message}"
        FAILED
      rescue SystemCallError => e
        err.puts "#{PROGRAM}: cannot write #{options[:output]}: #{e.message.sub(/ @ .*/, '')}"
        FAILED
      end

      private

      def input_kind = 'building file'

      # The input when none is named; nil makes it a misuse.
      def default_source(_options) = nil

      # Checks of the options together, once parsed.
      def check(options); end

      def option_parser(options)
        OptionParser.new do |o|
          o.banner = "usage: #{usage}"
          o.separator ''
          describe(o, options)
          o.on('-h', '--help', 'this help') { options[:help] = true }
        end
      end

      def output_option(o, options, what)
        o.on('-o', '--output FILE', "write #{what} to FILE (\"-\" for standard output)") { |v| options[:output] = v }
      end

      def quiet_option(o, options, what)
        o.on('-q', '--quiet', what) { options[:quiet] = true }
      end

      def help(parser, out)
        out.puts parser.help
        OK
      end

      def to_stdout?(target) = target.nil? || target == '-'

      # The text to the target file, whole or not at all, or to standard
      # output when there is none.
      def emit(text, target, out)
        if to_stdout?(target)
          out.binmode # the same bytes on Windows: no CRLF line ends
          out.write(text)
          out.flush
        else
          AtomicFile.write(target, text)
        end
      end
    end
  end
end

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
        check_outputs(source, options)
        perform(source, options, out, err)
      rescue OptionParser::ParseError => e
        usage_error(err, e.message, usage)
      rescue BuildingFileError, AtomicFile::Failed => e
        err.puts "#{PROGRAM}: #{e.message}"
        FAILED
      rescue SystemCallError => e
        target = to_stdout?(options[:output]) ? 'standard output' : options[:output]
        err.puts "#{PROGRAM}: cannot write #{target}: #{e.message.sub(/ @ .*/, '')}"
        FAILED
      rescue StandardError, NotImplementedError, SystemStackError => e
        # One line, never a backtrace, whatever went wrong inside.
        err.puts "#{PROGRAM}: #{self.class.name_text} of #{source} failed: #{e.class}: #{e.message.lines.first&.chomp}"
        FAILED
      end

      private

      def input_kind = 'building file'

      # The input when none is named; nil makes it a misuse.
      def default_source(_options) = nil

      # Checks of the options together, once parsed.
      def check(options); end

      # Output options, by option name.
      OUTPUTS = { output: '-o', preview: '--preview' }.freeze

      # No output may be the input or another output: the input would be
      # replaced before anyone read it back.
      def check_outputs(source, options)
        named = OUTPUTS.filter_map { |key, flag| [flag, options[key]] if options[key] && !to_stdout?(options[key]) }
        named.each_with_index do |(flag, path), i|
          if same_file?(path, source)
            raise OptionParser::InvalidArgument, "#{flag} #{path} is the input file"
          end
          other = named[0...i].find { |_, p| same_file?(p, path) }
          raise OptionParser::InvalidArgument, "#{flag} #{path} is also #{other[0]}" if other
        end
      end

      def same_file?(a, b)
        File.expand_path(a) == File.expand_path(b) || File.identical?(a, b)
      end

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

      # " at STAGE, room ..., face ..." when the export road knows.
      def at(road) = road.respond_to?(:position) ? " at #{road.position}" : ''

      # A failure's message as one line.
      def first_line(error) = error.message.to_s.lines.first.to_s.strip

      # The text to the target file, whole or not at all, or to standard
      # output when there is none; files is more [path, text] to write with
      # it, all or none.
      def emit(text, target, out, files: [])
        if to_stdout?(target)
          AtomicFile.write_all(files) do
            out.binmode # the same bytes on Windows: no CRLF line ends
            out.write(text)
            out.flush
          end
        else
          AtomicFile.write_all([[target, text], *files])
        end
      end
    end
  end
end

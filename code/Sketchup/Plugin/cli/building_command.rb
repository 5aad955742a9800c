require 'optparse'
require_relative 'command'
require_relative '../building_file'
require_relative '../room_export'
require_relative '../atomic_file'

module QORPlugin
  module CLI
    # What the commands that read one building file share: parsing, loading,
    # the one-line failure message, and writing to a file or standard output.
    class BuildingCommand < Command
      def run(argv, out, err)
        options = {}
        parser = option_parser(options)
        args = parser.parse(argv)
        return help(parser, out) if options[:help]
        return usage_error(err, 'no building file given', usage) if args.empty?
        return usage_error(err, "too many arguments: #{args.drop(1).join(' ')}", usage) if args.length > 1

        check(options)
        perform(BuildingFile.load(args.first), options, out, err)
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

      def option_parser(options)
        OptionParser.new do |o|
          o.banner = "usage: #{usage}"
          o.separator ''
          describe(o, options)
          o.on('-o', '--output FILE', 'write to FILE (default: standard output)') { |v| options[:output] = v }
          o.on('-h', '--help', 'this help') { options[:help] = true }
        end
      end

      def help(parser, out)
        out.puts parser.help
        OK
      end

      def check(options); end

      def emit(text, options, out)
        target = options[:output]
        if target.nil? || target == '-'
          out.write(text)
        else
          AtomicFile.write(target, text)
        end
      end
    end
  end
end

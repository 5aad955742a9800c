require 'optparse'
require_relative 'command'
require_relative '../gbxml'
require_relative '../room_export'

module QORPlugin
  module CLI
    # Runs the whole export on a gbXML file's building and reports how our
    # typing of each surface agrees with the file's.  A report: the
    # agreement does not decide the exit status, only errors do.
    class CheckCommand < Command
      command 'check', "compare our room typing with a gbXML file's surface types"

      USAGE = "#{PROGRAM} check FILE.xml [--quiet]".freeze

      def run(argv, out, err)
        options = {}
        parser = option_parser(options)
        args = parser.parse(argv)
        return help(parser, out) if options[:help]
        return usage_error(err, 'no gbXML file given', USAGE) if args.empty?
        return usage_error(err, "too many arguments: #{args.drop(1).join(' ')}", USAGE) if args.length > 1

        check(args.first, options[:quiet], out, err)
      rescue OptionParser::ParseError => e
        usage_error(err, e.message, USAGE)
      end

      private

      def option_parser(options)
        OptionParser.new do |o|
          o.banner = "usage: #{USAGE}"
          o.separator ''
          o.separator 'The report goes to standard output; progress and the import summary to'
          o.separator 'standard error.'
          o.separator ''
          o.on('-q', '--quiet', 'no progress and no summary') { options[:quiet] = true }
          o.on('-h', '--help', 'this help') { options[:help] = true }
        end
      end

      def help(parser, out)
        out.puts parser.help
        OK
      end

      def check(source, quiet, out, err)
        file, import = Gbxml.load(source)
        err.puts "#{PROGRAM}: #{import.summary}" unless quiet
        file.prepare(progress: Progress.new(out: quiet ? nil : err))
        rooms = RoomExport.new(file, progress: $class_ProgressBar2).run.rooms
        agreement = Gbxml::RoomTyping.new(file, rooms).agreement(import.expectations)
        out.write(agreement.report(title(source, import)))
        OK
      rescue BuildingFileError => e
        err.puts "#{PROGRAM}: #{e.message}"
        FAILED
      rescue StandardError, NotImplementedError => e
        err.puts "#{PROGRAM}: check of #{source} failed: #{e.class}: #{e.message}"
        FAILED
      end

      def title(source, import)
        n = import.expectations.length
        "Agreement with #{File.basename(source)}: #{n} surface#{n == 1 ? '' : 's'}, " \
          "#{import.summary.spaces} space#{import.summary.spaces == 1 ? '' : 's'}"
      end
    end
  end
end

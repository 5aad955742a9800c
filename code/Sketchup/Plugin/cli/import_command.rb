require 'optparse'
require_relative 'command'
require_relative '../gbxml'
require_relative '../atomic_file'

module QORPlugin
  module CLI
    # Reads a gbXML file and writes the building file it makes, whole or
    # not at all.
    class ImportCommand < Command
      command 'import', 'make a building file from a gbXML file'

      USAGE = "#{PROGRAM} import FILE.xml [-o BUILDING.json] [--quiet]".freeze

      def run(argv, out, err)
        options = {}
        parser = option_parser(options)
        args = parser.parse(argv)
        return help(parser, out) if options[:help]
        return usage_error(err, 'no gbXML file given', USAGE) if args.empty?
        return usage_error(err, "too many arguments: #{args.drop(1).join(' ')}", USAGE) if args.length > 1

        import(args.first, options[:output], options[:quiet], out, err)
      rescue OptionParser::ParseError => e
        usage_error(err, e.message, USAGE)
      end

      private

      def option_parser(options)
        OptionParser.new do |o|
          o.banner = "usage: #{USAGE}"
          o.separator ''
          o.separator 'Without -o, the building file goes to standard output; the summary always goes to'
          o.separator 'standard error.  The building is loaded before it is written, so a file the'
          o.separator 'exporter would refuse is never written.'
          o.separator ''
          o.on('-o', '--output FILE', 'write the building file to FILE ("-" for standard output)') { |v| options[:output] = v }
          o.on('-q', '--quiet', 'no summary') { options[:quiet] = true }
          o.on('-h', '--help', 'this help') { options[:help] = true }
        end
      end

      def help(parser, out)
        out.puts parser.help
        OK
      end

      def import(source, target, quiet, out, err)
        result = Gbxml::Importer.import_file(source)
        Gbxml.load_building(result, source)
        if target.nil? || target == '-'
          out.write(result.json)
          out.flush
        else
          AtomicFile.write(target, result.json)
        end
        unless quiet
          err.puts "#{PROGRAM}: #{result.summary}"
          err.puts "#{PROGRAM}: wrote #{target}" if target && target != '-'
        end
        OK
      rescue BuildingFileError => e
        err.puts "#{PROGRAM}: #{e.message}"
        FAILED
      rescue SystemCallError => e
        err.puts "#{PROGRAM}: cannot write #{target}: #{e.message.sub(/ @ .*/, '')}"
        FAILED
      end
    end
  end
end

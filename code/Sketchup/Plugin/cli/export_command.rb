require 'fileutils'
require 'optparse'
require_relative 'command'
require_relative '../building_file'
require_relative '../gbxml'
require_relative '../room_export'
require_relative '../atomic_file'
require_relative '../preview/preview'

module QORPlugin
  module CLI
    # Runs the room export on a building file and writes one XML document,
    # whole or not at all.
    class ExportCommand < Command
      command 'export', 'export the rooms of a building file as XML'

      USAGE = "#{PROGRAM} [export] BUILDING.json|FILE.xml [-o OUT.xml] [--thin-walls] " \
              '[--max-wall-thickness METRES] [--preview FILE.html] [--quiet]'.freeze
      EXAMPLE = File.join(QORModuleLoader::ROOT, 'examples', 'two-room-flat.json')
      EXAMPLE_OUTPUT = File.join(QORModuleLoader::ROOT, 'build', 'two-room-flat.xml')

      def run(argv, out, err)
        options = {}
        parser = option_parser(options)
        args = parser.parse(argv)
        return help(parser, out) if options[:help]
        return usage_error(err, "too many arguments: #{args.drop(1).join(' ')}", USAGE) if args.length > 1

        source, target = args.first, options[:output]
        if source.nil?
          source = EXAMPLE
          target ||= EXAMPLE_OUTPUT
        end
        export(source, target, options, out, err)
      rescue OptionParser::ParseError => e
        usage_error(err, e.message, USAGE)
      end

      private

      def option_parser(options)
        OptionParser.new do |o|
          o.banner = "usage: #{USAGE}"
          o.separator ''
          o.separator 'Without a building file, exports the bundled example to build/two-room-flat.xml.'
          o.separator 'A file ending in .xml is read as gbXML and imported first (see docs/gbxml.md).'
          o.separator 'Without -o, the document goes to standard output; the summary always goes to'
          o.separator 'standard error.'
          o.separator ''
          o.on('-o', '--output FILE', 'write the document to FILE ("-" for standard output)') { |v| options[:output] = v }
          o.on('--thin-walls', 'treat every wall as thin (overrides the file)') { options[:thin_walls] = true }
          o.on('--max-wall-thickness METRES', Float, 'thickest wall, in metres (overrides the file)') do |v|
            raise OptionParser::InvalidArgument, "--max-wall-thickness #{v} (must be positive)" unless v.positive?
            options[:max_wall_thickness] = v
          end
          o.on('--preview FILE.html', 'also write an HTML preview of the rooms found') { |v| options[:preview] = v }
          o.on('-q', '--quiet', 'no progress and no summary') { options[:quiet] = true }
          o.on('-h', '--help', 'this help') { options[:help] = true }
        end
      end

      def help(parser, out)
        out.puts parser.help
        OK
      end

      def export(source, target, options, out, err)
        log = options[:quiet] ? nil : err
        file = load(source, log)
        file.prepare(progress: Progress.new(out: log), settings: overrides(options))
        result = RoomExport.new(file, progress: $class_ProgressBar2).run
        write(result.xml, target, out)
        preview = options[:preview]
        Preview.write(preview, rooms: result.rooms, summary: result.summary.to_h, title: file.name) if preview
        unless options[:quiet]
          err.puts "#{PROGRAM}: #{result.summary}"
          err.puts "#{PROGRAM}: wrote #{target}" if target && target != '-'
          err.puts "#{PROGRAM}: wrote #{preview}" if preview
        end
        OK
      rescue BuildingFileError => e
        err.puts "#{PROGRAM}: #{e.message}"
        FAILED
      rescue SystemCallError => e
        err.puts "#{PROGRAM}: cannot write #{target}: #{e.message.sub(/ @ .*/, '')}"
        FAILED
      rescue StandardError, NotImplementedError => e
        err.puts "#{PROGRAM}: export of #{source} failed: #{e.class}: #{e.message}"
        FAILED
      end

      def load(source, log)
        return BuildingFile.load(source) unless Gbxml.file?(source)
        file, import = Gbxml.load(source)
        log&.puts "#{PROGRAM}: imported #{source}: #{import.summary}"
        file
      end

      def overrides(options)
        settings = {}
        settings[:thin_walls] = true if options[:thin_walls]
        settings[:max_wall_thickness] = options[:max_wall_thickness].m if options[:max_wall_thickness]
        settings
      end

      def write(xml, target, out)
        if target.nil? || target == '-'
          out.write(xml)
          out.flush
        else
          FileUtils.mkdir_p(File.dirname(target)) if target == EXAMPLE_OUTPUT
          AtomicFile.write(target, xml)
        end
      end
    end
  end
end

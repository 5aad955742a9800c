require 'fileutils'
require_relative 'file_command'
require_relative '../building_file'
require_relative '../gbxml'
require_relative '../gbxml/export'
require_relative '../room_export'
require_relative '../preview/preview'

module QORPlugin
  module CLI
    # Runs the room export on a building file and writes one XML document,
    # whole or not at all.
    class ExportCommand < FileCommand
      command 'export', 'export the rooms of a building file as XML'

      EXAMPLE = File.join(QORModuleLoader::ROOT, 'examples', 'two-room-flat.json')
      EXAMPLE_OUTPUT = File.join(QORModuleLoader::ROOT, 'build', 'two-room-flat.xml')

      FORMATS = %w[spaces gbxml].freeze

      def usage
        "#{PROGRAM} [export] BUILDING.json|FILE.xml [-o OUT.xml] [--format spaces|gbxml] [--thin-walls] " \
          '[--max-wall-thickness METRES] [--preview FILE.html] [--quiet]'
      end

      private

      # Without a building file: the bundled example, written beside the build.
      def default_source(options)
        options[:output] ||= EXAMPLE_OUTPUT
        EXAMPLE
      end

      def describe(o, options)
        o.separator 'Without a building file, exports the bundled example to build/two-room-flat.xml.'
        o.separator 'A file ending in .xml is read as gbXML and imported first (see docs/gbxml.md).'
        o.separator 'Without -o, the document goes to standard output; the summary always goes to'
        o.separator 'standard error.'
        o.separator ''
        output_option(o, options, 'the document')
        o.on('--format FORMAT', FORMATS, 'spaces (the default: Space elements) or gbxml (docs/gbxml-export.md)') do |v|
          options[:format] = v
        end
        o.on('--thin-walls', 'treat every wall as thin (overrides the file)') { options[:thin_walls] = true }
        o.on('--max-wall-thickness METRES', Float, 'thickest wall, in metres (overrides the file)') do |v|
          raise OptionParser::InvalidArgument, "--max-wall-thickness #{v} (must be positive)" unless v.positive?
          options[:max_wall_thickness] = v
        end
        o.on('--preview FILE.html', 'also write an HTML preview of the rooms found') { |v| options[:preview] = v }
        quiet_option(o, options, 'no progress and no summary')
      end

      def perform(source, options, out, err)
        target = options[:output]
        log = options[:quiet] ? nil : err
        file = load(source, log)
        file.prepare(progress: Progress.new(out: log), settings: overrides(options))
        road = RoomExport.new(file, progress: $class_ProgressBar2, centreline: options[:format] == 'gbxml')
        result = road.run
        FileUtils.mkdir_p(File.dirname(target)) if target == EXAMPLE_OUTPUT
        gbxml = Gbxml::Export.write(file, result.rooms) if options[:format] == 'gbxml'
        preview = options[:preview]
        if preview && gbxml
          html, refused = Gbxml::Export.preview_html(gbxml.xml, title: file.name)
        elsif preview
          html = Preview.html(rooms: result.rooms, summary: result.summary.to_h, title: file.name)
        end
        emit(gbxml ? gbxml.xml : result.xml, target, out, files: html ? [[preview, html]] : [])
        unless options[:quiet]
          err.puts "#{PROGRAM}: #{result.summary}"
          report_gbxml(gbxml, err) if gbxml
          err.puts "#{PROGRAM}: wrote #{target}" unless to_stdout?(target)
          err.puts "#{PROGRAM}: wrote #{preview}" if preview && !refused
        end
        return OK unless refused

        err.puts "#{PROGRAM}: no preview: our import refuses the gbXML written (#{refused})"
        FAILED
      rescue BuildingFileError, AtomicFile::Failed, SystemCallError
        raise
      rescue StandardError, NotImplementedError => e
        err.puts "#{PROGRAM}: export of #{source} failed#{at(road)}: #{e.class}: #{first_line(e)}"
        FAILED
      end

      # What the gbXML writer mended and what its checks found, one line each.
      def report_gbxml(gbxml, err)
        err.puts "#{PROGRAM}: #{Gbxml::Export.summary(gbxml)}"
        gbxml.counts[:mended].each { |m| err.puts "#{PROGRAM}: mended: #{m}" }
        gbxml.problems.each { |p| err.puts "#{PROGRAM}: problem: #{p}" }
      end

      def load(source, log)
        return BuildingFile.load(source) unless Gbxml.file?(source)
        file, import = Gbxml.load(source)
        Gbxml.warn(import, source, log, PROGRAM) if log
        log&.puts "#{PROGRAM}: imported #{source}: #{import.summary}"
        file
      end

      def overrides(options)
        settings = {}
        settings[:thin_walls] = true if options[:thin_walls]
        settings[:max_wall_thickness] = options[:max_wall_thickness].m if options[:max_wall_thickness]
        settings
      end
    end
  end
end

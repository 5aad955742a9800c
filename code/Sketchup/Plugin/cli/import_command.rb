require_relative 'file_command'
require_relative '../gbxml'

module QORPlugin
  module CLI
    # Reads a gbXML file and writes the building file it makes, whole or
    # not at all.
    class ImportCommand < FileCommand
      command 'import', 'make a building file from a gbXML file'

      def usage = "#{PROGRAM} import FILE.xml [-o BUILDING.json] [--quiet]"

      private

      def input_kind = 'gbXML file'

      def describe(o, options)
        o.separator 'Without -o, the building file goes to standard output; the summary always goes to'
        o.separator 'standard error.  The building is loaded before it is written, so a file the'
        o.separator 'exporter would refuse is never written.'
        o.separator ''
        output_option(o, options, 'the building file')
        quiet_option(o, options, 'no summary')
      end

      def perform(source, options, out, err)
        target = options[:output]
        result = Gbxml::Importer.import_file(source)
        Gbxml.load_building(result, source)
        emit(result.json, target, out)
        unless options[:quiet]
          Gbxml.warn(result, source, err, PROGRAM)
          err.puts "#{PROGRAM}: #{result.summary}"
          err.puts "#{PROGRAM}: wrote #{target}" unless to_stdout?(target)
        end
        OK
      end
    end
  end
end

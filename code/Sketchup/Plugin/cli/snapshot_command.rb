require_relative 'file_command'
require_relative '../room_export'
require_relative '../snapshots'

module QORPlugin
  module CLI
    # Writes every face of a building as a face snapshot: one XML document.
    class SnapshotCommand < FileCommand
      command 'snapshot', 'write every face of a building as face snapshots (XML)'

      def usage
        "#{PROGRAM} snapshot BUILDING.json [-o OUT.xml]"
      end

      private

      def describe(o, options)
        o.separator 'Captures each face (outline, open holes, materials, attributes) and writes'
        o.separator 'one <faces> document of the snapshots.'
        o.separator ''
        output_option(o, options, 'the document')
      end

      def perform(source, options, out, _err)
        file = BuildingFile.load(source)
        xml = %(<?xml version="1.0" encoding="UTF-8"?>\n#{Snapshots.faces_xml(file.model)}\n)
        emit(xml, options[:output], out)
        OK
      end
    end
  end
end

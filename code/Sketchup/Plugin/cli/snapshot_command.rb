require_relative 'building_command'
require_relative '../snapshots'

module QORPlugin
  module CLI
    # Writes every face of a building as a face snapshot: one XML document.
    class SnapshotCommand < BuildingCommand
      command 'snapshot', 'write every face of a building as face snapshots (XML)'

      def usage
        "#{PROGRAM} snapshot BUILDING.json [-o OUT.xml]"
      end

      private

      def describe(o, _options)
        o.separator 'Captures each face (outline, open holes, materials, attributes) and writes'
        o.separator 'one <faces> document of the snapshots.'
        o.separator ''
      end

      def perform(file, options, out, _err)
        file.prepare
        xml = %(<?xml version="1.0" encoding="UTF-8"?>\n#{Snapshots.faces_xml(file.model)}\n)
        emit(xml, options, out)
        OK
      end
    end
  end
end

require 'tmpdir'
require_relative 'writer'
require_relative 'importer'
require_relative '../building_file'
require_relative '../room_export'
require_relative '../preview/preview'

module QORPlugin
  module Gbxml
    # The export road's result as gbXML, and the preview of what another
    # tool reads back from it.
    module Export
      module_function

      # The Writer's result for a finished RoomExport over a building file
      # (or anything with rooms, name and, optionally, faces by name).
      def write(file, rooms)
        names = file.respond_to?(:faces) && file.faces.is_a?(Hash) ? file.faces.invert.compare_by_identity : {}
        Writer.new(rooms: rooms, descriptions: file.rooms, name: file.name, thin: $thinWalls == 1,
                   face_names: names).run
      end

      # The preview of the gbXML text just written: read back by the
      # import, run through the road, drawn.  Leaves the globals set for
      # the imported building.  Answers [html, nil], or [nil, why the import
      # refused the text].
      def preview_html(xml, title:)
        Dir.mktmpdir('qor-gbxml') do |dir|
          source = File.join(dir, 'written.xml')
          File.binwrite(source, xml)
          building = BuildingFile.new(Importer.import_file(source).json, source)
          building.prepare(progress: Progress.new(out: nil))
          result = RoomExport.new(building, progress: $class_ProgressBar2).run
          [Preview.html(rooms: result.rooms, summary: result.summary.to_h, title: "#{title} (as gbXML)"), nil]
        end
      rescue BuildingFileError => e
        [nil, [e.json_path, e.problem].compact.join(': ')]
      end

      # "gbXML: 2 spaces, 11 surfaces (ExteriorWall 6, ...), 3 openings (...);
      # 0 joined, 2 mended, 0 problems"
      def summary(result)
        c = result.counts
        format('gbXML: %d spaces, %d surfaces (%s), %d openings (%s); %d joined from two outside faces, ' \
               '%d mended, %d problems',
               c[:spaces], c[:surfaces], listing(c[:surface_types]), c[:openings], listing(c[:opening_types]),
               c[:joined_outside], c[:mended].length, result.problems.length)
      end

      def listing(counts) = counts.empty? ? 'none' : counts.map { |k, n| "#{k} #{n}" }.join(', ')
    end
  end
end

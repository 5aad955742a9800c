require_relative 'building_file'
require_relative 'gbxml/importer'
require_relative 'gbxml/room_typing'

module QORPlugin
  # Buildings drawn in other tools, read from gbXML files (docs/gbxml.md).
  module Gbxml
    # Files the commands read as gbXML rather than as a building file.
    def self.file?(path) = File.extname(path.to_s).casecmp?('.xml')

    # The import of a gbXML file and the building it makes, loaded the way
    # the exporter loads a building file.
    def self.load(file)
      result = Importer.import_file(file)
      [load_building(result, file), result]
    end

    # Each element the import mended or left out, one line each.
    def self.warn(result, file, err, program)
      result.warnings.each { |w| err.puts "#{program}: #{file}: warning: #{w}" }
    end

    def self.load_building(result, file)
      BuildingFile.new(result.json, file)
    rescue GbxmlError
      raise
    rescue BuildingFileError => e
      # Our own output refused: say so, rather than point into a file the
      # user never saw.
      raise GbxmlError.new(file, nil, "the imported building is refused (#{e.json_path}: #{e.problem})")
    end
  end
end

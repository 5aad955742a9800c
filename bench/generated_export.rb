require_relative 'building_generator'
require File.expand_path('../code/Sketchup/Plugin/building_file', __dir__)
require File.expand_path('../code/Sketchup/Plugin/room_export', __dir__)

module QORBench
  # A generated building as the export road reads a building file: its
  # model, building object, settings and one room description per room.
  #   file = QORBench::GeneratedFile.new(rooms: 12, seed: 3)
  #   QORPlugin::RoomExport.new(file, progress: file.progress).run.xml
  class GeneratedFile
    attr_reader :name, :model, :building, :rooms, :progress

    def initialize(rooms:, seed: 1, storeys: nil, settings: {}, shared_walls: true, doors: :reveals)
      @name = "generated building #{seed}"
      @model = Sketchup.new_model
      gen = BuildingGenerator.new(@model, rooms: rooms, seed: seed, storeys: storeys,
                                  shared_walls: shared_walls, doors: doors).generate
      @building = QORPlugin::Building.new(doors: gen.doors)
      @rooms = gen.rooms.each_with_index.map do |room, i|
        QORPlugin::BuildingFile::RoomDescription.new(i + 1, "Room #{i + 1}", "Storey #{room.storey + 1}",
                                                     gen.rooms_faces[i], i.odd?, {})
      end
      @progress = QORPlugin::Progress.new(out: nil)
      QORPlugin.prepare(@model, building: @building, progress: @progress, settings: settings)
    end
  end
end

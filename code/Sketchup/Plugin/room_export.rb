require_relative 'export_summary'
require_relative 'unwritten_faces'

module QORPlugin
  # The road of one room export over a loaded building file: rooms, labels,
  # radii, the outer-shell pass, intermediate planes, the outer-shell faces
  # and one Space element per room, assembled into one XML document.
  class RoomExport
    Result = Struct.new(:xml, :rooms, :summary)

    def initialize(building_file, progress: Progress.new(out: nil))
      @file = building_file
      @progress = progress
    end

    def run
      started = Process.clock_gettime(Process::CLOCK_MONOTONIC)
      rooms = build_rooms
      classify(rooms)
      spaces = write_spaces(rooms)
      @progress.finish
      xml = self.class.document(@file.name, spaces)
      seconds = Process.clock_gettime(Process::CLOCK_MONOTONIC) - started
      unwritten = UnwrittenFaces.new(rooms, thin_walls: $thinWalls == 1)
      Result.new(xml, rooms, ExportSummary.new(xml, rooms, seconds, unwritten))
    end

    # Declaration and one root element holding every Space element.
    def self.document(name, spaces)
      %(<?xml version="1.0" encoding="UTF-8"?>\n) +
        %(<Spaces building="#{escape(name)}" units="m">#{spaces.join}</Spaces>\n)
    end

    def self.escape(text)
      text.to_s.gsub(/[&<>"]/, '&' => '&amp;', '<' => '&lt;', '>' => '&gt;', '"' => '&quot;')
    end

    # One room per description, numbered from 1, labelled, with its storey
    # and its stored settings under the key its floor gave it.
    def build_rooms
      rooms = @file.rooms.each_with_index.map do |desc, i|
        QORTA::QORTA_Room.new(building, i + 1, desc.faces, desc.claim_floor)
      end
      building.rooms = rooms
      rooms.zip(@file.rooms) do |room, desc|
        room.setText(desc.name)
        room.levelText = desc.storey
        room.intermediatePlanes = []
        desc.settings.each { |key, value| @file.model.set_attribute('Rooms', "#{room.roomKey} #{key}", value) }
      end
      QORTA.getRoomsRadii(rooms)
      rooms
    end

    private

    def building
      @file.building
    end

    def classify(rooms)
      @progress.stage('outer shell', rooms.length)
      QORTA.setRoomsFacesOuterShellType(rooms, rooms.length)
      @progress.stage('wall planes', rooms.length)
      QORTA.setRoomsIntermediatePlanes(rooms)
      OuterShell.build_faces(rooms, lone_faces: true)
    end

    def write_spaces(rooms)
      @progress.stage('spaces', rooms.length)
      rooms.zip(@file.rooms).each_with_index.map do |(room, desc), i|
        @progress.setValue(rooms.length - i - 1)
        room.getSpaceElement(desc.id)
      end
    end
  end
end

require_relative 'export_summary'
require_relative 'export_state'

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

    # A building already being exported (a progress callback exporting it
    # again) is refused: the second export would change the first one's
    # model under it.
    class ReentryError < StandardError; end

    def run
      started = Process.clock_gettime(Process::CLOCK_MONOTONIC)
      rooms, spaces = own_state do
        rooms = classify(build_rooms)
        [rooms, write_spaces(rooms)]
      end
      @progress.finish
      xml = self.class.document(@file.name, spaces)
      seconds = Process.clock_gettime(Process::CLOCK_MONOTONIC) - started
      Result.new(xml, rooms, ExportSummary.new(xml, rooms, seconds))
    end

    def self.running = (@running ||= {}.compare_by_identity)

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

    # Runs the block with this export's globals, put back after every
    # progress call; the progress object is the caller's again afterwards.
    def own_state
      running = self.class.running
      raise ReentryError, "#{@file.file} is already being exported" if running.key?(@file)
      running[file = @file] = true
      state = ExportState.capture
      given = $class_ProgressBar2
      guarded = ExportState::GuardedProgress.new(given, state)
      state['$class_ProgressBar2'] = guarded
      progress = @progress
      @progress = given.equal?(progress) ? guarded : ExportState::GuardedProgress.new(progress, state)
      state.restore
      yield
    ensure
      if state
        @progress = progress
        state['$class_ProgressBar2'] = given
        state.restore
      end
      running.delete(file) if file
    end

    def classify(rooms)
      @progress.stage('outer shell', rooms.length)
      QORTA.setRoomsFacesOuterShellType(rooms, rooms.length)
      @progress.stage('wall planes', rooms.length)
      QORTA.setRoomsIntermediatePlanes(rooms)
      OuterShell.build_faces(rooms, lone_faces: true)
      rooms
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

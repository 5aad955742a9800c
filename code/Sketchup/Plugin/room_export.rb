require_relative 'export_summary'
require_relative 'unwritten_faces'
require_relative 'export_state'

module QORPlugin
  # The road of one room export over a loaded building file: rooms, labels,
  # radii, the outer-shell pass, intermediate planes, the outer-shell faces
  # and one Space element per room, assembled into one XML document.
  class RoomExport
    Result = Struct.new(:xml, :rooms, :summary)

    # centreline: the outer-shell faces of a centreline model (gbXML).
    def initialize(building_file, progress: Progress.new(out: nil), centreline: false)
      @file = building_file
      @progress = progress
      @centreline = centreline
      @position = ['start']
    end

    # A building already being exported (a progress callback exporting it
    # again) is refused: the second export would change the first one's
    # model under it.
    class ReentryError < StandardError; end

    def run
      started = Process.clock_gettime(Process::CLOCK_MONOTONIC)
      # The model does not change during the road (only room faces' fields
      # and marks no stage reads back), so each face is read of it once.
      rooms, xml = own_state do
        QORTA::QORTA_RoomFace.withFaceReads do
          rooms = classify(build_rooms)
          [rooms, write_document(rooms)]
        end
      end
      @progress.finish
      seconds = Process.clock_gettime(Process::CLOCK_MONOTONIC) - started
      unwritten = UnwrittenFaces.new(rooms, thin_walls: $thinWalls == 1)
      Result.new(xml, rooms, ExportSummary.new(xml, rooms, seconds, unwritten))
    end

    def self.running = (@running ||= {}.compare_by_identity)

    # The declaration and the root element's start tag; the root holds one
    # Space element per room and ends with TAIL.
    def self.head(name)
      %(<?xml version="1.0" encoding="UTF-8"?>\n<Spaces building="#{escape(name)}" units="m">)
    end

    TAIL = "</Spaces>\n".freeze

    def self.escape(text)
      text.to_s.gsub(/[&<>"]/, '&' => '&amp;', '<' => '&lt;', '>' => '&gt;', '"' => '&quot;')
    end

    # One room per description, numbered from 1, labelled, with its storey
    # and its stored settings under the key its floor gave it.
    def build_rooms
      rooms = @file.rooms.each_with_index.map do |desc, i|
        at('rooms', desc)
        QORTA::QORTA_Room.new(building, i + 1, desc.faces, desc.claim_floor)
      end
      at('labels and radii')
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
      by_room = rooms.zip(@file.rooms).to_h { |room, desc| [room.object_id, desc] }
      @progress.stage('outer shell', rooms.length)
      at_pass('outer-shell classification')
      QORTA.setRoomsFacesOuterShellType(rooms, rooms.length)
      @progress.stage('wall planes', rooms.length)
      at_pass('wall planes')
      QORTA.setRoomsIntermediatePlanes(rooms)
      OuterShell.build_faces(rooms, lone_faces: true, centreline: @centreline) do |rf|
        at('outer-shell faces', by_room[rf.room.object_id], rf)
      end
      rooms
    end

    # The whole document, each room's Space element added as it is made: a
    # big building's elements run to tens of megabytes, and holding them
    # apart before joining them would hold them twice.  Making an element
    # leaves spent text behind that the interpreter collects only once
    # tens of megabytes have piled up; a collection of young objects each
    # COLLECT_EVERY bytes of document keeps the pile smaller.  Each such
    # collection sweeps the whole heap, so they are kept few.
    COLLECT_EVERY = 8 << 20

    def write_document(rooms)
      @progress.stage('spaces', rooms.length)
      xml = String.new(self.class.head(@file.name), encoding: Encoding::UTF_8)
      collected = 0
      rooms.zip(@file.rooms).each_with_index do |(room, desc), i|
        at('Space XML', desc)
        @progress.setValue(rooms.length - i - 1)
        xml << room.getSpaceElement(desc.id)
        next if xml.bytesize - collected < COLLECT_EVERY

        collected = xml.bytesize
        GC.start(full_mark: false, immediate_sweep: true)
      end
      xml << TAIL
    end

    # Notes where the export is: a stage, and the room description and room
    # face it is at.  Only a failure message reads it (position).
    def at(stage, desc = nil, room_face = nil)
      @position = [stage, desc, room_face]
    end

    # A pass over every room at once: the rooms it has reported done say
    # how far it got.
    def at_pass(stage)
      @position = [stage, reported]
    end

    # How many values the progress object has had, when it keeps them.
    def reported = @progress.respond_to?(:values) ? Array(@progress.values).length : nil

    public

    # Where the export was last at, for a failure message (the failure itself
    # reaches the caller unchanged): "outer-shell faces, room "Office"
    # (sp-1), face "su-3"".
    def position
      stage, detail, room_face = @position
      return stage.to_s unless stage.is_a?(String) && !detail.nil?
      return "#{stage}, after #{reported - detail} of #{@file.rooms.length} rooms" if detail.is_a?(Integer)
      parts = [stage, %(room "#{detail.name}" (#{detail.id}))]
      face_id = room_face && @file.respond_to?(:face_id) && @file.face_id(room_face.face)
      parts << %(face "#{face_id}") if face_id
      parts.join(', ')
    end
  end
end

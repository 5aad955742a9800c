module QORPlugin
  # The room faces an export does not write as Face elements of their own,
  # each with the reason, so that none is left out without a word.  A face
  # is written when the room's Space element holds its own Face element:
  # not blind (a pane, or covered by a door), not a frame, not an opening,
  # still valid.  With thick walls the outer shell is written from the
  # outer-shell faces; once they are built, a face that has none is listed
  # too.
  class UnwrittenFaces
    Entry = Struct.new(:room, :room_face, :reason)

    attr_reader :list, :built

    def initialize(rooms, thin_walls:)
      @list = []
      @built = 0
      faces = rooms.flat_map { |room| Array(room.roomFaces).map { |rf| [room, rf] } }
      shells = !thin_walls && faces.any? { |_, rf| !rf.instance_variable_get(:@outerShellRoomFaces).nil? }
      rooms.each do |room|
        Array(room.roomFaces).each do |rf|
          @built += 1
          reason = reason(rf) || (shells ? shell_reason(rf) : nil)
          @list << Entry.new(room, rf, reason) if reason
        end
      end
    end

    # Faces not written at all (a face written without an outer-shell face
    # is written all the same).
    def not_written = @list.reject { |e| e.reason == NO_SHELL }
    def written = @built - not_written.length

    # "pane 2, door 1"
    def tally = @list.map { |e| SHORT.fetch(e.reason) }.tally.sort.map { |k, n| "#{k} #{n}" }.join(', ')

    # Each as one line: room name, face number, reason.
    def lines
      @list.map { |e| "#{UnwrittenFaces.room_name(e.room)} face #{e.room_face.instance_variable_get(:@reference)}: #{e.reason}" }
    end

    def self.room_name(room)
      name = room.instance_variable_get(:@textCharacters).to_s
      name.empty? ? "Room #{room.instance_variable_get(:@number)}" : name
    end

    PANE = 'not written: taken for a window pane (one loop, between exactly two faces)'.freeze
    BLIND = 'not written: covered by a door'.freeze
    FRAME = 'not written: frames a window or door of the room'.freeze
    OPENING = 'not written: an opening'.freeze
    INVALID = 'not written: its model face is gone'.freeze
    BUILT = 'not written: built by the export itself'.freeze
    NO_SHELL = 'no outer-shell face written for it'.freeze
    SHORT = { PANE => 'pane', BLIND => 'covered by a door', FRAME => 'frame', OPENING => 'opening',
              INVALID => 'gone', BUILT => 'constructed', NO_SHELL => 'no outer-shell face' }.freeze

    private

    def flag(rf, name) = rf.instance_variable_get(name) == true

    def reason(rf)
      return BUILT if flag(rf, :@internallyConstructed)
      return PANE if flag(rf, :@isWindow)
      return BLIND if flag(rf, :@blind)
      return OPENING if flag(rf, :@isOpening)
      return FRAME if flag(rf, :@isWindowFrame) || flag(rf, :@isDoorFrame)
      face = rf.instance_variable_get(:@face)
      INVALID if face.respond_to?(:valid?) && !face.valid?
    end

    def shell_reason(rf)
      shells = rf.instance_variable_get(:@outerShellRoomFaces)
      NO_SHELL if shells.nil? || shells.empty?
    end
  end
end

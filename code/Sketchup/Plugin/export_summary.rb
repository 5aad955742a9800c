module QORPlugin
  # What an export wrote, for the user: rooms, faces by type, external and
  # internal faces, openings by type, and the time taken.
  class ExportSummary
    attr_reader :spaces, :faces, :openings, :external, :internal, :seconds, :unwritten

    # unwritten: the UnwrittenFaces of the rooms, or nil.
    def initialize(xml, rooms, seconds, unwritten = nil)
      @unwritten = unwritten
      @spaces = xml.scan('<Space ').length
      @faces = tally(xml, /<Face faceType="([^"]*)"/)
      @openings = tally(xml, /<Opening openingType="([^"]*)"/)
      # By identity, without giving every face an object id the interpreter
      # would keep for the rest of the run.
      written = {}.compare_by_identity
      rooms.each do |room|
        room.roomFaces.each { |rf| [rf, *Array(rf.outerShellRoomFaces)].each { |f| written[f] = true } }
      end
      # getFaceElement settles @isExternal on every face it writes.
      @external = written.count { |rf, _| rf.isExternal == true }
      @internal = written.count { |rf, _| rf.isExternal == false }
      @seconds = seconds
    end

    def face_count
      @faces.values.sum
    end

    def opening_count
      @openings.values.sum
    end

    # The figures as labelled text, for the preview's summary panel.
    def to_h
      h = { 'Face elements' => "#{face_count} (#{listing(@faces)})",
        'written external / internal' => "#{@external} / #{@internal}",
        'Opening elements' => "#{opening_count} (#{listing(@openings)})",
        'export time' => format('%.2f s', @seconds) }
      h['room faces'] = room_faces if listed?
      h
    end

    def to_s
      format("%d rooms, %d faces (%s; %d external, %d internal), %d openings (%s) in %.2f s",
             @spaces, face_count, listing(@faces), @external, @internal,
             opening_count, listing(@openings), @seconds) + (listed? ? "; room faces: #{room_faces}" : '')
    end

    private

    def listed? = @unwritten && !@unwritten.list.empty?

    # "24 built, 22 written, 2 not written (pane 2)"
    def room_faces
      "#{@unwritten.built} built, #{@unwritten.written} written, #{@unwritten.not_written.length} not written " \
        "(#{@unwritten.tally})"
    end

    public

    private

    # How often each first group of pattern occurs, by group, counted as
    # the scan goes: a big document's matches are never all held at once.
    def tally(xml, pattern)
      counts = Hash.new(0)
      xml.scan(pattern) { counts[$1] += 1 }
      counts.sort.to_h
    end

    def listing(counts)
      counts.empty? ? 'none' : counts.map { |type, n| "#{type} #{n}" }.join(', ')
    end
  end
end

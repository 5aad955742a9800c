module QORPlugin
  # What an export wrote, for the user: rooms, faces by type, external and
  # internal faces, openings by type, and the time taken.
  class ExportSummary
    attr_reader :spaces, :faces, :openings, :external, :internal, :seconds

    def initialize(xml, rooms, seconds)
      @spaces = xml.scan('<Space ').length
      @faces = tally(xml.scan(/<Face faceType="([^"]*)"/))
      @openings = tally(xml.scan(/<Opening openingType="([^"]*)"/))
      written = rooms.flat_map do |room|
        room.roomFaces.flat_map { |rf| [rf] + Array(rf.outerShellRoomFaces) }
      end.uniq(&:object_id)
      # getFaceElement settles @isExternal on every face it writes.
      @external = written.count { |rf| rf.isExternal == true }
      @internal = written.count { |rf| rf.isExternal == false }
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
      { 'Face elements' => "#{face_count} (#{listing(@faces)})",
        'written external / internal' => "#{@external} / #{@internal}",
        'Opening elements' => "#{opening_count} (#{listing(@openings)})",
        'export time' => format('%.2f s', @seconds) }
    end

    def to_s
      format("%d rooms, %d faces (%s; %d external, %d internal), %d openings (%s) in %.2f s",
             @spaces, face_count, listing(@faces), @external, @internal,
             opening_count, listing(@openings), @seconds)
    end

    private

    def tally(matches)
      matches.flatten.tally.sort.to_h
    end

    def listing(counts)
      counts.empty? ? 'none' : counts.map { |type, n| "#{type} #{n}" }.join(', ')
    end
  end
end

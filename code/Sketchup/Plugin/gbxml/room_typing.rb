require_relative 'agreement'

module QORPlugin
  module Gbxml
    # Our side of the agreement: what the rooms of an imported building
    # made of each face, looked up by face id and space id.
    class RoomTyping
      # building_file: the imported building, loaded; rooms: its rooms, in
      # the file's order, after the export road.
      def initialize(building_file, rooms)
        @faces = building_file.faces
        @seen = {}.compare_by_identity
        rooms.zip(building_file.rooms) do |room, desc|
          room.roomFaces.each do |rf|
            (@seen[rf.face] ||= {})[desc.id] = Agreement::Observation.new(rf.type, rf.isExternal)
          end
        end
      end

      def observe(face_id, space_id)
        face = @faces[face_id]
        face && @seen.fetch(face, {})[space_id]
      end

      def agreement(expectations)
        Agreement.new(expectations) { |e, space_id| observe(e.face_id, space_id) }
      end
    end
  end
end

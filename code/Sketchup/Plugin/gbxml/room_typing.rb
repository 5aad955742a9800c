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

      # The pieces of a surface split into planar pieces agree when each
      # does: the first that differs from the others speaks for the surface.
      def observe_pieces(face_ids, space_id)
        seen = face_ids.map { |id| observe(id, space_id) }
        seen.find { |o| o != seen.first } || seen.first
      end

      def agreement(expectations)
        Agreement.new(expectations) { |e, space_id| observe_pieces(e.face_ids, space_id) }
      end
    end
  end
end

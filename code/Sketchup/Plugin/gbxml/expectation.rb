require_relative 'plane_geometry'

module QORPlugin
  module Gbxml
    # What a gbXML file says of one surface: for each space beside it,
    # whether it is that space's floor, wall or ceiling, and whether the
    # surface is external (one space) or internal (two).
    class Expectation
      FLOOR_TYPES = %w[InteriorFloor SlabOnGrade UndergroundSlab RaisedFloor ExposedFloor].freeze
      CEILING_TYPES = %w[Roof Ceiling UndergroundCeiling].freeze
      WALL_TYPES = %w[ExteriorWall InteriorWall UndergroundWall].freeze
      # For types that do not say (Air and the like): the export's default
      # floor angle, 45 degrees from level.
      LEVEL_COSINE = Math.cos(Math::PI / 4)

      attr_reader :surface_id, :surface_class, :face_id, :space_ids, :centroid, :types

      def initialize(surface_id, surface_class, face_id, space_ids, plane, centroid, types: nil)
        @surface_id = surface_id
        @surface_class = surface_class || '(none)'
        @face_id = face_id
        @space_ids = space_ids
        @plane = plane
        @centroid = centroid
        @types = types
      end

      def external? = @space_ids.length == 1

      # Sets the expected types from where each space's middle lies: a
      # floor or ceiling type is the floor of the space above it and the
      # ceiling of the space below it.
      def settle(centres)
        @types = @space_ids.to_h { |id| [id, expected_type(centres.fetch(id))] }
      end

      private

      def level?
        return true if FLOOR_TYPES.include?(@surface_class) || CEILING_TYPES.include?(@surface_class)
        return false if WALL_TYPES.include?(@surface_class)
        @plane.normal[2].abs > LEVEL_COSINE
      end

      def expected_type(centre)
        return 'Wall' unless level?
        above = @plane.offset(centre) * @plane.normal[2]
        above.positive? ? 'Floor' : 'Ceiling'
      end
    end
  end
end

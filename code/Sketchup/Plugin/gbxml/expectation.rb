require_relative 'plane_geometry'

module QORPlugin
  module Gbxml
    # What a gbXML file says of one surface: for each space beside it,
    # whether it is that space's floor, wall or ceiling, and whether the
    # surface is external (one space) or internal (two).
    class Expectation
      FLOOR_TYPES = %w[InteriorFloor SlabOnGrade UndergroundSlab RaisedFloor ExposedFloor Floor].freeze
      CEILING_TYPES = %w[Roof Ceiling UndergroundCeiling].freeze
      WALL_TYPES = %w[ExteriorWall InteriorWall UndergroundWall].freeze
      # For types that do not say (Air and the like): the export's default
      # floor angle, 45 degrees from level.
      LEVEL_COSINE = Math.cos(Math::PI / 4)

      attr_reader :surface_id, :surface_class, :face_ids, :space_ids, :centroid, :types

      # surface: the Reader's Surface; face_ids: the faces the import made of
      # it (more than one for a surface split into planar pieces).
      def initialize(surface, face_ids, space_ids, plane, centroid, types: nil)
        @surface_id = surface.id
        @surface_class = surface.type || '(none)'
        @space_types = surface.space_types || {}
        @one_space = surface.one_space_both_sides ? true : false
        @face_ids = face_ids
        @space_ids = space_ids
        @plane = plane
        @centroid = centroid
        @types = types
      end

      def face_id = @face_ids.first
      def external? = @space_ids.length == 1 && !@one_space

      # A surface with one space on both sides is a row of its own; which
      # side is outside is then not the file's to say.
      def row = @one_space ? "#{@surface_class} (one space both sides)" : @surface_class
      def adjacency_judged? = !@one_space

      # Sets the expected types.  A roof or ceiling type is a ceiling and a
      # floor type a floor of a space on one side; between two spaces each
      # space's own type on its AdjacentSpaceId decides, else the side on
      # which each space's surfaces lie (by_space: space id => its
      # surfaces' centroids).
      def settle(by_space)
        @types =
          if !level? then @space_ids.to_h { |id| [id, 'Wall'] }
          elsif @space_ids.length == 2 then between(by_space)
          else @space_ids.to_h { |id| [id, own_type(id) || by_class || side(by_space, id)] }
          end
      end

      private

      def level?
        return true if FLOOR_TYPES.include?(@surface_class) || CEILING_TYPES.include?(@surface_class)
        return false if WALL_TYPES.include?(@surface_class)
        @plane.normal[2].abs > LEVEL_COSINE
      end

      def by_class
        return 'Floor' if FLOOR_TYPES.include?(@surface_class)
        'Ceiling' if CEILING_TYPES.include?(@surface_class)
      end

      def own_type(space_id)
        type = @space_types[space_id]
        return 'Floor' if FLOOR_TYPES.include?(type)
        'Ceiling' if CEILING_TYPES.include?(type)
      end

      # The space whose surfaces lie higher above the plane is above it.
      def between(by_space)
        a, b = @space_ids
        own = [own_type(a), own_type(b)]
        return { a => own[0], b => own[1] } if own.all?
        return { a => own[0], b => own[0] == 'Floor' ? 'Ceiling' : 'Floor' } if own[0]
        return { a => own[1] == 'Floor' ? 'Ceiling' : 'Floor', b => own[1] } if own[1]
        above = height(by_space, a) >= height(by_space, b)
        { a => above ? 'Floor' : 'Ceiling', b => above ? 'Ceiling' : 'Floor' }
      end

      def side(by_space, id) = height(by_space, id).positive? ? 'Floor' : 'Ceiling'

      # How far above the plane the space's surfaces lie, on average.
      def height(by_space, id)
        points = by_space.fetch(id, [])
        return 0.0 if points.empty?
        up = @plane.normal[2].negative? ? -1.0 : 1.0
        points.sum { |p| @plane.offset(p) * up } / points.length
      end
    end
  end
end

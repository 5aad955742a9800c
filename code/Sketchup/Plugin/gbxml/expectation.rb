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

      attr_reader :surface_id, :surface_class, :face_ids, :space_ids, :centroid, :types, :footprint

      # The plan box of the points: [min x, min y, max x, max y].
      def self.footprint(points)
        xs = points.map { |p| p[0] }
        ys = points.map { |p| p[1] }
        [xs.min, ys.min, xs.max, ys.max]
      end

      # surface: the Reader's Surface; face_ids: the faces the import made of
      # it (more than one for a surface split into planar pieces).
      def initialize(surface, face_ids, space_ids, plane, centroid, types: nil, footprint: nil)
        @surface_id = surface.id
        @surface_class = surface.type || '(none)'
        @space_types = surface.space_types || {}
        @one_space = surface.one_space_both_sides ? true : false
        @face_ids = face_ids
        @space_ids = space_ids
        @plane = plane
        @centroid = centroid
        @types = types
        @footprint = footprint
      end

      def face_id = @face_ids.first
      def external? = @space_ids.length == 1 && !@one_space

      # A surface with one space on both sides is a row of its own; which
      # side is outside is then not the file's to say.
      def row = @one_space ? "#{@surface_class} (one space both sides)" : @surface_class
      def adjacency_judged? = !@one_space
      def level_surface? = level?

      # Sets the expected types.  A roof or ceiling type is a ceiling and a
      # floor type a floor of a space on one side; between two spaces each
      # space's own type on its AdjacentSpaceId decides, else the side on
      # which each space's own level surfaces over the same plan lie
      # (by_space: space id => the expectations of its surfaces).
      def settle(by_space)
        @types =
          if !level? then @space_ids.to_h { |id| [id, 'Wall'] }
          elsif @space_ids.length == 2 then between(by_space)
          else @space_ids.to_h { |id| [id, own_type(id) || by_class || side(by_space, id)] }
          end
      end

      private

      def level?
        return true if @plane.nil?
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

      # How far above the plane the space lies: the mean height of its other
      # level surfaces whose plan overlaps this one's (all its surfaces when
      # none does), so that a space reaching both above and below the
      # surface elsewhere is judged where it meets the surface.
      def height(by_space, id)
        others = by_space.fetch(id, []).reject { |e| e.equal?(self) }
        near = others.select { |e| e.level_surface? && overlaps?(e.footprint) }
        near = others if near.empty?
        return 0.0 if near.empty?
        up = @plane.normal[2].negative? ? -1.0 : 1.0
        near.sum { |e| @plane.offset(e.centroid) * up } / near.length
      end

      def overlaps?(box)
        return false unless box && @footprint
        tol = PlaneGeometry::POINT_TOLERANCE
        box[0] < @footprint[2] - tol && @footprint[0] < box[2] - tol &&
          box[1] < @footprint[3] - tol && @footprint[1] < box[3] - tol
      end
    end
  end
end

module QORPlugin
  module Preview
    Problem = Struct.new(:kind, :room, :face, :text)

    # What the export could not settle: faces without a surface or
    # outer-shell type, internal faces with no face paired across the wall,
    # rooms without a floor, openings that no outer-shell face carries, and
    # every room face not written (with why: unwritten maps a room face to
    # its reason).
    class Problems
      SURFACE_TYPES = %w[Floor Wall Ceiling].freeze
      INTERNAL = 2
      # Two centroids closer than this (inches, 1 mm) are the same opening.
      SAME_OPENING = 0.04

      attr_reader :list

      def initialize(room_views, unwritten = {})
        @list = []
        @faces = {}.compare_by_identity
        @rooms = {}.compare_by_identity
        @dropped = {}.compare_by_identity
        @unwritten = unwritten
        room_views.each { |rv| check_room(rv) }
      end

      def room?(room_view)
        @rooms.key?(room_view)
      end

      def face?(face_view)
        @faces.key?(face_view)
      end

      def dropped?(opening_view)
        @dropped.key?(opening_view)
      end

      private

      def check_room(rv)
        add(:no_floor, rv, nil, "#{rv.name} has no floor") unless rv.faces.any? { |fv| fv.type == 'Floor' }
        rv.faces.each { |fv| check_face(fv) }
        (rv.faces + Array(rv.unwritten)).each do |fv|
          reason = @unwritten[fv.source]
          add(:not_written, rv, fv, "#{rv.name} face #{fv.reference}: #{reason}") if reason
        end
      end

      def check_face(fv)
        label = "#{fv.room.name} face #{fv.reference}"
        add(:untyped, fv.room, fv, "#{label} has no surface type") unless SURFACE_TYPES.include?(fv.type)
        add(:untyped, fv.room, fv, "#{label} has no outer-shell type") if fv.shell.nil?
        if fv.shell == INTERNAL && fv.opposites.empty?
          add(:unpaired, fv.room, fv, "#{label} is internal but no face across the wall was paired with it")
        end
        dropped_openings(fv).each do |ov|
          @dropped[ov] = true
          add(:dropped, fv.room, fv, "#{label}: a #{ov.kind} is on no outer-shell face")
        end
      end

      # Openings of a face that none of its outer-shell faces carries, found
      # by projecting each opening's centroid along the face's normal.  Only
      # judged once the outer-shell faces exist.
      def dropped_openings(fv)
        shells = fv.outer_shell_faces.reject { |v| v.points.length < 3 }
        return [] if shells.empty?
        fv.openings.reject { |ov| shells.any? { |v| carries?(v, ov, fv.normal) } }
      end

      def carries?(shell_face, opening, direction)
        n = shell_face.normal
        plane = n + [-PlainGeometry.dot(n, shell_face.points.first)]
        target = PlainGeometry.along_to_plane(plane, PlainGeometry.mean(opening.points), direction)
        return false unless target
        shell_face.openings.any? do |o|
          PlainGeometry.length(PlainGeometry.sub(PlainGeometry.mean(o.points), target)) < SAME_OPENING
        end
      end

      def add(kind, room, face, text)
        @list << Problem.new(kind, room, face, text)
        if face
          @faces[face] = true
        else
          @rooms[room] = true
        end
      end
    end
  end
end

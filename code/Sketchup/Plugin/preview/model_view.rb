module QORPlugin
  module Preview
    # What the drawings need of the exported rooms, read once into plain
    # values.  Fields a pass has not set yet read as nil or empty.
    OpeningView = Struct.new(:kind, :points)
    FaceView = Struct.new(:room, :reference, :type, :shell, :points, :normal, :openings,
                          :opposites, :planes, :outer_shell_faces, :source)
    # unwritten: views of the room's faces the export did not write.
    RoomView = Struct.new(:number, :name, :key, :level, :level_text, :floor_area, :wall_area,
                          :glazed_area, :max_height, :faces, :source, :unwritten)

    module ModelView
      OPENING_KINDS = %w[door window air].freeze

      module_function

      # Views of the rooms, and an index from each room face object to its
      # view (opposite faces are named through it).
      def read(rooms)
        views = rooms.map { |room| room_view(room) }
        index = {}.compare_by_identity
        views.each { |rv| rv.faces.each { |fv| index[fv.source] = fv } }
        [views, index]
      end

      def room_view(room)
        number = field(room, :@number)
        label = field(room, :@textCharacters)
        rv = RoomView.new(number, label.nil? || label.to_s.empty? ? "Room #{number}" : Markup.clip(label.to_s),
                          field(room, :@roomKey), number_or_nil(field(room, :@level)),
                          field(room, :@levelText), m2(field(room, :@totalFloorArea)),
                          m2(field(room, :@totalWallArea)), m2(field(room, :@totalGlazedArea)),
                          cm_to_m(field(room, :@maximumHeight)), [], room, [])
        list(room, :@roomFaces).each do |rf|
          (exported?(rf) ? rv.faces : rv.unwritten) << face_view(rf, rv)
        end
        rv
      end

      # Blind faces (panes, faces a door covers), faces that are openings and
      # faces the export built itself are not among a room's own faces.
      def exported?(room_face)
        %i[@internallyConstructed @blind @isOpening].none? { |name| field(room_face, name) == true }
      end

      def face_view(room_face, room_view)
        points = list(room_face, :@faceVertexPoints)
        points = list(room_face, :@facePolygon) if points.empty?
        points = points.map { |p| coordinates(p) }.compact
        openings = list(room_face, :@windows).map { |o| opening_view(o, 'window') } +
                   (list(room_face, :@doors) + list(room_face, :@projectedDoors)).uniq.map { |o| opening_view(o, 'door') }
        type = field(room_face, :@type)
        shell = field(room_face, :@outerShellType)
        fv = FaceView.new(room_view, field(room_face, :@reference), type.nil? ? nil : type.to_s,
                          shell.is_a?(Integer) ? shell : nil, points, PlainGeometry.normal(points),
                          openings.compact, list(room_face, :@oppositeRoomFaces),
                          list(room_face, :@intermediatePlanes).map { |pl| plane(pl) }, [], room_face)
        fv.outer_shell_faces = list(room_face, :@outerShellRoomFaces).map { |v| face_view(v, room_view) }
        fv
      end

      def opening_view(opening, default_kind)
        points = list(opening, :@vertices).map { |v| coordinates(v) }.compact
        return nil if points.empty?
        kind = field(opening, :@type).to_s.downcase
        OpeningView.new(OPENING_KINDS.include?(kind) ? kind : default_kind, points)
      end

      # [x, y, z] of a point, a vertex or a pseudo vertex; nil for a vertex
      # that has been deleted.
      def coordinates(item)
        return nil if item.respond_to?(:valid?) && item.respond_to?(:position) && !item.valid?
        point = item.respond_to?(:position) ? item.position : item
        return nil unless point.respond_to?(:to_a)
        a = point.to_a
        a.length >= 3 && a[0, 3].all? { |c| c.is_a?(Numeric) } ? a[0, 3].map(&:to_f) : nil
      end

      def plane(value)
        a = value.respond_to?(:to_a) ? value.to_a : []
        a.length == 4 && a.all? { |c| c.is_a?(Numeric) } ? a.map(&:to_f) : nil
      end

      def field(object, name)
        object.instance_variable_defined?(name) ? object.instance_variable_get(name) : nil
      end

      def list(object, name)
        value = field(object, name)
        value.is_a?(Array) ? value : []
      end

      def number_or_nil(value)
        value.is_a?(Numeric) ? value.to_f : nil
      end

      def m2(cm2)
        cm2.is_a?(Numeric) ? cm2 / 10_000.0 : nil
      end

      def cm_to_m(cm)
        cm.is_a?(Numeric) ? cm / 100.0 : nil
      end
    end
  end
end

require_relative 'plane_geometry'
require_relative 'room_fields'

module QORPlugin
  module Gbxml
    # Each room face's normal turned out of its room.  The road's own
    # answer (the model face's normal, reversed when it points in) stands
    # unless the face's edges run the same way as those of most faces of
    # its room beside it: a closed room's faces, all turned outward, run
    # each shared edge once each way, so such a face is turned into its
    # room and is turned back (and named).
    class OutwardNormals
      include RoomFields

      TOL = PlaneGeometry::POINT_TOLERANCE

      # turned: one line per face turned back; unread: one line per face
      # whose outline or normal could not be read (left out).
      attr_reader :turned, :unread

      def initialize(rooms)
        @normals = {}.compare_by_identity
        @turned = []
        @unread = []
        rooms.each_with_index { |room, i| settle(room, i) }
      end

      # The outward normal of room face rf; nil for a face without one.
      def [](rf) = @normals[rf]&.normal

      # Room face rf's outline (metres), turned round its outward normal.
      def outline(rf) = @normals[rf]&.points

      private

      Entry = Struct.new(:rf, :normal, :points, :box, :edges)
      # An edge from a to b: its direction (unit) and length.
      Edge = Struct.new(:a, :b, :unit, :length)

      def settle(room, index)
        entries = room.roomFaces.filter_map do |rf|
          next if field(rf, :@internallyConstructed) == true
          begin
            entry(rf)
          rescue StandardError => e
            @unread << "room #{index + 1} face #{field(rf, :@reference)}: its outline cannot be read (#{e.message}); left out"
            nil
          end
        end
        # The worst first: a wrong face misleads the votes of those beside it.
        entries.length.times do
          worst, lead = entries.map { |e| [e, votes(e, entries).then { |same, opposite| same - opposite }] }.max_by(&:last)
          break unless worst && lead.positive?
          worst.normal = PlaneGeometry.scale(worst.normal, -1.0)
          worst.points = worst.points.reverse
          worst.edges = edges(worst.points)
          @turned << "room #{index + 1} face #{field(worst.rf, :@reference)}: turned into its room by the road; turned out"
        end
        entries.each { |e| @normals[e.rf] = e }
      end

      def entry(rf)
        face = field(rf, :@face)
        return nil unless face.respond_to?(:outer_loop) && face.respond_to?(:normal)
        n = face.normal.to_a.map(&:to_f)
        n = PlaneGeometry.scale(n, -1.0) if field(rf, :@normalDirectionIn) == true
        return nil unless PlaneGeometry.length(n) > 0.5
        points = face.outer_loop.vertices.map { |v| v.position.to_a.map(&:to_m) }
        # The loop as it turns round the outward normal.
        loop_n = PlaneGeometry.loop_normal(points) or return nil
        points = points.reverse if PlaneGeometry.dot(loop_n, n).negative?
        Entry.new(rf, n, points, points.transpose.map(&:minmax), edges(points))
      end

      # How many of the other faces' edges run along one of e's edges the
      # same way, and how many the other way.
      def votes(e, entries)
        same = 0
        opposite = 0
        entries.each do |o|
          next if o.equal?(e) || !touch?(e.box, o.box)
          e.edges.each do |x|
            o.edges.each do |y|
              case along(x, y)
              when 1 then same += 1
              when -1 then opposite += 1
              end
            end
          end
        end
        [same, opposite]
      end

      def touch?(a, b) = a.zip(b).all? { |(lo1, hi1), (lo2, hi2)| lo1 <= hi2 + TOL && lo2 <= hi1 + TOL }

      def edges(points)
        points.each_index.filter_map do |i|
          a = points[i - 1]
          ab = PlaneGeometry.sub(points[i], a)
          len = PlaneGeometry.length(ab)
          Edge.new(a, points[i], PlaneGeometry.scale(ab, 1.0 / len), len) if len >= TOL
        end
      end

      # 1 when edge y lies along edge x (overlapping some length) the same
      # way, -1 the other way, nil when they do not share a stretch.
      def along(x, y)
        return nil if PlaneGeometry.dot(x.unit, y.unit).abs < 0.999
        a = x.a
        u = x.unit
        len = x.length
        c = y.a
        d = y.b
        return nil if off_line(c, a, u) > TOL || off_line(d, a, u) > TOL
        tc = PlaneGeometry.dot(PlaneGeometry.sub(c, a), u)
        td = PlaneGeometry.dot(PlaneGeometry.sub(d, a), u)
        return nil if [tc, td].max.clamp(0.0, len) - [tc, td].min.clamp(0.0, len) <= TOL
        td > tc ? 1 : -1
      end

      def off_line(p, a, u)
        ap = PlaneGeometry.sub(p, a)
        PlaneGeometry.length(PlaneGeometry.sub(ap, PlaneGeometry.scale(u, PlaneGeometry.dot(ap, u))))
      end
    end
  end
end

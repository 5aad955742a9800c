module QORPlugin
  module Preview
    # The whole building seen from the south-west, above: one group per
    # room, one polygon per exported face, its openings drawn over it.
    # Classes carry the surface type (t-…) and the outer-shell type (s…) so
    # that the page can colour by either.
    class Axonometric
      include Markup

      SQRT2 = Math.sqrt(2.0)
      SQRT6 = Math.sqrt(6.0)

      def initialize(room_views, problems, index)
        @rooms = room_views
        @problems = problems
        @index = index
      end

      def to_s
        groups = @rooms.sort_by { |rv| -depth(rv.faces.flat_map(&:points)) }.map { |rv| room_group(rv) }
        "<svg id=\"axo\" class=\"axo mode-type\" xmlns=\"http://www.w3.org/2000/svg\" " \
          "viewBox=\"#{frame.join(' ')}\">#{groups.join}</svg>"
      end

      private

      # Farther faces first, so that nearer ones paint over them.
      def room_group(rv)
        inner = rv.faces.sort_by { |fv| -depth(fv.points) }.map { |fv| face_polygon(fv) }.join
        Array(rv.unwritten).each do |fv|
          next if fv.points.length < 3
          inner << titled('polygon', "class=\"unwritten problem\" data-ref=\"#{esc(fv.reference)}\" " \
                                     "points=\"#{screen(fv.points)}\"", "#{Details.face_name(fv)}: not written")
        end
        cls = @problems.room?(rv) ? 'room problem' : 'room'
        titled('g', "class=\"#{cls}\" data-room=\"#{esc(rv.number)}\"", Details.room(rv), inner)
      end

      def face_polygon(fv)
        type = %w[Floor Wall Ceiling].include?(fv.type) ? fv.type : 'other'
        shell = fv.shell.nil? ? 'x' : fv.shell
        cls = "face t-#{type} s#{shell}#{' problem' if @problems.face?(fv)}"
        out = titled('polygon', "class=\"#{cls}\" data-ref=\"#{esc(fv.reference)}\" points=\"#{screen(fv.points)}\"",
                     Details.face(fv, @index))
        fv.openings.each do |ov|
          next if ov.points.length < 3
          dropped = @problems.dropped?(ov) ? ' dropped problem' : ''
          out << "<polygon class=\"op #{ov.kind}#{dropped}\" points=\"#{screen(ov.points)}\"/>"
        end
        out
      end

      def frame
        points = @rooms.flat_map { |rv| rv.faces.flat_map(&:points) }.map { |p| project(p) }
        return [0, 0, 1000, 1000] if points.empty?
        xs = points.map(&:first)
        ys = points.map(&:last)
        margin = ([xs.max - xs.min, ys.max - ys.min].max * 0.03).round + 200
        [xs.min - margin, ys.min - margin, xs.max - xs.min + 2 * margin, ys.max - ys.min + 2 * margin]
      end

      def screen(points)
        points_attr(points.map { |p| project(p) })
      end

      # Millimetres on screen: right along (1, -1, 0), up along (1, 1, 2).
      def project(p)
        x, y, z = p.map { |c| c * MM_PER_INCH }
        [((x - y) / SQRT2).round, (-(x + y + 2 * z) / SQRT6).round]
      end

      # Distance from the viewer, who looks along (1, 1, -1).
      def depth(points)
        c = PlainGeometry.mean(points)
        c[0] + c[1] - c[2]
      end
    end
  end
end

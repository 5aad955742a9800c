module QORPlugin
  module Preview
    # One storey seen from above: each room a group with its floor outlines,
    # its walls as lines and its name and floor area; walls paired across
    # as bands with their intermediate plane; openings on the walls, or on
    # the intermediate plane of a paired wall.  x east, y north, millimetres.
    class Plan
      include Markup

      # A wall's footprint: the line through its centre along the wall,
      # `across` its horizontal normal, s0..s1 its extent along `dir`.
      Trace = Struct.new(:origin, :dir, :across, :s0, :s1, :z)

      # viewBox [x, y, width, height] around every room's points.
      def self.frame(room_views)
        points = room_views.flat_map { |rv| rv.faces.flat_map(&:points) }
        return [0, -1000, 1000, 1000] if points.empty?
        xs = points.map { |p| (p[0] * MM_PER_INCH).round }
        ys = points.map { |p| -(p[1] * MM_PER_INCH).round }
        margin = ([xs.max - xs.min, ys.max - ys.min].max * 0.04).round + 200
        [xs.min - margin, ys.min - margin, xs.max - xs.min + 2 * margin, ys.max - ys.min + 2 * margin]
      end

      def initialize(storey, frame, problems, index)
        @storey = storey
        @frame = frame
        @problems = problems
        @index = index
        @font = [@frame[2], @frame[3]].max / 70
      end

      def to_s
        bands = +''
        openings = +''
        @drawn_bands = {}
        @drawn_openings = {}
        rooms = @storey.rooms.map { |rv| room_group(rv, bands, openings) }.join
        "<svg class=\"plan\" xmlns=\"http://www.w3.org/2000/svg\" viewBox=\"#{@frame.join(' ')}\" " \
          "font-size=\"#{@font}\"><g class=\"rooms\">#{rooms}</g><g class=\"bands\">#{bands}</g>" \
          "<g class=\"openings\">#{openings}</g></svg>"
      end

      private

      def room_group(rv, bands, openings)
        inner = +''
        floors = rv.faces.select { |fv| fv.type == 'Floor' }
        floors.each { |fv| inner << "<polygon class=\"floor\" data-ref=\"#{esc(fv.reference)}\" points=\"#{xy_points(fv.points)}\"/>" }
        rv.faces.each do |fv|
          t = trace(fv)
          next unless t && !%w[Floor Ceiling].include?(fv.type)
          paired = draw_bands(fv, t, bands)
          inner << wall_line(fv, t) unless paired
          fv.openings.each { |ov| openings << opening_mark(fv, t, ov) }
        end
        Array(rv.unwritten).each { |fv| inner << unwritten_outline(fv) }
        inner << label(rv, floors.empty? ? rv.faces : floors)
        cls = @problems.room?(rv) ? 'room problem' : 'room'
        titled('g', "class=\"#{cls}\" data-room=\"#{esc(rv.number)}\"", Details.room(rv), inner)
      end

      # A face the export did not write, outlined (a wall by its footprint).
      def unwritten_outline(fv)
        t = trace(fv)
        title = "#{Details.face_name(fv)}: not written"
        if t
          (x1, y1), (x2, y2) = [at(t, t.s0), at(t, t.s1)].map { |p| svg_xy(p) }
          return titled('line', "class=\"unwritten problem\" data-ref=\"#{esc(fv.reference)}\" " \
                                "x1=\"#{x1}\" y1=\"#{y1}\" x2=\"#{x2}\" y2=\"#{y2}\"", title)
        end
        return '' if fv.points.length < 3
        titled('polygon', "class=\"unwritten problem\" data-ref=\"#{esc(fv.reference)}\" " \
                          "points=\"#{xy_points(fv.points)}\"", title)
      end

      def wall_line(fv, t)
        (x1, y1), (x2, y2) = [at(t, t.s0), at(t, t.s1)].map { |p| svg_xy(p) }
        titled('line', "class=\"#{face_classes('wall', fv)}\" data-ref=\"#{esc(fv.reference)}\" " \
                       "x1=\"#{x1}\" y1=\"#{y1}\" x2=\"#{x2}\" y2=\"#{y2}\"", Details.face(fv, @index))
      end

      # Bands for the face's pairs not drawn yet; true when the face has a
      # drawable pair.
      def draw_bands(fv, t, out)
        drawn = false
        fv.opposites.each_with_index do |opposite, i|
          other = @index[opposite]
          ot = other && trace(other)
          next unless ot
          drawn = true
          key = [fv.source.object_id, opposite.object_id].sort
          next if @drawn_bands[key]
          @drawn_bands[key] = true
          out << band(fv, t, other, ot, fv.planes[i])
        end
        drawn
      end

      def band(fv, t, other, ot, plane)
        along_other = other.points.map { |p| along(t, p) }
        s0 = [t.s0, along_other.min].max
        s1 = [t.s1, along_other.max].min
        s0, s1 = t.s0, t.s1 if s1 <= s0
        off = offset(t, ot.origin)
        corners = [at(t, s0), at(t, s1), at(t, s1, off), at(t, s0, off)].map { |p| svg_xy(p) }
        problem = @problems.face?(fv) || @problems.face?(other)
        title = "wall #{format('%.3f m', off.abs * 0.0254)} thick between #{Details.face_name(fv)} " \
                "and #{Details.face_name(other)}\n\n#{Details.face(fv, @index)}\n\n#{Details.face(other, @index)}"
        out = titled('polygon', "class=\"band#{' problem' if problem}\" data-refs=\"#{esc(fv.reference)} " \
                                "#{esc(other.reference)}\" points=\"#{points_attr(corners)}\"", title)
        return out unless plane
        (x1, y1), (x2, y2) = [s0, s1].map { |s| svg_xy(on_plane(plane, at(t, s), t.z)) }
        out + "<line class=\"mid\" x1=\"#{x1}\" y1=\"#{y1}\" x2=\"#{x2}\" y2=\"#{y2}\"/>"
      end

      # An opening as a stroke along its wall, moved onto the wall's
      # intermediate plane when it has one; drawn once however many faces
      # carry it.
      def opening_mark(fv, t, ov)
        s = ov.points.map { |p| along(t, p) }
        ends = [at(t, s.min), at(t, s.max)]
        plane = fv.planes.compact.first
        ends = ends.map { |p| on_plane(plane, p, t.z) } if plane
        (x1, y1), (x2, y2) = ends.map { |p| svg_xy(p) }
        dropped = @problems.dropped?(ov)
        key = [ov.kind, dropped, [[x1, y1], [x2, y2]].sort]
        return '' if @drawn_openings[key]
        @drawn_openings[key] = true
        title = "#{ov.kind} in #{Details.face_name(fv)}#{"\ndropped: on no outer-shell face" if dropped}"
        titled('line', "class=\"op #{ov.kind}#{' dropped problem' if dropped}\" " \
                       "x1=\"#{x1}\" y1=\"#{y1}\" x2=\"#{x2}\" y2=\"#{y2}\"", title)
      end

      def label(rv, faces)
        points = faces.flat_map(&:points)
        return '' if points.empty?
        x, y = svg_xy(PlainGeometry.mean(points))
        area = rv.floor_area ? format('%.2f m²', rv.floor_area) : ''
        "<text class=\"name\" x=\"#{x}\" y=\"#{y}\">#{esc(rv.name)}</text>" \
          "<text class=\"area\" x=\"#{x}\" y=\"#{y + @font * 5 / 4}\">#{area}</text>"
      end

      def face_classes(base, fv)
        "#{base} s#{fv.shell.nil? ? 'x' : fv.shell}#{' problem' if @problems.face?(fv)}"
      end

      # Faces standing more than 30 degrees off the horizontal have a
      # footprint line.
      def trace(fv)
        n = fv.normal
        h = Math.hypot(n[0], n[1])
        return nil if h < 0.5 || fv.points.length < 2
        across = [n[0] / h, n[1] / h]
        dir = [-across[1], across[0]]
        c = PlainGeometry.mean(fv.points)
        t = Trace.new([c[0], c[1]], dir, across, 0.0, 0.0, c[2])
        s = fv.points.map { |p| along(t, p) }
        t.s0 = s.min
        t.s1 = s.max
        t
      end

      def at(t, s, off = 0.0)
        [t.origin[0] + t.dir[0] * s + t.across[0] * off, t.origin[1] + t.dir[1] * s + t.across[1] * off]
      end

      def along(t, p)
        (p[0] - t.origin[0]) * t.dir[0] + (p[1] - t.origin[1]) * t.dir[1]
      end

      def offset(t, p)
        (p[0] - t.origin[0]) * t.across[0] + (p[1] - t.origin[1]) * t.across[1]
      end

      def on_plane(plane, xy, z)
        PlainGeometry.project_to_plane(plane, [xy[0], xy[1], z])
      end

      def svg_xy(p)
        [mm(p[0]), -mm(p[1])]
      end

      def xy_points(points)
        points_attr(points.map { |p| svg_xy(p) })
      end
    end
  end
end

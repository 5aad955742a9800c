module QORPlugin
  module Preview
    # The texts shown on hover and click.
    module Details
      SHELL_NAMES = { 0 => 'behind a face of the same orientation', 1 => 'external', 2 => 'internal' }.freeze

      module_function

      def room(rv)
        lines = ["#{rv.name} (room #{rv.number})"]
        lines << "key: #{rv.key.to_s.empty? ? '(none)' : rv.key}"
        lines << "storey: #{rv.level_text ? Markup.clip(rv.level_text.to_s) : '(none)'}, level #{metres(rv.level && rv.level * 0.0254)}"
        lines << "floor #{area(rv.floor_area)}, walls #{area(rv.wall_area)}, glazed #{area(rv.glazed_area)}"
        lines << "height #{metres(rv.max_height)}, #{rv.faces.length} faces"
        lines.join("\n")
      end

      def face(fv, index)
        counts = fv.openings.map(&:kind).tally
        openings = counts.empty? ? 'none' : counts.map { |k, n| "#{n} #{k}#{'s' if n > 1}" }.join(', ')
        opposite = fv.opposites.map { |o| (v = index[o]) ? face_name(v) : 'a face not in this preview' }
        ["#{face_name(fv)}: #{fv.type || 'no surface type'}",
         "outer shell: #{shell(fv.shell)}",
         "opposite: #{opposite.empty? ? 'none' : opposite.join(', ')}",
         "openings: #{openings}",
         "outer-shell faces: #{fv.outer_shell_faces.length}"].join("\n")
      end

      def face_name(fv)
        "#{fv.room.name} face #{fv.reference}"
      end

      def shell(code)
        code.nil? ? 'untyped' : "#{code} #{shell_name(code)}"
      end

      def shell_name(code)
        code.nil? ? 'untyped' : SHELL_NAMES.fetch(code, "unknown (#{code})")
      end

      def area(m2)
        m2 ? format('%.2f m²', m2) : '–'
      end

      def metres(m)
        m ? format('%.2f m', m) : '–'
      end
    end
  end
end

module QORPlugin
  module Preview
    Storey = Struct.new(:name, :level, :rooms)

    # Rooms grouped into storeys: by the storey name the export gives them,
    # else by floor level, lowest storey first.
    module Storeys
      # Floors closer than this (inches, half a metre) are one storey.
      SAME_LEVEL = 19.685

      module_function

      def group(room_views)
        named, unnamed = room_views.partition { |rv| rv.level_text.is_a?(String) && !rv.level_text.empty? }
        storeys = named.group_by(&:level_text).map { |name, rooms| Storey.new(name, lowest(rooms), rooms) }
        storeys += by_level(unnamed)
        storeys.sort_by { |s| s.level || Float::INFINITY }
      end

      def by_level(rooms)
        clusters = []
        rooms.sort_by { |rv| rv.level || Float::INFINITY }.each do |rv|
          last = clusters.last
          if last && rv.level && last.level && rv.level - last.level <= SAME_LEVEL
            last.rooms << rv
          else
            clusters << Storey.new(nil, rv.level, [rv])
          end
        end
        clusters.each { |s| s.name = s.level ? format('level %.2f m', s.level * 0.0254) : 'no level' }
      end

      def lowest(rooms)
        rooms.map(&:level).compact.min
      end
    end
  end
end

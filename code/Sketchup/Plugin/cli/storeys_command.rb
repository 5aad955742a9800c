require_relative 'file_command'
require_relative '../room_export'
require_relative '../storeys'

module QORPlugin
  module CLI
    # Cuts the building's tall rooms at a storey height and lists the slab
    # outlines each cut gives, in metres.
    class StoreysCommand < FileCommand
      command 'storeys', 'cut tall rooms into storeys and list the slab outlines'

      def usage
        "#{PROGRAM} storeys BUILDING.json --storey-height METRES [-o OUT.txt]"
      end

      private

      def describe(o, options)
        o.separator 'Every room taller than one storey is cut at each storey height above its'
        o.separator 'floor; each cut prints the outline of the slab it needs.'
        o.separator ''
        o.on('--storey-height METRES', Float, 'storey height in metres (required)') do |v|
          raise OptionParser::InvalidArgument, "--storey-height #{v} (must be a positive number)" unless v.finite? && v.positive?
          options[:height] = v
        end
        output_option(o, options, 'the list')
      end

      def check(options)
        raise OptionParser::MissingArgument, '--storey-height' unless options[:height]
      end

      def perform(source, options, out, _err)
        file = BuildingFile.load(source)
        least, room = Storeys.least_height(file.rooms)
        if options[:height] < least
          raise OptionParser::InvalidArgument,
                "--storey-height #{options[:height]} (at least #{least.round(12)} m: room \"#{room.name}\" " \
                "would be cut into more than #{Storeys::MAX_STOREYS} storeys)"
        end
        rooms = RoomExport.new(file).build_rooms
        names = file.rooms.map(&:name)
        lines = Storeys.slab_outlines(rooms, options[:height]).each_with_index.flat_map do |(_room, outlines), i|
          ["#{names[i]}: #{outlines.length} #{outlines.length == 1 ? 'slab' : 'slabs'}"] +
            outlines.map { |outline| "  #{slab_text(outline)}" }
        end
        emit(lines.join("\n") + "\n", options[:output], out)
        OK
      end

      # "z 3.0 m: (x, y) (x, y) ..." in metres, as the interpreter writes floats.
      def slab_text(outline)
        z = outline.first.z.to_m.round(6)
        corners = outline.map { |p| "(#{p.x.to_m.round(6)}, #{p.y.to_m.round(6)})" }.join(' ')
        "z #{z} m: #{corners}"
      end
    end
  end
end

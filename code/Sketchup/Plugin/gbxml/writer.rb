require_relative 'written_surfaces'
require_relative 'shell_checks'

module QORPlugin
  module Gbxml
    # The export road's result written as one gbXML document (metres): a
    # campus with one building, a storey per storey text, a space per room
    # with its closed shell, and a surface per face the road wrote, a face
    # between two rooms once with both spaces.  Ids follow the rooms' and
    # faces' order, so the same building gives the same bytes.  What the
    # geometric checks find is listed in `problems` and in a comment at the
    # top of the document, never left unsaid.
    class Writer
      Result = Struct.new(:xml, :problems, :counts)
      NAMESPACE = 'http://www.gbxml.org/schema'.freeze
      # Ids the writer makes; a room id that looks like one is not used.
      OWN_ID = /\A(?:campus|building|storey|space|shell|surface|opening|construction)-\d+\z/
      NCNAME = /\A[A-Za-z_][A-Za-z0-9_.\-]*\z/
      CONSTRUCTIONS = %w[ExteriorWall InteriorWall Roof InteriorFloor SlabOnGrade RaisedFloor Ceiling Air].freeze

      # rooms: QORTA_Room objects after the road; descriptions: the rooms'
      # ids, names and storeys (BuildingFile::RoomDescription); face_names:
      # model face => its name in the building file.
      def initialize(rooms:, descriptions:, name:, thin:, face_names: {})
        @rooms = rooms
        @descriptions = descriptions
        @name = name.to_s
        @thin = thin
        @face_names = face_names
      end

      def run
        set = WrittenSurfaces.new(@rooms, thin: @thin)
        @space_ids = space_ids
        checks = ShellChecks.new(set.surfaces, set.shells, @space_ids)
        problems = set.problems + checks.problems
        n = set.surfaces.length
        problems << "#{n} surface#{n == 1 ? '' : 's'}: the schema asks a campus for four or more" if n.between?(1, 3)
        volumes = @rooms.each_index.map { |i| volume(i, checks) }
        xml = document(set, volumes, problems)
        Result.new(xml, problems, counts(set))
      end

      private

      # Room ids where they make valid, unique ids; "space-N" otherwise.
      def space_ids
        seen = {}
        @descriptions.each_with_index.map do |d, i|
          id = d.id.to_s
          id = "space-#{i + 1}" unless id.match?(NCNAME) && !id.match?(OWN_ID) && !seen.key?(id)
          seen[id] = true
          id
        end
      end

      # The shell's own volume when it is closed; else floor area times
      # height (the room's totals), and the shell check says why.
      def volume(i, checks)
        v = checks.closed_volume(i)
        return v if v&.positive?
        area(i) * number(@rooms[i], :@maximumHeight) / 100.0
      end

      def area(i) = number(@rooms[i], :@totalFloorArea) / 10_000.0

      def counts(set)
        { spaces: @rooms.length, surfaces: set.surfaces.length, mended: set.mended, joined_outside: set.joined_outside,
          surface_types: set.surfaces.map(&:type).tally.sort.to_h,
          openings: set.surfaces.sum { |s| s.openings.length },
          opening_types: set.surfaces.flat_map { |s| s.openings.map(&:type) }.tally.sort.to_h }
      end

      def document(set, volumes, problems)
        @out = +''
        @out << %(<?xml version="1.0" encoding="UTF-8"?>\n)
        unless problems.empty?
          @out << "<!-- Problems found: #{problems.length}\n"
          problems.each { |p| @out << "  #{comment(p)}\n" }
          @out << "-->\n"
        end
        @out << %(<gbXML xmlns="#{NAMESPACE}" version="6.01" temperatureUnit="C" lengthUnit="Meters" ) +
                %(areaUnit="SquareMeters" volumeUnit="CubicMeters" useSIUnitsForResults="true">\n)
        @out << %(  <Campus id="campus-1">\n)
        @out << "    <Name>#{escape(@name)}</Name>\n" unless @name.empty?
        write_building(set, volumes)
        write_surfaces(set.surfaces)
        @out << "  </Campus>\n"
        write_constructions(set.surfaces)
        @out << "</gbXML>\n"
        @out
      end

      def write_building(set, volumes)
        @out << %(    <Building id="building-1" buildingType="Unknown">\n)
        @out << "      <Name>#{escape(@name)}</Name>\n" unless @name.empty?
        @out << "      <Area>#{decimal(@rooms.each_index.sum { |i| area(i) })}</Area>\n"
        storeys = write_storeys
        @rooms.each_index { |i| write_space(i, storeys, set.shells[i], volumes[i]) }
        @out << "    </Building>\n"
      end

      # A storey per storey text, lowest first; its level is its rooms'
      # lowest floor.
      def write_storeys
        groups = @rooms.each_index.group_by { |i| storey_text(i) }
        order = groups.keys.sort_by.with_index { |text, k| [groups[text].map { |i| level(i) }.min, k] }
        order.each_with_index.to_h do |text, k|
          id = "storey-#{k + 1}"
          @out << %(      <BuildingStorey id="#{id}">\n)
          @out << "        <Name>#{escape(text.empty? ? 'Storey' : text)}</Name>\n"
          @out << "        <Level>#{decimal(groups[text].map { |i| level(i) }.min)}</Level>\n"
          @out << "      </BuildingStorey>\n"
          [text, id]
        end
      end

      def storey_text(i)
        text = @descriptions[i].storey
        text.is_a?(String) ? text : ''
      end

      def level(i)
        l = number(@rooms[i], :@level)
        l.abs < 1e9 ? l * 0.0254 : 0.0
      end

      def write_space(i, storeys, shell, volume)
        d = @descriptions[i]
        @out << %(      <Space id="#{@space_ids[i]}" buildingStoreyIdRef="#{storeys[storey_text(i)]}">\n)
        @out << "        <Name>#{escape(d.name.to_s.empty? ? @space_ids[i] : d.name)}</Name>\n"
        @out << "        <Area>#{decimal(area(i))}</Area>\n"
        @out << "        <Volume>#{decimal(volume)}</Volume>\n"
        if shell.length >= 4
          @out << %(        <ShellGeometry id="shell-#{i + 1}">\n          <ClosedShell>\n)
          shell.each { |pts| write_loop(pts, '            ') }
          @out << "          </ClosedShell>\n        </ShellGeometry>\n"
        end
        @out << "      </Space>\n"
      end

      def write_surfaces(surfaces)
        opening = 0
        surfaces.each_with_index do |s, k|
          @out << %(    <Surface id="surface-#{k + 1}" surfaceType="#{s.type}" constructionIdRef="construction-#{construction(s.type)}")
          @out << %( exposedToSun="false") unless s.sides.length == 1
          @out << ">\n"
          s.sides.each do |side|
            @out << %(      <AdjacentSpaceId spaceIdRef="#{@space_ids[side.space]}" surfaceType="#{side.type}"/>\n)
          end
          @out << "      <PlanarGeometry>\n"
          write_loop(s.points, '        ')
          @out << "      </PlanarGeometry>\n"
          s.openings.each do |o|
            opening += 1
            @out << %(      <Opening id="opening-#{opening}" openingType="#{o.type}">\n        <PlanarGeometry>\n)
            write_loop(o.points, '          ')
            @out << "        </PlanarGeometry>\n      </Opening>\n"
          end
          s.model_faces.zip(s.references).each do |face, (space, reference)|
            @out << "      <CADObjectId>#{escape(face_name(face, space, reference))}</CADObjectId>\n"
          end
          @out << "    </Surface>\n"
        end
      end

      def face_name(face, space, reference)
        @face_names[face] || "#{@space_ids[space]} face #{reference}"
      end

      def construction(type) = CONSTRUCTIONS.index(type) + 1

      def write_constructions(surfaces)
        used = surfaces.map(&:type).uniq.sort_by { |t| CONSTRUCTIONS.index(t) }
        used.each do |t|
          @out << %(  <Construction id="construction-#{construction(t)}">\n    <Name>#{t}</Name>\n  </Construction>\n)
        end
      end

      def write_loop(points, indent)
        @out << "#{indent}<PolyLoop>\n"
        points.each do |p|
          @out << "#{indent}  <CartesianPoint><Coordinate>#{decimal(p[0])}</Coordinate>" \
                  "<Coordinate>#{decimal(p[1])}</Coordinate><Coordinate>#{decimal(p[2])}</Coordinate></CartesianPoint>\n"
        end
        @out << "#{indent}</PolyLoop>\n"
      end

      # Nine decimals (a nanometre), no exponent, no trailing zeros, no
      # negative zero: the schema's decimal and the same text every run.
      def decimal(value)
        text = format('%.9f', value.to_f).sub(/0+\z/, '').sub(/\.\z/, '')
        text == '-0' ? '0' : text
      end

      def number(object, name)
        v = object.instance_variable_defined?(name) ? object.instance_variable_get(name) : nil
        v.is_a?(Numeric) && v.to_f.finite? ? v.to_f : 0.0
      end

      # Text content: markup characters escaped, characters XML cannot
      # carry left out.
      def escape(text)
        text.to_s.encode('UTF-8', invalid: :replace, undef: :replace)
            .gsub(/[^\u0009\u000A\u000D\u0020-\uD7FF\uE000-\uFFFD\u{10000}-\u{10FFFF}]/, '')
            .gsub(/[&<>"]/, '&' => '&amp;', '<' => '&lt;', '>' => '&gt;', '"' => '&quot;')
      end

      def comment(text) = escape(text).gsub('--', '- -')
    end
  end
end

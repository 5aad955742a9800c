require_relative '../building_json'
require_relative 'plane_geometry'
require_relative 'import_warning'

module QORPlugin
  module Gbxml
    # A gbXML file refused: "FILE: Element "id": problem".  A kind of
    # BuildingFileError, so the commands report both alike.
    class GbxmlError < BuildingFileError
      def initialize(file, element, problem)
        super(file, element, problem)
      end
    end

    Storey = Struct.new(:id, :name, :level)
    Space = Struct.new(:id, :name, :storey_id)
    Opening = Struct.new(:id, :type, :points)
    # points in metres, rounded; space_ids in file order, distinct;
    # space_types: the surfaceType an AdjacentSpaceId gives for its space;
    # one_space_both_sides: the same space named on both sides.
    Surface = Struct.new(:id, :type, :space_ids, :points, :openings, :space_types, :one_space_both_sides)
    Document = Struct.new(:version, :unit, :name, :storeys, :spaces, :surfaces, :warnings)

    # Reads the parts of a gbXML document (0.37 to 7.x) that the room
    # export needs: storeys, spaces, and surfaces with their openings.
    # Elements are matched by local name, so the namespace may be the
    # default one or carry a prefix.  What makes the whole document
    # unreadable is refused; a storey, space, surface or opening that cannot
    # be read is left out with a warning.
    class Reader
      NAMESPACE = 'http://www.gbxml.org/schema'.freeze
      METRES_PER_UNIT = {
        'Meters' => 1.0, 'Millimeters' => 0.001, 'Centimeters' => 0.01,
        'Feet' => 0.3048, 'Inches' => 0.0254
      }.freeze
      VERSIONS = (Gem::Version.new('0.37')...Gem::Version.new('8')).freeze
      # A plain decimal number: no hexadecimal, no underscores, no blanks inside.
      DECIMAL = /\A[+-]?(?:\d+(?:\.\d*)?|\.\d+)(?:[eE][+-]?\d+)?\z/
      # Coordinates beyond this (metres) are refused: their products would
      # overflow the geometry's arithmetic long before any building is that big.
      LARGEST = 1e9

      # One element that cannot be used as it stands.
      Unreadable = Class.new(StandardError)

      def self.load(file)
        text =
          begin
            File.binread(file)
          rescue SystemCallError => e
            raise GbxmlError.new(file, nil, "cannot read (#{e.message.sub(/ @ .*/, '')})")
          end
        new(text, file).document
      end

      attr_reader :document

      def initialize(text, file = '(gbXML)')
        @file = file
        @warnings = []
        root = parse(text)
        check_root(root)
        @scale = read_unit(root)
        campus = child(root, 'Campus') or refuse(element(root), 'has no Campus')
        buildings = children(campus, 'Building')
        refuse(element(campus), 'has no Building') if buildings.empty?
        storeys = read_storeys(buildings)
        @document = Document.new(root.attributes['version'], root.attributes['lengthUnit'] || 'Meters',
                                 building_name(campus, buildings.first),
                                 storeys, read_spaces(buildings, storeys), nil, @warnings)
        @document.surfaces = children(campus, 'Surface').filter_map { |s| read_surface(s) }
      end

      private

      def refuse(element, problem)
        raise GbxmlError.new(@file, element, problem)
      end

      def warn(element, problem)
        @warnings << ImportWarning.new(element, problem)
        nil
      end

      # How the messages name an element: Surface "su-3".
      def element(node)
        id = node.attributes['id']
        id ? %(#{node.name} "#{id}") : node.name
      end

      # The XML parser's native library loads with the first gbXML file
      # read, so that commands reading none run where it is not installed
      # (the release interpreters under Wine have no native gems).
      def parse(text)
        require_relative 'xml_tree'
        begin
          XmlTree.parse(text)
        rescue XmlTree::Refused => e
          refuse(nil, "not XML (#{e.message})")
        end
      end

      def check_root(root)
        ns = root.namespace
        unless root.name == 'gbXML' && (ns.nil? || ns.empty? || ns == NAMESPACE)
          refuse(nil, "not gbXML (the root element is <#{root.name}>#{ns.to_s.empty? ? '' : " in #{ns}"})")
        end
        version = root.attributes['version']
        return if version.nil?
        supported = Gem::Version.correct?(version) && VERSIONS.cover?(Gem::Version.new(version))
        refuse('gbXML', "version #{version.inspect} is not supported (0.37 to 7.x)") unless supported
      end

      def read_unit(root)
        unit = root.attributes['lengthUnit'] || 'Meters'
        METRES_PER_UNIT.fetch(unit) do
          refuse('gbXML', "unknown lengthUnit #{unit.inspect} (known: #{METRES_PER_UNIT.keys.join(', ')})")
        end
      end

      def children(node, name) = node.elements.select { |e| e.name == name }
      def child(node, name) = node.elements.find { |e| e.name == name }

      def text_of(node, name)
        c = child(node, name)
        t = c&.text&.strip
        t.nil? || t.empty? ? nil : t
      end

      def id_of(node)
        node.attributes['id'] or raise Unreadable, 'has no id'
      end

      def building_name(campus, building)
        text_of(building, 'Name') || text_of(campus, 'Name') || building.attributes['id'] || ''
      end

      # A storey id given twice keeps its first storey: spaces name storeys
      # by id, so the later one could never be told apart.
      def read_storeys(buildings)
        buildings.flat_map { |b| children(b, 'BuildingStorey') }.each_with_object({}) do |node, storeys|
          id = node.attributes['id']
          next warn('BuildingStorey', 'has no id; left out') unless id
          next warn(element(node), 'id given twice; the first storey of that id is kept') if storeys.key?(id)
          storeys[id] = Storey.new(id, text_of(node, 'Name') || id, text_of(node, 'Level'))
        end
      end

      def read_spaces(buildings, storeys)
        seen = {}
        buildings.flat_map { |b| children(b, 'Space') }.filter_map do |node|
          id = node.attributes['id']
          next warn('Space', 'has no id; left out') unless id
          next warn(element(node), 'id given twice; the first space of that id is kept') if seen[id]
          seen[id] = true
          storey = node.attributes['buildingStoreyIdRef']
          if storey && !storeys.key?(storey)
            warn(element(node), "buildingStoreyIdRef #{storey.inspect} names no BuildingStorey; the space has no storey")
            storey = nil
          end
          Space.new(id, text_of(node, 'Name') || id, storey)
        end
      end

      def read_surface(node)
        id = id_of(node)
        adjacent = children(node, 'AdjacentSpaceId').map do |adj|
          [adj.attributes['spaceIdRef'] || raise(Unreadable, 'an AdjacentSpaceId has no spaceIdRef'),
           adj.attributes['surfaceType']]
        end
        spaces = adjacent.map(&:first)
        openings = children(node, 'Opening').filter_map { |o| read_opening(o) }
        Surface.new(id, node.attributes['surfaceType'], spaces.uniq, read_loop(node), openings,
                    adjacent.reverse.to_h, spaces.length == 2 && spaces.uniq.length == 1)
      rescue Unreadable => e
        warn(element(node), "#{e.message}; left out")
        children(node, 'Opening').each { |o| warn(element(o), 'its surface is left out; left out') }
        nil
      end

      def read_opening(node)
        Opening.new(id_of(node), node.attributes['openingType'], read_loop(node))
      rescue Unreadable => e
        warn(element(node), "#{e.message}; left out")
      end

      # The PolyLoop of the element's PlanarGeometry, in metres.
      def read_loop(node)
        geometry = child(node, 'PlanarGeometry') or raise Unreadable, 'has no PlanarGeometry'
        loop_node = child(geometry, 'PolyLoop') or raise Unreadable, 'has no PolyLoop'
        children(loop_node, 'CartesianPoint').map { |p| read_point(p) }
      end

      def read_point(point)
        coords = children(point, 'Coordinate').map { |c| coordinate(c.text.to_s.strip) }
        raise Unreadable, "a CartesianPoint has #{coords.length} coordinates, not 3" unless coords.length == 3
        PlaneGeometry.round_point(coords)
      end

      # A coordinate in metres.
      def coordinate(text)
        raise Unreadable, "coordinate #{text[0, 40].inspect} is not a decimal number" unless DECIMAL.match?(text)
        metres = text.to_f * @scale
        return metres if metres.abs <= LARGEST
        raise Unreadable, "coordinate #{text[0, 40]} is out of range (beyond #{LARGEST.to_i} m)"
      end
    end
  end
end

require 'rexml/parsers/baseparser'
require 'rexml/text'
require_relative '../building_json'
require_relative 'plane_geometry'

module QORPlugin
  module Gbxml
    # A gbXML file refused: "FILE: Element "id": problem".  A kind of
    # BuildingFileError, so the commands report both alike.
    class GbxmlError < BuildingFileError
      def initialize(file, element, problem)
        super(file, element, problem)
      end
    end

    # An element as the reader needs it: local name, namespace, attributes
    # (without namespace declarations' prefixes resolved), child elements
    # and text.  Built from REXML's pull parser, which is several times
    # faster than its document tree on large files.
    class Node
      attr_reader :name, :prefix, :attributes, :elements, :parent, :text

      def initialize(qname, attributes, parent)
        @prefix, _, @name = qname.rpartition(':')
        @attributes = attributes
        @parent = parent
        @elements = []
        @text = nil
      end

      def add_text(more)
        @text = @text ? @text + more : more
      end

      def expanded_name = @prefix.empty? ? @name : "#{@prefix}:#{@name}"

      # The namespace URI of the element's prefix, declared here or above.
      def namespace
        key = @prefix.empty? ? 'xmlns' : "xmlns:#{@prefix}"
        node = self
        node = node.parent while node && !node.attributes.key?(key)
        node&.attributes&.fetch(key)
      end

      def self.parse(text)
        parser = REXML::Parsers::BaseParser.new(text)
        root = nil
        current = nil
        loop do
          event = parser.pull
          case event[0]
          when :start_element
            node = Node.new(event[1], event[2], current)
            current ? current.elements << node : (root = node)
            current = node
          when :end_element then current = current.parent
          when :text then current&.add_text(event[1].include?('&') ? REXML::Text.unnormalize(event[1]) : event[1])
          when :cdata then current&.add_text(event[1])
          when :end_document then break
          end
        end
        raise REXML::ParseException, "no end tag for <#{current.expanded_name}>" if current
        root
      end
    end

    Storey = Struct.new(:id, :name, :level)
    Space = Struct.new(:id, :name, :storey_id)
    Opening = Struct.new(:id, :type, :points)
    # points in metres, rounded; space_ids in file order, distinct.
    Surface = Struct.new(:id, :type, :space_ids, :points, :openings)
    Document = Struct.new(:version, :unit, :name, :storeys, :spaces, :surfaces)

    # Reads the parts of a gbXML document (0.37 to 7.x) that the room
    # export needs: storeys, spaces, and surfaces with their openings.
    # Elements are matched by local name, so the namespace may be the
    # default one or carry a prefix.
    class Reader
      NAMESPACE = 'http://www.gbxml.org/schema'.freeze
      METRES_PER_UNIT = {
        'Meters' => 1.0, 'Millimeters' => 0.001, 'Centimeters' => 0.01,
        'Feet' => 0.3048, 'Inches' => 0.0254
      }.freeze
      VERSIONS = (Gem::Version.new('0.37')...Gem::Version.new('8')).freeze

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
        root = parse(text)
        check_root(root)
        @scale = read_unit(root)
        campus = child(root, 'Campus') or refuse(element(root), 'has no Campus')
        buildings = children(campus, 'Building')
        refuse(element(campus), 'has no Building') if buildings.empty?
        storeys = read_storeys(buildings)
        @document = Document.new(root.attributes['version'], root.attributes['lengthUnit'] || 'Meters',
                                 building_name(campus, buildings.first),
                                 storeys, read_spaces(buildings, storeys), nil)
        @document.surfaces = children(campus, 'Surface').map { |s| read_surface(s) }
      end

      private

      def refuse(element, problem)
        raise GbxmlError.new(@file, element, problem)
      end

      # How the messages name an element: Surface "su-3".
      def element(node)
        id = node.attributes['id']
        id ? %(#{node.name} "#{id}") : node.name
      end

      def parse(text)
        Node.parse(text) or refuse(nil, 'not XML (no root element)')
      rescue REXML::ParseException => e
        line = e.line.to_i.positive? ? "line #{e.line}: " : ''
        refuse(nil, "not XML (#{line}#{e.message.lines.first.strip})")
      end

      def check_root(root)
        ns = root.namespace
        unless root.name == 'gbXML' && (ns.nil? || ns.empty? || ns == NAMESPACE)
          refuse(nil, "not gbXML (the root element is <#{root.expanded_name}>#{ns.to_s.empty? ? '' : " in #{ns}"})")
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
        node.attributes['id'] or refuse(node.name, 'has no id')
      end

      def building_name(campus, building)
        text_of(building, 'Name') || text_of(campus, 'Name') || building.attributes['id'] || ''
      end

      def read_storeys(buildings)
        buildings.flat_map { |b| children(b, 'BuildingStorey') }.each_with_object({}) do |node, storeys|
          id = id_of(node)
          storeys[id] = Storey.new(id, text_of(node, 'Name') || id, text_of(node, 'Level'))
        end
      end

      def read_spaces(buildings, storeys)
        seen = {}
        buildings.flat_map { |b| children(b, 'Space') }.map do |node|
          id = id_of(node)
          refuse(element(node), 'id given twice') if seen[id]
          seen[id] = true
          storey = node.attributes['buildingStoreyIdRef']
          if storey && !storeys.key?(storey)
            refuse(element(node), "buildingStoreyIdRef #{storey.inspect} names no BuildingStorey")
          end
          Space.new(id, text_of(node, 'Name') || id, storey)
        end
      end

      def read_surface(node)
        id = id_of(node)
        spaces = children(node, 'AdjacentSpaceId').map do |adj|
          adj.attributes['spaceIdRef'] or refuse(element(node), 'an AdjacentSpaceId has no spaceIdRef')
        end
        openings = children(node, 'Opening').map do |o|
          Opening.new(id_of(o), o.attributes['openingType'], read_loop(o))
        end
        Surface.new(id, node.attributes['surfaceType'], spaces.uniq, read_loop(node), openings)
      end

      # The PolyLoop of the element's PlanarGeometry, in metres.
      def read_loop(node)
        geometry = child(node, 'PlanarGeometry') or refuse(element(node), 'has no PlanarGeometry')
        loop_node = child(geometry, 'PolyLoop') or refuse(element(node), 'has no PolyLoop')
        children(loop_node, 'CartesianPoint').map { |p| read_point(node, p) }
      end

      def read_point(owner, point)
        coords = children(point, 'Coordinate').map do |c|
          Float(c.text.to_s.strip)
        rescue ArgumentError
          refuse(element(owner), "coordinate #{c.text.to_s.strip.inspect} is not a number")
        end
        refuse(element(owner), "a CartesianPoint has #{coords.length} coordinates, not 3") unless coords.length == 3
        PlaneGeometry.round_point(coords.map { |c| c * @scale })
      end
    end
  end
end

module Fuzz
  # Malformed gbXML files: a bundled test file with one or two random
  # mutations (characters XML 1.0 forbids, raw or as references, in names
  # and ids; elements nested thousands deep; an opening given twice; a
  # surface given twice; text cut short), or one big n-sided room.
  class GbxmlMutations
    FIXTURES = Dir[File.join(ROOT, 'test/fixtures/gbxml/*.xml')].sort.map { |f| File.read(f) }.freeze
    FORBIDDEN = ["\u0001", "\u001F", "\uFFFE", '&#1;', '&#x1F;', '&#xFFFE;', '&#0;'].freeze

    MUTATIONS = %i[forbidden_character deep_nesting repeated_opening repeated_surface cut_short].freeze

    # Walls of the big room (as for building files).
    BIG_ROOM = 300

    def initialize(rng, big)
      @rng = rng
      @big = big
    end

    # One case: the text and the names of its mutations.
    def next_case
      return big_single_room if @rng.rand(20).zero?
      text = pick(FIXTURES).dup
      applied = (1..@rng.rand(1..2)).map do
        name = pick(MUTATIONS)
        text = send(name, text) || text
        name
      end
      [text, applied]
    end

    private

    def pick(list) = list[@rng.rand(list.length)]

    def forbidden_character(text)
      spots = text.enum_for(:scan, /<Name>[^<]*|\bid="[^"]*/).map { Regexp.last_match.end(0) }
      return nil if spots.empty?
      text.dup.insert(pick(spots), pick(FORBIDDEN))
    end

    def deep_nesting(text)
      depth = @rng.rand(100..3000)
      text.sub(%r{</Name>}) { "</Name>#{'<Nested>' * depth}#{'</Nested>' * depth}" }
    end

    def repeated_opening(text)
      opening = text[%r{ *<Opening\b.*?</Opening>\n}m]
      return nil unless opening
      copy = @rng.rand(2).zero? ? opening : opening.sub(/id="([^"]*)"/) { "id=\"#{Regexp.last_match(1)}-again\"" }
      text.sub(opening, opening + copy)
    end

    def repeated_surface(text)
      surfaces = text.scan(%r{ *<Surface\b.*?</Surface>\n}m)
      surface = surfaces.empty? ? nil : pick(surfaces)
      surface && text.sub(surface, surface + surface.sub(/id="([^"]*)"/) { "id=\"#{Regexp.last_match(1)}-again\"" })
    end

    def cut_short(text) = text[0, @rng.rand(text.length)]

    def big_single_room
      n = @rng.rand(3..[@big, BIG_ROOM].min)
      ring = (0...n).map { |i| [10 * Math.cos(2 * Math::PI * i / n), 10 * Math.sin(2 * Math::PI * i / n)] }
      floor = surface('floor', 'SlabOnGrade', ring.reverse.map { |x, y| [x, y, 0] })
      roof = surface('roof', 'Roof', ring.map { |x, y| [x, y, 3] })
      walls = (0...n).map do |i|
        (x1, y1), (x2, y2) = ring[i], ring[(i + 1) % n]
        surface("wall#{i}", 'ExteriorWall', [[x1, y1, 0], [x2, y2, 0], [x2, y2, 3], [x1, y1, 3]])
      end
      text = <<~XML
        <?xml version="1.0" encoding="UTF-8"?>
        <gbXML xmlns="http://www.gbxml.org/schema" version="0.37" lengthUnit="Meters">
        <Campus id="campus"><Building id="b" buildingType="Office">
        <Space id="hall"><Name>Hall</Name></Space></Building>
        #{floor}#{roof}#{walls.join}</Campus></gbXML>
      XML
      [text, [:"big_single_room (#{n} walls)"]]
    end

    def surface(id, type, points)
      corners = points.map { |p| "<CartesianPoint>#{p.map { |c| "<Coordinate>#{c.round(9)}</Coordinate>" }.join}</CartesianPoint>" }
      %(<Surface id="#{id}" surfaceType="#{type}"><AdjacentSpaceId spaceIdRef="hall"/>) +
        %(<PlanarGeometry><PolyLoop>#{corners.join}</PolyLoop></PlanarGeometry></Surface>\n)
    end
  end
end

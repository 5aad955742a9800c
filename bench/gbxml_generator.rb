# A generated gbXML building: a grid of box rooms, columns x rows x storeys,
# sharing walls and floors, with a window in every outside wall.
module QORBench
  class GbxmlGenerator
    W = 4.0
    D = 3.0
    H = 3.0

    def initialize(columns, rows, storeys)
      @columns = columns
      @rows = rows
      @storeys = storeys
    end

    # The grid nearest to n spaces on storeys of at most 20 x 20 rooms.
    def self.for_spaces(n)
      storeys = [(n / 400.0).ceil, 1].max
      per = (n.to_f / storeys).ceil
      columns = Math.sqrt(per).ceil
      new(columns, (per.to_f / columns).ceil, storeys)
    end

    def spaces = @columns * @rows * @storeys

    def text
      out = +%(<?xml version="1.0"?>\n<gbXML xmlns="http://www.gbxml.org/schema" version="6.01" lengthUnit="Meters">) +
             %(<Campus id="c"><Building id="b"><Name>Grid</Name>\n)
      @storeys.times { |s| out << %(<BuildingStorey id="st-#{s}"><Name>Storey #{s}</Name><Level>#{s * H}</Level></BuildingStorey>\n) }
      each_room { |c, r, s| out << %(<Space id="#{space(c, r, s)}" buildingStoreyIdRef="st-#{s}"/>\n) }
      out << "</Building>\n"
      each_room { |c, r, s| room(out, c, r, s) }
      out << "</Campus></gbXML>\n"
    end

    private

    def each_room
      @storeys.times { |s| @rows.times { |r| @columns.times { |c| yield c, r, s } } }
    end

    def space(c, r, s) = "sp-#{c}-#{r}-#{s}"

    def room(out, c, r, s)
      x = c * W
      y = r * D
      z = s * H
      me = space(c, r, s)
      floor = [[x, y, z], [x, y + D, z], [x + W, y + D, z], [x + W, y, z]]
      if s.zero? then surface(out, "f-#{me}", 'SlabOnGrade', [me], floor)
      else surface(out, "f-#{me}", 'InteriorFloor', [me, space(c, r, s - 1)], floor)
      end
      if s == @storeys - 1
        surface(out, "r-#{me}", 'Roof', [me], [[x, y, z + H], [x + W, y, z + H], [x + W, y + D, z + H], [x, y + D, z + H]])
      end
      wall(out, "w-#{me}", c.zero? ? [me] : [me, space(c - 1, r, s)], x, y, z, false, c.zero?)
      wall(out, "e-#{me}", [me], x + W, y, z, false, true) if c == @columns - 1
      wall(out, "s-#{me}", r.zero? ? [me] : [me, space(c, r - 1, s)], x, y, z, true, r.zero?)
      wall(out, "n-#{me}", [me], x, y + D, z, true, true) if r == @rows - 1
    end

    def point(x, y, z) = "<CartesianPoint><Coordinate>#{x}</Coordinate><Coordinate>#{y}</Coordinate><Coordinate>#{z}</Coordinate></CartesianPoint>"
    def poly(points) = "<PlanarGeometry><PolyLoop>#{points.map { |p| point(*p) }.join}</PolyLoop></PlanarGeometry>"

    def surface(out, id, type, spaces, points, window: nil)
      out << %(<Surface id="#{id}" surfaceType="#{type}">)
      spaces.each { |sp| out << %(<AdjacentSpaceId spaceIdRef="#{sp}"/>) }
      out << poly(points)
      out << %(<Opening id="#{id}-w" openingType="FixedWindow">#{poly(window)}</Opening>) if window
      out << "</Surface>\n"
    end

    # A wall on x = const (along y) or y = const (along x), from the corner
    # (x, y) over one room's width, with a window inset when it is outside.
    def wall(out, id, spaces, x, y, z, along_x, outside)
      len = along_x ? W : D
      at = ->(t, h) { along_x ? [x + t, y, z + h] : [x, y + t, z + h] }
      window = outside ? [at[0.5, 1.0], at[len - 0.5, 1.0], at[len - 0.5, 2.2], at[0.5, 2.2]] : nil
      surface(out, id, outside ? 'ExteriorWall' : 'InteriorWall', spaces,
              [at[0, 0], at[len, 0], at[len, H], at[0, H]], window: window)
    end
  end
end

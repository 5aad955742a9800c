# Import of a generated gbXML file: a grid of rooms with shared walls and
# floors and a window in every outside wall.  Prints the time of reading
# the XML, of making the building file, and of loading that into a model.
#   ruby bench/bench_gbxml_import.rb [columns rows storeys]   (default 10 10 6: 2,020 surfaces)
root = File.expand_path('..', __dir__)
require File.join(root, 'code/Sketchup/Headless/sketchup')
require File.join(root, 'code/Sketchup/Plugin/plugin')
require File.join(root, 'code/Sketchup/Plugin/gbxml')
require 'rexml/rexml'
require_relative 'command_line'

USAGE = 'ruby bench/bench_gbxml_import.rb [columns rows storeys]'.freeze
args = QORBench.whole_numbers(ARGV, USAGE, at_most: 3)
abort "usage: #{USAGE}" unless [0, 3].include?(args.length)
COLUMNS, ROWS, STOREYS = args.empty? ? [10, 10, 6] : args
W, D, H = 4.0, 3.0, 3.0

def point(x, y, z) = "<CartesianPoint><Coordinate>#{x}</Coordinate><Coordinate>#{y}</Coordinate><Coordinate>#{z}</Coordinate></CartesianPoint>"
def poly(points) = "<PlanarGeometry><PolyLoop>#{points.map { |p| point(*p) }.join}</PolyLoop></PlanarGeometry>"
def space(c, r, s) = "sp-#{c}-#{r}-#{s}"

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

def generate
  out = +%(<?xml version="1.0"?>\n<gbXML xmlns="http://www.gbxml.org/schema" version="6.01" lengthUnit="Meters"><Campus id="c"><Building id="b"><Name>Grid</Name>\n)
  STOREYS.times { |s| out << %(<BuildingStorey id="st-#{s}"><Name>Storey #{s}</Name><Level>#{s * H}</Level></BuildingStorey>\n) }
  STOREYS.times { |s| ROWS.times { |r| COLUMNS.times { |c| out << %(<Space id="#{space(c, r, s)}" buildingStoreyIdRef="st-#{s}"/>\n) } } }
  out << "</Building>\n"
  STOREYS.times do |s|
    z = s * H
    ROWS.times do |r|
      COLUMNS.times do |c|
        x = c * W
        y = r * D
        me = space(c, r, s)
        floor = [[x, y, z], [x, y + D, z], [x + W, y + D, z], [x + W, y, z]]
        if s.zero? then surface(out, "f-#{me}", 'SlabOnGrade', [me], floor)
        else surface(out, "f-#{me}", 'InteriorFloor', [me, space(c, r, s - 1)], floor)
        end
        if s == STOREYS - 1
          surface(out, "r-#{me}", 'Roof', [me], [[x, y, z + H], [x + W, y, z + H], [x + W, y + D, z + H], [x, y + D, z + H]])
        end
        wall(out, "w-#{me}", c.zero? ? [me] : [me, space(c - 1, r, s)], x, y, z, false, c.zero?)
        wall(out, "e-#{me}", [me], x + W, y, z, false, true) if c == COLUMNS - 1
        wall(out, "s-#{me}", r.zero? ? [me] : [me, space(c, r - 1, s)], x, y, z, true, r.zero?)
        wall(out, "n-#{me}", [me], x, y + D, z, true, true) if r == ROWS - 1
      end
    end
  end
  out << "</Campus></gbXML>\n"
end

def measure(label)
  t0 = Process.clock_gettime(Process::CLOCK_MONOTONIC)
  result = yield
  printf("  %-34s %8.0f ms\n", label, (Process.clock_gettime(Process::CLOCK_MONOTONIC) - t0) * 1000)
  result
end

text = generate
puts "gbXML import (Ruby #{RUBY_VERSION}, REXML #{REXML::VERSION})"
document = nil
result = nil
total = Process.clock_gettime(Process::CLOCK_MONOTONIC)
document = measure('read the XML (REXML)') { QORPlugin::Gbxml::Reader.new(text, 'grid.xml').document }
result = measure('make the building file (JSON)') { QORPlugin::Gbxml::Importer.new(document, 'grid.xml').run.tap(&:json) }
printf("  %-34s %8.0f ms\n", 'import, in all', (Process.clock_gettime(Process::CLOCK_MONOTONIC) - total) * 1000)
puts "  #{COLUMNS} x #{ROWS} x #{STOREYS}: #{document.surfaces.length} surfaces, #{text.bytesize / 1024} KiB; #{result.summary}"
measure('load it into a model (checking)') { QORPlugin::BuildingFile.new(result.json, 'grid.json') }

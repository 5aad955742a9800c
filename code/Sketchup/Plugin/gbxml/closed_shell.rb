require_relative '../edge_splits'
require_relative '../building_file'

module QORPlugin
  module Gbxml
    # Whether a space's faces close round it: every edge, once split where
    # another corner lies on it (as the loader splits it), bounds at least
    # two of the space's faces or door leaves.
    class ClosedShell
      INCHES_PER_METRE = BuildingFile::INCHES_PER_UNIT['m']

      # points: vertex id => [x, y, z] in metres; faces: face id => outline ids.
      def initialize(points, faces)
        inches = points.transform_values { |p| p.map { |c| c.to_f * INCHES_PER_METRE } }
        @splits = EdgeSplits.new(inches, faces.values.flatten, BuildingFile::TOLERANCE)
        @edges = {}
        @faces = faces
      end

      # loops: face ids, or outlines (vertex ids) of door leaves.  Answers
      # how many edges bound only one of them.
      def open_edges(loops)
        loops.flat_map { |l| edges_of(l) }.tally.count { |_, n| n == 1 }
      end

      private

      def edges_of(loop)
        ids = loop.is_a?(String) ? @faces.fetch(loop) : loop
        @edges[ids] ||= begin
          split = @splits.split(ids)
          split.each_with_index.map { |a, i| [a, split[(i + 1) % split.length]].sort }
        end
      end
    end
  end
end

module QORPlugin
  module Gbxml
    # Items by the boxes they fill, on a grid of cubes: an item stands in
    # every cube its box meets, so a query visits the items near a box and
    # not every item of a large building.
    class BoxGrid
      # size: the cubes' edge, in metres.
      def initialize(size)
        @size = size
        @cells = Hash.new { |h, k| h[k] = [] }
      end

      # box: [[min x, max x], [min y, max y], [min z, max z]].
      def add(item, box)
        each_cell(box) { |cell| @cells[cell] << item }
      end

      # The items whose cubes the box, widened by reach, meets; each once.
      def near(box, reach = 0.0)
        found = {}.compare_by_identity
        each_cell(box.map { |lo, hi| [lo - reach, hi + reach] }) do |cell|
          @cells.fetch(cell, []).each { |item| found[item] = true }
        end
        found.keys
      end

      private

      def each_cell(box)
        x, y, z = box.map { |lo, hi| ((lo / @size).floor..(hi / @size).floor) }
        x.each { |i| y.each { |j| z.each { |k| yield [i, j, k] } } }
      end
    end
  end
end

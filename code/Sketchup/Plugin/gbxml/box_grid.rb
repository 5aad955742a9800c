module QORPlugin
  module Gbxml
    # Items by the boxes they fill, on a grid of cubes: an item stands in
    # every cube its box meets, so a query visits the items near a box and
    # not every item of a large building.  A box over more cubes than
    # LIMIT, or not finite, stands apart and is near every query.
    class BoxGrid
      LIMIT = 4096

      # size: the cubes' edge, in metres.
      def initialize(size)
        @size = size
        @cells = Hash.new { |h, k| h[k] = [] }
        @apart = []
        @all = []
      end

      # box: [[min x, max x], [min y, max y], [min z, max z]].
      def add(item, box)
        @all << item
        ranges = cells(box)
        return @apart << item unless ranges
        ranges[0].each { |i| ranges[1].each { |j| ranges[2].each { |k| @cells[[i, j, k]] << item } } }
      end

      # The items whose cubes the box, widened by reach, meets; each once.
      def near(box, reach = 0.0)
        ranges = cells(box.map { |lo, hi| [lo - reach, hi + reach] })
        return @all.dup unless ranges
        found = {}.compare_by_identity
        @apart.each { |item| found[item] = true }
        ranges[0].each do |i|
          ranges[1].each { |j| ranges[2].each { |k| @cells.fetch([i, j, k], []).each { |item| found[item] = true } } }
        end
        found.keys
      end

      private

      # The cube ranges along each axis; nil past LIMIT cubes or for a box
      # that is not finite.
      def cells(box)
        return nil unless box.flatten.all? { |c| c.is_a?(Numeric) && c.finite? }
        ranges = box.map { |lo, hi| ((lo / @size).floor..(hi / @size).floor) }
        ranges.sum(&:size) <= 3 * LIMIT && ranges.map(&:size).reduce(:*) <= LIMIT ? ranges : nil
      end
    end
  end
end

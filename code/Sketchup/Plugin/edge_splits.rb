module QORPlugin
  # Where a corner of one loop lies on an edge of another, the modeller
  # splits that edge: both faces then share the corner's vertex, as they
  # would had the user drawn them there. A building file lists each loop by
  # its own corners only, so the loader inserts those corners here.
  class EdgeSplits
    CELL = 40.0 # inches: a grid cell of the corner index, at most
    # Cells are halved, down to this, while one holds more corners than
    # FULL: densely drawn outlines then cost no more per edge than sparse
    # ones.
    FINEST = 0.5
    FULL = 64

    # points: vertex id => Geom::Point3d; corner_ids: the ids any loop uses.
    def initialize(points, corner_ids, tolerance)
      @points = points
      @tolerance = tolerance
      ids = corner_ids.uniq.select { |id| points.key?(id) }
      @cell = CELL
      loop do
        @grid = Hash.new { |h, k| h[k] = [] }
        ids.each { |id| @grid[cell_of(points[id])] << id }
        break if @cell / 2 < FINEST || @grid.each_value.all? { |c| c.length <= FULL }
        @cell /= 2
      end
    end

    # The loop's ids with every indexed corner that lies strictly inside one
    # of its edges inserted there, in order along the edge.
    def split(ids)
      own = ids.to_h { |id| [id, true] }
      ids.each_with_index.flat_map do |id, i|
        [id] + inside(@points[id], @points[ids[(i + 1) % ids.length]], own)
      end
    end

    private

    def cell_of(p)
      [(p.x / @cell).floor, (p.y / @cell).floor, (p.z / @cell).floor]
    end

    # Corners strictly between a and b, within the tolerance of the segment,
    # sorted by their distance from a; none of the loop's own (own: id =>
    # true).
    def inside(a, b, own)
      length = a.distance(b)
      return [] if length < 2 * @tolerance
      lo = cell_of(Geom::Point3d.new([a.x, b.x].min, [a.y, b.y].min, [a.z, b.z].min))
      hi = cell_of(Geom::Point3d.new([a.x, b.x].max, [a.y, b.y].max, [a.z, b.z].max))
      found = []
      cells_between(lo, hi).each do |cell|
        @grid.fetch(cell, []).each do |id|
          t = along(a, b, length, @points[id])
          found << [t, id] if t && !own.key?(id)
        end
      end
      found.sort.map(&:last)
    end

    # The cells of the box from lo to hi that may hold corners.  A long
    # edge (or a far corner) spans more cells than the grid holds: then
    # the grid's own cells are picked out instead of walking the box.
    def cells_between(lo, hi)
      count = (0..2).reduce(1) { |n, i| n * (hi[i] - lo[i] + 1) }
      if count > @grid.size
        return @grid.keys.select { |cell| (0..2).all? { |i| cell[i].between?(lo[i], hi[i]) } }
      end
      (lo[0]..hi[0]).to_a.product((lo[1]..hi[1]).to_a, (lo[2]..hi[2]).to_a)
    end

    # The distance of p from a along the segment, when p lies on it clear of
    # both ends; nil otherwise.
    def along(a, b, length, p)
      ax, ay, az = a.x, a.y, a.z
      dx, dy, dz = (b.x - ax) / length, (b.y - ay) / length, (b.z - az) / length
      px, py, pz = p.x - ax, p.y - ay, p.z - az
      t = px * dx + py * dy + pz * dz
      return nil if t < @tolerance || t > length - @tolerance
      ox, oy, oz = px - t * dx, py - t * dy, pz - t * dz
      Math.sqrt(ox * ox + oy * oy + oz * oz) < @tolerance ? t : nil
    end
  end
end

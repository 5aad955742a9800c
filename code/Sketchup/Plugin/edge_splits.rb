module QORPlugin
  # Where a corner of one loop lies on an edge of another, the modeller
  # splits that edge: both faces then share the corner's vertex, as they
  # would had the user drawn them there. A building file lists each loop by
  # its own corners only, so the loader inserts those corners here.
  #
  # Corners sit in a uniform grid, so an edge looks only at the corners of
  # the cells its box covers: the work grows with the number of edges, not
  # with edges times corners.
  class EdgeSplits
    CELL = 40.0 # inches: a grid cell of the corner index, at most
    # Cells are halved, down to this, while one holds more corners than
    # FULL: densely drawn outlines then cost no more per edge than sparse
    # ones.
    FINEST = 0.5
    FULL = 64

    # points: vertex id => [x, y, z] (Floats, inches); corner_ids: the ids
    # any loop uses.
    def initialize(points, corner_ids, tolerance)
      @tolerance = tolerance
      @xyz = {}
      corner_ids.each do |id|
        p = points[id]
        @xyz[id] ||= p if p
      end
      @cell = CELL
      loop do
        @grid = Hash.new { |h, k| h[k] = [] }
        @xyz.each { |id, p| @grid[cell_of(p)] << id }
        break if @cell / 2 < FINEST || @grid.each_value.all? { |c| c.length <= FULL }
        @cell /= 2
      end
      @grid.default_proc = nil
    end

    # The loop's ids with every indexed corner that lies strictly inside one
    # of its edges inserted there, in order along the edge.
    def split(ids)
      own = nil
      out = []
      ids.each_with_index do |id, i|
        out << id
        between = inside(id, ids[(i + 1) % ids.length])
        next if between.empty?
        own ||= ids.to_h { |v| [v, true] }
        out.concat(between.reject { |v| own.key?(v) })
      end
      out
    end

    private

    # A cell's key: its three indices packed in one Integer (indices beyond
    # a million cells may share a key, which only adds candidates).
    def cell_of(p) = key((p[0] / @cell).floor, (p[1] / @cell).floor, (p[2] / @cell).floor)
    def key(i, j, k) = (i << 42) + (j << 21) + k

    # Corners strictly between a and b, within the tolerance of the segment,
    # sorted by their distance from a.
    def inside(a_id, b_id)
      a = @xyz[a_id]
      b = @xyz[b_id]
      return [] unless a && b
      dx = b[0] - a[0]
      dy = b[1] - a[1]
      dz = b[2] - a[2]
      length = Math.sqrt(dx * dx + dy * dy + dz * dz)
      return [] if length < 2 * @tolerance
      dx /= length
      dy /= length
      dz /= length
      found = nil
      each_cell(a, b) do |ids|
        ids.each do |id|
          next if id == a_id || id == b_id
          t = along(a, dx, dy, dz, length, @xyz[id])
          (found ||= []) << [t, id] if t
        end
      end
      found ? found.sort.map(&:last) : []
    end

    # The grid's lists of corners in the cells of the box from a to b.  A
    # long edge (or a far corner) spans more cells than the grid holds:
    # then every cell is looked at instead of walking the box.
    def each_cell(a, b)
      i0, i1 = span(a[0], b[0])
      j0, j1 = span(a[1], b[1])
      k0, k1 = span(a[2], b[2])
      count = (i1 - i0 + 1) * (j1 - j0 + 1) * (k1 - k0 + 1)
      return @grid.each_value { |ids| yield ids } if count > @grid.size
      i = i0
      while i <= i1
        j = j0
        while j <= j1
          k = k0
          while k <= k1
            ids = @grid[key(i, j, k)]
            yield ids if ids
            k += 1
          end
          j += 1
        end
        i += 1
      end
    end

    # The first and last cell index the coordinates from c to d cover.
    def span(c, d)
      c, d = d, c if d < c
      [(c / @cell).floor, (d / @cell).floor]
    end

    # The distance of p from a along the unit direction d, when p lies on the
    # segment clear of both ends; nil otherwise.
    def along(a, dx, dy, dz, length, p)
      px = p[0] - a[0]
      py = p[1] - a[1]
      pz = p[2] - a[2]
      t = px * dx + py * dy + pz * dz
      return nil if t < @tolerance || t > length - @tolerance
      ox = px - t * dx
      oy = py - t * dy
      oz = pz - t * dz
      Math.sqrt(ox * ox + oy * oy + oz * oz) < @tolerance ? t : nil
    end
  end
end

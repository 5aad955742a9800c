# Generates buildings for benchmarks and for the tests that compare the two
# roads, deterministically from a seed and sized by room count, drawn in the
# headless modeller as a user draws them: faces that touch share vertices
# and edges.
#
# Storeys of rooms on a grid of cells, slabs between storeys.  Walls between
# two plain rooms are thin (one face both rooms list) or thick (a gap, each
# room its own face); walls next to other kinds of room are thick.  Rooms are
# plain boxes, L-shaped, double height (taking the cell above) or, on the top
# storey, under a sloped ceiling.  Neighbours on one storey may share a door:
# in a thin wall the leaf fills a notch of the shared face; in a thick wall
# the leaf fills the notch on one side and reveal faces (jambs, head,
# threshold) line the opening to the other.  Walls without a neighbour may
# have a window: glazed (a translucent pane in a hole), open (a bare hole) or
# framed (a frame face in the hole, the pane in the frame's own hole).
#
#   gen = QORBench::BuildingGenerator.new(model, rooms: 100, seed: 7).generate
#   gen.rooms_faces  # per room, its model faces
#   gen.doors        # the building's doors (QORPlugin::Door)
module QORBench
  class BuildingGenerator
    M = 39.37007874015748 # inches in a metre
    STOREY_HEIGHT = 2.8 * M
    SLAB = 0.3 * M
    THICK = 0.25 * M
    DOOR_WIDTH = 0.9 * M
    DOOR_HEIGHT = 2.1 * M

    # A room is itself, whatever its faces: keys of the wall tables.
    Room = Struct.new(:storey, :column, :row, :kind, :faces, :notch, :rise) do
      def hash = object_id.hash
      def eql?(other) = equal?(other)
    end

    attr_reader :rooms_faces, :doors, :rooms

    # shared_walls: false makes every wall thick, thin walls included.
    # doors: :reveals, a thick wall's door is one leaf both rooms list, with
    # reveals the far room lists; :two_leaves, a leaf in each side's notch
    # and neither listed by a room, as building files draw doors.
    def initialize(model, rooms:, seed: 1, storeys: nil, shared_walls: true, doors: :reveals)
      @model = model
      @shared_walls = shared_walls
      @door_style = doors
      @count = rooms
      @rng = Random.new(seed)
      @storeys = storeys || (rooms / 40).clamp(1, 4)
      per_storey = (rooms * 1.15 / @storeys).ceil + 1
      @columns = Math.sqrt(per_storey * 1.5).ceil
      @rows = (per_storey.to_f / @columns).ceil
      @rooms_faces = []
      @doors = []
      @rooms = []
    end

    def generate
      layout
      decide_walls
      @rooms.each { |r| draw_room(r) }
      add_doors
      @rooms.each { |r| r.faces.shuffle!(random: @rng) }
      @rooms_faces = @rooms.map(&:faces)
      self
    end

    # One hall of about `faces` faces: floor, ceiling and walls tiled (each
    # side k or 2k tiles a row, so rays from one side land on the tile edges
    # of the other), some wall tiles glazed, half of those framed.  Answers
    # its faces.
    def self.big_room(model, faces: 2000, seed: 1)
      rng = Random.new(seed)
      k = Math.sqrt(faces / 11.2).ceil.clamp(1, 200)
      w, d, h = 30 * M, 24 * M, 8 * M
      ent = model.entities
      glass = model.materials.add('Glass').tap { |m| m.alpha = 0.4 }
      out = []
      tile = lambda do |corner, u, v, n_u, n_v|
        n_u.times do |i|
          n_v.times do |j|
            pts = [[i, j], [i + 1, j], [i + 1, j + 1], [i, j + 1]].map do |a, b|
              Geom::Point3d.new(*(0..2).map { |c| corner[c] + u[c] * a / n_u + v[c] * b / n_v })
            end
            if (u[2] != 0 || v[2] != 0) && rng.rand < 0.04
              hole = inset(pts, 0.3)
              out << ent.add_face_with_holes(pts, [hole])
              if rng.rand < 0.5 # framed: the pane sits in the frame's own hole
                out << ent.add_face_with_holes(hole, [hole = inset(hole, 0.2)])
              end
              (out << ent.add_face(hole)).last.material = glass
            else
              out << ent.add_face(pts)
            end
            out.last.reverse! if rng.rand < 0.3
          end
        end
      end
      # Opposite sides tiled k and 2k a row, which side finer decided by
      # the seed.
      fine = ->(n) { rng.rand < 0.5 ? [n, 2 * n] : [2 * n, n] }
      f_floor, f_ceiling = fine.(k)
      f_front, f_back = fine.(k)
      f_left, f_right = fine.(k)
      tile.([0, 0, 0], [w, 0, 0], [0, d, 0], f_floor, f_floor)
      tile.([0, 0, h], [w, 0, 0], [0, d, 0], f_ceiling, f_ceiling)
      tile.([0, 0, 0], [w, 0, 0], [0, 0, h], f_front, k)
      tile.([0, d, 0], [w, 0, 0], [0, 0, h], f_back, k)
      tile.([0, 0, 0], [0, d, 0], [0, 0, h], f_left, k)
      tile.([w, 0, 0], [0, d, 0], [0, 0, h], f_right, k)
      out.shuffle(random: rng)
    end

    def self.inset(points, fraction)
      c = points.map(&:to_a).transpose.map { |a| a.sum / a.size }
      points.map { |p| Geom::Point3d.new(*p.to_a.zip(c).map { |x, m| x + (m - x) * fraction }) }
    end

    private

    def pt(x, y, z) = Geom::Point3d.new(x, y, z)

    # Cell sizes per column and row, and which kind of room each cell holds.
    def layout
      @xs = [0.0]
      @columns.times { @xs << @xs.last + (3.0 + 3.0 * @rng.rand).round(1) * M }
      @ys = [0.0]
      @rows.times { @ys << @ys.last + (3.0 + 2.0 * @rng.rand).round(1) * M }
      @cells = {}
      @storeys.times do |s|
        @rows.times do |r|
          @columns.times do |c|
            next if @cells.key?([s, c, r])
            return if @rooms.length == @count
            room = Room.new(s, c, r, pick_kind(s), [])
            @rooms << room
            @cells[[s, c, r]] = room
            @cells[[s + 1, c, r]] = room if room.kind == :double
            room.notch = [0.35 + 0.3 * @rng.rand, 0.35 + 0.3 * @rng.rand] if room.kind == :l_shape
            room.rise = (0.4 + 0.8 * @rng.rand) * M if room.kind == :sloped
          end
        end
      end
    end

    def pick_kind(storey)
      x = @rng.rand
      return :double if x < 0.06 && storey < @storeys - 1
      return :sloped if x < 0.35 && storey == @storeys - 1
      return :l_shape if x > 0.88
      :plain
    end

    # Half the wall's thickness on each side of every cell edge.  Walls
    # across rows are thick; a wall across columns is thin only between two
    # plain rooms whose front and back walls line up, so that the face they
    # share fits both.
    def decide_walls
      @half = {}
      @rooms.each do |room|
        other = neighbour(room, 0, 1)
        @half[[room, :back]] = THICK / 2
        @half[[other, :front]] = THICK / 2 if other
      end
      @rooms.each do |room|
        other = neighbour(room, 1, 0)
        thin = other && room.kind == :plain && other.kind == :plain && @rng.rand < 0.35 &&
               %i[front back].all? { |s| half(room, s) == half(other, s) } && @shared_walls
        @half[[room, :right]] = thin ? 0.0 : THICK / 2
        @half[[other, :left]] = @half[[room, :right]] if other
      end
    end

    def neighbour(room, dc, dr)
      other = @cells[[room.storey, room.column + dc, room.row + dr]]
      other.equal?(room) ? nil : other
    end

    def half(room, side) = @half.fetch([room, side], THICK / 2)

    def base_z(storey) = storey * (STOREY_HEIGHT + SLAB)

    # The room's inner box.
    def extent(room)
      x0 = @xs[room.column] + half(room, :left)
      x1 = @xs[room.column + 1] - half(room, :right)
      y0 = @ys[room.row] + half(room, :front)
      y1 = @ys[room.row + 1] - half(room, :back)
      z0 = base_z(room.storey)
      z1 = z0 + STOREY_HEIGHT + (room.kind == :double ? STOREY_HEIGHT + SLAB : 0)
      [x0, y0, z0, x1, y1, z1]
    end

    def face(points)
      f = @model.entities.add_face(points)
      f.reverse! if @rng.rand < 0.3
      f
    end

    def draw_room(room)
      x0, y0, z0, x1, y1, z1 = extent(room)
      case room.kind
      when :l_shape then draw_l_room(room, x0, y0, z0, x1, y1, z1)
      when :sloped then draw_sloped_room(room, x0, y0, z0, x1, y1, z1)
      else draw_box_room(room, x0, y0, z0, x1, y1, z1)
      end
    end

    def draw_box_room(room, x0, y0, z0, x1, y1, z1)
      room.faces << face([pt(x0, y0, z0), pt(x0, y1, z0), pt(x1, y1, z0), pt(x1, y0, z0)])
      room.faces << face([pt(x0, y0, z1), pt(x1, y0, z1), pt(x1, y1, z1), pt(x0, y1, z1)])
      walls(room, x0, y0, z0, x1, y1).each do |side, a, b|
        wall(room, side, [a, b, z0, z1, z1])
      end
    end

    # A sloped ceiling rising from the front wall to the back wall.
    def draw_sloped_room(room, x0, y0, z0, x1, y1, z1)
      top = z1 + room.rise
      room.faces << face([pt(x0, y0, z0), pt(x0, y1, z0), pt(x1, y1, z0), pt(x1, y0, z0)])
      room.faces << face([pt(x0, y0, z1), pt(x1, y0, z1), pt(x1, y1, top), pt(x0, y1, top)])
      walls(room, x0, y0, z0, x1, y1).each do |side, a, b|
        ends = { front: [z1, z1], back: [top, top], right: [z1, top], left: [top, z1] }.fetch(side)
        wall(room, side, [a, b, z0, *ends])
      end
    end

    # The back-right corner cut away.
    def draw_l_room(room, x0, y0, z0, x1, y1, z1)
      xn = x0 + (x1 - x0) * room.notch[0]
      yn = y0 + (y1 - y0) * room.notch[1]
      outline = [[x0, y0], [x1, y0], [x1, yn], [xn, yn], [xn, y1], [x0, y1]]
      room.faces << face(outline.reverse.map { |x, y| pt(x, y, z0) })
      room.faces << face(outline.map { |x, y| pt(x, y, z1) })
      outline.each_with_index do |(ax, ay), i|
        bx, by = outline[(i + 1) % outline.length]
        room.faces << face([pt(ax, ay, z0), pt(bx, by, z0), pt(bx, by, z1), pt(ax, ay, z1)])
      end
    end

    # [side, start, end] of the four walls, each running counter-clockwise
    # seen from above.
    def walls(_room, x0, y0, _z0, x1, y1)
      [[:front, [x0, y0], [x1, y0]], [:right, [x1, y0], [x1, y1]],
       [:back, [x1, y1], [x0, y1]], [:left, [x0, y1], [x0, y0]]]
    end

    # A wall from a to b between heights z0 and z_a (at a) / z_b (at b);
    # with nobody behind it, maybe a window.
    def wall(room, side, (a, b, z0, z_a, z_b))
      corners = [pt(*a, z0), pt(*b, z0), pt(*b, z_b), pt(*a, z_a)]
      dc, dr = { right: [1, 0], left: [-1, 0], back: [0, 1], front: [0, -1] }.fetch(side)
      other = neighbour(room, dc, dr)
      (@walls ||= {})[[room, side]] = { corners: corners, a: a, b: b, z0: z0 }
      if other.nil? && @rng.rand < 0.6
        window(room, corners, a, b, z0)
      elsif other.nil? || half(room, side).positive? || !@walls.key?([other, opposite(side)])
        @walls[[room, side]][:face] = face(corners)
        room.faces << @walls[[room, side]][:face]
      else
        shared = @walls[[other, opposite(side)]][:face]
        @walls[[room, side]][:face] = shared
        room.faces << shared
      end
    end

    # The modeller splits an edge where a new vertex lands on it: the
    # door's foot corners become corners of the floor beneath.  The
    # headless modeller does not, so the floor is drawn again with them.
    def split_floor(room, points)
      floor = room.faces.find do |f|
        f.normal.z.abs > 0.999 && f.vertices.all? { |v| (v.position.z - points[0].z).abs < 1e-6 }
      end
      return unless floor
      outline = floor.outer_loop.vertices.map(&:position)
      split = outline.each_with_index.flat_map do |a, i|
        b = outline[(i + 1) % outline.length]
        inner = points.select { |p| p.on_line?([a, a.vector_to(b)]) && between?(p, a, b) }
        [a] + inner.sort_by { |p| a.distance(p) }
      end
      return if split.length == outline.length
      up = floor.normal
      @model.entities.erase_entities(floor)
      redrawn = @model.entities.add_face(split)
      redrawn.reverse! if redrawn.normal.dot(up).negative?
      room.faces.map! { |f| f.equal?(floor) ? redrawn : f }
    end

    def between?(p, a, b)
      d = a.distance(b)
      a.distance(p) > 1e-6 && b.distance(p) > 1e-6 && (a.distance(p) + p.distance(b) - d).abs < 1e-6
    end

    def opposite(side) = { right: :left, left: :right, front: :back, back: :front }.fetch(side)

    def window(room, corners, a, b, z0)
      along = ->(t, z) { pt(a[0] + (b[0] - a[0]) * t, a[1] + (b[1] - a[1]) * t, z) }
      hole = [along.(0.3, z0 + 0.9 * M), along.(0.7, z0 + 0.9 * M), along.(0.7, z0 + 2.1 * M),
              along.(0.3, z0 + 2.1 * M)]
      room.faces << @model.entities.add_face_with_holes(corners, [hole])
      case @rng.rand(3)
      when 0 # glazed
        room.faces << pane(hole)
      when 1 # framed: the pane sits in the frame's own hole
        inner = self.class.inset(hole, 0.15)
        room.faces << @model.entities.add_face_with_holes(hole, [inner])
        room.faces << pane(inner)
      end # else open
    end

    def pane(points)
      f = @model.entities.add_face(points)
      f.material = glass
      f.back_material = glass
      f
    end

    def glass
      @glass ||= @model.materials.add('Glass').tap { |m| m.alpha = 0.4 }
    end

    # Doors between neighbours on one storey, in walls both sides drew whole.
    def add_doors
      @rooms.each do |room|
        [[:right, 1, 0], [:back, 0, 1]].each do |side, dc, dr|
          other = neighbour(room, dc, dr)
          next unless other && other.storey == room.storey && @rng.rand < 0.4
          mine = @walls[[room, side]]
          theirs = @walls[[other, opposite(side)]]
          next unless mine && theirs && mine[:face] && theirs[:face]
          next unless room.kind != :l_shape && other.kind != :l_shape
          door(room, other, mine, theirs)
        end
      end
    end

    # The leaf sits in this room's wall; in a thick wall, reveals line the
    # opening through to the neighbour's wall.
    def door(room, other, mine, theirs)
      a, b, z0 = mine[:a], mine[:b], mine[:z0]
      length = Math.hypot(b[0] - a[0], b[1] - a[1])
      t0 = (0.25 * M) / length
      t1 = t0 + DOOR_WIDTH / length
      return if t1 > 0.95 || z0 != theirs[:z0]
      along = ->(p, q, t, z) { pt(p[0] + (q[0] - p[0]) * t, p[1] + (q[1] - p[1]) * t, z) }
      top = z0 + DOOR_HEIGHT
      near = [along.(a, b, t0, z0), along.(a, b, t1, z0), along.(a, b, t1, top), along.(a, b, t0, top)]
      shared = mine[:face].equal?(theirs[:face])
      notch(room, mine, near)
      split_floor(room, near.first(2))
      split_floor(other, near.first(2)) if shared
      leaf = @model.entities.add_face(near)
      @doors << QORPlugin::Door.new(leaf.outer_loop.vertices, leaf)
      unless @door_style == :two_leaves && !shared
        room.faces << leaf
        other.faces << leaf
      end
      if shared
        other.faces.map! { |f| f.equal?(mine[:old]) ? mine[:face] : f }
        theirs[:face] = mine[:face]
        return
      end
      # The same opening seen from the neighbour's wall (which runs the
      # other way), and the reveals between.
      far = near.map { |p| far_point(p, theirs) }
      notch(other, theirs, [far[1], far[0], far[3], far[2]])
      split_floor(other, far.first(2))
      if @door_style == :two_leaves
        far_leaf = @model.entities.add_face([far[1], far[0], far[3], far[2]])
        @doors << QORPlugin::Door.new(far_leaf.outer_loop.vertices, far_leaf)
        return
      end
      [[0, 3], [1, 2], [3, 2], [0, 1]].each do |i, j|
        other.faces << face([near[i], near[j], far[j], far[i]])
      end
    end

    # The point of the neighbour's wall plane across from p.
    def far_point(p, wall)
      a, b = wall[:a], wall[:b]
      if (a[0] - b[0]).abs < 1e-9
        pt(a[0], p.y, p.z)
      else
        pt(p.x, a[1], p.z)
      end
    end

    # Redraws the wall with a notch at its foot for the door.
    def notch(room, wall, opening)
      old = wall[:face]
      c = wall[:corners]
      outline = [c[0], opening[0], opening[3], opening[2], opening[1], c[1], c[2], c[3]]
      @model.entities.erase_entities(old)
      wall[:old] = old
      wall[:face] = face(outline)
      room.faces.map! { |f| f.equal?(old) ? wall[:face] : f }
    end
  end
end

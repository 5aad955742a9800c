require_relative 'edge_splits'
require_relative 'building_json'
require_relative 'building_values'
require_relative 'hole_overlaps'
require_relative 'building'
require_relative 'opening'
require_relative 'globals'

module QORPlugin
  # A building file (JSON, see docs/building-file.md) drawn into a model:
  # materials, vertices, faces with holes, window panes, door leaves and the
  # rooms to export.  Every mistake raises one BuildingFileError naming the
  # file, the JSON path and the problem.
  class BuildingFile
    INCHES_PER_UNIT = { 'm' => 39.37007874015748, 'in' => 1.0 }.freeze
    ROOM_SETTINGS = %w[constructionOption type service].freeze
    # "adjacency": a face is a pane when the modeller's rule makes it one;
    # "windows": the panes are the file's windows and nothing else.
    PANE_RULES = %w[adjacency windows].freeze
    DOOR_TYPES = %w[Door Window].freeze
    TOLERANCE = 0.001 # inches, the modeller's own
    # Attributes the export reads as numbers: [dictionary, key].
    NUMBER_ATTRIBUTES = [%w[GroupDict ZOffset], %w[FaceDict2 UseCount]].freeze

    # One room as the file describes it; faces are model faces.
    RoomDescription = Struct.new(:id, :name, :storey, :faces, :claim_floor, :settings)

    attr_reader :file, :name, :model, :building, :rooms, :settings, :faces

    def self.load(file)
      text =
        begin
          File.read(file, encoding: 'UTF-8')
        rescue SystemCallError => e
          raise BuildingFileError.new(file, nil, "cannot read (#{e.message.sub(/ @ .*/, '')})")
        end
      new(text, file)
    end

    def initialize(text, file = '(building)')
      @file = file
      doc = BuildingJSON.parse(text, file)
      bad = BuildingValues.first_problem(doc)
      fail_at(*bad) if bad
      root = object_at(doc, '', %w[name units settings materials vertices faces windows doors rooms])
      @model = Sketchup.new_model
      @building = Building.new
      @name = optional_string(root, 'name', '') || ''
      @scale = read_units(root)
      @settings = read_settings(root['settings'])
      @materials = read_materials(root['materials'])
      @vertex_xyz = read_vertices(field(root, 'vertices', ''))
      @vertices = @vertex_xyz.transform_values { |xyz| Geom::Point3d.new(xyz) }
      @splits = EdgeSplits.new(@vertex_xyz, corner_ids(root), TOLERANCE)
      @faces = {}
      @least_corners = {}
      @face_ids = {}.compare_by_identity
      read_list(root, 'faces', required: true) { |entry, path| draw_face(entry, path) }
      @panes = {}
      @pane_faces = {}.compare_by_identity
      read_list(root, 'windows') { |entry, path| draw_window(entry, path) }
      read_list(root, 'doors') { |entry, path| @building.doors << draw_door(entry, path) }
      @rooms = []
      read_list(root, 'rooms', required: true) { |entry, path| @rooms << read_room(entry, path) }
      fail_at('rooms', 'lists no room') if @rooms.empty?
      # The vertex tables serve only the reading; the export keeps the model.
      @vertices = @vertex_xyz = @splits = @least_corners = @by_least_x = nil
      prepare
    end

    # The file's id of a model face, or nil.
    def face_id(face) = @face_ids[face]

    # Assigns the extension's globals for this building; settings given here
    # override the file's.
    def prepare(progress: Progress.new, settings: {})
      settings = @settings.merge(settings)
      settings[:panes] = @pane_faces if settings[:panes] == 'windows'
      QORPlugin.prepare(@model, building: @building, progress: progress, settings: settings)
    end

    private

    def fail_at(path, problem)
      raise BuildingFileError.new(@file, path, problem)
    end

    def join(path, key)
      return "#{path}[#{key}]" if key.is_a?(Integer)
      path.empty? ? key.to_s : "#{path}.#{key}"
    end

    # A JSON object with only the known keys ("comment" is always allowed).
    def object_at(value, path, known)
      fail_at(path, 'must be an object {...}') unless value.is_a?(Hash)
      dup = value.respond_to?(:duplicate_keys) && value.duplicate_keys.first
      fail_at(join(path, dup), 'duplicate key (given twice)') if dup
      unknown = value.keys - known - ['comment']
      fail_at(join(path, unknown.first), "unknown field (known: #{known.join(', ')})") unless unknown.empty?
      value
    end

    def field(object, key, path)
      fail_at(join(path, key), 'missing') unless object.key?(key)
      object[key]
    end

    def array_at(value, path)
      fail_at(path, 'must be a list [...]') unless value.is_a?(Array)
      value
    end

    def optional_string(object, key, path)
      value = object[key]
      return nil if value.nil?
      fail_at(join(path, key), "must be a text in quotes, not #{value.inspect}") unless value.is_a?(String)
      value
    end

    def id_at(object, path)
      id = field(object, 'id', path)
      fail_at(join(path, 'id'), "must be a non-empty text, not #{id.inspect}") unless id.is_a?(String) && !id.empty?
      id
    end

    # The number in inches (or unscaled): one too large for a Float once
    # scaled would make every later sum infinite or NaN.
    def number_at(value, path, scale = 1.0)
      fail_at(path, "not a number (#{value.inspect})") unless value.is_a?(Numeric)
      scaled = value.to_f * scale
      fail_at(path, "too large (#{value.inspect})") unless scaled.finite?
      scaled
    end

    def choice_at(value, path, choices)
      fail_at(path, "must be one of #{choices.map(&:inspect).join(', ')}, not #{value.inspect}") unless choices.include?(value)
      value
    end

    def flag_at(value, path)
      fail_at(path, "must be true or false, not #{value.inspect}") unless [true, false].include?(value)
      value
    end

    # Each element of an optional (or required) list, with its path; ids
    # must be unique within the list.
    def read_list(root, key, required: false)
      list = required ? field(root, key, '') : root.fetch(key, [])
      seen = {}
      array_at(list, key).each_with_index do |entry, i|
        path = join(key, i)
        if entry.is_a?(Hash) && entry['id'].is_a?(String)
          id = entry['id']
          fail_at(join(path, 'id'), "duplicate id \"#{id}\" (also #{seen[id]})") if seen.key?(id)
          seen[id] = path
        end
        yield entry, path
      end
    end

    def read_units(root)
      units = field(root, 'units', '')
      INCHES_PER_UNIT.fetch(units) do
        fail_at('units', "unknown unit #{units.inspect} (use \"m\" or \"in\")")
      end
    end

    def read_settings(value)
      settings = {}
      return settings if value.nil?
      obj = object_at(value, 'settings', %w[maxWallThickness floorAngle thinWalls panes])
      if obj.key?('maxWallThickness')
        t = number_at(obj['maxWallThickness'], 'settings.maxWallThickness', @scale)
        fail_at('settings.maxWallThickness', 'must be positive') unless t.positive?
        settings[:max_wall_thickness] = t
      end
      if obj.key?('floorAngle')
        a = number_at(obj['floorAngle'], 'settings.floorAngle')
        fail_at('settings.floorAngle', 'must be between 0 and 90 degrees') unless a > 0 && a < 90
        settings[:floor_angle] = a * Math::PI / 180.0
      end
      settings[:thin_walls] = flag_at(obj['thinWalls'], 'settings.thinWalls') if obj.key?('thinWalls')
      settings[:panes] = choice_at(obj['panes'], 'settings.panes', PANE_RULES) if obj.key?('panes')
      settings
    end

    def read_materials(value)
      materials = {}
      return materials if value.nil?
      array_at(value, 'materials').each_with_index do |entry, i|
        path = join('materials', i)
        obj = object_at(entry, path, %w[id colour alpha])
        id = id_at(obj, path)
        fail_at(join(path, 'id'), "duplicate id \"#{id}\"") if materials.key?(id)
        material = @model.materials.add(id)
        material.color = read_colour(obj['colour'], join(path, 'colour')) if obj.key?('colour')
        if obj.key?('alpha')
          alpha = number_at(obj['alpha'], join(path, 'alpha'))
          fail_at(join(path, 'alpha'), 'must be between 0.0 and 1.0') unless alpha.between?(0.0, 1.0)
          material.alpha = alpha
        end
        materials[id] = material
      end
      materials
    end

    def read_colour(value, path)
      unless value.is_a?(String) && value.match?(/\A#\h{6}\z/)
        fail_at(path, "must be \"#rrggbb\", not #{value.inspect}")
      end
      value[1..].scan(/../).map { |h| h.to_i(16) }
    end

    def read_vertices(value)
      obj = object_at(value, 'vertices', value.is_a?(Hash) ? value.keys : [])
      obj.each_with_object({}) do |(id, coords), vertices|
        next if id == 'comment'
        unless coords.is_a?(Array) && coords.length == 3
          fail_at(join('vertices', id), "needs three coordinates [x, y, z], not #{coords.inspect}")
        end
        vertices[id] = coords.each_with_index.map do |c, i|
          scaled = c.to_f * @scale if c.is_a?(Numeric)
          scaled&.finite? ? scaled : number_at(c, join(join('vertices', id), i), @scale)
        end.freeze
      end
    end

    # The points of a loop of vertex ids, checked the way the modeller
    # would refuse them, but with the reason.
    def loop_points(value, path, split: true)
      ids = array_at(value, path)
      ids.each_with_index do |id, i|
        fail_at(join(path, i), "unknown vertex #{id.inspect}") unless id.is_a?(String) && @vertices.key?(id)
      end
      fail_at(path, "fewer than three points (#{ids.length})") if ids.uniq.length < 3
      counts = ids.tally
      repeated = ids.find { |id| counts[id] > 1 }
      fail_at(path, "vertex \"#{repeated}\" appears twice") if repeated
      check_planar(ids.map { |id| @vertex_xyz[id] }, ids, path)
      (split ? @splits.split(ids) : ids).map { |id| @vertices[id] }
    end

    # Every vertex id a face or door loop names (unchecked: the loops are
    # checked as they are drawn).
    def corner_ids(root)
      loops = Array(root['faces']).flat_map do |f|
        f.is_a?(Hash) ? [f['outer'], *Array(f['holes'])] : []
      end
      loops += Array(root['doors']).map { |d| d.is_a?(Hash) ? d['outline'] : nil }
      loops.flat_map { |l| l.is_a?(Array) ? l.grep(String) : [] }
    end

    # The plane is the one through the first three corners that make a
    # triangle (the third further than the tolerance from the line of the
    # first two), so the message can name the corner that leaves it.  Plain
    # numbers: this runs for every loop of the file.
    def check_planar(xyz, ids, path)
      a = xyz[0]
      b = xyz[1..].find { |p| distance(a, p) >= TOLERANCE }
      fail_at(path, 'the points all coincide') unless b
      ab = sub(b, a)
      normal = nil
      span = distance(a, b)
      c = xyz.find do |p|
        n = cross(ab, sub(p, a))
        normal = n if Math.sqrt(dot(n, n)) >= TOLERANCE * span
      end
      fail_at(path, 'the points lie on one line') unless c
      length = Math.sqrt(dot(normal, normal))
      nx, ny, nz = normal
      ax, ay, az = a
      xyz.each_with_index do |p, i|
        off = (((p[0] - ax) * nx + (p[1] - ay) * ny + (p[2] - az) * nz) / length).abs
        next if off < TOLERANCE
        base = [a, b, c].map { |q| "\"#{ids[xyz.index(q)]}\"" }.join(', ')
        fail_at(path, format('not planar: vertex "%s" lies %.4g %s off the plane through %s',
                             ids[i], off / @scale, @scale == 1.0 ? 'in' : 'm', base))
      end
    end

    def sub(p, q) = [p[0] - q[0], p[1] - q[1], p[2] - q[2]]
    def dot(p, q) = p[0] * q[0] + p[1] * q[1] + p[2] * q[2]
    def cross(p, q) = [p[1] * q[2] - p[2] * q[1], p[2] * q[0] - p[0] * q[2], p[0] * q[1] - p[1] * q[0]]
    def distance(p, q) = Math.sqrt(dot(sub(p, q), sub(p, q)))

    def draw_face(entry, path)
      obj = object_at(entry, path, %w[id outer holes front back attributes])
      id = id_at(obj, path)
      outer = loop_points(field(obj, 'outer', path), join(path, 'outer'))
      holes = array_at(obj.fetch('holes', []), join(path, 'holes'))
      holes = holes.each_with_index.map { |h, i| loop_points(h, join(join(path, 'holes'), i)) }
      check_holes_apart(outer, holes, id, path)
      face = holes.empty? ? @model.entities.add_face(outer) : @model.entities.add_face_with_holes(outer, holes)
      unless face
        fail_at(path, holes.empty? ? 'the outline touches itself' :
                      'a hole is not strictly inside the outline, or not in its plane')
      end
      same = @face_ids[face]
      fail_at(path, "same outline as face \"#{same}\"") if same
      finish_face(face, obj, path)
      @face_ids[face] = id
      @faces[id] = face
      @least_corners[id] = obj['outer'].map { |v| @vertex_xyz[v] }.transpose.map(&:min)
    end

    # Two holes over the same part of a face would each become an opening.
    def check_holes_apart(outer, holes, id, path)
      i, j, how = HoleOverlaps.first_pair(outer, holes, TOLERANCE)
      fail_at(join(join(path, 'holes'), j), "#{how} hole #{i} of face \"#{id}\" (holes must not overlap)") if how
    end

    def finish_face(face, obj, path)
      face.material = material_at(obj['front'], join(path, 'front')) if obj.key?('front')
      face.back_material = material_at(obj['back'], join(path, 'back')) if obj.key?('back')
      write_attributes(face, obj['attributes'], join(path, 'attributes')) if obj.key?('attributes')
      face
    end

    def material_at(value, path)
      @materials.fetch(value) { fail_at(path, "unknown material #{value.inspect}") }
    end

    def write_attributes(entity, value, path)
      dicts = object_at(value, path, value.is_a?(Hash) ? value.keys : [])
      dicts.each do |dict, pairs|
        dict_path = join(path, dict)
        object_at(pairs, dict_path, pairs.is_a?(Hash) ? pairs.keys : []).each do |key, v|
          unless v.is_a?(String) || v.is_a?(Numeric) || v == true || v == false
            fail_at(join(dict_path, key), "must be a text, number, true or false, not #{v.inspect}")
          end
          if NUMBER_ATTRIBUTES.include?([dict, key]) && !v.is_a?(Numeric)
            fail_at(join(dict_path, key), "must be a number (inches), not #{v.inspect}")
          end
          entity.set_attribute(dict, key, v)
        end
      end
    end

    def face_ref(value, path)
      @faces.fetch(value) { fail_at(path, "unknown face #{value.inspect}") }
    end

    # A pane drawn into one hole of a face (its glass is a material with
    # alpha below 1); the room face finds it through the hole.
    def draw_window(entry, path)
      obj = object_at(entry, path, %w[id face hole front back attributes])
      id = id_at(obj, path)
      face = face_ref(field(obj, 'face', path), join(path, 'face'))
      index = obj.fetch('hole', 0)
      holes = face.loops.reject(&:outer?)
      unless index.is_a?(Integer) && index >= 0 && index < holes.length
        fail_at(join(path, 'hole'), "face \"#{obj['face']}\" has no hole #{index.inspect} " \
                                    "(it has #{holes.length})")
      end
      key = [face, index]
      fail_at(path, "that hole already has window \"#{@panes[key]}\"") if @panes.key?(key)
      @panes[key] = id
      pane = @model.entities.add_face(holes[index].vertices.map(&:position))
      @pane_faces[pane] = true
      finish_face(pane, obj, path)
    end

    # A door leaf on corners that a wall's outline runs round (a notch);
    # the building's door list is what the room faces search.  The leaf is
    # drawn on the door's own corners: a corner of another face on its edge
    # (a slab's, on the sill) does not split it, as the leaf bounds no room
    # and a leaf with a corner more than its door is taken for a frame.  A
    # glazed leaf ("type": "Window") is a window on the wall's edge.
    def draw_door(entry, path)
      obj = object_at(entry, path, %w[id type outline front back attributes])
      id_at(obj, path)
      type = obj.key?('type') ? choice_at(obj['type'], join(path, 'type'), DOOR_TYPES) : 'Door'
      outline = loop_points(field(obj, 'outline', path), join(path, 'outline'), split: false)
      whole = face_with_corners(outline)
      if whole
        fail_at(join(path, 'outline'), "covers the whole of face \"#{whole}\" " \
                                       '(draw the door as a notch in its wall)')
      end
      leaf = @model.entities.add_face(outline)
      fail_at(join(path, 'outline'), 'the outline touches itself') unless leaf
      corners = leaf.outer_loop.vertices
      unless corners.first.faces.any? { |f| @face_ids.key?(f) && (corners - f.outer_loop.vertices).empty? }
        fail_at(join(path, 'outline'), "is not part of any face's outline (draw the door as a notch in its wall)")
      end
      finish_face(leaf, obj, path)
      Door.new(corners, leaf, type)
    end

    # The id of the first face (in file order) whose outline has these
    # corners, or nil.  Faces are indexed once, by the least corner of their
    # outline as the file gives it, so a door looks only at the faces that
    # start where it does.  The model's corners lie within its tolerance of
    # the file's (a corner drawn that near a vertex is that vertex; one
    # inserted into an edge lies that near the edge), so the index is
    # searched NEAR_FILE wider, and only the faces found there have their
    # corners read of the model and compared: least x within the tolerance,
    # least y and z within twice it, then corner by corner.
    NEAR_FILE = 10 * TOLERANCE

    def face_with_corners(points)
      @by_least_x ||= @least_corners.each_with_index.map { |(id, least), order| [least[0], order, id, least] }.sort
      least = least_corner(points)
      near = ->(a, b, reach) { (a - b).abs <= reach }
      from = @by_least_x.bsearch_index { |x, _| x >= least[0] - TOLERANCE - NEAR_FILE } || @by_least_x.length
      found = @by_least_x[from..].take_while { |x, _| x <= least[0] + TOLERANCE + NEAR_FILE }.select do |_, _, _, (_, y, z)|
        near.(y, least[1], 2 * TOLERANCE + NEAR_FILE) && near.(z, least[2], 2 * TOLERANCE + NEAR_FILE)
      end
      found.sort_by { |_, order| order }.each do |_, _, id|
        corners = @faces[id].outer_loop.vertices.map(&:position)
        x, y, z = least_corner(corners)
        next unless near.(x, least[0], TOLERANCE) && near.(y, least[1], 2 * TOLERANCE) && near.(z, least[2], 2 * TOLERANCE)
        return id if corners.length == points.length && HoleOverlaps.same?(corners, points, TOLERANCE)
      end
      nil
    end

    # [least x, least y, least z] of the points, each point read once.
    def least_corner(points)
      points.map(&:to_a).transpose.map(&:min)
    end

    def read_room(entry, path)
      obj = object_at(entry, path, %w[id name storey faces claimFloor settings])
      id = id_at(obj, path)
      name = field(obj, 'name', path)
      fail_at(join(path, 'name'), "must be a text in quotes, not #{name.inspect}") unless name.is_a?(String)
      storey = optional_string(obj, 'storey', path) || ''
      refs = array_at(field(obj, 'faces', path), join(path, 'faces'))
      fail_at(join(path, 'faces'), 'lists no face') if refs.empty?
      faces = refs.each_with_index.map do |ref, i|
        fail_at(join(join(path, 'faces'), i), "face \"#{ref}\" is listed twice") if refs.index(ref) < i
        face_ref(ref, join(join(path, 'faces'), i))
      end
      claim = obj.key?('claimFloor') ? flag_at(obj['claimFloor'], join(path, 'claimFloor')) : false
      RoomDescription.new(id, name, storey, faces, claim, read_room_settings(obj['settings'], join(path, 'settings')))
    end

    def read_room_settings(value, path)
      return {} if value.nil?
      object_at(value, path, ROOM_SETTINGS).each_with_object({}) do |(key, v), settings|
        fail_at(join(path, key), "must be a text in quotes, not #{v.inspect}") unless v.is_a?(String)
        settings[key] = v
      end
    end
  end
end

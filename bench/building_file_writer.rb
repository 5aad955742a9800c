require_relative 'building_generator'

module QORBench
  # A generated building as a building file (docs/building-file.md), for
  # timing the exporter as a user runs it.  Coordinates in inches, written
  # as Ruby writes Floats, so the file loads to the same points.  Panes
  # (faces without holes filling another face's hole) become windows and
  # door leaves doors; neither is listed among a room's faces, where the
  # loader finds them through their holes and the building's door list.
  #   doc = QORBench::BuildingFileWriter.new(rooms: 300, seed: 1).document
  class BuildingFileWriter
    def initialize(rooms:, seed: 1, storeys: nil)
      @model = Sketchup.new_model
      @gen = BuildingGenerator.new(@model, rooms: rooms, seed: seed, storeys: storeys).generate
      @vertex_ids = {}.compare_by_identity
      @face_ids = {}.compare_by_identity
    end

    def document
      leaves = @gen.doors.map(&:face)
      panes = pane_holes
      faces = @model.entities.grep(Sketchup::Face).reject { |f| panes.key?(f) || leaves.any? { |l| l.equal?(f) } }
      face_entries = faces.map { |f| face_entry(f) }
      windows = panes.map.with_index do |(_pane, (face, hole)), i|
        { 'id' => "pane#{i + 1}", 'face' => @face_ids.fetch(face), 'hole' => hole, 'front' => 'Glass', 'back' => 'Glass' }
      end
      doors = leaves.each_with_index.map do |leaf, i|
        { 'id' => "door#{i + 1}", 'outline' => leaf.outer_loop.vertices.map { |v| vertex_id(v) } }
      end
      rooms = @gen.rooms_faces.each_with_index.map { |room_faces, i| room_entry(room_faces, i) }
      { 'name' => "Generated building of #{@gen.rooms.length} rooms", 'units' => 'in',
        'materials' => [{ 'id' => 'Glass', 'alpha' => 0.4 }], 'vertices' => vertices, 'faces' => face_entries,
        'windows' => windows, 'doors' => doors, 'rooms' => rooms }
    end

    private

    # pane => [face whose hole it fills, the hole's index].
    def pane_holes
      holes = {}
      @model.entities.grep(Sketchup::Face).each do |f|
        f.loops.reject(&:outer?).each_with_index { |l, i| holes[l.vertices.map(&:object_id).sort] = [f, i] }
      end
      @model.entities.grep(Sketchup::Face).each_with_object({}.compare_by_identity) do |f, panes|
        next if f.loops.length > 1

        filled = holes[f.outer_loop.vertices.map(&:object_id).sort]
        panes[f] = filled if filled
      end
    end

    def vertex_id(vertex)
      @vertex_ids[vertex] ||= "v#{@vertex_ids.length + 1}"
    end

    def vertices
      @vertex_ids.to_h { |v, id| [id, v.position.to_a] }
    end

    def face_entry(face)
      id = @face_ids[face] = "f#{@face_ids.length + 1}"
      entry = { 'id' => id, 'outer' => face.outer_loop.vertices.map { |v| vertex_id(v) } }
      holes = face.loops.reject(&:outer?)
      entry['holes'] = holes.map { |l| l.vertices.map { |v| vertex_id(v) } } unless holes.empty?
      entry['front'] = 'Glass' if face.material
      entry['back'] = 'Glass' if face.back_material
      entry
    end

    def room_entry(room_faces, i)
      room = @gen.rooms[i]
      { 'id' => (i + 1).to_s, 'name' => "Room #{i + 1}", 'storey' => "Storey #{room.storey + 1}",
        'claimFloor' => i.odd?, 'faces' => room_faces.filter_map { |f| @face_ids[f] } }
    end
  end
end

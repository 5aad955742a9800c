require 'json'
require_relative 'reader'
require_relative 'loop_cleaner'
require_relative 'opening_cutter'
require_relative 'import_summary'
require_relative 'expectation'
require_relative 'closed_shell'

module QORPlugin
  module Gbxml
    # A gbXML document made into a building file (docs/building-file.md):
    # one face per surface, shared by the spaces on its two sides
    # (thin-wall mode), openings cut into it, one room per space.
    class Importer
      WINDOW_TYPES = %w[FixedWindow OperableWindow FixedSkylight OperableSkylight].freeze
      DOOR_TYPES = %w[NonSlidingDoor SlidingDoor].freeze
      AIR_TYPE = 'Air'.freeze
      SHADE_TYPE = 'Shade'.freeze
      MATERIALS = {
        'glass' => { 'id' => 'glass', 'colour' => '#a0c8e0', 'alpha' => 0.5 },
        'air' => { 'id' => 'air', 'colour' => '#ffffff', 'alpha' => 0.0 },
        'door' => { 'id' => 'door', 'colour' => '#8b5a2b' }
      }.freeze

      Result = Struct.new(:building, :summary, :expectations) do
        def json = BuildingText.generate(building)
        def warnings = summary.warnings
      end

      # Reads and imports a file; raises GbxmlError.
      def self.import_file(file) = new(Reader.load(file), file).run

      def initialize(document, file)
        @doc = document
        @file = file
        @summary = ImportSummary.new
        Array(document.warnings).each do |w|
          @summary.warn(w.element, w.problem)
          kind = READ_KINDS[w.element.to_s[/\A\w+/]]
          @summary.left_out[kind] += 1 if kind && w.problem.end_with?('left out')
        end
        @cleaner = LoopCleaner.new
        @vertices = {}
        @faces = []
        @face_by_outline = {}
        @windows = []
        @doors = []
        @materials = []
        @room_faces = Hash.new { |h, k| h[k] = [] }
        @expectations = []
        @door_faces = {}
      end

      def run
        spaces = @doc.spaces.to_h { |s| [s.id, s] }
        @doc.surfaces.each { |surface| import_surface(surface, spaces) }
        rooms = @doc.spaces.filter_map { |space| room(space) }
        refuse(nil, 'no space could be imported (each is named above)') if rooms.empty?
        note_open_spaces(rooms)
        finish_summary(rooms)
        by_space = Hash.new { |h, k| h[k] = [] }
        @expectations.each { |e| e.space_ids.each { |id| by_space[id] << e } }
        @expectations.each { |e| e.settle(by_space) }
        Result.new(building(rooms), @summary, @expectations)
      end

      private

      def refuse(element, problem)
        raise GbxmlError.new(@file, element, problem)
      end

      def import_surface(surface, spaces)
        where = %(Surface "#{surface.id}")
        if surface.space_ids.empty? || surface.type == SHADE_TYPE
          @summary.shading += 1
          return
        end
        return left_out(where, "has #{surface.space_ids.length} adjacent spaces (at most two)") if surface.space_ids.length > 2
        space_ids = surface.space_ids.select do |id|
          spaces.key?(id) || @summary.warn(where, %(AdjacentSpaceId "#{id}" names no Space; that side is left out))
        end
        return left_out(where, 'names no Space that was read') if space_ids.empty?
        pieces = planar_pieces(where, surface) or return
        openings = candidates(surface, pieces)
        face_ids = pieces.each_with_index.map do |(outline, plane), k|
          face_id = k.zero? ? surface.id : "#{surface.id}##{k + 1}"
          placed = OpeningCutter.new(outline, plane).place(openings[k])
          placed.left_out.each { |id, reason| left_out(%(Opening "#{id}"), reason, :openings) }
          add_face(face_id, surface, placed)
        end.uniq
        face_ids.each { |f| space_ids.each { |id| @room_faces[id] << f unless @room_faces[id].include?(f) } }
        outline = pieces.flat_map(&:first)
        @expectations << Expectation.new(surface, face_ids, space_ids, pieces.first[1], PlaneGeometry.centroid(outline),
                                         footprint: Expectation.footprint(outline))
      end

      def left_out(where, reason, what = :surfaces)
        @summary.left_out[what] += 1
        @summary.warn(where, "#{reason}; left out")
      end

      # The surface's loop as planar pieces, or nil when it cannot be used
      # (its openings then go with it, counted and named).
      def planar_pieces(where, surface)
        pieces, bend = @cleaner.pieces(surface.points)
        if bend
          @summary.split += 1
          @summary.warn(where, format('not planar (a corner lies %.4g m off its plane); drawn as %d planar pieces',
                                      bend, pieces.length))
        end
        pieces
      rescue LoopCleaner::Unusable => e
        left_out(where, e.message)
        surface.openings.each { |o| left_out(%(Opening "#{o.id}"), "its surface is left out", :openings) }
        nil
      end

      # The openings each piece holds, cleaned and pressed onto its plane;
      # those that cannot be used are left out and named.
      def candidates(surface, pieces)
        by_piece = Array.new(pieces.length) { [] }
        surface.openings.each do |o|
          where = %(Opening "#{o.id}")
          kind = opening_kind(o)
          next left_out(where, "unknown openingType #{o.type.inspect} (known: #{KNOWN_TYPES.join(', ')})", :openings) unless kind
          k = piece_of(o.points, pieces)
          points = @cleaner.opening(o.points, pieces[k][1])
          by_piece[k] << OpeningCutter::Candidate.new(o.id, kind, points)
        rescue LoopCleaner::Unusable => e
          left_out(where, e.message, :openings)
        end
        by_piece
      end

      # The piece whose outline holds the opening's middle, else the one
      # whose plane lies nearest to it.
      def piece_of(points, pieces)
        return 0 if pieces.length == 1 || points.empty?
        centre = PlaneGeometry.centroid(points)
        holder = pieces.index do |outline, plane|
          FlatPolygon.contains?(outline.map { |p| plane.flat(p) }, plane.flat(centre))
        end
        holder || pieces.each_index.min_by { |k| pieces[k][1].offset(centre).abs }
      end

      READ_KINDS = { 'Surface' => :surfaces, 'Opening' => :openings, 'Space' => :spaces }.freeze
      KNOWN_TYPES = (WINDOW_TYPES + DOOR_TYPES + [AIR_TYPE]).freeze

      def opening_kind(opening)
        return :window if WINDOW_TYPES.include?(opening.type)
        return :door if DOOR_TYPES.include?(opening.type)
        return :air if opening.type == AIR_TYPE
        nil
      end

      # A surface drawn on the same corners as an earlier one is that face
      # again (some tools write an inner wall once per space).
      def add_face(face_id, surface, placed)
        outer = placed.outline.map { |p| vertex_id(p) }
        key = outer.sort
        if (existing = @face_by_outline[key])
          @summary.merged += 1
          gone = (placed.holes + placed.notches).map { |id, _, _| %("#{id}") }
          unless gone.empty?
            @summary.warn(%(Surface "#{surface.id}"), %(drawn on the corners of surface "#{existing}"; merged with it, ) +
                                                      "its openings #{gone.join(', ')} with it (the first surface's are kept)")
          end
          return existing
        end
        face = { 'id' => face_id, 'outer' => outer }
        face['holes'] = placed.holes.map { |_, points, _| points.map { |p| vertex_id(p) } } unless placed.holes.empty?
        material = whole_surface_material(surface, placed)
        face['front'] = face['back'] = material if material
        @faces << face
        @face_by_outline[key] = face_id
        add_openings(face_id, placed)
        face_id
      end

      def whole_surface_material(surface, placed)
        kind = placed.whole ? opening_kind(surface.openings.find { |o| o.id == placed.whole }) : nil
        @summary.whole_openings += 1 if kind
        count(kind) if kind
        material = { window: 'glass', air: 'air' }[kind]
        material ||= 'air' if surface.type == AIR_TYPE
        use_material(material) if material
        material
      end

      def add_openings(face_id, placed)
        placed.holes.each_with_index do |(id, _, kind), i|
          count(kind)
          next if kind == :air # an open hole
          @summary.inner_doors += 1 if kind == :door
          material = use_material(kind == :door ? 'door' : 'glass')
          @windows << { 'id' => id, 'face' => face_id, 'hole' => i, 'front' => material, 'back' => material }
        end
        placed.notches.each do |id, points, kind|
          count(kind)
          door = { 'id' => id, 'outline' => points.map { |p| vertex_id(p) } }
          if kind == :window
            @summary.edge_windows += 1
            @summary.warn(%(Opening "#{id}"), "a window on its surface's edge; cut as a notch, as for a door")
            door['type'] = 'Window'
            door['front'] = door['back'] = use_material('glass')
          end
          @doors << door
          @door_faces[id] = face_id
        end
      end

      def count(kind)
        case kind
        when :window then @summary.windows += 1
        when :door then @summary.doors += 1
        when :air then @summary.air += 1
        end
      end

      def use_material(id)
        @materials << id unless @materials.include?(id)
        id
      end

      # Vertex ids by position, in order of first use.
      def vertex_id(point)
        @vertices[point] ||= "v#{@vertices.length + 1}"
      end

      # A space no surface bounds is skipped (a shading group written as a
      # space, or a space whose every surface was left out).
      def room(space)
        faces = @room_faces[space.id]
        if faces.empty?
          @summary.left_out[:spaces] += 1
          return @summary.warn(%(Space "#{space.id}"), 'no surface bounds it; skipped')
        end
        storey = space.storey_id ? @doc.storeys[space.storey_id].name : ''
        { 'id' => space.id, 'name' => space.name, 'storey' => storey, 'faces' => faces }
      end

      # A space whose faces leave an edge with one face only is not closed:
      # the room typing's ray counts may then take its faces the other way.
      def note_open_spaces(rooms)
        shell = ClosedShell.new(@vertices.invert, @faces.to_h { |f| [f['id'], f['outer']] })
        leaves = @doors.group_by { |d| @door_faces[d['id']] }
        rooms.each do |room|
          loops = room['faces'].flat_map { |id| [id] + Array(leaves[id]).map { |d| d['outline'] } }
          open = shell.open_edges(loops)
          next if open.zero?
          @summary.open_spaces << room['id']
          @summary.warn(%(Space "#{room['id']}"), "is not closed (#{open} edge#{open == 1 ? '' : 's'} bound only one " \
                                                  'of its surfaces): its faces may be typed the other way')
        end
      end

      def building(rooms)
        doc = { 'name' => @doc.name, 'units' => 'm', 'settings' => { 'thinWalls' => true, 'panes' => 'windows' } }
        doc['materials'] = MATERIALS.values_at(*MATERIALS.keys.select { |m| @materials.include?(m) }) unless @materials.empty?
        doc['vertices'] = @vertices.to_h { |point, id| [id, point] }
        doc['faces'] = @faces
        doc['windows'] = @windows unless @windows.empty?
        doc['doors'] = @doors unless @doors.empty?
        doc['rooms'] = rooms
        doc
      end

      def finish_summary(rooms)
        @summary.spaces = rooms.length
        @summary.faces = @faces.length
        @summary.shared = rooms.flat_map { |r| r['faces'] }.tally.count { |_, n| n > 1 }
        @summary.repeated = @cleaner.repeated
        @summary.collinear = @cleaner.collinear
        @summary.flattened = @cleaner.flattened
      end
    end

    # The building file's text: one line per vertex, face, opening and
    # room, so that a diff of two imports reads.
    module BuildingText
      module_function

      def generate(doc)
        lines = doc.map do |key, value|
          body =
            case value
            when Array then list(value.map { |v| JSON.generate(v) }, '[', ']')
            when Hash
              entries = value.map { |k, v| "#{JSON.generate(k)}: #{JSON.generate(v)}" }
              key == 'settings' ? "{ #{entries.join(', ')} }" : list(entries, '{', '}')
            else JSON.generate(value)
            end
          "  #{JSON.generate(key)}: #{body}"
        end
        "{\n#{lines.join(",\n")}\n}\n"
      end

      def list(items, open, close)
        return "#{open}#{close}" if items.empty?
        "#{open}\n    #{items.join(",\n    ")}\n  #{close}"
      end
    end
  end
end

require 'json'
require_relative 'reader'
require_relative 'loop_cleaner'
require_relative 'opening_cutter'
require_relative 'import_summary'
require_relative 'expectation'

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
      end

      # Reads and imports a file; raises GbxmlError.
      def self.import_file(file) = new(Reader.load(file), file).run

      def initialize(document, file)
        @doc = document
        @file = file
        @summary = ImportSummary.new
        @cleaner = LoopCleaner.new
        @vertices = {}
        @faces = []
        @face_by_outline = {}
        @windows = []
        @doors = []
        @materials = []
        @room_faces = Hash.new { |h, k| h[k] = [] }
        @expectations = []
      end

      def run
        spaces = @doc.spaces.to_h { |s| [s.id, s] }
        @doc.surfaces.each { |surface| import_surface(surface, spaces) }
        rooms = @doc.spaces.map { |space| room(space) }
        finish_summary(rooms)
        centres = space_centres
        @expectations.each { |e| e.settle(centres) }
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
        refuse(where, "has #{surface.space_ids.length} adjacent spaces (at most two)") if surface.space_ids.length > 2
        surface.space_ids.each do |id|
          refuse(where, %(AdjacentSpaceId "#{id}" names no Space)) unless spaces.key?(id)
        end
        outline, plane = cleaned(where) { @cleaner.outline(surface.points) }
        placed = place_openings(surface, outline, plane)
        face_id = add_face(surface, placed)
        surface.space_ids.each { |id| @room_faces[id] << face_id unless @room_faces[id].include?(face_id) }
        @expectations << Expectation.new(surface.id, surface.type, face_id, surface.space_ids, plane,
                                         PlaneGeometry.centroid(outline))
      end

      # The block's loop; a loop it cannot mend is refused naming where.
      def cleaned(where)
        yield
      rescue LoopCleaner::Unusable => e
        refuse(where, e.message)
      end

      def opening_kind(opening)
        return :window if WINDOW_TYPES.include?(opening.type)
        return :door if DOOR_TYPES.include?(opening.type)
        return :air if opening.type == AIR_TYPE
        refuse(%(Opening "#{opening.id}"), "unknown openingType #{opening.type.inspect} " \
                                           "(known: #{(WINDOW_TYPES + DOOR_TYPES + [AIR_TYPE]).join(', ')})")
      end

      def place_openings(surface, outline, plane)
        @kinds = {}
        openings = surface.openings.map do |o|
          @kinds[o.id] = opening_kind(o)
          points = cleaned(%(Opening "#{o.id}")) { @cleaner.opening(o.points, plane) }
          [o.id, @kinds[o.id] == :door, points]
        end
        OpeningCutter.new(outline, plane).place(openings)
      rescue OpeningCutter::Misplaced => e
        refuse(%(Opening "#{e.opening_id}"), e.message)
      end

      # A surface drawn on the same corners as an earlier one is that face
      # again (some tools write an inner wall once per space).
      def add_face(surface, placed)
        outer = placed.outline.map { |p| vertex_id(p) }
        key = outer.sort
        if (existing = @face_by_outline[key])
          @summary.merged += 1
          return existing
        end
        face = { 'id' => surface.id, 'outer' => outer }
        face['holes'] = placed.holes.map { |_, points| points.map { |p| vertex_id(p) } } unless placed.holes.empty?
        material = whole_surface_material(surface, placed)
        face['front'] = face['back'] = material if material
        @faces << face
        @face_by_outline[key] = surface.id
        add_openings(surface.id, placed)
        surface.id
      end

      def whole_surface_material(surface, placed)
        kind = placed.whole ? @kinds[placed.whole] : nil
        @summary.whole_openings += 1 if kind
        count(kind) if kind
        material = { window: 'glass', air: 'air' }[kind]
        material ||= 'air' if surface.type == AIR_TYPE
        use_material(material) if material
        material
      end

      def add_openings(face_id, placed)
        placed.holes.each_with_index do |(id, _), i|
          kind = @kinds[id]
          count(kind)
          next if kind == :air # an open hole
          @summary.inner_doors += 1 if kind == :door
          material = use_material(kind == :door ? 'door' : 'glass')
          @windows << { 'id' => id, 'face' => face_id, 'hole' => i, 'front' => material, 'back' => material }
        end
        placed.notches.each do |id, points|
          count(:door)
          @doors << { 'id' => id, 'outline' => points.map { |p| vertex_id(p) } }
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

      def room(space)
        faces = @room_faces[space.id]
        refuse(%(Space "#{space.id}"), 'no surface bounds it') if faces.empty?
        storey = space.storey_id ? @doc.storeys[space.storey_id].name : ''
        { 'id' => space.id, 'name' => space.name, 'storey' => storey, 'faces' => faces }
      end

      def finish_summary(rooms)
        @summary.spaces = rooms.length
        @summary.faces = @faces.length
        @summary.shared = rooms.flat_map { |r| r['faces'] }.tally.count { |_, n| n > 1 }
        @summary.repeated = @cleaner.repeated
        @summary.collinear = @cleaner.collinear
        @summary.flattened = @cleaner.flattened
      end

      # Each space's middle: the mean of its surfaces' centroids.
      def space_centres
        sums = Hash.new { |h, k| h[k] = [] }
        @expectations.each { |e| e.space_ids.each { |id| sums[id] << e.centroid } }
        sums.transform_values { |points| PlaneGeometry.centroid(points) }
      end

      def building(rooms)
        doc = { 'name' => @doc.name, 'units' => 'm', 'settings' => { 'thinWalls' => true } }
        doc['materials'] = MATERIALS.values_at(*MATERIALS.keys.select { |m| @materials.include?(m) }) unless @materials.empty?
        doc['vertices'] = @vertices.to_h { |point, id| [id, point] }
        doc['faces'] = @faces
        doc['windows'] = @windows unless @windows.empty?
        doc['doors'] = @doors unless @doors.empty?
        doc['rooms'] = rooms
        doc
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

require 'json'

module Fuzz
  # Malformed and degenerate building files: a bundled example with one to
  # three random mutations (wrong types, missing fields, huge or infinite
  # coordinates, duplicate ids, empty lists, long polygons, faces sharing
  # everything, degenerate rooms, characters XML forbids, infinite
  # attribute numbers, repeated holes), or one big n-sided room, as JSON
  # text; now and then the text itself is damaged (NaN, deep nesting, a
  # byte-order mark, bytes that are not UTF-8, cut short).
  class BuildingMutations
    EXAMPLES = Dir[File.join(ROOT, 'examples', '*.json')].sort.map { |f| JSON.parse(File.read(f)) }.freeze
    LISTS = %w[materials faces windows doors rooms].freeze
    ODD_VALUES = [nil, 0, -1, 1.5, 'x', '', [], {}, true, false, 1e300, [1, 2], { 'a' => 1 }].freeze
    ODD_NUMBERS = [1e300, -1e300, 1e308, 1e-300, 0, -0.0, 1e78, 123_456_789_012].freeze

    def initialize(rng, big)
      @rng = rng
      @big = big
    end

    # One case: the text of a mutated example and the names of its mutations.
    def next_case
      return big_single_room if @rng.rand(20).zero?
      doc = deep_copy(pick(EXAMPLES))
      applied = (1..@rng.rand(1..3)).map do
        name = pick(MUTATIONS)
        begin
          send(name, doc)
        rescue NoMethodError, TypeError, ArgumentError
          next :"#{name} (not applicable)" # an earlier mutation removed what it changes
        end
        name
      end
      text = JSON.generate(doc, allow_nan: true).gsub(INFINITE_MARK.to_s, pick(%w[1e400 -1e999]))
      text = text_mutation(text, applied) if @rng.rand(8).zero?
      [text, applied]
    end

    MUTATIONS = %i[wrong_type missing_field odd_coordinate far_building duplicate_id empty_list long_polygon
                   shared_face degenerate_room odd_setting flattened_room swapped_loop forbidden_character
                   infinite_attribute repeated_hole].freeze
    FORBIDDEN = ["\u0000", "\u0001", "\u0008", "\u000B", "\u001B", "\u001F", "\uFFFE", "\uFFFF"].freeze
    # Written as this number, then replaced by one beyond a Float in the text.
    INFINITE_MARK = 7.125e+77

    private

    def pick(list) = list[@rng.rand(list.length)]

    def deep_copy(doc) = Marshal.load(Marshal.dump(doc))

    # Every [container, key] in the document, at any depth.
    def slots(value, out = [])
      pairs = value.is_a?(Hash) ? value.to_a : value.each_with_index.map { |v, i| [i, v] }
      pairs.each do |key, v|
        out << [value, key]
        slots(v, out) if v.is_a?(Hash) || v.is_a?(Array)
      end
      out
    end

    def wrong_type(doc)
      container, key = pick(slots(doc))
      container[key] = pick(ODD_VALUES)
    end

    def missing_field(doc)
      hashes = slots(doc).map { |c, k| c[k] }.grep(Hash) << doc
      h = pick(hashes)
      h.delete(pick(h.keys)) unless h.empty?
    end

    # 1e308 metres is no longer finite in inches; 1e400 comes as text.
    def odd_coordinate(doc)
      vertex = pick(doc['vertices'].values)
      vertex[@rng.rand(3)] = pick(ODD_NUMBERS)
    end

    def far_building(doc)
      scale = pick([1e-9, 1e-4, 1e6, 1e150, 1e300])
      doc['vertices'].each_value { |v| v.map! { |c| c.is_a?(Numeric) ? c * scale : c } }
    end

    def duplicate_id(doc)
      list = doc[pick(LISTS)]
      list << deep_copy(pick(list)) if list.is_a?(Array) && !list.empty?
    end

    def empty_list(doc)
      case @rng.rand(4)
      when 0 then doc[pick(LISTS)] = []
      when 1 then doc['vertices'] = {}
      when 2 then pick(doc['faces'])['outer'] = []
      else pick(doc['rooms'])['faces'] = []
      end
    end

    # A face of many corners on a circle below the building, in a room.
    # The whole export of one takes about 1 s at 5,000 corners, hence the
    # cap.
    LONGEST = 5_000

    def long_polygon(doc)
      n = @rng.rand(3..[@big, LONGEST].min)
      ids = (0...n).map do |i|
        a = 2 * Math::PI * i / n
        doc['vertices']["fuzz#{i}"] = [2 + 2 * Math.cos(a), 2 + 2 * Math.sin(a), -1]
        "fuzz#{i}"
      end
      doc['faces'] << { 'id' => 'fuzz-disc', 'outer' => ids }
      pick(doc['rooms'])['faces'] << 'fuzz-disc'
    end

    # The same face twice under another id, or one face in every room.
    def shared_face(doc)
      face = pick(doc['faces'])
      if @rng.rand(2).zero?
        doc['faces'] << face.merge('id' => "#{face['id']}-again", 'outer' => face['outer'].reverse)
      else
        doc['rooms'].each { |r| r['faces'] |= [face['id']] }
      end
    end

    def degenerate_room(doc)
      room = pick(doc['rooms'])
      ids = doc['faces'].map { |f| f['id'] }
      room['faces'] =
        case @rng.rand(4)
        when 0 then [pick(ids)]
        when 1 then ids
        when 2 then room['faces'] + room['faces'].take(1)
        else room['faces'].take(2)
        end
    end

    def odd_setting(doc)
      settings = (doc['settings'] ||= {})
      key = pick(%w[maxWallThickness floorAngle thinWalls])
      settings[key] = pick(ODD_NUMBERS + [-1, 90, 180, true, 'thick'])
    end

    # Every corner of one room's faces moved into one level plane.
    def flattened_room(doc)
      room = pick(doc['rooms'])
      faces = doc['faces'].select { |f| room['faces'].include?(f['id']) }
      faces.flat_map { |f| f['outer'] }.uniq.each { |id| doc['vertices'][id][2] = 0 if doc['vertices'][id] }
    end

    def swapped_loop(doc)
      face = pick(doc['faces'])
      face['outer'] = @rng.rand(2).zero? ? face['outer'].reverse : face['outer'].shuffle(random: @rng)
    end

    # A character XML cannot carry in a name, id, key or attribute text.
    # Names reach every output, so they are picked half the time.
    def forbidden_character(doc)
      texts = slots(doc).select { |c, k| c[k].is_a?(String) }
      names = texts.select { |c, k| %w[name storey].include?(k) }
      container, key = pick(names.empty? || @rng.rand(2).zero? ? texts : names)
      text = container[key]
      container[key] = text.dup.insert(@rng.rand(text.length + 1), pick(FORBIDDEN))
    end

    def infinite_attribute(doc)
      face = pick(doc['faces'])
      (face['attributes'] ||= {})['GroupDict'] = { 'ZOffset' => INFINITE_MARK }
    end

    # A hole given twice (starting at another corner), or the outline given
    # again as a hole.
    def repeated_hole(doc)
      face = pick(doc['faces'])
      holes = (face['holes'] ||= [])
      loop = holes.empty? || @rng.rand(3).zero? ? face['outer'] : pick(holes)
      holes << loop.rotate(@rng.rand(loop.length))
    end

    # One room of n walls round a circle, a floor and a ceiling of n corners.
    def big_single_room
      n = @rng.rand(3..[@big, BIG_ROOM].min)
      vertices = {}
      n.times do |i|
        a = 2 * Math::PI * i / n
        vertices["b#{i}"] = [10 * Math.cos(a), 10 * Math.sin(a), 0]
        vertices["t#{i}"] = [10 * Math.cos(a), 10 * Math.sin(a), 3]
      end
      walls = (0...n).map { |i| { 'id' => "w#{i}", 'outer' => ["b#{i}", "b#{(i + 1) % n}", "t#{(i + 1) % n}", "t#{i}"] } }
      faces = [{ 'id' => 'floor', 'outer' => (0...n).map { |i| "b#{i}" }.reverse },
               { 'id' => 'ceiling', 'outer' => (0...n).map { |i| "t#{i}" } }] + walls
      doc = { 'units' => 'm', 'vertices' => vertices, 'faces' => faces,
              'rooms' => [{ 'id' => 'r', 'name' => 'Hall', 'faces' => faces.map { |f| f['id'] } }] }
      [JSON.generate(doc), [:"big_single_room (#{n} walls)"]]
    end

    # Walls of the big room (no more than --big): its export grows about
    # linearly with them, and a case stays well inside the time limit.
    BIG_ROOM = 1000

    # Text the JSON generator would not write: NaN, Infinity, huge
    # exponents, a vertex id given twice, nesting past the parser's limit,
    # a byte-order mark, bytes that are not UTF-8, text cut short.
    def text_mutation(text, applied)
      applied << :text
      case @rng.rand(6)
      when 0 then text.sub(/\[(-?[0-9.]+),/) { "[#{pick(%w[NaN Infinity -Infinity 1e400 -1e999])}," }
      when 1 then text.sub('"vertices":{', '"vertices":{"dup":[0,0,0],"dup":[1,1,1],')
      when 2
        depth = @rng.rand(90..3000)
        text.sub('{', "{\"comment\":#{'[' * depth}#{']' * depth},")
      when 3 then "\uFEFF#{text}"
      when 4 then text.b.insert(@rng.rand(text.bytesize + 1), pick(["\xFF", "\xC3", "\xED\xA0\x80"]).b)
      else text[0, @rng.rand(text.length)]
      end
    end
  end
end

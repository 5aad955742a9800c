# Seeded fuzzing of the extension's public functions: random and degenerate
# arguments (nil, wrong types, empty and tiny point lists, collinear and
# repeated points, NaN, infinities, huge coordinates, long polygons, objects
# whose methods raise or answer nonsense, erased faces, rooms and room faces
# of real exports with a field replaced).  A clean Ruby error is a fine
# answer; a crash, a hang past the per-call limit, or an error of the
# interpreter's own (NoMemoryError, SystemStackError, fatal) is not.
#
# The exporter gets malformed and degenerate building files (mutated
# examples, see building_mutations.rb) and gbXML files (mutated test files,
# gbxml_mutations.rb): a refusal (BuildingFileError) or an export are fine;
# any other error, or an export that is not well-formed XML, is a failure
# too.
#
#   ruby test/fuzz/fuzz.rb [--seed N] [--cases N] [--limit SECONDS] [--big N] [--only NAME] [--show CLASS]
#
# (QOR_MODULE_DIR as for the tests.)  The seed is printed first: a crash
# can be replayed with it (each function draws from its own generator, so
# --only replays one function alone).
require 'optparse'
require 'timeout'
require 'zlib'
require 'tmpdir'
require 'rexml/document'

options = { seed: Random.new_seed % 1_000_000, cases: 2000, limit: 10.0, big: 2000, only: nil, skip: [] }
OptionParser.new do |o|
  o.on('--seed N', Integer) { |v| options[:seed] = v }
  o.on('--cases N', Integer, 'cases per function') { |v| options[:cases] = v }
  o.on('--limit SECONDS', Float, 'time limit per call') { |v| options[:limit] = v }
  o.on('--big N', Integer, 'points in the longest polygons') { |v| options[:big] = v }
  o.on('--only NAME', 'fuzz this function alone') { |v| options[:only] = v }
  o.on('--skip NAME', 'leave this function out (repeatable)') { |v| options[:skip] << v }
  o.on('--show CLASS', 'print each refusal of this error class') { |v| options[:show] = v }
end.parse!
$stdout.sync = true
puts "fuzz seed #{options[:seed]}"

ROOT = File.expand_path('../..', __dir__)
require File.join(ROOT, 'code/Sketchup/Headless/sketchup')
require File.join(ROOT, 'code/Sketchup/Plugin/plugin')
require File.join(ROOT, 'code/Sketchup/Plugin/building_file')
require File.join(ROOT, 'code/Sketchup/Plugin/room_export')
require File.join(ROOT, 'code/Sketchup/Plugin/gbxml')
require File.join(ROOT, 'code/Sketchup/Plugin/gbxml/export')
require_relative 'building_mutations'
require_relative 'gbxml_mutations'
QORModuleLoader.load!

module Fuzz
  # Raised by the hostile objects' methods.
  class Hostile < StandardError; end

  # Errors that mean the extension misbehaved, whatever raised them.
  FATAL = [NoMemoryError, SystemStackError, ScriptError, SecurityError].freeze

  class Values
    EXAMPLE_FILES = Dir[File.join(ROOT, 'examples', '*.json')].sort.freeze

    attr_accessor :rng

    def initialize(rng, model, big)
      @rng = rng
      @model = model
      @big = big
    end

    def pick(list) = list[rng.rand(list.length)]

    def number
      pick([0, 1, -1, 0.5, 1e-15, -1e-15, 1e300, -1e300, 1e78, Float::NAN, Float::INFINITY,
            -Float::INFINITY, rng.rand(-100.0..100.0), rng.rand(-5..5), 2**70])
    end

    def point
      case rng.rand(10)
      when 0 then [number, number, number]
      when 1 then hostile_point
      else Geom::Point3d.new(number, number, number)
      end
    end

    def plain_point(scale = 10) = Geom::Point3d.new(rng.rand(-scale..scale), rng.rand(-scale..scale), 0)

    # Answers x, y, z and the point methods, some of them badly.
    def hostile_point
      p = Geom::Point3d.new(rng.rand(-5..5), rng.rand(-5..5), 0)
      bad = pick(%i[x y z vector_to distance == position])
      kind = rng.rand(3)
      p.define_singleton_method(bad) do |*|
        case kind
        when 0 then raise Hostile, bad.to_s
        when 1 then nil
        else 'nonsense'
        end
      end
      p
    end

    def polygon
      case rng.rand(9)
      when 0 then []
      when 1 then [plain_point]
      when 2 then [plain_point, plain_point]
      when 3 then (0..rng.rand(2..6)).map { |i| Geom::Point3d.new(i, i, 0) } # collinear
      when 4 then p = plain_point; [p, p.clone, plain_point, p] # repeats
      when 5 then big_polygon
      else (0..rng.rand(3..8)).map { rng.rand(8).zero? ? point : plain_point }
      end
    end

    def big_polygon
      n = rng.rand(3..@big)
      (0...n).map { |i| a = 2 * Math::PI * i / n; Geom::Point3d.new(100 * Math.cos(a), 100 * Math.sin(a), 0) }
    end

    def plane
      pick([[number, number, number, number], [0, 0, 1, number], [1, 2, 3], [], [0, 0, 1, 'x'],
            [Float::NAN] * 4, [0, 0, 0, 0]])
    end

    def vector = Geom::Vector3d.new(number, number, number)

    def edge
      f = face
      e = f && !f.deleted? ? f.edges.first : nil
      e&.erase! if e && rng.rand(6).zero?
      e
    end

    def text
      (0..rng.rand(12)).map { pick(['&lt;', '&gt;', '&amp;', '&', '<', 'a', ' ', "\u00e9", '&amp;lt;', "\0"]) }.join
    end

    # Rooms of a real export of an example, renewed now and then (the
    # passes below change them).
    def rooms
      @rooms_used = @rooms_used.to_i + 1
      if @rooms.nil? || @rooms_used > 25
        file = QORPlugin::BuildingFile.load(pick(EXAMPLE_FILES))
        @rooms = QORPlugin::RoomExport.new(file).run.rooms
        @rooms_used = 0
      end
      @rooms
    end

    def room_list
      case rng.rand(5)
      when 0 then [rooms.first]
      when 1 then rooms + [QORTA::QORTA_Room.allocate]
      when 2 then rooms.map { |r| damaged(r) }
      else rooms
      end
    end

    def real_room = damaged(pick(rooms))

    def real_room_face
      faces = pick(rooms).roomFaces
      faces.is_a?(Array) && !faces.empty? ? damaged(pick(faces)) : QORTA::QORTA_RoomFace.allocate
    end

    # A copy with one field replaced by anything, one time in four.
    def damaged(object)
      return object unless rng.rand(4).zero?
      copy = object.dup
      field = pick(copy.instance_variables)
      copy.instance_variable_set(field, anything) if field
      copy
    end

    def building_case = BuildingMutations.new(rng, @big).next_case

    def gbxml_case = GbxmlMutations.new(rng, @big).next_case

    def face
      dx = rng.rand(100)
      dz = rng.rand(100)
      pts = [[0, 0, 0], [4, 0, 0], [4, 4, 0], [0, 4, 0]].map { |x, y, z| Geom::Point3d.new(x + dx, y, z + dz) }
      f = @model.entities.add_face(pts)
      f&.erase! if rng.rand(6).zero?
      f
    end

    def room_face
      room = QORTA::QORTA_Room.allocate
      room.edifice = QORPlugin::Building.new
      f = face
      return QORTA::QORTA_RoomFace.allocate if f.nil? || f.deleted?
      QORTA::QORTA_RoomFace.new(room, f, 1)
    end

    # Anything at all, including the wrong types.
    def anything
      case rng.rand(12)
      when 0 then nil
      when 1 then number
      when 2 then 'text'
      when 3 then {}
      when 4 then :sym
      when 5 then Object.new
      when 6 then point
      when 7 then polygon
      when 8 then plane
      when 9 then face
      when 10 then vector
      else [anything, anything]
      end
    end

    def maybe(&block) = rng.rand(5).zero? ? anything : block.call
  end

  FUNCTIONS = {
    'convexHull2' => ->(v) { QORTA.convexHull2(v.maybe { v.polygon }) },
    'convexHull' => ->(v) { QORTA.convexHull(v.maybe { Struct.new(:polygon).new(v.polygon) }) },
    'orderVerticesRoundMinPoint' => lambda { |v|
      QORTA.orderVerticesRoundMinPoint(v.maybe { v.polygon }, v.maybe { v.point }, v.maybe { v.vector })
    },
    'intersection' => lambda { |v|
      QORTA.intersection(v.maybe { [v.point, v.point] }, v.maybe { [v.point, v.point] }, v.pick([true, false, nil, 1]))
    },
    'qORTA_isEqualtoPlane' => ->(v) { v.plane.qORTA_isEqualtoPlane(v.maybe { v.plane }) },
    'point_in_polygon_3D' => ->(v) { Geom.point_in_polygon_3D(v.maybe { v.point }, v.maybe { v.polygon }, v.anything) },
    'getIntersectionPointsOfPolygons' => lambda { |v|
      QORTA.getIntersectionPointsOfPolygons(v.maybe { v.polygon }, v.maybe { v.polygon })
    },
    'orderFacesRoundNormal' => lambda { |v|
      QORTA.orderFacesRoundNormal(v.maybe { [v.room_face, v.room_face] }, v.maybe { v.vector }, v.maybe { v.point })
    },
    'topmostFaces' => lambda { |v|
      QORTA.topmostFaces(v.maybe { [v.room_face, v.room_face] }, v.maybe { v.plane }, v.maybe { v.plane })
    },
    'findMissingFace' => ->(v) { QORTA.findMissingFace(v.maybe { v.room_face }, v.maybe { v.room_face }) },
    'findIPlanesByVertexOnly' => lambda { |v|
      QORTA.findIPlanesByVertexOnly(v.maybe { v.room_face }, v.maybe { v.point }, v.maybe { v.point },
                                    v.maybe { [v.room_face] }, v.anything)
    },
    'QORTA_Room.new' => lambda { |v|
      room = QORTA::QORTA_Room.new(QORPlugin::Building.new, v.number, v.maybe { (0..v.rng.rand(4)).map { v.maybe { v.face } } }, v.anything)
      room.setText(v.anything)
      room.select(v.pick([true, false, nil]))
      room.select(false)
      room.to_s
      QORTA.getRoomsRadii([room])
    },
    'QORTA_RoomFace.new' => ->(v) { QORTA::QORTA_RoomFace.new(QORTA::QORTA_Room.allocate, v.maybe { v.face }, v.anything) },
    'countSelect' => ->(v) { v.room_face.countSelect(v.maybe { v.pick([1, -1, 2**40]) }) },
    'getRoomsRadii' => ->(v) { QORTA.getRoomsRadii(v.maybe { [QORTA::QORTA_Room.allocate] }) },
    'setRoomsFacesOuterShellType' => lambda { |v|
      QORTA.setRoomsFacesOuterShellType(v.maybe { v.room_list }, v.maybe { v.pick([0, 1, 2, -1, 2**70]) })
    },
    'setRoomsIntermediatePlanes' => ->(v) { QORTA.setRoomsIntermediatePlanes(v.maybe { v.room_list }) },
    'getOuterShellFace' => ->(v) { v.real_room_face.getOuterShellFace(v.maybe { v.real_room_face }) },
    'project' => ->(v) { v.real_room_face.project(v.maybe { v.real_room_face }) },
    'getFaceElement' => ->(v) { v.real_room_face.getFaceElement },
    'getSpaceElement' => ->(v) { v.real_room.getSpaceElement(v.maybe { v.pick(['1', 'a&b', 7]) }) },
    'makeFloors' => lambda { |v|
      v.real_room.makeFloors(v.maybe { v.pick([2.5, 1, 0.5, 1e-300, -1, 0]) }, v.maybe { v.pick(%w[true false]) },
                             v.maybe { v.text })
    },
    'QORTA_FaceDump' => lambda { |v|
      dump = QORTA::QORTA_FaceDump.new(v.maybe { v.face })
      dump.toXML
      dump.restore
    },
    'QORTA_EdgeDump' => ->(v) { QORTA::QORTA_EdgeDump.new(v.maybe { v.edge }).restore },
    'unesc' => ->(v) { QORTA.unesc(v.maybe { v.text }) },
    # A refusal (BuildingFileError) or a whole export; any other error fails.
    'building file export' => lambda { |v|
      text, mutations = v.building_case
      Fuzz.export_or_refuse(mutations) { QORPlugin::BuildingFile.new(text, 'fuzz.json') }
    },
    'gbXML export' => lambda { |v|
      text, mutations = v.gbxml_case
      Dir.mktmpdir('qor-fuzz') do |dir|
        path = File.join(dir, 'fuzz.xml')
        File.binwrite(path, text)
        Fuzz.export_or_refuse(mutations) { QORPlugin::Gbxml.load(path).first }
      end
    }
  }.freeze

  # An error that is not a clean answer.
  class Failure < StandardError; end

  # The building the block loads, exported: a refusal is a clean answer;
  # any other error, or a document that does not parse, is a failure.
  # Characters XML 1.0 forbids (the parser below lets some through).
  NOT_XML = /[\u0000-\u0008\u000B\u000C\u000E-\u001F\uFFFE\uFFFF]/.freeze

  def self.export_or_refuse(mutations)
    file = yield
    result = QORPlugin::RoomExport.new(file).run
    xml = result.xml
    # The gbXML writer reads the same result: it lists what is wrong, never fails on it.
    QORPlugin::Gbxml::Export.write(file, result.rooms)
    raise REXML::ParseException, "U+#{format('%04X', xml[NOT_XML].ord)} in the text" if xml.match?(NOT_XML)
    raise Failure, "export writes #{xml[/>[^<]*(?:Infinity|NaN)</]} (mutations: #{mutations.join(', ')})" if xml.match?(/>[-+]?(?:Infinity|NaN)</)
    REXML::Document.new(xml)
  rescue QORPlugin::BuildingFileError, Timeout::Error, Failure
    raise
  rescue REXML::ParseException => e
    raise Failure, "export is not well-formed XML: #{e.message.lines.first} (mutations: #{mutations.join(', ')})"
  rescue StandardError => e
    raise Failure, "#{e.class}: #{e.message[0, 160]} (mutations: #{mutations.join(', ')})"
  end

  def self.run(options)
    model = Sketchup.new_model
    QORPlugin.prepare(model)
    values = Values.new(nil, model, options[:big])
    counts = Hash.new(0)
    errors = Hash.new(0)
    slowest = [0.0, nil]
    failures = []
    FUNCTIONS.each do |name, call|
      next if (options[:only] && options[:only] != name) || options[:skip].include?(name)
      values.rng = Random.new(Zlib.crc32("#{options[:seed]} #{name}"))
      here = Hash.new(0)
      options[:cases].times do |k|
        started = Process.clock_gettime(Process::CLOCK_MONOTONIC)
        begin
          Timeout.timeout(options[:limit]) { call.call(values) }
        rescue Timeout::Error
          failures << "#{name} case #{k}: no answer within #{options[:limit]} s"
        rescue Failure, *FATAL => e
          failures << "#{name} case #{k}: #{e.class}: #{e.message[0, 200]}"
        rescue StandardError => e
          errors[e.class] += 1
          here[e.class] += 1
          puts "    #{name} case #{k}: #{e.class}: #{e.message[0, 200]}" if e.class.name == options[:show]
        end
        took = Process.clock_gettime(Process::CLOCK_MONOTONIC) - started
        slowest = [took, "#{name} case #{k}"] if took > slowest[0]
        counts[name] += 1
      end
      GC.start
      refusals = here.sort_by { |c, n| [-n, c.name] }.map { |c, n| "#{c.name.split('::').last} #{n}" }.join(', ')
      puts format('  %-30s %6d cases, %d failures so far; refused: %s', name, counts[name], failures.length, refusals)
    end
    report(counts, errors, slowest, failures)
    failures.empty?
  end

  def self.report(counts, errors, slowest, failures)
    puts "total #{counts.values.sum} cases, #{failures.length} failures, 0 crashes"
    puts "clean refusals: #{errors.sort_by { |_, n| -n }.map { |c, n| "#{c} #{n}" }.join(', ')}"
    puts format('slowest case: %.3f s (%s)', *slowest)
    failures.first(20).each { |f| puts "FAIL #{f}" }
  end
end

exit(Fuzz.run(options) ? 0 : 1)

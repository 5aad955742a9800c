require_relative '../test_helper'
require_relative '../../bench/generated_export'
require 'json'
require 'tmpdir'

# The pair passes (outer shell, intermediate planes) and the outer-shell
# faces on the indexed road (the default) and on the plain road (every pair,
# every read afresh) give the same export: each generated building is drawn
# twice from its seed, exported once per road, and every face's outer-shell
# type, opposite faces, intermediate planes, outer-shell plane and
# constructed faces (outline, doors and windows), and the whole XML, must
# agree exactly.
# QOR_ROAD_SEEDS=n runs n buildings instead of 200.
class PairRoadsAgreeTest < QORTest::Case
  BUILDINGS = Integer(ENV['QOR_ROAD_SEEDS'] || (ENV['QOR_GC_STRESS'] ? 1 : 200))
  # Thin enough that thick walls are left to the second pass; the default;
  # thick enough to pair faces across a room.
  WALLS = [0.2.m, 0.6.m, 3.5.m].freeze
  no_gc_stress :test_plain_road_asks_about_every_pair, :test_long_outlines, :test_road_read_once_per_pass

  def teardown
    QORPlugin.plain_road = false
    super
  end

  def building(seed, rooms: 2 + seed % 4)
    QORBench::GeneratedFile.new(rooms: rooms, seed: seed, storeys: 1 + seed % 2,
                                settings: { max_wall_thickness: WALLS[seed % WALLS.length] })
  end

  def export(seed, plain)
    file = building(seed)
    QORPlugin.on_road(plain) { QORPlugin::RoomExport.new(file, progress: file.progress).run }
  end

  def outlines(openings)
    Array(openings).map { |o| o.instance_variable_get(:@vertices).map { |v| v.position.to_a } }
  end

  def constructed(room_face)
    Array(room_face.outerShellRoomFaces).map do |v|
      [v.face.vertexPoints.map(&:to_a), outlines(v.doors), outlines(v.windows)]
    end
  end

  # Everything the pair passes decide, faces named by room and place.
  def fingerprint(result)
    names = {}.compare_by_identity
    result.rooms.each_with_index { |r, i| r.roomFaces.each_with_index { |rf, k| names[rf] = [i, k] } }
    faces = result.rooms.flat_map(&:roomFaces).map do |rf|
      [names[rf], rf.outerShellType, rf.oppositeRoomFaces.map { |o| names.fetch(o) }, rf.intermediatePlanes,
       rf.outerShellPlane, rf.incursionFace, constructed(rf)]
    end
    [faces, result.rooms.map(&:intermediatePlanes), result.xml]
  end

  def test_generated_buildings
    (1..BUILDINGS).each do |seed|
      plain = fingerprint(export(seed, true))
      indexed = fingerprint(export(seed, false))
      plain[0].zip(indexed[0]).each do |p, i|
        assert_equal p, i, "building seed #{seed}: face #{p[0].inspect} differs between the roads"
      end
      assert_equal plain[1], indexed[1], "building seed #{seed}: rooms' planes differ between the roads"
      assert plain[2] == indexed[2], "building seed #{seed}: the export XML differs between the roads"
    end
  end

  # Round rooms side by side, 0.8 m apart: their floors and ceilings are
  # long outlines, which the outer-shell faces look up in indexes of their
  # edges (and, past 64 corners, of their slabs, seen edge-on from the
  # side); past 64 faces the outer-shell pass looks up a room's faces by
  # their normals.  A bulge on one side leaves few walls across the gap
  # quite parallel.
  def round_rooms(corners, bulge, count)
    vertices = {}
    faces = []
    rooms = (0...count).map do |k|
      ring = (0...corners).to_a
      ring.each do |i|
        a = 2 * Math::PI * i / corners
        r = 3 + bulge * Math.cos(a)
        vertices["b#{k}.#{i}"] = [6.8 * k + r * Math.cos(a), r * Math.sin(a), 0]
        vertices["t#{k}.#{i}"] = [6.8 * k + r * Math.cos(a), r * Math.sin(a), 2.5]
      end
      own = [{ 'id' => "floor#{k}", 'outer' => ring.reverse.map { |i| "b#{k}.#{i}" } },
             { 'id' => "ceiling#{k}", 'outer' => ring.map { |i| "t#{k}.#{i}" } }] +
            ring.map do |i|
              j = (i + 1) % corners
              { 'id' => "w#{k}.#{i}", 'outer' => ["b#{k}.#{i}", "b#{k}.#{j}", "t#{k}.#{j}", "t#{k}.#{i}"] }
            end
      faces.concat(own)
      { 'id' => (k + 1).to_s, 'name' => "Round #{k + 1}", 'faces' => own.map { |f| f['id'] } }
    end
    { 'name' => 'Round rooms', 'units' => 'm', 'vertices' => vertices, 'faces' => faces, 'rooms' => rooms }
  end

  def test_long_outlines
    [[48, 0.0, 1], [70, 0.5, 2]].each do |corners, bulge, count|
      Dir.mktmpdir do |dir|
        path = File.join(dir, 'round.json')
        File.write(path, JSON.dump(round_rooms(corners, bulge, count)))
        plain, indexed = [true, false].map do |road|
          fingerprint(QORPlugin.on_road(road) { QORPlugin::RoomExport.new(QORPlugin::BuildingFile.load(path)).run })
        end
        assert_equal plain, indexed, "#{count} rooms of #{corners} corners"
        assert(plain[0].any? { |face| face[6].any? { |outline, _, _| outline.length >= corners } },
               "#{corners} corners: the floor or ceiling has an outer-shell face of its own")
        next if count == 1

        assert(plain[0].any? { |face| face[1] == 2 }, 'some walls face the other room')
      end
    end
  end

  # The switch really changes the road: the plain one asks the host about
  # every pair, the indexed one about few per face.
  def test_plain_road_asks_about_every_pair
    asked = { true => 0, false => 0 }
    counter = Module.new do
      define_method(:distance_to_plane) do |*args|
        asked[QORPlugin.plain_road?] += 1
        super(*args)
      end
    end
    Geom::Point3d.prepend(counter)
    faces = [true, false].map do |plain|
      file = building(1, rooms: 12)
      rooms = QORPlugin::RoomExport.new(file, progress: file.progress).build_rooms
      QORPlugin.on_road(plain) do
        QORTA.setRoomsFacesOuterShellType(rooms, rooms.length)
        QORTA.setRoomsIntermediatePlanes(rooms)
      end
      rooms.sum { |r| r.roomFaces.length }
    end
    assert_operator asked[true], :>=, faces[0] * (faces[0] - 1) / 2
    assert_operator asked[false], :<, asked[true] / 10
  ensure
    counter&.send(:remove_method, :distance_to_plane)
  end

  # The road is read once, where a pass starts: a script that switches
  # roads while the pass runs (here the progress bar, called as each room
  # begins) changes none of the questions the pass asks the host.
  def test_road_read_once_per_pass
    asked = 0
    counter = Module.new do
      define_method(:point_in_polygon_2D) do |*args|
        asked += 1
        super(*args)
      end
    end
    Geom.singleton_class.prepend(counter)
    switcher = Object.new
    switcher.define_singleton_method(:setValue) { |_| QORPlugin.plain_road = false }
    counts = [false, true].map do |switch|
      file = building(3, rooms: 4)
      rooms = QORPlugin::RoomExport.new(file, progress: file.progress).build_rooms
      given = $class_ProgressBar2
      $class_ProgressBar2 = switcher if switch
      asked = 0
      QORPlugin.on_road(true) do
        QORTA.setRoomsFacesOuterShellType(rooms, rooms.length)
        QORPlugin.plain_road = true
        QORTA.setRoomsIntermediatePlanes(rooms)
      ensure
        $class_ProgressBar2 = given
      end
      asked
    end
    assert_operator counts[0], :>, 0
    assert_equal counts[0], counts[1]
  ensure
    counter&.send(:remove_method, :point_in_polygon_2D)
  end
end

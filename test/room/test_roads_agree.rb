require_relative '../test_helper'
require_relative '../../bench/building_generator'

# Room construction on the indexed road (the default) and on the plain road
# (every pair) gives the same rooms: each generated model is drawn twice from
# its seed, once per road, and every face's type, crossing count, normal
# direction, window-frame mark and floor claim, its doors, door frames,
# windows and open holes (in order), and every room's totals, must agree
# exactly.  QOR_ROAD_SEEDS=n runs n buildings instead.
class RoadsAgreeTest < QORTest::Case
  # Under collector stress one small building is enough: the other room
  # suites run the indexed road there too.
  BUILDINGS = Integer(ENV['QOR_ROAD_SEEDS'] || (ENV['QOR_GC_STRESS'] ? 1 : 24))
  HALLS = [60, 120, 180].freeze
  no_gc_stress :test_tiled_halls, :test_plain_road_asks_about_every_pair

  def teardown
    QORPlugin.plain_road = false
    super
  end

  def building_rooms(seed, plain)
    model = Sketchup.new_model
    gen = QORBench::BuildingGenerator.new(model, rooms: 4 + seed % 17, seed: seed,
                                                 storeys: 1 + seed % 3).generate
    building = QORPlugin::Building.new(doors: gen.doors)
    QORPlugin.prepare(model, building: building)
    QORPlugin.on_road(plain) do
      gen.rooms_faces.each_with_index.map { |faces, i| QORTA::QORTA_Room.new(building, i + 1, faces, i.odd?) }
    end
  end

  # listed: the plug-in's hole fillers scrambled, so that each kind of
  # window-frame mark stands alone: some faces list half the faces with
  # holes (frames no boundary test finds); the other half are listed by
  # nobody (frames only the boundary test finds).
  def hall_rooms(faces, seed, plain, listed: false)
    model = Sketchup.new_model
    hall = QORBench::BuildingGenerator.big_room(model, faces: faces, seed: seed)
    building = QORPlugin::Building.new
    QORPlugin.prepare(model, building: building)
    if listed
      rng = Random.new(seed)
      holed = hall.select { |f| f.loops.length > 1 }.shuffle(random: rng)
      holed.each { |f| $innerLoopFacesHash2[f.to_s] = [] }
      listed = holed.first(holed.length / 2)
      hall.sample(hall.length / 5, random: rng).each do |f|
        $innerLoopFacesHash2[f.to_s] = listed.sample(2, random: rng)
      end
    end
    QORPlugin.on_road(plain) { [QORTA::QORTA_Room.new(building, 1, hall, true)] }
  end

  # Openings as corner positions: the two roads draw separate models.
  def corners(openings)
    openings.map { |o| o.instance_variable_get(:@vertices).map { |v| v.position.to_a } }
  end

  # Everything room construction decides, in a form compared exactly.
  def fingerprint(rooms)
    rooms.map do |room|
      [room.totalFloorArea, room.totalWallArea, room.totalGlazedArea, room.maximumHeight, room.level,
       room.roomKey,
       room.roomFaces.map do |rf|
         [rf.type, rf.crossFaceCount, rf.normalDirectionIn, rf.isWindowFrame,
          rf.face.get_attribute('FaceDict', 'Floor'), rf.face.get_attribute('FaceDict', 'RoomFaceCount'),
          corners(rf.doors), corners(rf.doorFrames), corners(rf.windows), rf.innerLoopPolygons.map { |p| p.map(&:to_a) }]
       end]
    end
  end

  def assert_roads_agree(what)
    plain = fingerprint(yield(true))
    indexed = fingerprint(yield(false))
    plain.zip(indexed).each_with_index do |(p, i), n|
      assert_equal p, i, "#{what}: room #{n + 1} differs between the roads"
    end
  end

  def test_generated_buildings
    framed = 0
    (1..BUILDINGS).each do |seed|
      assert_roads_agree("building seed #{seed}") do |plain|
        building_rooms(seed, plain).tap { |rooms| framed += rooms.sum { |r| r.roomFaces.count { |rf| rf.doorFrames.any? } } }
      end
    end
    # The door-frame search was exercised, not just agreed on empty lists.
    assert_operator framed, :>, 0
  end

  def test_tiled_halls
    HALLS.each_with_index do |faces, i|
      assert_roads_agree("hall of #{faces} faces, seed #{i + 1}") { |plain| hall_rooms(faces, i + 1, plain) }
      assert_roads_agree("hall of #{faces} faces with listed frames, seed #{i + 1}") do |plain|
        hall_rooms(faces, i + 1, plain, listed: true)
      end
    end
  end

  # The switch really changes the road: the plain one asks the host for a
  # crossing point for every pair of faces, the indexed one far fewer.
  def test_plain_road_asks_about_every_pair
    faces = hall_rooms(60, 1, false).first.roomFaces.length
    asked = { true => 0, false => 0 }
    counter = Module.new do
      define_method(:intersect_line_plane) do |*args|
        asked[QORPlugin.plain_road?] += 1
        super(*args)
      end
    end
    Geom.singleton_class.prepend(counter)
    [true, false].each { |plain| hall_rooms(60, 1, plain) }
    assert_equal faces * (faces - 1), asked[true]
    assert_operator asked[false], :<, asked[true] / 4
  ensure
    counter&.send(:remove_method, :intersect_line_plane)
  end
end

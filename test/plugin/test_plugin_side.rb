require_relative '../test_helper'
require 'stringio'

# The plug-in's callbacks, as the extension relies on them.
class PluginSideTest < QORTest::Case
  def inside?(face, point)
    QORPlugin::Geometry.point_in_planar_polygon?(point, face.polygon, face.normal) &&
      face.loops.drop(1).none? do |l|
        QORPlugin::Geometry.point_in_planar_polygon?(point, l.vertices.map(&:position), face.normal)
      end
  end

  def test_internal_point_of_an_l_shaped_face_is_inside_it
    l_shape = face([0, 0, 0], [10, 0, 0], [10, 2, 0], [2, 2, 0], [2, 10, 0], [0, 10, 0])
    refute inside?(l_shape, l_shape.centroid), 'the centroid lies outside an L'
    assert inside?(l_shape, l_shape.internalPoint)
  end

  def test_internal_point_avoids_a_central_hole
    ring = entities.add_face_with_holes(
      [pt(0, 0, 5), pt(10, 0, 5), pt(10, 10, 5), pt(0, 10, 5)],
      [[pt(3, 3, 5), pt(7, 3, 5), pt(7, 7, 5), pt(3, 7, 5)]]
    )
    p = ring.internalPoint
    assert inside?(ring, p)
    assert_in_delta 5.0, p.z, 1e-9
  end

  # The sweep finds every line's crossings as the per-line scan does, down
  # to the last bit, for outlines with holes, flat edges and repeated
  # heights.
  def test_scan_sweep_finds_the_same_crossings
    rng = Random.new(3)
    40.times do
      outlines = Array.new(rng.rand(1..3)) { Array.new(rng.rand(3..12)) { [rng.rand(-5.0..5.0), rng.rand(-4..4) * 0.5] } }
      heights = outlines.flatten(1).map(&:last).uniq.sort
      sweep = QORPlugin::Geometry::ScanSweep.new(outlines)
      heights.each_cons(2) do |low, high|
        v = (low + high) / 2.0
        expected = outlines.flat_map { |pts| QORPlugin::Geometry.scan_crossings(pts, v) }.sort
        assert_equal expected, sweep.crossings(v).sort, "outlines #{outlines.inspect} at #{v}"
      end
    end
  end

  def test_pseudo_objects_keep_what_they_are_given
    a = face([0, 0, 0], [10, 0, 0], [10, 10, 0])
    pseudo = QORTA::QORTA_PseudoFace.new(a.outer_loop.vertices)
    assert_equal a.polygon, pseudo.vertexPoints
    assert_nil pseudo.outer_loop
    vertex = QORTA::QORTA_PseudoVertex.new(pt(1, 2, 3))
    assert_equal pt(1, 2, 3), vertex.position
    glass = @model.materials.add('Glass')
    material = QORTA::QORTA_PseudoMaterial.new(glass, 0.25)
    assert_equal ['Glass', 0.25], [material.name, material.alpha]
  end

  def test_holes_are_mapped_to_the_faces_filling_them
    hole = [pt(2, 0, 2), pt(4, 0, 2), pt(4, 0, 4), pt(2, 0, 4)]
    wall = entities.add_face_with_holes([pt(0, 0, 0), pt(10, 0, 0), pt(10, 0, 10), pt(0, 0, 10)], [hole])
    pane = entities.add_face(hole)
    hash = QORPlugin.inner_loop_faces([wall, pane])
    assert_equal [pane], hash[wall.to_s]
    assert_equal [], hash[pane.to_s]
  end

  def test_find_doors_keeps_the_doors_on_the_outline
    wall = face([0, 0, 0], [4, 0, 0], [4, 0, 2], [6, 0, 2], [6, 0, 0], [10, 0, 0], [10, 0, 10],
                [0, 0, 10])
    on = QORPlugin::Door.new(face([4, 0, 0], [6, 0, 0], [6, 0, 2], [4, 0, 2]).outer_loop.vertices)
    off = QORPlugin::Door.new(face([20, 0, 0], [22, 0, 0], [22, 0, 2]).outer_loop.vertices)
    QORPlugin.prepare(@model, building: QORPlugin::Building.new(doors: [on, off]))
    assert_equal [on], @model.findDoors2(wall.outer_loop.vertices, wall)
    # A wall wider than the door grid has cells: its doors are picked out
    # of the grid's own cells instead.
    long = face([-400, 5, 0], [-300, 5, 0], [-300, 5, 2], [-298, 5, 2], [-298, 5, 0], [400, 5, 0],
                [400, 5, 10], [-400, 5, 10])
    mid = QORPlugin::Door.new(face([-300, 5, 0], [-298, 5, 0], [-298, 5, 2], [-300, 5, 2]).outer_loop.vertices)
    QORPlugin.prepare(@model, building: QORPlugin::Building.new(doors: [on, mid, off]))
    assert_equal [mid], @model.findDoors2(long.outer_loop.vertices, long)
  end

  def test_progress_draws_only_on_a_terminal
    tty = StringIO.new
    def tty.tty? = true
    progress = QORPlugin::Progress.new(total: 4, out: tty)
    progress.setValue(2)
    assert_match(%r{\[#+ +\] 2/4}, tty.string)
    # The extension reports what is still to come: 3 left of 4 is 1 done.
    progress.setValue(3)
    assert_match(%r{\[#{'#' * 7} {23}\] 1/4\z}, tty.string)

    quiet = StringIO.new
    QORPlugin::Progress.new(total: 4, out: quiet).setValue(2)
    assert_empty quiet.string
  end

  # The extension's passes report what is still to do.
  def test_progress_stages_count_down
    tty = StringIO.new
    def tty.tty? = true
    progress = QORPlugin::Progress.new(out: tty)
    progress.stage('outer shell', 10)
    progress.setValue(4)
    assert_match(%r{\router shell \[#{'#' * 18} {12}\] 6/10\z}, tty.string)
    progress.stage('spaces', 2)
    assert_match(%r{6/10\n\z}, tty.string)
  end

  def test_globals_are_assigned_for_the_model
    assert_same @model, $object_Sketchup_active_model
    assert_same Geom, $module_Geom
    assert_kind_of Float, $maxWallThickness
    assert_equal @model.entities.grep(Sketchup::Face), $modelFaces2
    assert_respond_to $cMethods, :findAdjFaces
  end
  # Points near a 10 x 10 outline: the numbers settle only what the host
  # would answer the same way.  Expected by hand (tolerance 0.001).
  NEAR_OUTLINE = {
    [5, 0, 0] => true, [5, 0.0009, 0] => true, [5, -0.0011, 0] => false,
    [5, 0.019, 0] => false, [5, 0.021, 0] => false, [10.0004, 0, 0] => true,
    [10.03, 0, 0] => false, [10, 10, 0] => true, [5, 5, 0] => false, [5, 0, 0.0005] => true
  }.freeze

  def test_on_outline_of_numbers_answers_as_the_host
    square = [[0.0, 0.0, 0.0], [10.0, 0.0, 0.0], [10.0, 10.0, 0.0], [0.0, 10.0, 0.0]]
    polygon = square.map { |c| Geom::Point3d.new(c) }
    NEAR_OUTLINE.each do |at, expected|
      point = Geom::Point3d.new(at)
      assert_equal expected, QORPlugin::Geometry.on_outline?(point, polygon), at.inspect
      assert_equal expected, QORPlugin::Geometry.on_outline_of?(nil, at.map(&:to_f), square), at.inspect
    end
  end

  # Each face is read once while an export's reads are kept, with the same
  # answers, and afresh once they are dropped (a raising block included).
  def test_face_outlines_are_kept_for_the_export_only
    ring = entities.add_face_with_holes(
      [pt(0, 0, 5), pt(10, 0, 5), pt(10, 10, 5), pt(0, 10, 5)],
      [[pt(3, 3, 5), pt(7, 3, 5), pt(7, 7, 5), pt(3, 7, 5)]]
    )
    fresh = [ring.polygon.map(&:to_a), ring.centroid.to_a, ring.internalPoint.to_a]
    kept = QORTA::QORTA_RoomFace.withFaceReads do
      assert QORPlugin::FaceOutlines.keeping?
      2.times.map { [ring.polygon.map(&:to_a), ring.centroid.to_a, ring.internalPoint.to_a] }
    end
    assert_equal [fresh, fresh], kept
    assert_raises(RuntimeError) { QORTA::QORTA_RoomFace.withFaceReads { raise 'stop' } }
    refute QORPlugin::FaceOutlines.keeping?
  end
end

require_relative '../test_helper'
require 'rbconfig'
require_relative '../support/office_builder'
require_relative '../support/room_builder'

# What the extension defines by itself, seen from a process that loads
# nothing else.
class RegistrationTest < Minitest::Test
  LOADER = File.join(ROOT, 'code/Sketchup/Plugin/qor_module')

  def self.fresh_load_report
    script = <<~RUBY
      require #{LOADER.dump}
      facts = {
        constants: QORTA.constants.sort,
        module_functions: QORTA.singleton_methods.sort,
        private_instance: QORTA.private_instance_methods(false).sort,
        su_methods: QORTA_SU.singleton_methods + QORTA_SU.instance_methods,
        su_class: QORTA_SU.class,
        room_methods: QORTA::QORTA_Room.public_instance_methods(false),
        face_methods: QORTA::QORTA_RoomFace.public_instance_methods(false),
        face_singletons: QORTA::QORTA_RoomFace.singleton_methods(false).sort,
        dump_methods: QORTA::QORTA_FaceDump.public_instance_methods(false),
        edge_methods: QORTA::QORTA_EdgeDump.public_instance_methods(false),
        pseudo_methods: [QORTA::QORTA_PseudoFace, QORTA::QORTA_PseudoVertex,
                         QORTA::QORTA_PseudoMaterial].map { |c| c.instance_methods(false) },
        superclasses: QORTA.constants.map { |c| QORTA.const_get(c).superclass },
        globals: %i[$externalClass $class_RoomFace $class_Opening
          $object_Sketchup_active_model_entities $object_Sketchup_active_model_materials
          $class_Sketchup_Model $object_Sketchup_active_model $cMethods $vHETARadians
          $module_Sketchup $class_Sketchup_Vertex $class_Sketchup_Face $module_Geom
          $class_Geom_Vector3d $class_Geom_Point3d $qorSubclassMsg $hwndSketchup $changed
          $thinWalls $newFloors $modelFaces2 $modelDoors $innerLoopFacesHash2
          $class_MyEntityObserver $class_ProgressBar2 $maxWallThickness
          $roomLabelsGroupEntities $topmostFaces2Log $topmostFacesLog $inMenu
          $inMenuGuard].map { |g| [g, eval(g.to_s)] },
        array_method: [].respond_to?(:qORTA_isEqualtoPlane),
        geom_function: Geom.respond_to?(:point_in_polygon_3D),
        geom_private: Geom.private_instance_methods(false).include?(:point_in_polygon_3D)
      }
      $stdout.binmode
      print Marshal.dump(facts)
    RUBY
    out = IO.popen([RbConfig.ruby, '-e', script], 'rb', &:read)
    raise "extension failed to load alone" unless $?.success?
    Marshal.load(out)
  end

  REPORT = fresh_load_report

  def test_module_holds_exactly_the_seven_classes
    assert_equal %i[QORTA_EdgeDump QORTA_FaceDump QORTA_PseudoFace QORTA_PseudoMaterial
                    QORTA_PseudoVertex QORTA_Room QORTA_RoomFace], REPORT[:constants]
    assert_equal [Object] * 7, REPORT[:superclasses]
  end

  def test_fifteen_module_functions_also_private_for_includers
    expected = %i[convexHull convexHull2 orderVerticesRoundMinPoint setRoomsFacesOuterShellType
                  orderFacesRoundNormal getIntersectionPointsOfPolygons getRoomsRadii
                  intersection topmostFaces findMissingFace setRoomsIntermediatePlanes
                  findIPlanesByVertexOnly unesc subclass unsubclass].sort
    assert_equal expected, REPORT[:module_functions]
    assert_equal expected, REPORT[:private_instance]
  end

  def test_script_module_is_empty_and_pseudo_classes_bare
    assert_equal Module, REPORT[:su_class]
    assert_empty REPORT[:su_methods]
    assert_equal [[], [], []], REPORT[:pseudo_methods]
  end

  def test_methods_of_each_class
    room = %i[initialize setText to_s getSpaceElement surfaceType select makeFloors]
    # initialize is private in Ruby whatever its definer says.
    assert_equal (room - [:initialize]).sort, (REPORT[:room_methods] & room).sort
    face = %i[countSelect getFaceElement getIntermediatePlane setOuterShellType
              getOuterShellFace project]
    assert_equal face.sort, (REPORT[:face_methods] & face).sort
    # The one class method: the plug-in's scope for one set of face reads.
    assert_equal %i[withFaceReads], REPORT[:face_singletons]
  end

  def test_globals_start_with_their_initial_values
    globals = REPORT[:globals].to_h
    assert_equal 'test', globals.delete(:$externalClass)
    assert_kind_of Integer, globals.delete(:$qorSubclassMsg)
    assert_kind_of Integer, globals.delete(:$hwndSketchup)
    globals.each { |name, value| assert_same false, value, name }
  end

  def test_array_and_geom_additions
    assert REPORT[:array_method]
    assert REPORT[:geom_function]
  end
end

# The surface as the plug-in sees it, in this process.
class SurfaceTest < QORTest::Case
  include QORTest::OfficeBuilder
  include QORTest::RoomBuilder

  ROOM_ACCESSORS = %w[edifice sketchupFaces roomFaces text textCharacters centroid radius number
                      level levelNumber levelText totalFloorArea totalWallArea totalGlazedArea
                      exteriorOuterShell maximumHeight selected edificeIndex roomKey
                      intermediatePlanes ownerGroup].freeze
  FACE_ACCESSORS = %w[isWindow isDoorFrame isWindowFrame text room face faceVertices
                      faceVertexPoints facePolygon doors doorFrames windows windowFrames type
                      verticalAngle normal height leastZ greatestZ spanZ reference
                      roomFaceNumber oppositeFace normalDirectionIn outerShellPlane
                      outerShellRoomFace oppositeRoomFaces outerShellType constructionLines
                      internallyConstructed blind constructedOpenings material back_material
                      selected selected_attr isExternal simpleFaces isOpening innerLoopPolygons
                      crossFaceCount outerShellPlanes missingFaces intermediatePlanes
                      outerShellFaces outerShellRoomFaces outerShellAdjacentFaces
                      asOppositeRoomFaceReference polygon projectedDoors reverseCompare
                      incursionFace zOffset].freeze
  DUMP_ACCESSORS = %w[facePoints loops normal material back_material alpha back_alpha
                      attributeDictionaries ownerGroupId faceId].freeze
  EDGE_ACCESSORS = %w[edgeId soft visible smooth edgeStart edgeEnd].freeze

  no_gc_stress :test_every_accessor_reads_back_what_was_written

  def check_accessors(obj, names)
    names.each_with_index do |name, i|
      obj.public_send("#{name}=", [i])
      assert_equal [i], obj.public_send(name), "#{obj.class}##{name}"
      assert_equal [i], obj.instance_variable_get("@#{name}"), "#{obj.class}##{name}"
    end
  end

  # On a room and a room face the extension built, so the accessors and the
  # fields construction writes are the same instance variables.
  def test_every_accessor_reads_back_what_was_written
    room = new_room(draw_office)
    room_face = room.roomFaces.first
    check_accessors(room, ROOM_ACCESSORS)
    check_accessors(room_face, FACE_ACCESSORS)
    check_accessors(QORTA::QORTA_FaceDump.allocate, DUMP_ACCESSORS)
    check_accessors(QORTA::QORTA_EdgeDump.allocate, EDGE_ACCESSORS)
  end

  def test_wrong_arity_is_refused_before_the_extension_runs
    assert_raises(ArgumentError) { QORTA.intersection(1, 2) }
    assert_raises(ArgumentError) { QORTA.findIPlanesByVertexOnly(1, 2, 3, 4) }
    assert_raises(ArgumentError) { [0, 0, 1, 0].qORTA_isEqualtoPlane }
    assert_raises(ArgumentError) { Geom.point_in_polygon_3D(pt(0, 0), []) }
    assert_raises(ArgumentError) { QORTA.subclass(1) }
    assert_raises(ArgumentError) { QORTA::QORTA_Room.allocate.to_s(1) }
  end

  def test_globals_are_bound_both_ways
    $thinWalls = 1
    assert_equal 1, $thinWalls
    $vHETARadians = 0.25
    assert_equal 0.25, $vHETARadians
    before = $qorSubclassMsg
    $qorSubclassMsg = 7
    assert_equal 7, $qorSubclassMsg
  ensure
    $qorSubclassMsg = before
  end

  def test_module_functions_reachable_on_nil_once_mixed_in
    # The extension calls some module functions with nil as the receiver.
    seg1 = [pt(0, 0), pt(2, 2)]
    seg2 = [pt(0, 2), pt(2, 0)]
    assert_equal pt(1, 1), nil.send(:intersection, seg1, seg2, true)
  end
end

# The release check run by every release interpreter (1.8 to 3.2) on its own
# build of the extension:
#
#   ruby test/release/variants.rb LIBRARY
#
# Written in the Ruby all five accept, with no gems and an assertion helper
# of its own.  Prints "ok - name" / "not ok - name" per check and ends with
# "N passed, M failed"; exits non-zero when a check failed.
#
# It watches the library register itself (the interpreter's method_added,
# singleton_method_added and inherited hooks see every definition, in
# order), then checks the row's differences, exits passing through the
# bridge, and the geometry and snapshot functions that need no modeller on
# values worked by hand.
$LOAD_PATH.unshift(File.dirname(File.expand_path(__FILE__)))
require 'host_points'
require 'checks'

library = ARGV[0] or abort('usage: variants.rb LIBRARY')
RUBY18 = RUBY_VERSION < '1.9'

# --------------------------------------------------------- registration
$events = []
$recording = false
class Module
  private
  def method_added(m)
    $events << [name.to_s, :method, m.to_s] if $recording
  end
end
class Object
  private
  def singleton_method_added(m)
    $events << [(respond_to?(:name) ? name.to_s : inspect), :singleton, m.to_s] if $recording
  end
  def self.inherited(sub)
    $events << [sub.name.to_s, :class, ''] if $recording
  end
end

# The extension's globals are named below only inside strings: 1.8 makes a
# global when it parses its name, which would put it among these.
globals_before = global_variables.map { |g| g.to_s }
$recording = true
loaded = require(library)
$recording = false
again = require(library)

MODULE_FUNCTIONS = [
  ['convexHull', 1], ['convexHull2', 1], ['orderVerticesRoundMinPoint', 3],
  ['setRoomsFacesOuterShellType', 2], ['orderFacesRoundNormal', 3],
  ['getIntersectionPointsOfPolygons', 2], ['getRoomsRadii', 1], ['intersection', 3],
  ['topmostFaces', 3], ['findMissingFace', 2], ['setRoomsIntermediatePlanes', 1],
  ['findIPlanesByVertexOnly', 5], ['unesc', 1], ['subclass', 0], ['unsubclass', 0]]
ROOM_ACCESSORS = %w[edifice sketchupFaces roomFaces text textCharacters centroid radius
  number level levelNumber levelText totalFloorArea totalWallArea totalGlazedArea
  exteriorOuterShell maximumHeight selected edificeIndex roomKey intermediatePlanes ownerGroup]
ROOM_METHODS = [['initialize', 4], ['setText', 1], ['to_s', 0], ['getSpaceElement', 1],
  ['surfaceType', 2], ['select', 1], ['makeFloors', 3]]
FACE_ACCESSORS = %w[isWindow isDoorFrame isWindowFrame text room face faceVertices
  faceVertexPoints facePolygon doors doorFrames windows windowFrames type verticalAngle
  normal height leastZ greatestZ spanZ reference roomFaceNumber oppositeFace
  normalDirectionIn outerShellPlane outerShellRoomFace oppositeRoomFaces outerShellType
  constructionLines internallyConstructed blind constructedOpenings material back_material
  selected selected_attr isExternal simpleFaces isOpening innerLoopPolygons crossFaceCount
  outerShellPlanes missingFaces intermediatePlanes outerShellFaces outerShellRoomFaces
  outerShellAdjacentFaces asOppositeRoomFaceReference polygon projectedDoors reverseCompare
  incursionFace zOffset]
FACE_METHODS = [['initialize', 3], ['countSelect', 1], ['getFaceElement', 0],
  ['getIntermediatePlane', 1], ['setOuterShellType', 1], ['getOuterShellFace', 1],
  ['project', 1]]
DUMP_ACCESSORS = %w[facePoints loops normal material back_material alpha back_alpha
  attributeDictionaries ownerGroupId faceId]
DUMP_METHODS = [['initialize', 1], ['restore', 0], ['toXML', 0]]
EDGE_ACCESSORS = %w[edgeId soft visible smooth edgeStart edgeEnd]
EDGE_METHODS = [['initialize', 1], ['restore', 0]]
GLOBALS = [['$externalClass', 'test'], ['$class_RoomFace', false], ['$class_Opening', false],
  ['$object_Sketchup_active_model_entities', false],
  ['$object_Sketchup_active_model_materials', false], ['$class_Sketchup_Model', false],
  ['$object_Sketchup_active_model', false], ['$cMethods', false], ['$vHETARadians', false],
  ['$module_Sketchup', false], ['$class_Sketchup_Vertex', false], ['$class_Sketchup_Face', false],
  ['$module_Geom', false], ['$class_Geom_Vector3d', false], ['$class_Geom_Point3d', false],
  ['$qorSubclassMsg', :integer], ['$hwndSketchup', :integer], ['$changed', false],
  ['$thinWalls', false], ['$newFloors', false], ['$modelFaces2', false], ['$modelDoors', false],
  ['$innerLoopFacesHash2', false], ['$class_MyEntityObserver', false],
  ['$class_ProgressBar2', false], ['$maxWallThickness', false],
  ['$roomLabelsGroupEntities', false], ['$topmostFaces2Log', false],
  ['$topmostFacesLog', false], ['$inMenu', false], ['$inMenuGuard', false]]

def class_events(klass, accessors, methods)
  events = [[klass, :class, '']]
  accessors.each { |a| events << [klass, :method, a] << [klass, :method, "#{a}="] }
  methods.each { |m, _| events << [klass, :method, m] }
  events
end

expected = [['QORTA::QORTA_Room', :class, '']]
MODULE_FUNCTIONS.each { |f, _| expected << ['QORTA', :method, f] << ['QORTA', :singleton, f] }
expected += class_events('QORTA::QORTA_Room', ROOM_ACCESSORS, ROOM_METHODS)[1..-1]
%w[RoomFace PseudoFace PseudoVertex PseudoMaterial].each { |c| expected << ["QORTA::QORTA_#{c}", :class, ''] }
expected += class_events('QORTA::QORTA_RoomFace', FACE_ACCESSORS, FACE_METHODS)[1..-1]
# One set of face reads shared by a whole pass (docs/outer_shell_faces.md).
expected << ['QORTA::QORTA_RoomFace', :singleton, 'withFaceReads']
expected << ['Array', :method, 'qORTA_isEqualtoPlane']
expected << ['Geom', :method, 'point_in_polygon_3D'] << ['Geom', :singleton, 'point_in_polygon_3D']
expected += class_events('QORTA::QORTA_FaceDump', DUMP_ACCESSORS, DUMP_METHODS)
expected += class_events('QORTA::QORTA_EdgeDump', EDGE_ACCESSORS, EDGE_METHODS)

check('the library loads once: require answers true, then false') { same([true, false], [loaded, again]) }
check('every class, method and accessor is defined, in order') do
  ok = same(expected.length, $events.length)
  expected.each_with_index do |e, i|
    next if e == $events[i]
    puts "#   first difference at #{i}: expected #{e.inspect}, got #{$events[i].inspect}"
    ok = false
    break
  end
  ok
end
check('QORTA holds exactly the seven classes, each derived from Object') do
  names = QORTA.constants.map { |c| c.to_s }.sort
  same(%w[QORTA_EdgeDump QORTA_FaceDump QORTA_PseudoFace QORTA_PseudoMaterial
          QORTA_PseudoVertex QORTA_Room QORTA_RoomFace], names) &&
    same([Object] * 7, names.map { |c| QORTA.const_get(c).superclass })
end
check('QORTA_SU is an empty top-level module; the pseudo classes are bare') do
  same(Module, QORTA_SU.class) &&
    same([[], []], [QORTA_SU.singleton_methods, QORTA_SU.instance_methods(false)]) &&
    same([[], [], []], [QORTA::QORTA_PseudoFace, QORTA::QORTA_PseudoVertex,
                        QORTA::QORTA_PseudoMaterial].map { |c| c.instance_methods(false) })
end
check('module functions: arities, and private instance methods for includers') do
  ok = true
  MODULE_FUNCTIONS.each do |f, arity|
    ok &&= same([f, arity], [f, QORTA.method(f).arity])
    ok &&= same([f, true], [f, QORTA.private_instance_methods(false).map { |m| m.to_s }.include?(f)])
  end
  ok
end
check('methods: arities') do
  ok = true
  [[QORTA::QORTA_Room, ROOM_METHODS], [QORTA::QORTA_RoomFace, FACE_METHODS],
   [QORTA::QORTA_FaceDump, DUMP_METHODS], [QORTA::QORTA_EdgeDump, EDGE_METHODS]].each do |klass, methods|
    methods.each { |m, arity| ok &&= same([klass, m, arity], [klass, m, klass.instance_method(m).arity]) }
  end
  ok && same(1, [].method(:qORTA_isEqualtoPlane).arity) && same(3, Geom.method(:point_in_polygon_3D).arity)
end
check('accessors read nil until written, then what was written') do
  ok = true
  [[QORTA::QORTA_Room, ROOM_ACCESSORS], [QORTA::QORTA_RoomFace, FACE_ACCESSORS],
   [QORTA::QORTA_FaceDump, DUMP_ACCESSORS], [QORTA::QORTA_EdgeDump, EDGE_ACCESSORS]].each do |klass, names|
    obj = klass.allocate
    names.each do |a|
      ok &&= same([a, nil], [a, obj.send(a)])
      obj.send("#{a}=", a)
      ok &&= same([a, a], [a, obj.send(a)]) && same(a, obj.instance_variable_get("@#{a}"))
    end
  end
  ok
end
check('the globals exist with their initial values') do
  added = global_variables.map { |g| g.to_s } - globals_before
  ok = same(GLOBALS.map { |g, _| g }.sort, added.sort)
  GLOBALS.each do |g, initial|
    value = eval(g)
    ok &&= initial == :integer ? same([g, true], [g, value.is_a?(Integer) && value >= 0]) : same([g, initial], [g, value])
  end
  ok
end
check('a global is bound both ways') do
  eval('$thinWalls = 1')
  same(1, eval('$thinWalls')) && same(1, eval('[$thinWalls]')[0])
end
check('wrong arity is refused by the interpreter') do
  e = raised { QORTA.convexHull2 }
  same(ArgumentError, e.class) && same(ArgumentError, raised { QORTA.unesc(1, 2) }.class)
end
check('the registered message is a window-message number, the handle an Integer') do
  msg = eval('$qorSubclassMsg')
  same(true, msg.is_a?(Integer) && msg >= 0xC000 && msg <= 0xFFFF) &&
    same(true, eval('$hwndSketchup').is_a?(Integer))
end

# ------------------------------------------------------------ geometry
P = Geom::Point3d
def xy(points)
  points.map { |p| [p.x, p.y] }
end
CORNERS = [[10, 5], [0, 0], [10, 0], [0, 5]]
HULL = [[10.0, 5.0], [10.0, 0.0], [0.0, 0.0], [0.0, 5.0]]

check('convex hull of a rectangle, any order, inner and edge points dropped') do
  ok = true
  CORNERS.permutation.each_with_index do |order, i|
    points = order.map { |x, y| P.new(x, y, 0) }
    points.insert(i % 5, P.new(3, 2, 0))
    points.insert(i % 3, P.new(5, 0, 0))
    ok &&= same(HULL, xy(QORTA.convexHull2(points)))
  end
  ok
end
check('convex hull: fewer than three points raise ArgumentError') do
  same(ArgumentError, raised { QORTA.convexHull2([P.new(1, 1, 0)]) }.class)
end
check('vertices ordered by signed angle from the first, nearest first on one ray') do
  up = Geom::Vector3d.new(0, 0, 1)
  origin = P.new(0, 0, 0)
  first = P.new(1, 0, 0)
  left = P.new(0, 1, 0)     # +90 degrees about up
  right = P.new(0, -1, 0)   # -90 degrees
  behind = P.new(-1, 0, 0)  # 180 degrees
  ahead = P.new(2, -0.5, 0)
  far = P.new(4, 4, 0)
  near = P.new(1, 1, 0)
  mid = P.new(2, 2, 0)
  same(xy([right, ahead, first, left, behind]),
       xy(QORTA.orderVerticesRoundMinPoint([first, left, behind, right, ahead], origin, up))) &&
    same(xy([P.new(3, 0, 0), near, mid, far]),
         xy(QORTA.orderVerticesRoundMinPoint([P.new(3, 0, 0), far, near, mid], origin, up))) &&
    same(xy([left, first, right]),
         xy(QORTA.orderVerticesRoundMinPoint([first, left, right], origin, up.reverse)))
end
check('plane equality: proportional, tolerance 1e-5, pivot from the receiver, NaN') do
  nan = 0.0 / 0.0
  same(true, [0, 0, 1, -100].qORTA_isEqualtoPlane([0, 0, -1, 100])) &&
    same(true, [0.6, 0.8, 0, -3].qORTA_isEqualtoPlane([-0.3, -0.4, 0, 1.5])) &&
    same(true, [0, 0, 1, -100].qORTA_isEqualtoPlane([0, 0, 1, -100.000005])) &&
    same(false, [0, 0, 1, -100].qORTA_isEqualtoPlane([0, 0, 1, -100.00002])) &&
    same(false, [0.0005, 1, 0, -5].qORTA_isEqualtoPlane([0.0005, 1, 0, -5.001])) &&
    same(true, [0.0005, 1, 0, -5].qORTA_isEqualtoPlane([0.001, 2, 0, -10])) &&
    same(false, [nan, 0, 0, 0].qORTA_isEqualtoPlane([1, 0, 0, 0])) &&
    same(ArgumentError, raised { [0, 0, 1].qORTA_isEqualtoPlane([0, 0, 1, 0]) }.class)
end
check('unesc undoes the escaping once; nil stays nil') do
  same('A&<B>', QORTA.unesc('A&amp;&lt;B&gt;')) && same('&lt;', QORTA.unesc('&amp;lt;')) &&
    same(%q(a"'b), QORTA.unesc(%q(a"'b))) && same(nil, QORTA.unesc(nil))
end

# ------------------------------------------------- the row's differences
# Array#sort! made to hand its block the given values instead of sorting.
module SortYield
  def self.install(values)
    $sort_values = values
    Array.class_eval do
      alias_method :release_check_saved_sort!, :sort!
      def sort!
        yield(*$sort_values)
        self
      end
    end
  end
  def self.remove
    Array.class_eval do
      alias_method :sort!, :release_check_saved_sort!
      remove_method :release_check_saved_sort!
    end
  end
  def self.with(values)
    install(values)
    yield
  ensure
    remove
  end
end

three = [P.new(0, 0, 0), P.new(1, 0, 0), P.new(0, 1, 0)]
if RUBY18
  check('1.8: a pair of keyed entries reaches the sort block as its two members') do
    # The hull sorts entries keyed by their coordinates.
    SortYield.with([[1.0, 0.0, P.new(1, 0, 0)], [0.0, 1.0, P.new(0, 1, 0)]]) { QORTA.convexHull2(three) }
    true
  end
  check('1.8: no count check, so no "Invalid arguments" message') do
    ok = true
    [[P.new(1, 1, 0)], [P.new(1, 1, 0), P.new(2, 2, 0), P.new(3, 3, 0)], []].each do |values|
      e = raised { SortYield.with(values) { QORTA.convexHull2(three) } }
      ok &&= same(false, e.is_a?(ArgumentError) && e.message =~ /Invalid arguments/ ? true : false)
    end
    ok
  end
  check('1.8: the registered message and the handle are Fixnums') do
    same(Fixnum, eval('$qorSubclassMsg').class)
  end
else
  check('a sort block handed other than two values raises "Invalid arguments for sort block"') do
    ok = true
    [[P.new(1, 1, 0)], [[P.new(1, 0, 0), P.new(0, 1, 0)]],
     [P.new(1, 1, 0), P.new(2, 2, 0), P.new(3, 3, 0)], []].each do |values|
      e = raised { SortYield.with(values) { QORTA.convexHull2(three) } }
      ok &&= same([ArgumentError, 'Invalid arguments for sort block'], [e.class, e && e.message])
    end
    ok
  end
end

# ------------------------------------------- exits through the bridge
class PointRaising < P
  def x
    raise $to_raise
  end
end
class PointThrowing < P
  def x
    throw :release_check, :thrown
  end
end
class PointCollecting < P
  def x
    GC.start
    super
  end
end

check('an exception from a host method arrives unchanged') do
  $to_raise = IOError.new('from the host')
  e = raised { QORTA.convexHull2([P.new(0, 0, 0), PointRaising.new(1, 0, 0), P.new(0, 1, 0)]) }
  same(true, e.equal?($to_raise))
end
check('a throw from a host method reaches its catch') do
  got = catch(:release_check) do
    QORTA.convexHull2([P.new(0, 0, 0), PointThrowing.new(1, 0, 0), P.new(0, 1, 0)])
    :not_thrown
  end
  same(:thrown, got)
end
check('the extension still answers after the exits') do
  same(HULL, xy(QORTA.convexHull2(CORNERS.map { |x, y| P.new(x, y, 0) })))
end
check('the collector running inside host calls loses nothing') do
  points = CORNERS.map { |x, y| PointCollecting.new(x, y, 0) }
  same(HULL, xy(QORTA.convexHull2(points)))
end

finish_checks

module QORPlugin
  DEFAULT_SETTINGS = {
    max_wall_thickness: 0.6.m,          # inches
    floor_angle: Math::PI / 4,          # radians from vertical
    thin_walls: false,
    panes: nil                          # nil or the building's pane faces
  }.freeze

  # Assigns every global the extension reads, for one model.
  #   building  the object rooms get as their building (doors are searched
  #             in its @doors)
  #   progress  the object that receives setValue per room
  def self.prepare(model, building: Building.new, progress: Progress.new, settings: {})
    settings = DEFAULT_SETTINGS.merge(settings)
    model.qor_building = building
    faces = model.entities.grep(Sketchup::Face)

    $class_Opening = Opening
    $object_Sketchup_active_model_entities = model.entities
    $object_Sketchup_active_model_materials = model.materials
    $class_Sketchup_Model = Sketchup::Model
    $object_Sketchup_active_model = model
    $cMethods = CMethods.new(settings[:panes].is_a?(Hash) ? settings[:panes] : nil)
    $vHETARadians = settings[:floor_angle].to_f
    $module_Sketchup = Sketchup
    $class_Sketchup_Vertex = Sketchup::Vertex
    $class_Sketchup_Face = Sketchup::Face
    $module_Geom = Geom
    $class_Geom_Vector3d = Geom::Vector3d
    $class_Geom_Point3d = Geom::Point3d
    $thinWalls = settings[:thin_walls] ? 1 : 0
    $newFloors = []
    $modelFaces2 = faces
    $modelDoors = building.doors
    $innerLoopFacesHash2 = inner_loop_faces(faces)
    $class_MyEntityObserver = ObserverSource.new
    $class_ProgressBar2 = progress
    $maxWallThickness = settings[:max_wall_thickness].to_f
    $roomLabelsGroupEntities = model.entities
    $topmostFaces2Log = ''
    $topmostFacesLog = ''
    model
  end

  # For each face (keyed by its to_s), the faces that fill its holes: a face
  # whose outer loop has the same vertices as one of the face's inner loops.
  def self.inner_loop_faces(faces)
    by_outline = Hash.new { |h, k| h[k] = [] }
    faces.each { |f| by_outline[f.outer_loop.vertices.map(&:object_id).sort] << f }
    faces.each_with_object({}) do |face, hash|
      loops = face.loops
      next hash[face.to_s] = [] if loops.length == 1
      holes = loops.reject(&:outer?)
      hash[face.to_s] = holes.flat_map { |l| by_outline[l.vertices.map(&:object_id).sort] }
    end
  end
end

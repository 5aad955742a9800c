module QORPlugin
  # What one export reads from process-wide places: the globals the
  # extension is bound to and the road switch.  An export keeps its own copy
  # and puts it back whenever code it calls back (the progress object) has
  # had the chance to load or export another building meanwhile.
  class ExportState
    # The extension's globals, in its own order.
    GLOBALS = %w[
      $externalClass $class_RoomFace $class_Opening
      $object_Sketchup_active_model_entities $object_Sketchup_active_model_materials
      $class_Sketchup_Model $object_Sketchup_active_model $cMethods
      $vHETARadians $module_Sketchup $class_Sketchup_Vertex
      $class_Sketchup_Face $module_Geom $class_Geom_Vector3d
      $class_Geom_Point3d $qorSubclassMsg $hwndSketchup $changed $thinWalls
      $newFloors $modelFaces2 $modelDoors $innerLoopFacesHash2
      $class_MyEntityObserver $class_ProgressBar2 $maxWallThickness
      $roomLabelsGroupEntities $topmostFaces2Log $topmostFacesLog
    ].freeze

    READ = GLOBALS.to_h { |name| [name, eval("-> { #{name} }")] }.freeze # rubocop:disable Security/Eval
    WRITE = GLOBALS.to_h { |name| [name, eval("->(v) { #{name} = v }")] }.freeze # rubocop:disable Security/Eval

    def self.capture
      new(READ.transform_values(&:call), QORPlugin.plain_road?)
    end

    def initialize(values, plain_road)
      @values = values
      @plain_road = plain_road
    end

    def [](name) = @values.fetch(name)

    def []=(name, value)
      @values.fetch(name)
      @values[name] = value
    end

    def restore
      @values.each { |name, value| WRITE.fetch(name).call(value) }
      QORPlugin.plain_road = @plain_road
    end

    # The progress object as the export hands it on: every call is passed
    # through, then the export's state is put back.
    class GuardedProgress < BasicObject
      def initialize(progress, state)
        @progress = progress
        @state = state
      end

      def method_missing(name, *args, &block)
        @progress.__send__(name, *args, &block)
      ensure
        @state.restore
      end

      def respond_to_missing?(name, include_private = false)
        @progress.respond_to?(name, include_private)
      end
    end
  end
end

module QORPlugin
  # Face snapshots of a whole model, as one XML document.
  module Snapshots
    module_function

    # One snapshot per face of the model's entities, in model order.
    def capture_faces(model)
      model.entities.grep(Sketchup::Face).map { |f| QORTA::QORTA_FaceDump.new(f) }
    end

    # "<faces>" + every snapshot's fragment + "</faces>".
    def faces_xml(model)
      "<faces>#{capture_faces(model).map(&:toXML).join}</faces>"
    end

    # Rebuilds the faces of the snapshots in the active model; answers the
    # new faces (nil where the model refused one).
    def restore_faces(snapshots)
      snapshots.map(&:restore)
    end
  end
end

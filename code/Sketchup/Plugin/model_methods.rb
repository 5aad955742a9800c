require_relative 'opening'

# Script methods the extension calls on the active model.
module QORPlugin
  module ModelMethods
    # The building whose doors findDoors2 searches (see QORPlugin.prepare).
    attr_accessor :qor_building

    # Window-hook events received, oldest first: [name, *arguments].
    def qor_window_events
      @qor_window_events ||= []
    end

    # The building's doors whose every corner lies on the face's outline.
    def findDoors2(vertices, face)
      doors = qor_building ? Array(qor_building.doors) : []
      outline = vertices.map(&:position)
      doors.select do |door|
        corners = door.vertices.map { |v| v.respond_to?(:position) ? v.position : v }
        !corners.empty? && corners.all? { |p| Geometry.on_outline?(p, outline) }
      end
    end

    # A room label at the centroid; its `text` is the room's name.
    def addRoomTextHelper2(characters, centroid)
      entities.add_text(characters.to_s, Geom::Point3d.new(*centroid))
    end

    def startOperationHelper(name)
      start_operation(name, true)
    end

    def makePluginFacesDictionary(low, high)
      qor_window_events << [:makePluginFacesDictionary, low, high]
      nil
    end

    def callFromSubclassWnd
      qor_window_events << [:callFromSubclassWnd]
      nil
    end
  end
end

Sketchup::Model.include(QORPlugin::ModelMethods)

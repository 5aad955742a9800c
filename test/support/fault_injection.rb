# Makes the host's and the plug-in's methods raise at a chosen call, to
# prove that every exception reaches the script that called the extension.
module QORTest
  module FaultInjection
    class Injected < StandardError; end

    class << self
      attr_reader :count, :last_raised

      def tick!(name)
        return unless @armed
        @count += 1
        return unless @count == @at
        @armed = false
        @last_raised = Injected.new("injected failure at call #{@count}: #{name}")
        raise @last_raised
      end

      # Runs the block with call number `at` raising (nil: none raises).
      # Answers the number of calls counted.
      def run(at)
        @count = 0
        @at = at
        @last_raised = nil
        @armed = true
        yield
        @count
      ensure
        @armed = false
      end

      # Wraps the methods a class defines itself (or those named).
      def wrap(target, methods = target.public_instance_methods(false))
        label = target.respond_to?(:name) && target.name ? target.name : target.to_s
        wrapper = Module.new do
          methods.each do |m|
            define_method(m) do |*args, &block|
              FaultInjection.tick!("#{label}##{m}")
              super(*args, &block)
            end
          end
        end
        target.prepend(wrapper)
      end

      def install!
        return if @installed
        @installed = true
        [Geom::Point3d, Geom::Vector3d, Sketchup::Headless::Coordinates, Sketchup::Face, Sketchup::Loop, Sketchup::Edge,
         Sketchup::Vertex, Sketchup::Material, Sketchup::Entities, Sketchup::Text,
         QORPlugin::CMethods, QORPlugin::ObserverSource, QORPlugin::Progress].each { |c| wrap(c) }
        wrap(Sketchup::Model, QORPlugin::ModelMethods.public_instance_methods(false) +
                              %i[start_operation commit_operation abort_operation])
        wrap(Geom.singleton_class, %i[intersect_line_plane intersect_line_line intersect_plane_plane
                                      point_in_polygon_2D])
        wrap(QORTA_SU.singleton_class, %i[setIntAttr getIntAttr])
        wrap(QORPlugin::Opening.singleton_class, %i[new])
        wrap(QORPlugin::FaceMethods, %i[polygon centroid internalPoint])
      end
    end
  end
end

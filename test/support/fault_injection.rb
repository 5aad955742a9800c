# Makes the host's and the plug-in's methods raise at a chosen call, to
# prove that every exception reaches the script that called the extension.
module QORTest
  module FaultInjection
    class Injected < StandardError; end

    class << self
      attr_reader :count, :last_raised, :last_thrown, :failed_call

      def tick!(name)
        return unless @armed
        @count += 1
        @trace&.push([caller_locations(2, 1)[0].label, name])
        @on_call&.call(@count, name)
        return unless @count == @at
        fail_now(name)
      end

      # Fails the call being made: from inside a call counted by tick!.
      def fail_now(name)
        @armed = false
        fail_here(name)
      end

      # Runs the block with call number `at` raising (nil: none raises), or
      # with `throw_to` given, throwing to that tag instead.  `on_call` is
      # called with the number and name of each counted call before it is
      # made (and may fail it with fail_now).  Answers the number of calls
      # counted.
      def run(at, throw_to: nil, on_call: nil)
        @count = 0
        @at = at
        @throw_to = throw_to
        @on_call = on_call
        @last_raised = @last_thrown = nil
        @armed = true
        yield
        @count
      ensure
        @armed = false
        @on_call = nil
      end

      # Runs the block with nothing failing and answers each call made, as
      # [label of the calling frame, called method]: for a call the
      # extension makes, the label is the extension's method.
      def trace(&block)
        @trace = []
        run(nil, &block)
        @trace
      ensure
        @trace = nil
      end

      def fail_here(name)
        @failed_call = name
        if @throw_to
          @last_thrown = Object.new
          throw @throw_to, @last_thrown
        end
        @last_raised = Injected.new("injected failure at call #{@count}: #{name}")
        raise @last_raised
      end

      # Wraps the methods a class defines itself (or those named).
      def wrap(target, methods = target.public_instance_methods(false))
        label = target.respond_to?(:name) && target.name ? target.name : target.to_s
        wrapper = Module.new
        methods.each_with_index do |m, i|
          # Plain methods passing their arguments on (`...`): a block-made
          # method with a splat costs several times more per call.
          wrapper.const_set("NAME_#{i}", "#{label}##{m}".freeze)
          wrapper.module_eval("def #{m}(...); FaultInjection.tick!(NAME_#{i}); super(...); end", __FILE__, __LINE__)
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

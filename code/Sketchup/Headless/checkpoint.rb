module Sketchup
  module Headless
    # A model's state when an operation starts, so that abort_operation can
    # put it back. The instance variables of every object the model holds
    # (entities, vertices, loops, materials, selection, attribute
    # dictionaries) are copied, arrays and hashes one level deep; objects
    # made after the checkpoint are left deleted by the roll-back. Entity
    # IDs keep counting up.
    class Checkpoint
      def initialize(model)
        @model = model
        @model_dictionaries = copy(model.instance_variable_get(:@attribute_dictionaries))
        @saved = {}.compare_by_identity
        objects.each { |o| @saved[o] = state_of(o) }
      end

      def roll_back
        made = objects.reject { |o| @saved.key?(o) }
        @model.instance_variable_set(:@attribute_dictionaries, @model_dictionaries)
        @saved.each { |o, state| put_back(o, state) }
        made.each { |o| o.send(:mark_deleted) if o.is_a?(Entity) }
        nil
      end

      private

      def ivar(obj, name) = obj.instance_variable_get(name)

      # Everything whose state an edit can change, the model itself aside.
      def objects
        ents = @model.entities
        mats = @model.materials
        drawn = ivar(ents, :@list) + ivar(ents, :@vertices)
        loops = drawn.grep(Face).flat_map { |f| ivar(f, :@loops) }
        hosts = [ents, mats, @model.selection] + drawn + loops + ivar(mats, :@list)
        hosts + dictionaries_of(hosts + [@model])
      end

      def dictionaries_of(hosts)
        hosts.flat_map do |h|
          dicts = h.instance_variable_defined?(:@attribute_dictionaries) && ivar(h, :@attribute_dictionaries)
          dicts ? [dicts] + dicts.to_a : []
        end
      end

      def state_of(obj)
        obj.instance_variables.to_h { |name| [name, copy(ivar(obj, name))] }
      end

      def put_back(obj, state)
        (obj.instance_variables - state.keys).each { |name| obj.remove_instance_variable(name) }
        state.each { |name, value| obj.instance_variable_set(name, value) }
      end

      def copy(value)
        (value.is_a?(Array) || value.is_a?(Hash)) && !value.frozen? ? value.dup : value
      end
    end
  end
end

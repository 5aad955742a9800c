module Sketchup
  module Headless
    # What an open operation has changed, so that abort_operation can put
    # it back. Each object's instance variables are copied (arrays and
    # hashes one level deep) the first time it is about to change; objects
    # made during the operation are left deleted by the roll-back. The
    # model itself keeps only its attribute dictionaries here. Entity IDs
    # keep counting up.
    class Checkpoint
      def initialize
        @saved = {}.compare_by_identity
        @made = {}.compare_by_identity
      end

      # Called before obj changes.
      def keep(obj)
        return if @saved.key?(obj) || @made.key?(obj)
        @saved[obj] = state_of(obj)
      end

      def made(obj)
        @made[obj] = true
      end

      def roll_back
        @saved.each { |obj, state| put_back(obj, state) }
        @made.each_key { |obj| obj.send(:mark_deleted) if obj.is_a?(Entity) }
        nil
      end

      private

      def names_of(obj)
        obj.is_a?(Model) ? [:@attribute_dictionaries] : obj.instance_variables
      end

      def state_of(obj)
        names_of(obj).to_h { |name| [name, copy(obj.instance_variable_get(name))] }
      end

      def put_back(obj, state)
        (names_of(obj) - state.keys).each { |name| obj.remove_instance_variable(name) }
        state.each { |name, value| obj.instance_variable_set(name, value) }
      end

      # Arrays and hashes one level deep; an index of the modeller's own
      # (the vertex grid) as a whole.
      def copy(value)
        return value.checkpoint_copy if value.respond_to?(:checkpoint_copy)
        (value.is_a?(Array) || value.is_a?(Hash)) && !value.frozen? ? value.dup : value
      end
    end
  end
end

module QORPlugin
  module Gbxml
    # The road's rooms and room faces read by their instance variables, as
    # its scripts set them: nil for one never set.
    module RoomFields
      module_function

      def field(object, name)
        object.instance_variable_defined?(name) ? object.instance_variable_get(name) : nil
      end
    end
  end
end

module QORPlugin
  module Gbxml
    # One element of a gbXML file mended or left out, for the user:
    # 'Opening "op-3": lies outside its surface; left out'.
    ImportWarning = Struct.new(:element, :problem) do
      def to_s = element ? "#{element}: #{problem}" : problem.to_s
    end
  end
end

require 'json'

module QORPlugin
  # Everything wrong with a building file, as one message:
  # "FILE: JSON.PATH: problem".
  class BuildingFileError < StandardError
    attr_reader :file, :json_path, :problem

    def initialize(file, json_path, problem)
      @file = file
      @json_path = json_path
      @problem = problem
      super([file, json_path, problem].reject { |p| p.nil? || p.empty? }.join(': '))
    end
  end

  # The JSON text of a building file, parsed so that mistakes can be named:
  # syntax errors by line, repeated keys by their object.
  module BuildingJSON
    # An object that remembers keys given twice (plain parsing keeps the
    # last silently, which would hide a duplicate vertex id).
    class StrictObject < Hash
      def duplicate_keys
        @duplicate_keys ||= []
      end

      def []=(key, value)
        duplicate_keys << key if key?(key)
        super
      end
    end

    module_function

    # The parsed document; raises BuildingFileError for text that is not JSON.
    def parse(text, file)
      JSON.parse(text, object_class: StrictObject, create_additions: false)
    rescue JSON::ParserError => e
      raise BuildingFileError.new(file, nil, "invalid JSON #{where(text, e.message)}")
    end

    # "at line N (near '...')" from the parser's message, which quotes the
    # rest of the text from where it gave up.
    def where(text, message)
      rest = message[/unexpected token at '(.*)'\z/m, 1]
      return "(#{message.lines.first.strip})" unless rest
      return "at line #{text.count("\n") + (text.end_with?("\n") ? 0 : 1)}: unexpected end of text" if rest.strip.empty?
      offset = text.end_with?(rest) ? text.length - rest.length : text.rindex(rest)
      line = offset ? text[0...offset].count("\n") + 1 : nil
      near = rest.lines.first.strip[0, 40]
      [line && "at line #{line}", "near '#{near}'"].compact.join(' ')
    end
  end
end

require 'json'
require 'strscan'

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

    # "at line L, column C: expected ..." for the first place the text
    # stops being JSON (the parser's own message names the enclosing value,
    # often lines earlier).
    def where(text, message)
      Locator.new(text).check
      "(#{message.lines.first.strip})"
    rescue Locator::Stop => e
      before = text.byteslice(0, e.offset)
      line = before.count("\n") + 1
      column = e.offset - (before.rindex("\n") || -1)
      "at line #{line}, column #{column}: expected #{e.expected}"
    end

    # A strict reading of the JSON grammar that only finds where it fails.
    class Locator
      class Stop < StandardError
        attr_reader :offset, :expected

        def initialize(offset, expected)
          @offset = offset
          @expected = expected
          super(expected)
        end
      end

      BLANK = %r{(?:\s|/\*.*?\*/|//[^\n]*)*}m.freeze
      STRING = /"(?:[^"\\\x00-\x1f]|\\["\\\/bfnrt]|\\u\h{4})*"/.freeze
      NUMBER = /-?(?:0|[1-9]\d*)(?:\.\d+)?(?:[eE][+-]?\d+)?/.freeze
      LITERAL = /true|false|null/.freeze

      def initialize(text)
        @s = StringScanner.new(text)
      end

      def check
        value
        blank
        stop('the end of the text') unless @s.eos?
      end

      private

      def stop(expected)
        raise Stop.new(@s.pos, expected)
      end

      def blank
        @s.skip(BLANK)
      end

      def value
        blank
        case @s.peek(1)
        when '{' then object
        when '[' then array
        else @s.skip(STRING) || @s.skip(NUMBER) || @s.skip(LITERAL) || stop('a value')
        end
      end

      def object
        @s.getch
        blank
        return if @s.skip(/\}/)
        loop do
          blank
          @s.skip(STRING) || stop('a key in double quotes')
          blank
          @s.skip(/:/) || stop("':'")
          value
          blank
          next if @s.skip(/,/)
          return if @s.skip(/\}/)
          stop("',' or '}'")
        end
      end

      def array
        @s.getch
        blank
        return if @s.skip(/\]/)
        loop do
          value
          blank
          next if @s.skip(/,/)
          return if @s.skip(/\]/)
          stop("',' or ']'")
        end
      end
    end
  end
end

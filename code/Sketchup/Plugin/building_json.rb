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

    # The parser's own limit; the locator stops at the same depth.
    MAX_NESTING = 100

    # The parsed document; raises BuildingFileError for text that is not
    # UTF-8 or not JSON.  A byte-order mark in front is allowed (editors
    # write one).
    def parse(text, file)
      text = text.dup.force_encoding(Encoding::UTF_8)
      text = text.delete_prefix("\uFEFF") if text.valid_encoding?
      check_encoding(text, file)
      JSON.parse(text, object_class: StrictObject, create_additions: false, max_nesting: MAX_NESTING)
    rescue JSON::ParserError => e
      raise BuildingFileError.new(file, nil, "invalid JSON #{where(text, e.message)}")
    end

    # "not UTF-8 text at line L, column C (byte 0xNN)" for the first byte
    # that is not part of a UTF-8 character.
    def check_encoding(text, file)
      return if text.valid_encoding?
      offset = 0
      text.each_char do |c|
        break unless c.valid_encoding?
        offset += c.bytesize
      end
      before = text.byteslice(0, offset)
      line = before.count("\n".b) + 1
      column = offset - (before.b.rindex("\n".b) || -1)
      byte = format('0x%02X', text.getbyte(offset))
      raise BuildingFileError.new(file, nil, "not UTF-8 text at line #{line}, column #{column} (byte #{byte})")
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
      "at line #{line}, column #{column}: #{e.deep ? 'nested' : 'expected'} #{e.expected}"
    end

    # A strict reading of the JSON grammar that only finds where it fails.
    class Locator
      class Stop < StandardError
        attr_reader :offset, :expected, :deep

        def initialize(offset, expected, deep: false)
          @offset = offset
          @expected = expected
          @deep = deep
          super(expected)
        end
      end

      BLANK = %r{(?:\s|/\*.*?\*/|//[^\n]*)*}m.freeze
      STRING = /"(?:[^"\\\x00-\x1f]|\\["\\\/bfnrt]|\\u\h{4})*"/.freeze
      NUMBER = /-?(?:0|[1-9]\d*)(?:\.\d+)?(?:[eE][+-]?\d+)?/.freeze
      LITERAL = /true|false|null/.freeze

      def initialize(text)
        @s = StringScanner.new(text)
        @depth = 0
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
        when '{' then nested { object }
        when '[' then nested { array }
        else @s.skip(STRING) || @s.skip(NUMBER) || @s.skip(LITERAL) || stop('a value')
        end
      end

      # Lists and objects inside one another, no deeper than the parser
      # reads (and the stack allows).
      def nested
        @depth += 1
        raise Stop.new(@s.pos, "deeper than #{MAX_NESTING} levels", deep: true) if @depth > MAX_NESTING
        yield
        @depth -= 1
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

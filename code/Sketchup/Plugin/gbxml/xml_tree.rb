require 'nokogiri'

module QORPlugin
  module Gbxml
    # The elements of a gbXML document that the import reads, as a small
    # tree: local name, namespace URI, attributes, child elements and text.
    # Read with libxml2's streaming reader, which stays linear in the
    # file's size; everything under an element the import does not read is
    # passed over.  Internal entities declared in the document's DTD are
    # expanded (libxml2 refuses expansions that grow out of proportion);
    # a DTD that names anything outside the file is refused before parsing.
    class XmlTree
      Node = Struct.new(:name, :namespace, :attributes, :elements, :text) do
        def add_text(more)
          self.text = text ? text + more : more
        end
      end

      # Raised with a one-line reason.
      Refused = Class.new(StandardError)

      READ = %w[gbXML Campus Building BuildingStorey Space Surface AdjacentSpaceId PlanarGeometry
                PolyLoop CartesianPoint Coordinate Opening Name Level].to_h { |n| [n, true] }.freeze
      ATTRIBUTES = %w[id version lengthUnit surfaceType spaceIdRef openingType buildingStoreyIdRef].freeze
      # Elements whose text is kept.
      TEXT = %w[Coordinate Name Level].to_h { |n| [n, true] }.freeze
      OPTIONS = Nokogiri::XML::ParseOptions::NOENT | Nokogiri::XML::ParseOptions::NONET |
                Nokogiri::XML::ParseOptions::NOCDATA
      ELEMENT = Nokogiri::XML::Reader::TYPE_ELEMENT
      END_ELEMENT = Nokogiri::XML::Reader::TYPE_END_ELEMENT
      TEXTS = [Nokogiri::XML::Reader::TYPE_TEXT, Nokogiri::XML::Reader::TYPE_CDATA,
               Nokogiri::XML::Reader::TYPE_SIGNIFICANT_WHITESPACE].to_h { |t| [t, true] }.freeze

      # The root element's node; raises Refused.
      def self.parse(bytes)
        text = Prolog.utf8(bytes)
        Prolog.check_dtd(text)
        new.read(text)
      end

      def read(text)
        reader = Nokogiri::XML::Reader(text, nil, nil, OPTIONS)
        root = nil
        stack = []
        skip = nil # depth of an element being passed over
        reader.each do |r|
          type = r.node_type
          if type == ELEMENT
            next if skip
            name = r.local_name
            if stack.empty? ? root : !READ[name]
              skip = r.depth unless r.empty_element?
              next
            end
            node = Node.new(name, r.namespace_uri, r.attributes? ? plain_attributes(r) : {}, [], nil)
            stack.empty? ? (root = node) : stack.last.elements << node
            stack << node unless r.empty_element?
          elsif type == END_ELEMENT
            if skip
              skip = nil if r.depth == skip
            else
              stack.pop
            end
          elsif TEXTS[type] && !skip && !stack.empty? && TEXT[stack.last.name]
            stack.last.add_text(r.value)
          end
        end
        raise Refused, 'no root element' unless root
        root
      rescue Nokogiri::XML::SyntaxError => e
        raise Refused, syntax_message(e)
      end

      private

      # The attributes the import reads, asked by name (asking for all of
      # them would make the reader parse ahead of itself).
      def plain_attributes(r)
        ATTRIBUTES.each_with_object({}) do |name, h|
          value = r.attribute(name)
          h[name] = value if value
        end
      end

      def syntax_message(e)
        line = e.line.to_i.positive? ? "line #{e.line}: " : ''
        "#{line}#{e.message.lines.first.to_s.sub(/\A\d+:\d+: (FATAL|ERROR): /, '').strip}"
      end
    end

    # What comes before the root element: the encoding, and a DTD checked
    # before the parser sees it.
    module Prolog
      module_function

      # UTF-16 text (by its byte-order mark or its first character) made
      # UTF-8, so that the DTD can be looked at; the declaration then says
      # UTF-8 too.
      def utf8(bytes)
        bytes = bytes.b
        encoding =
          if bytes.start_with?("\xFF\xFE".b) || bytes.start_with?("<\x00".b) then 'UTF-16LE'
          elsif bytes.start_with?("\xFE\xFF".b) || bytes.start_with?("\x00<".b) then 'UTF-16BE'
          end
        return bytes unless encoding
        body = bytes.start_with?("\xFF\xFE".b, "\xFE\xFF".b) ? bytes.byteslice(2..) : bytes
        text = body.force_encoding(encoding).encode('UTF-8')
        text.sub(/\A(<\?xml[^>]*?encoding\s*=\s*)(["'])[^"']*\2/) { "#{$1}#{$2}UTF-8#{$2}" }.b
      rescue EncodingError
        raise XmlTree::Refused, "not #{encoding} text"
      end

      ENTITY = Nokogiri::XML::EntityDecl::INTERNAL_GENERAL

      # A DTD may declare internal entities only: no external subset, no
      # external or parameter entities, so nothing outside the file is read.
      def check_dtd(text)
        subset = internal_subset(text) or return
        doc = Nokogiri::XML::Document.parse("<!DOCTYPE d [#{subset}]><d/>", nil, nil,
                                            Nokogiri::XML::ParseOptions::STRICT | Nokogiri::XML::ParseOptions::NONET)
        doc.internal_subset.children.each do |decl|
          next unless decl.is_a?(Nokogiri::XML::EntityDecl)
          next if decl.entity_type == ENTITY && decl.system_id.nil? && decl.external_id.nil?
          raise XmlTree::Refused, "the DTD declares an external or parameter entity (#{decl.name}); only internal entities are read"
        end
      rescue Nokogiri::XML::SyntaxError => e
        raise XmlTree::Refused, "the DTD is not well formed (#{e.message.lines.first.to_s.strip})"
      end

      # The text between the brackets of the document type declaration, or
      # nil when there is none; refused when it names an external subset.
      def internal_subset(text)
        at = skip_misc(text, text.start_with?("\xEF\xBB\xBF".b) ? 3 : 0)
        return nil unless text[at, 9] == '<!DOCTYPE'
        i = at + 9
        i += 1 while i < text.length && text[i] != '[' && text[i] != '>' && !"'\"".include?(text[i])
        raise XmlTree::Refused, 'the DTD names an external file; only internal entities are read' unless text[i] == '['
        start = i + 1
        i = start
        while i < text.length
          c = text[i]
          if c == '"' || c == "'"
            i = text.index(c, i + 1) or break
          elsif text[i, 4] == '<!--'
            i = text.index('-->', i + 4) or break
            i += 2
          elsif c == ']'
            return text[start...i]
          end
          i += 1
        end
        raise XmlTree::Refused, 'the DTD does not end'
      end

      # Past the declaration, comments, processing instructions and blanks.
      def skip_misc(text, i)
        loop do
          i += 1 while i < text.length && " \t\r\n".include?(text[i])
          if text[i, 2] == '<?'
            i = (text.index('?>', i) or return i) + 2
          elsif text[i, 4] == '<!--'
            i = (text.index('-->', i) or return i) + 3
          else
            return i
          end
        end
      end
    end
  end
end

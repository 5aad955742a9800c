require 'cgi'

module QORPlugin
  module Preview
    # Text and numbers as the page writes them.  Drawings are in millimetres,
    # whole numbers: positions hold to half a millimetre at a third of the
    # size of decimals.
    module Markup
      MM_PER_INCH = 25.4

      # Names are repeated in every title of a room's faces: a longer one
      # is shortened, so the page stays in proportion to the building.
      NAME_LIMIT = 200

      module_function

      def clip(text)
        text.length > NAME_LIMIT ? "#{text[0, NAME_LIMIT - 1]}…" : text
      end

      def esc(text)
        CGI.escapeHTML(text.to_s)
      end

      def mm(inches)
        (inches * MM_PER_INCH).round
      end

      def points_attr(points)
        points.map { |x, y| "#{x},#{y}" }.join(' ')
      end

      # An element with a hover title: `<tag attrs><title>…</title></tag>`.
      def titled(tag, attrs, title, inner = '')
        "<#{tag} #{attrs}><title>#{esc(title)}</title>#{inner}</#{tag}>"
      end
    end
  end
end

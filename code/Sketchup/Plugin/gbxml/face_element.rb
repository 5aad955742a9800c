module QORPlugin
  module Gbxml
    # A room face's Face element read back into numbers: the loop and the
    # openings the road wrote for it, in metres.  Reading the element, not
    # the room face, keeps every rule of which opening is written and how
    # (materials, holes, door frames, group offsets) in one place.
    module FaceElement
      Opening = Struct.new(:kind, :points)
      Parsed = Struct.new(:points, :openings)

      POINT = %r{<CartesianPoint><Coordinate>([^<]*)</Coordinate><Coordinate>([^<]*)</Coordinate><Coordinate>([^<]*)</Coordinate></CartesianPoint>}
      LOOP = %r{<PolyLoop>(.*?)</PolyLoop>}
      OPENING = %r{<Opening openingType="([^"]*)"><PolyLoop>(.*?)</PolyLoop></Opening>}

      module_function

      # nil for the single blank of a face the road does not write.
      def parse(text)
        return nil unless text.is_a?(String) && text.start_with?('<Face ')
        body = text[/\A<Face [^>]*>(.*)<\/Face>\z/m, 1] or return nil
        first = body[LOOP, 1] or return nil
        openings = body.scan(OPENING).map { |kind, loop| Opening.new(kind, points(loop)) }
        Parsed.new(points(first), openings)
      end

      # Raises ArgumentError for a coordinate that is no finite number.
      def points(loop)
        loop.scan(POINT).map do |xyz|
          xyz.map { |c| Float(c).tap { |v| raise ArgumentError, "coordinate #{c} is not finite" unless v.finite? } }
        end
      end
    end
  end
end

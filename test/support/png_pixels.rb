require 'zlib'

# Reads the pixels of an 8-bit RGB or RGBA PNG (as a headless browser's
# screenshots are), enough to tell a drawn page from a blank one.
module QORTest
  class PngPixels
    attr_reader :width, :height

    def initialize(path)
      data = File.binread(path)
      raise "#{path}: not a PNG" unless data.start_with?("\x89PNG\r\n\x1A\n".b)
      idat = +''.b
      pos = 8
      while pos < data.bytesize
        length, type = data.unpack("@#{pos}Na4")
        body = data.byteslice(pos + 8, length)
        if type == 'IHDR'
          @width, @height, depth, colour = body.unpack('NNCC')
          raise "#{path}: only 8-bit RGB or RGBA" unless depth == 8 && [2, 6].include?(colour)
          @channels = colour == 6 ? 4 : 3
        end
        idat << body if type == 'IDAT'
        pos += 12 + length
      end
      @rows = unfilter(Zlib::Inflate.inflate(idat))
    end

    # [share of pixels that differ from the top-left one (the background),
    # number of distinct colours].
    def coverage
      first = @rows[0]
      background = (first[0] << 16) | (first[1] << 8) | first[2]
      colours = {}
      drawn = 0
      @rows.each do |row|
        (0...@width).each do |x|
          i = x * @channels
          rgb = (row[i] << 16) | (row[i + 1] << 8) | row[i + 2]
          colours[rgb] = true
          drawn += 1 unless rgb == background
        end
      end
      [drawn.to_f / (@width * @height), colours.length]
    end

    private

    def unfilter(raw)
      stride = @width * @channels
      bpp = @channels
      previous = Array.new(stride, 0)
      (0...@height).map do |y|
        offset = y * (stride + 1)
        filter = raw.getbyte(offset)
        line = raw.byteslice(offset + 1, stride).bytes
        (0...stride).each do |i|
          a = i >= bpp ? line[i - bpp] : 0
          b = previous[i]
          c = i >= bpp ? previous[i - bpp] : 0
          line[i] = (line[i] + predict(filter, a, b, c)) & 0xFF
        end
        previous = line
      end
    end

    def predict(filter, a, b, c)
      case filter
      when 0 then 0
      when 1 then a
      when 2 then b
      when 3 then (a + b) / 2
      when 4
        p = a + b - c
        pa = (p - a).abs
        pb = (p - b).abs
        pc = (p - c).abs
        pa <= pb && pa <= pc ? a : (pb <= pc ? b : c)
      else raise "unknown PNG filter #{filter}"
      end
    end
  end
end

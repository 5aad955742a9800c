require_relative 'opening'

# Script methods the extension calls on the active model.
module QORPlugin
  module ModelMethods
    # The building whose doors findDoors2 searches (see QORPlugin.prepare).
    attr_accessor :qor_building

    # Window-hook events received, oldest first: [name, *arguments].
    def qor_window_events
      @qor_window_events ||= []
    end

    # The building's doors whose every corner lies on the face's outline.
    # Only doors whose corners' bounds fall within the outline's bounds can
    # qualify; a grid of those bounds finds them without a look at every
    # door.  Positions are read as plain numbers (once per export while
    # FaceOutlines keeps them), and the host is asked about a corner and an
    # edge only where the numbers leave it open.
    def findDoors2(vertices, face)
      doors = qor_building ? Array(qor_building.doors) : []
      outline = vertices.map { |v| FaceOutlines.position(v) }
      DoorGrid.for(doors).within(outline).select do |door|
        corners = door.vertices.map { |v| corner(v) }
        !corners.empty? && corners.all? { |point, at| Geometry.on_outline_of?(point, at, outline) }
      end
    end

    # A room label at the centroid; its `text` is the room's name.
    def addRoomTextHelper2(characters, centroid)
      entities.add_text(characters.to_s, Geom::Point3d.new(*centroid))
    end

    # A door corner as [point, [x, y, z]]: a vertex's position (the point
    # made when the host is asked), or a point the door holds itself, with
    # its numbers where they are plain ones (NaN leaves every edge to the
    # host).
    def corner(v)
      return [nil, FaceOutlines.position(v)] if v.respond_to?(:position)
      numbers = v.respond_to?(:to_a) ? v.to_a : []
      [v, numbers.length == 3 && numbers.all?(Numeric) ? numbers.map(&:to_f) : [Float::NAN] * 3]
    end
    private :corner

    def startOperationHelper(name)
      start_operation(name, true)
    end

    def makePluginFacesDictionary(low, high)
      qor_window_events << [:makePluginFacesDictionary, low, high]
      nil
    end

    def callFromSubclassWnd
      qor_window_events << [:callFromSubclassWnd]
      nil
    end
  end
end

# Doors by the lowest corner of their bounds, in cells of one metre, for
# one list of doors as it stands (a changed list gets a new grid).
module QORPlugin
  class DoorGrid
    CELL = 39.37007874015748
    SLACK = 0.01 # well beyond the 0.001 a corner may stray from the outline

    def self.for(doors)
      key = [doors.object_id, doors.length, doors.first.object_id, doors.last.object_id]
      @cache = nil unless @cache && @cache[0] == key
      (@cache ||= [key, new(doors)])[1]
    end

    def initialize(doors)
      @doors = doors
      @cells = {} # packed cell key => door indices
      @cell_of = {} # door index => its cell's [i, j, k]
      @loose = [] # doors without readable corners: always looked at
      doors.each_with_index do |door, i|
        box = bounds(door.vertices.map { |v| v.respond_to?(:position) ? v.position : v })
        next @loose << i unless box

        c = @cell_of[i] = cell(box[0])
        (@cells[key(*c)] ||= []) << i
      end
    end

    # The doors, in list order, whose lowest corner may lie within the
    # bounds of the outline, given as [x, y, z] each.
    def within(outline)
      box = outline.empty? ? nil : outline.transpose.map(&:minmax).transpose
      return @doors.dup unless box
      lo = cell(box[0].map { |c| c - SLACK })
      hi = cell(box[1].map { |c| c + SLACK })
      found = @loose.dup
      each_cell_between(lo, hi) { |doors| found.concat(doors) }
      found.sort.uniq.map { |i| @doors[i] }
    end

    private

    # The doors of each cell of the box from lo to hi.  A box wider than the
    # grid holds cells (a corner flung far away) picks the grid's own cells
    # out instead of walking the box.
    def each_cell_between(lo, hi)
      count = (hi[0] - lo[0] + 1) * (hi[1] - lo[1] + 1) * (hi[2] - lo[2] + 1)
      if count > @cells.size
        return yield(@cell_of.select { |_, c| (0..2).all? { |a| c[a].between?(lo[a], hi[a]) } }.keys)
      end
      i = lo[0]
      while i <= hi[0]
        j = lo[1]
        while j <= hi[1]
          k = lo[2]
          while k <= hi[2]
            doors = @cells[key(i, j, k)]
            yield doors if doors
            k += 1
          end
          j += 1
        end
        i += 1
      end
    end

    # A cell's indices packed in one Integer; cells a million apart may
    # share a key, which only adds candidates.
    def key(i, j, k) = (i << 42) + (j << 21) + k

    def bounds(points)
      return nil if points.empty? || !points.all? { |p| p.respond_to?(:x) }
      xyz = points.map { |p| [p.x.to_f, p.y.to_f, p.z.to_f] }.transpose
      [xyz.map(&:min), xyz.map(&:max)]
    end

    def cell(p) = p.map { |c| (c / CELL).floor }
  end
end

Sketchup::Model.include(QORPlugin::ModelMethods)

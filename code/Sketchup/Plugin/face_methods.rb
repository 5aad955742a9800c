require_relative 'opening'
require_relative 'face_outlines'

# What the extension asks of a model face beyond the host's own methods.
# During an export each face's loops are read once, as plain numbers
# (FaceOutlines); the answers are those the host's points would give.
module QORPlugin
  module FaceMethods
    # The points of the outer loop, in loop order.
    def polygon
      return outer_loop.vertices.map(&:position) unless FaceOutlines.keeping?
      FaceOutlines.of(self).outer.map { |c| Geom::Point3d.new(c) }
    end

    # The mean of the outer loop's points: a point of the face's plane.
    def centroid
      return Geometry.centroid(polygon) unless FaceOutlines.keeping?
      Geometry.centroid_of(FaceOutlines.of(self).outer)
    end

    # A point strictly inside the face: inside the outer loop, outside every
    # hole, off every edge.  The centroid when it qualifies (convex faces);
    # otherwise the middle of the widest inside stretch of a scan line.
    def internalPoint
      outline = FaceOutlines.of(self)
      centre = Geometry.centroid_of(outline.outer)
      return centre if strictly_inside?(centre, outline)
      scan_line_point(outline) || centre
    end

    private

    # Scan lines run between the loops' distinct heights, in the projection
    # that drops the normal's largest axis; crossings pair up into inside
    # stretches (holes included, by the even-odd rule).
    def scan_line_point(outline)
      plane_coefficients = plane
      drop = [0, 1, 2].max_by { |i| plane_coefficients[i].abs }
      u_axis, v_axis = [0, 1, 2] - [drop]
      outlines = outline.loops.map { |points| points.map { |c| c.values_at(u_axis, v_axis) } }
      heights = outlines.flatten(1).map(&:last).uniq.sort
      best = nil
      sweep = Geometry::ScanSweep.new(outlines)
      heights.each_cons(2) do |low, high|
        v = (low + high) / 2.0
        sweep.crossings(v).sort.each_slice(2) do |from, to|
          next unless to
          best = [to - from, (from + to) / 2.0, v] if best.nil? || to - from > best[0]
        end
      end
      return nil unless best
      _, u, v = best
      coords = []
      coords[u_axis] = u
      coords[v_axis] = v
      coords[drop] = -(plane_coefficients[3] + plane_coefficients[u_axis] * u +
                       plane_coefficients[v_axis] * v) / plane_coefficients[drop]
      Geom::Point3d.new(*coords)
    end

    def strictly_inside?(point, outline)
      at = point.to_a
      inside = Geometry.in_planar_outline?(at, outline.outer, outline.normal)
      inside &&= !Geometry.on_outline_of?(point, at, outline.outer)
      inside && outline.holes.none? do |h|
        Geometry.in_planar_outline?(at, h, outline.normal) || Geometry.on_outline_of?(point, at, h)
      end
    end
  end

  module Geometry
    module_function

    # Where the closed 2-D outline crosses the horizontal line at height v.
    def scan_crossings(points, v)
      points.each_with_index.filter_map do |(x1, y1), i|
        x2, y2 = points[i - 1]
        next unless (y1 > v) != (y2 > v)
        x1 + (v - y1) * (x2 - x1) / (y2 - y1)
      end
    end

    # The crossings of closed 2-D outlines with horizontal lines taken at
    # rising heights, as scan_crossings finds them, without looking at every
    # edge for every line: an edge crosses the line at v exactly when its
    # lower end is at or below v and its upper end above, so edges join as
    # the lines rise past their lower ends and leave past their upper ones.
    class ScanSweep
      def initialize(outlines)
        # [lower, upper, x1, y1, x2, y2], (x1, y1) the later point of the
        # outline as scan_crossings pairs them.
        @edges = outlines.flat_map do |pts|
          pts.each_with_index.map do |(x1, y1), i|
            x2, y2 = pts[i - 1]
            [[y1, y2].min, [y1, y2].max, x1, y1, x2, y2]
          end
        end
        @edges.sort_by!(&:first)
        @next = 0
        @active = []
      end

      # Heights must come in rising order.
      def crossings(v)
        while @next < @edges.length && @edges[@next][0] <= v
          @active << @edges[@next]
          @next += 1
        end
        @active.select! { |e| e[1] > v }
        @active.map { |_, _, x1, y1, x2, y2| x1 + (v - y1) * (x2 - x1) / (y2 - y1) }
      end
    end

    # Point in a planar polygon, tested in the 2-D projection that drops the
    # normal's largest axis.
    def point_in_planar_polygon?(point, polygon, normal)
      in_planar_outline?(point.to_a, polygon.map(&:to_a), normal.to_a)
    end

    # The same on plain numbers: [x, y, z] each.
    def in_planar_outline?(point, outline, normal)
      drop = normal.map(&:abs).each_with_index.max[1]
      axes = [0, 1, 2] - [drop]
      px, py = point.values_at(*axes)
      scan_crossings(outline.map { |q| q.values_at(*axes) }, py).count { |x| px < x }.odd?
    end
  end
end

Sketchup::Face.include(QORPlugin::FaceMethods)

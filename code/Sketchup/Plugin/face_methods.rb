require_relative 'opening'

# What the extension asks of a model face beyond the host's own methods.
module QORPlugin
  module FaceMethods
    # The points of the outer loop, in loop order.
    def polygon
      outer_loop.vertices.map(&:position)
    end

    # The mean of the outer loop's points: a point of the face's plane.
    def centroid
      Geometry.centroid(polygon)
    end

    # A point strictly inside the face: inside the outer loop, outside every
    # hole, off every edge.  Tries the centroid, then the centres of fan and
    # ear triangles, which covers every simple polygon.
    def internalPoint
      outline = polygon
      candidates = [Geometry.centroid(outline)]
      n = outline.length
      (1...n - 1).each { |i| candidates << Geometry.centroid([outline[0], outline[i], outline[i + 1]]) }
      n.times { |i| candidates << Geometry.centroid([outline[i - 1], outline[i], outline[(i + 1) % n]]) }
      found = candidates.find { |p| strictly_inside?(p) }
      found || candidates.first
    end

    private

    def strictly_inside?(point)
      holes = loops.reject(&:outer?).map { |l| l.vertices.map(&:position) }
      inside = Geometry.point_in_planar_polygon?(point, polygon, normal)
      inside &&= !Geometry.on_outline?(point, polygon)
      inside && holes.none? do |h|
        Geometry.point_in_planar_polygon?(point, h, normal) || Geometry.on_outline?(point, h)
      end
    end
  end

  module Geometry
    module_function

    # Point in a planar polygon, tested in the 2-D projection that drops the
    # normal's largest axis.
    def point_in_planar_polygon?(point, polygon, normal)
      drop = [normal.x.abs, normal.y.abs, normal.z.abs].each_with_index.max[1]
      axes = [0, 1, 2] - [drop]
      px, py = axes.map { |a| point.to_a[a] }
      pts = polygon.map { |q| axes.map { |a| q.to_a[a] } }
      inside = false
      pts.each_with_index do |(x1, y1), i|
        x2, y2 = pts[i - 1]
        next unless (y1 > py) != (y2 > py)
        inside = !inside if px < (x2 - x1) * (py - y1) / (y2 - y1) + x1
      end
      inside
    end
  end
end

Sketchup::Face.include(QORPlugin::FaceMethods)

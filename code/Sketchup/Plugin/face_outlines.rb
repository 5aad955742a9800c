module QORPlugin
  # A face's loops and normal as plain numbers, read of the model once: the
  # positions' to_a, in loop order; and the faces at a face's edges.  While
  # an export's reads are kept (QORTA_RoomFace.withFaceReads: the model does
  # not change meanwhile) each face, edge and vertex is read once for the
  # whole export; otherwise each question reads afresh.
  module FaceOutlines
    # outer: the outer loop's points; holes: every other loop's, in loop
    # order; loops: every loop's, outer first as the host gives them.
    Outline = Struct.new(:outer, :holes, :loops, :normal)

    class << self
      # The block's value; the reads are dropped afterwards (kept on inside
      # an enclosing run).
      def keeping
        return yield if @kept

        @kept = {}.compare_by_identity
        @edge_faces = {}.compare_by_identity
        begin
          yield
        ensure
          @kept = @edge_faces = nil
        end
      end

      def keeping? = !@kept.nil?

      # The face's Outline, read once while reads are kept.
      def of(face)
        kept = @kept
        return read(face) unless kept
        kept[face] ||= read(face)
      end

      # A vertex's position as [x, y, z].
      def position(vertex)
        kept = @kept
        return vertex.position.to_a unless kept
        kept[vertex] ||= vertex.position.to_a
      end

      # The faces of each of the face's edges, in edge order, one list (a
      # new Array).
      def faces_at_edges(face)
        kept = @edge_faces
        return face.edges.flat_map(&:faces) unless kept
        (kept[face] ||= face.edges).flat_map { |e| kept[e] ||= e.faces }
      end

      private

      def read(face)
        outer = nil
        holes = []
        loops = face.loops.map do |l|
          points = l.vertices.map { |v| position(v) }
          l.outer? ? (outer ||= points) : holes << points
          points
        end
        Outline.new(outer || [], holes, loops, face.normal.to_a)
      end
    end
  end
end

# Reads kept by the extension for an export are kept on the plug-in side too.
QORTA::QORTA_RoomFace.singleton_class.prepend(Module.new do
  def withFaceReads(&block)
    QORPlugin::FaceOutlines.keeping { super(&block) }
  end
end)

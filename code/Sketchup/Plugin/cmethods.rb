require_relative 'face_outlines'

module QORPlugin
  # The plug-in's face queries, reached by the extension through $cMethods.
  class CMethods
    # panes: nil, where a face is a pane when the modeller's rule makes it
    # one; or the faces (a hash by identity) that are the building's panes.
    def initialize(panes = nil)
      @panes = panes
    end

    # The other faces that share an edge with the face.  Where the panes are
    # the building's own, a face that is none of them is answered with
    # itself among them when it has exactly two: the extension takes a
    # one-loop face between exactly two faces for a pane, and a wall that
    # meets its floor and roof at no edge (an imported roof overhanging it)
    # is not one.
    def findAdjFaces(face)
      adjacent = FaceOutlines.faces_at_edges(face).uniq.reject { |f| f.equal?(face) }
      return adjacent if @panes.nil? || adjacent.length != 2 || @panes.key?(face)
      adjacent + [face]
    end

    # A face the building file marked as a blind opening.
    def isBlindOpening?(face)
      face.get_attribute('FaceDict', 'BlindOpening') == true
    end
  end
end

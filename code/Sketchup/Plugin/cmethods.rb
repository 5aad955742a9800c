module QORPlugin
  # The plug-in's face queries, reached by the extension through $cMethods.
  class CMethods
    # The other faces that share an edge with the face.
    def findAdjFaces(face)
      face.edges.flat_map(&:faces).uniq.reject { |f| f.equal?(face) }
    end

    # A face the building file marked as a blind opening.
    def isBlindOpening?(face)
      face.get_attribute('FaceDict', 'BlindOpening') == true
    end
  end
end

# The plug-in side of the room export: everything the extension calls back,
# on top of the modeller's Ruby API (or its headless stand-in).
require_relative 'qor_module'
require_relative 'su_attributes'
require_relative 'pseudo'
require_relative 'opening'
require_relative 'face_methods'
require_relative 'model_methods'
require_relative 'cmethods'
require_relative 'progress'
require_relative 'observer'
require_relative 'building'
require_relative 'globals'
require_relative 'outer_shell'
require_relative 'storeys'
require_relative 'snapshots'
require_relative 'road'

# The extension calls these with nil as the receiver, so they must be
# reachable from every object.
include QORTA

# Diagnostic hook of the topmost-face search; the export has nothing to show.
def showTopFaces(face, topmost)
  nil
end

require_relative '../atomic_file'
require_relative '../unwritten_faces'
require_relative 'plain_geometry'
require_relative 'markup'
require_relative 'model_view'
require_relative 'problems'
require_relative 'storeys'
require_relative 'details'
require_relative 'plan'
require_relative 'axonometric'
require_relative 'page'

module QORPlugin
  # A self-contained HTML preview of what the room export found: a plan of
  # each storey, an axonometric view of the whole building, and the faces
  # the export could not type or pair.
  module Preview
    module_function

    # The document for these exported rooms (QORTA_Room objects).
    def html(rooms:, summary:, title:)
      room_views, index = ModelView.read(Array(rooms))
      unwritten = UnwrittenFaces.new(Array(rooms), thin_walls: $thinWalls == 1).list
                                .to_h { |e| [e.room_face, e.reason] }.compare_by_identity
      Page.document(title: title, summary: summary || {}, room_views: room_views,
                    storeys: Storeys.group(room_views), problems: Problems.new(room_views, unwritten), index: index)
    end

    # Writes the document to path.  A temporary file beside it is renamed
    # into place, so the path never holds half a preview.
    def write(path, rooms:, summary: {}, title:)
      AtomicFile.write(path, html(rooms: rooms, summary: summary, title: title))
    end
  end
end

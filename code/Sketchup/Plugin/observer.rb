module QORPlugin
  # Watches a room's model face; the plug-in reacts to edits through it.
  class FaceObserver
    attr_reader :events

    def initialize
      @events = []
    end

    def onChangeEntity(entity)
      @events << [:changed, entity]
    end

    def onEraseEntity(entity)
      @events << [:erased, entity]
    end
  end

  # The object in $class_MyEntityObserver: the extension calls its
  # `initialize` (no arguments) and attaches what that returns to the face,
  # so each call hands out a new observer.
  class ObserverSource
    def initialize
      FaceObserver.new
    end
  end
end

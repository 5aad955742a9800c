module QORPlugin
  # The building object handed to every room: all rooms and all doors.
  class Building
    attr_accessor :rooms, :doors

    def initialize(rooms: [], doors: [])
      @rooms = rooms
      @doors = doors
    end
  end
end

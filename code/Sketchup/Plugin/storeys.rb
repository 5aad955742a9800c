module QORPlugin
  # Tall rooms cut into storeys: what a command needs to report the slab
  # outlines of a building's rooms.
  module Storeys
    # The extension refuses a height that cuts one room into more storeys.
    MAX_STOREYS = 10_000
    # Added to a room's height before its storeys are counted (inches).
    ALLOWANCE = 0.1

    module_function

    # The least storey height (metres) that cuts no room of the building
    # file into more than MAX_STOREYS storeys, rounded up to three
    # significant figures; and the room that sets it.
    def least_height(rooms)
      room = rooms.max_by { |r| span(r) }
      least = ((span(room) + ALLOWANCE) / (MAX_STOREYS + 1)).to_m
      step = 10.0**(Math.log10(least).floor - 2)
      [(least / step).ceil * step, room]
    end

    # Height of a room description's faces, in inches.
    def span(room)
      zs = room.faces.flat_map { |f| f.vertices.map { |v| v.position.z } }
      zs.max - zs.min
    end

    # Cuts every room at each storey of storey_height metres (as many cuts
    # as storeys fit). Answers one [room, [outline, ...]] per room, each
    # outline an Array of points, lowest first. $newFloors is left holding
    # [room number, outline] entries for the scripts that draw the slabs.
    def slab_outlines(rooms, storey_height)
      $newFloors = []
      rooms.map do |room|
        before = $newFloors.size
        room.makeFloors(storey_height, 'true', room.number)
        [room, $newFloors[before..].map(&:last)]
      end
    end
  end
end

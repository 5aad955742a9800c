module QORPlugin
  # Tall rooms cut into storeys: what a command needs to report the slab
  # outlines of a building's rooms.
  module Storeys
    module_function

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

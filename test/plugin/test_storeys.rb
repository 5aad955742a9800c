require_relative '../test_helper'
require_relative '../support/room_builder'

# The slab outlines of a building's rooms, per room.
class StoreysTest < QORTest::Case
  include QORTest::RoomBuilder

  M = 39.37007874015748 # inches in a metre

  def test_slab_outlines_per_room
    tall = new_room(box(0, 0, 0, 100, 80, 9.1 * M), number: 1)
    low = new_room(box(200, 0, 0, 300, 80, 2.5 * M), number: 2)
    result = QORPlugin::Storeys.slab_outlines([tall, low], 3)
    assert_equal [tall, low], result.map(&:first)
    outlines = result.first.last
    assert_equal 2, outlines.size
    [3 * M, 6 * M].zip(outlines) { |z, o| assert_in_delta z, o.first.z, 1e-6 }
    assert_equal [4, 4], outlines.map(&:size)
    assert_empty result.last.last
    assert_equal [1, 1], $newFloors.map(&:first)
  end

  def test_bad_storey_height
    room = new_room(box(0, 0, 0, 100, 80, 300))
    assert_raises(ArgumentError) { QORPlugin::Storeys.slab_outlines([room], 0) }
  end
end

require_relative '../test_helper'
require_relative '../support/room_builder'
require_relative '../support/office_builder'

# A room drawn as a user would: walls with a door and a window.
class RealRoomTest < QORTest::Case
  include QORTest::RoomBuilder
  include QORTest::OfficeBuilder

  def build
    @floor, @ceiling, @front, @right, @back, @left, @pane = draw_office
    new_room([@floor, @ceiling, @front, @right, @back, @left, @pane])
  end

  def test_every_face_typed
    room = build
    assert_equal %w[Floor Ceiling Wall Wall Wall Wall Wall], types_of(room)
    assert_equal [@door], room_face_of(room, @front).doors
  end

  def test_totals_net_of_the_openings
    room = build
    assert_in_delta 120_000.0, room.totalFloorArea, 1e-6
    # Walls 35 m2, less the door's 1.8 m2 (the window's hole is made up by
    # its pane, itself a wall face of the room).
    assert_in_delta 332_000.0, room.totalWallArea, 1e-6
    # The translucent pane; the door leaf is no glazing.
    assert_in_delta 12_000.0, room.totalGlazedArea, 1e-6
    assert_in_delta 250.0, room.maximumHeight, 1e-9
    assert_in_delta 0.0, room.level, 1e-9
  end

  def test_room_key_stable_across_runs
    key = build.roomKey
    refute_empty key
    @model = fresh_model
    assert_equal key, build.roomKey
  end

  def test_labelled_and_measured
    room = build
    room.setText('Office')
    QORTA.getRoomsRadii([room])
    farthest = room.roomFaces.flat_map(&:faceVertices).map { |v| v.position.distance(room.centroid) }.max
    assert_in_delta farthest, room.radius, 1e-9
    assert_operator room.radius, :>, 0
    assert_match(/\AOffice 1\nFaces = \n/, room.to_s)
    assert room.to_s.end_with?("\n facecount7\n Outer sh = false")
  end
end

# Which door objects count as glazing.
class GlazedDoorObjectsTest < QORTest::Case
  include QORTest::RoomBuilder

  Door = Struct.new(:type, :hole, :area) do
    def initialize(*)
      super
      @type = type
      @isHole = hole
      @area = area
    end
  end

  # Replaces a room face's door lists and flags right after construction.
  module Override
    class << self
      attr_accessor :ivars
    end

    def initialize(*args)
      super
      (Override.ivars || {}).each { |k, v| instance_variable_set(k, v) }
    end
  end
  QORTA::QORTA_RoomFace.prepend(Override)

  def teardown
    Override.ivars = nil
    super
  end

  def glazed(ivars)
    Override.ivars = ivars
    floor = face([0, 0, 0], [0, 10, 0], [10, 10, 0], [10, 0, 0])
    new_room([floor]).totalGlazedArea / 6.4516
  end

  WINDOW = Door.new('Window', false, 1.0)
  WINDOW_HOLE = Door.new('Window', true, 2.0)
  DOOR_HOLE = Door.new('Door', true, 4.0)
  DOOR = Door.new('Door', false, 8.0)
  ALL = [WINDOW, WINDOW_HOLE, DOOR_HOLE, DOOR].freeze

  def test_internal_face_counts_windows_that_are_not_holes
    assert_in_delta 1.0, glazed(:@doors => ALL, :@isExternal => false), 1e-12
  end

  def test_external_face_counts_every_hole_too
    assert_in_delta 7.0, glazed(:@doors => ALL, :@isExternal => true), 1e-12
  end

  def test_door_frames_are_left_out
    assert_in_delta 3.0, glazed(:@doors => ALL, :@doorFrames => [DOOR_HOLE], :@isExternal => true),
                    1e-12
  end

  def test_frames_and_openings_count_no_doors
    %i[@isWindowFrame @isDoorFrame @isOpening].each do |flag|
      assert_in_delta 0.0, glazed(:@doors => ALL, :@isExternal => true, flag => true), 1e-12, flag
    end
    assert_in_delta 0.0, glazed(:@doors => nil, :@isExternal => true), 1e-12
  end

  def test_only_exactly_true_flags_count
    assert_in_delta 1.0, glazed(:@doors => ALL, :@isExternal => 1), 1e-12
    assert_in_delta 7.0, glazed(:@doors => ALL, :@isExternal => true, :@isOpening => 'yes'), 1e-12
  end
end

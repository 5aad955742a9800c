require_relative '../test_helper'
require_relative '../support/roomface_builder'

# What construction records on the model face, and failures on the way.
class RoomFaceMarksTest < QORTest::Case
  include QORTest::RoomFaceBuilder

  def setup
    super
    @wall = face([0, 0, 0], [5, 0, 0], [5, 0, 3], [0, 0, 3])
    prepare_room
  end

  def test_fresh_face_marks
    %w[found RoomFace ObjectId].each { |key| assert_nil @wall.get_attribute('FaceDict', key) }
    assert_nil @wall.get_attribute('FaceDict2', 'UseCount')
    room_face(@wall)
    assert_same true, @wall.get_attribute('FaceDict', 'found')
    assert_equal 1, @wall.get_attribute('FaceDict2', 'UseCount')
    assert_equal 0, @wall.get_attribute('selectedDictionary', 'selected')
    assert_equal @wall.object_id, @wall.get_attribute('FaceDict', 'ObjectId')
  end

  def test_each_construction_counts_a_use_and_resets_the_selection
    first = room_face(@wall)
    first.countSelect(1)
    second = room_face(@wall, 2)
    assert_equal 2, @wall.get_attribute('FaceDict2', 'UseCount')
    assert_equal 0, @wall.get_attribute('selectedDictionary', 'selected')
    refute_same first, second
  end

  def test_count_select
    rf = room_face(@wall)
    assert_equal [1, 2, 1], [rf.countSelect(1), rf.countSelect(1), rf.countSelect(-1)]
    assert_equal 1, @wall.get_attribute('selectedDictionary', 'selected')
  end

  def test_count_select_wraps_as_a_32_bit_count
    rf = room_face(@wall)
    @wall.set_attribute('selectedDictionary', 'selected', 2**31 - 1)
    assert_equal(-2**31, rf.countSelect(1))
  end

  def test_each_face_gets_its_own_observer
    attached = []
    @wall.define_singleton_method(:add_observer) { |o| attached << o; true }
    2.times { room_face(@wall) }
    assert_equal 2, attached.length
    assert attached.all? { |o| o.is_a?(QORPlugin::FaceObserver) }
    refute_same attached[0], attached[1]
  end

  Boom = Class.new(StandardError)

  # A fresh model with a holed wall, a script hook made to raise, and the
  # construction's error.
  def error_from(install)
    @model = fresh_model
    wall = face_with_holes([[0, 5, 0], [6, 5, 0], [6, 5, 4], [0, 5, 4]],
                           [[1, 5, 1], [2, 5, 1], [2, 5, 2], [1, 5, 2]])
    prepare_room
    install.call
    [assert_raises(Boom) { room_face(wall) }, wall]
  end

  def test_script_errors_reach_the_caller_unchanged
    raising = ->(name) { proc { |*| raise Boom, name } }
    hooks = {
      'findDoors2' => -> { @model.define_singleton_method(:findDoors2, &raising.call('findDoors2')) },
      'findAdjFaces' => -> { $cMethods.define_singleton_method(:findAdjFaces, &raising.call('findAdjFaces')) },
      'observer' => lambda {
        $class_MyEntityObserver = Object.new
        $class_MyEntityObserver.define_singleton_method(:initialize, &raising.call('observer'))
      },
      'opening' => lambda {
        $class_Opening = Object.new
        $class_Opening.define_singleton_method(:new, &raising.call('opening'))
      }
    }
    hooks.each do |name, install|
      error, = error_from(install)
      assert_equal name, error.message
    end

    original = QORTA_SU.method(:setIntAttr)
    begin
      error, wall = error_from(-> { QORTA_SU.define_singleton_method(:setIntAttr, &raising.call('setIntAttr')) })
      assert_equal 'setIntAttr', error.message
    ensure
      QORTA_SU.define_singleton_method(:setIntAttr, original)
    end
    # The marks made before the failure stay; the next build goes through.
    assert_equal 1, wall.get_attribute('FaceDict2', 'UseCount')
    prepare_room
    assert_equal 1, room_face(wall).windows.length
    assert_equal 2, wall.get_attribute('FaceDict2', 'UseCount')
  end
end

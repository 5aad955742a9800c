require_relative '../test_helper'
require_relative '../support/room_builder'

# A room under hostile callbacks: lists replaced mid-construction, jumps out
# of the highlight, frozen rooms, see-through faces selected over and over.
class RoomHardeningTest < QORTest::Case
  include QORTest::RoomBuilder

  # A face whose set_attribute, handed its new room face, replaces one of
  # the room's lists.
  def replacing_face(writer, value)
    face = box(0, 0, 0, 1, 1, 1)[0]
    face.define_singleton_method(:set_attribute) do |dict, key, v|
      v.room.public_send(writer, value) if v.is_a?(QORTA::QORTA_RoomFace)
      super(dict, key, v)
    end
    face
  end

  def test_a_list_replaced_mid_construction_is_refused_by_name
    [[:sketchupFaces=, '@sketchupFaces'], [:roomFaces=, '@roomFaces']].each do |writer, field|
      [nil, 7, {}, 'text', :sym].each do |bad|
        faces = [replacing_face(writer, bad), face([5, 5, 0], [6, 5, 0], [6, 6, 0])]
        error = assert_raises(TypeError, "#{writer} #{bad.inspect}") { new_room(faces) }
        assert_includes error.message, field
      end
    end
  end

  # The same callback replacing a field of the new room face itself.
  def test_a_room_face_field_replaced_mid_construction_is_refused_by_name
    %i[@faceVertices @doors @glazedArea @face @normal @facePolygon @spanZ @height].each do |field|
      [nil, 7, {}, 'text'].each do |bad|
        faces = box(0, 0, 0, 1, 1, 1)
        faces[0].define_singleton_method(:set_attribute) do |dict, key, v|
          v.instance_variable_set(field, bad) if v.is_a?(QORTA::QORTA_RoomFace)
          super(dict, key, v)
        end
        new_room(faces)
      rescue TypeError, ArgumentError => e
        assert_includes e.message, field.to_s, "#{field} = #{bad.inspect}"
      end
    end
  end

  def test_a_list_replaced_by_another_array_is_used_as_it_stands
    other = []
    room = new_room([replacing_face(:sketchupFaces=, other)])
    assert_same other, room.sketchupFaces
    assert_equal 1, room.roomFaces.length
  end
end

class RoomHighlightExitsTest < QORTest::Case
  include QORTest::RoomBuilder

  def setup
    super
    @faces = box(0, 0, 0, 10, 10, 10)
    @room = new_room(@faces)
    @model.clear_operation_log
  end

  def jumping_face(&jump)
    @faces[3].define_singleton_method(:material=) { |*| jump.call }
  end

  def assert_aborted(name = 'select room')
    assert_nil @model.active_operation, 'no operation left open'
    assert_equal [:abort, name], @model.operation_log.last
  end

  def test_throw_out_of_a_callback_reaches_its_catch
    jumping_face { throw :out, 42 }
    assert_equal 42, catch(:out) { @room.select(true) }
    assert_aborted
    assert_same false, @room.selected
  end

  def test_thread_kill_in_a_callback_ends_the_thread_quietly
    jumping_face { Thread.current.kill }
    t = Thread.new { @room.select(true); :ran_on }
    assert_nil t.value, 'the thread ended by the kill, not by an error'
    assert_aborted
  end

  def test_a_frozen_room_leaves_no_operation_open
    @room.freeze
    assert_raises(FrozenError) { @room.select(true) }
    assert_aborted
    assert_equal [0] * 6, @faces.map { |f| f.get_attribute('selectedDictionary', 'selected') }
  end

  def test_see_through_faces_keep_a_steady_selection_count
    glass = @model.materials.add('Glass')
    glass.alpha = 0.5
    @faces[2].material = glass
    room = new_room(@faces, number: 2)
    3.times do
      room.select(true)
      room.select(false)
    end
    assert_equal [0] * 6, @faces.map { |f| f.get_attribute('selectedDictionary', 'selected') }
    assert_equal 'Glass', @faces[2].material.name
  end
end

require_relative '../test_helper'
require_relative '../support/room_builder'
require 'rexml/document'

# The Space element of a room: header from the stored room settings, storey,
# and the faces of the inner and outer shells.
class SpaceXmlTest < QORTest::Case
  include QORTest::RoomBuilder

  M = 39.37007874015748 # inches in a metre

  def kitchen(name = 'Kitchen')
    room = new_room(box(0, 0, 0, 4 * M, 3 * M, 2.5 * M))
    room.setText(name)
    room.levelText = 'Ground'
    room
  end

  def store(room, suffix, value)
    @model.set_attribute('Rooms', room.roomKey + suffix, value)
  end

  def header(xml)
    xml[/\A.*?>/]
  end

  # faceRef of every Face written in the shell.
  def refs(xml, shell)
    xml[%r{<#{shell}>(.*)</#{shell}>}, 1].scan(/faceRef="(\w+)"/).flatten
  end

  # An outer-shell face built on the intermediate plane, as the outer-shell
  # pass leaves it.
  def shell_face(room, reference)
    pseudo = QORTA::QORTA_PseudoFace.new([pt(0, 0, 0), pt(M, 0, 0), pt(M, 0, M)])
    QORTA::QORTA_RoomFace.new(room, pseudo, reference).tap { |f| f.type = 'Wall' }
  end

  def test_header_without_settings
    xml = kitchen.getSpaceElement(3)
    assert xml.start_with?('<Space id="3" name="Kitchen"  TAConstructionSetId="Building - (Default)" >' \
                           '<Description>Room</Description><Floor>Ground</Floor><InnerShell>'), xml
    assert xml.end_with?('</OuterShell></Space>')
  end

  def test_stored_settings
    # [construction option, type, service, attributes written after the name]
    [['', nil, nil, ' TAConstructionSetId="Building - (Default)" '],
     ['Heavy', '-1', '0', ' TAConstructionSetId="Heavy" '],
     [nil, '0', '2', ' TAConstructionSetId="Building - (Default)"  service="2" '],
     [nil, '-10', nil, ' TAConstructionSetId="Building - (Default)"  spaceType="-10" '],
     ['Light', '00', '00', ' TAConstructionSetId="Light"  spaceType="00"  service="00" ']
    ].each do |option, type, service, expected|
      @model = fresh_model
      QORPlugin.prepare(@model)
      room = kitchen
      store(room, ' constructionOption', option)
      store(room, ' type', type)
      store(room, ' service', service)
      assert_equal %(<Space id="k1" name="Kitchen" #{expected}>), header(room.getSpaceElement('k1'))
    end
  end

  def test_thin_walls_write_own_faces_in_the_outer_shell
    room = kitchen
    room.roomFaces[1].blind = true
    room.roomFaces[4].internallyConstructed = true
    room.roomFaces[0].outerShellRoomFaces = [shell_face(room, 9)]
    $thinWalls = 1
    xml = room.getSpaceElement(1)
    assert_includes xml, '<InnerShell></InnerShell>'
    assert_equal %w[1 3 4 6], refs(xml, 'OuterShell')
  end

  def test_thick_walls_split_own_and_outer_shell_faces
    room = kitchen
    room.roomFaces[1].blind = true
    room.roomFaces[4].internallyConstructed = true
    room.roomFaces[0].outerShellRoomFaces = [shell_face(room, 1), shell_face(room, 'x')]
    room.roomFaces[2].outerShellRoomFaces = [shell_face(room, 3)]
    room.roomFaces[3].outerShellRoomFaces = [shell_face(room, 4)]
    room.roomFaces[3].isOpening = true
    xml = room.getSpaceElement(1)
    assert_equal %w[1 3 6], refs(xml, 'InnerShell')
    assert_equal %w[1 x 3], refs(xml, 'OuterShell')
  end

  def test_unwritten_faces_leave_a_blank
    room = kitchen
    room.roomFaces.each { |f| f.isDoorFrame = true }
    assert_includes room.getSpaceElement(1), "<InnerShell>#{' ' * 6}</InnerShell>"
  end

  def test_names_and_settings_escaped
    room = kitchen('R&D <Lab>')
    room.levelText = 'Level "1" & up'
    store(room, ' constructionOption', 'A<B>')
    store(room, ' type', '"5"')
    $thinWalls = 1
    xml = room.getSpaceElement('id&1')
    assert xml.start_with?('<Space id="id&amp;1" name="R&amp;D &lt;Lab&gt;"  ' \
                           'TAConstructionSetId="A&lt;B&gt;"  spaceType="&quot;5&quot;" >'), xml
    space = REXML::Document.new(xml).root
    assert_equal ['id&1', 'R&D <Lab>', 'A<B>', '"5"'],
                 %w[id name TAConstructionSetId spaceType].map { |a| space.attributes[a] }
    assert_equal 'Level "1" & up', space.get_text('Floor').value
    assert_equal 6, space.get_elements('OuterShell/Face').length
  end

  def test_setting_that_is_not_text_raises
    room = kitchen
    store(room, ' service', 5)
    assert_raises(TypeError) { room.getSpaceElement(1) }
  end
end

require 'rexml/document'
require 'tmpdir'
require_relative '../test_helper'
require_relative '../support/flat_builder'
require_relative '../../code/Sketchup/Plugin/preview/preview'

# The preview's drawings, read back from the document: groups per room and
# elements per face, positions in millimetres, problems outlined.
class PreviewDocumentTest < QORTest::Case
  include QORTest::FlatBuilder

  def preview(rooms, summary: {})
    html = QORPlugin::Preview.html(rooms: rooms, summary: summary, title: 'Flat <test>')
    REXML::Document.new(html)
  end

  def all(node, tag, cls = nil)
    REXML::XPath.match(node, ".//*[local-name()='#{tag}']")
                .select { |e| cls.nil? || e.attributes['class'].to_s.split.include?(cls) }
  end

  def plans(doc)
    all(doc, 'svg', 'plan')
  end

  def axo(doc)
    all(doc, 'svg', 'axo').first
  end

  def ends(line)
    %w[x1 y1 x2 y2].map { |a| line.attributes[a].to_i }.each_slice(2).sort
  end

  def title(element)
    all(element, 'title').first.text
  end

  def test_flat_plan_rooms_party_wall_door_and_windows
    doc = preview(classify_flat!(draw_flat))
    assert_equal 1, plans(doc).length
    plan = plans(doc).first
    rooms = all(plan, 'g', 'room')
    assert_equal %w[1 2], rooms.map { |g| g.attributes['data-room'] }
    assert_equal [%w[Living 12.00\ m²], %w[Bedroom 12.00\ m²]], rooms.map { |g| all(g, 'text').map(&:text) }
    # The party wall: one band from x 4000 to 4200 mm, its mid plane at 4100.
    bands = all(plan, 'polygon', 'band')
    assert_equal 1, bands.length
    corners = bands.first.attributes['points'].split.map { |p| p.split(',').map(&:to_i) }.sort
    assert_equal [[4000, -3000], [4000, 0], [4200, -3000], [4200, 0]], corners
    mids = all(plan, 'line', 'mid')
    assert_equal [[[4100, -3000], [4100, 0]]], mids.map { |l| ends(l) }
    # One door on the mid plane (both faces carry it), a window per front wall.
    assert_equal [[[4100, -1900], [4100, -1000]]], all(plan, 'line', 'door').map { |l| ends(l) }
    assert_equal [[[1000, 0], [2500, 0]], [[5200, 0], [6700, 0]]], all(plan, 'line', 'window').map { |l| ends(l) }.sort
    assert_empty all(plan, 'line', 'air')
    # The party faces are drawn as the band, not as lines of their own.
    assert_equal 8, all(plan, 'line', 'wall').length
    assert_empty all(doc, '*', 'problem')
  end

  def test_axonometric_one_group_per_room_one_polygon_per_exported_face
    rooms = classify_flat!(draw_flat)
    rooms[1].roomFaces[6].blind = true # a pane: not among the room's own faces
    view = axo(preview(rooms))
    groups = all(view, 'g', 'room')
    assert_equal %w[1 2], groups.map { |g| g.attributes['data-room'] }.sort
    refs = groups.sort_by { |g| g.attributes['data-room'] }
                 .map { |g| all(g, 'polygon', 'face').map { |p| p.attributes['data-ref'].to_i }.sort }
    assert_equal [[1, 2, 3, 4, 5, 6, 7], [1, 2, 3, 4, 5, 6]], refs
    party = all(view, 'polygon', 'face').select { |p| p.attributes['class'].include?('s2') }
    assert_equal 2, party.length
    assert(party.all? { |p| p.attributes['class'].split.include?('t-Wall') })
    # The floor of the Living: 4 m x 3 m at z 0, seen from the south-west.
    floor = all(groups.find { |g| g.attributes['data-room'] == '1' }, 'polygon', 't-Floor').first
    expected = [[0, 0], [0, 3000], [4000, 3000], [4000, 0]].map do |x, y|
      [((x - y) / Math.sqrt(2)).round, (-(x + y) / Math.sqrt(6)).round]
    end
    assert_equal expected.sort, floor.attributes['points'].split.map { |p| p.split(',').map(&:to_i) }.sort
  end

  def test_details_of_a_room_and_a_face
    rooms = classify_flat!(draw_flat)
    doc = preview(rooms, summary: { 'file' => 'flat.json' })
    living = all(plans(doc).first, 'g', 'room').first
    assert_match(/\ALiving \(room 1\)\nkey: .+\nstorey: Ground floor, level 0\.00 m\n/, title(living))
    assert_match(/floor 12\.00 m², walls .+, glazed 1\.50 m²\nheight 2\.50 m, 7 faces\z/, title(living))
    party = all(axo(doc), 'polygon', 's2').find { |p| title(p).start_with?('Living') }
    assert_equal "Living face 4: Wall\nouter shell: 2 internal\nopposite: Bedroom face 6\n" \
                 "openings: 1 door\nouter-shell faces: 0", title(party)
    summary = all(doc, 'dl').first.elements.to_a.map(&:text)
    assert_equal ['file', 'flat.json', 'rooms', '2', 'storeys', '1'], summary.first(6)
    assert_includes summary, '12 external, 2 internal'
  end

  def test_problems_listed_and_outlined
    living, bedroom = classify_flat!(draw_flat)
    a = @party.first
    a.oppositeRoomFaces = []     # internal, but nothing paired across
    a.intermediatePlanes = []
    bedroom.roomFaces[1].outerShellType = nil # the ceiling, before the pass
    bedroom.roomFaces[1].type = nil
    doc = preview([living, bedroom])
    listed = all(doc, 'li').select { |li| li.parent.parent.attributes['id'] == 'problems' }
    assert_equal [%w[unpaired Living\ face\ 4\ is\ internal\ but\ no\ face\ across\ the\ wall\ was\ paired\ with\ it],
                  %w[untyped Bedroom\ face\ 2\ has\ no\ surface\ type],
                  %w[untyped Bedroom\ face\ 2\ has\ no\ outer-shell\ type]],
                 listed.map { |li| [li.attributes['class'], li.text] }
    outlined = all(axo(doc), 'polygon', 'problem').map { |p| title(p).lines.first.strip }
    assert_equal ['Bedroom face 2: no surface type', 'Living face 4: Wall'], outlined.sort
    # b still pairs with a, so the band is drawn, in red.
    assert_equal ['band problem'], all(plans(doc).first, 'polygon', 'band').map { |p| p.attributes['class'] }
  end

  def test_room_without_a_floor
    living, bedroom = draw_flat
    floorless = new_room(bedroom.sketchupFaces - [bedroom.sketchupFaces[0]], number: 3)
    floorless.setText('Store')
    doc = preview([living, floorless])
    assert_equal ['Store has no floor'], all(doc, 'li', 'no_floor').map(&:text)
    group = all(axo(doc), 'g', 'room').find { |g| g.attributes['data-room'] == '3' }
    assert_equal 'room problem', group.attributes['class']
  end

  # Outer-shell faces as the outer-shell pass builds them: on the party
  # wall's mid plane, carrying the door only when the projection kept it.
  def test_opening_on_no_outer_shell_face_is_dropped
    rooms = classify_flat!(draw_flat)
    a, b = @party
    x = W + T / 2
    mid_face = ->(room) { QORTA::QORTA_RoomFace.new(room, QORTA::QORTA_PseudoFace.new(points([[x, 0, 0], [x, D, 0], [x, D, H], [x, 0, H]])), 4) }
    kept = mid_face.call(rooms[1])
    door = QORPlugin::Opening.new(points([[x, DOOR_Y[0], 0], [x, DOOR_Y[1], 0], [x, DOOR_Y[1], DOOR_H], [x, DOOR_Y[0], DOOR_H]]), 'Door')
    kept.doors = [door]
    a.outerShellRoomFaces = [mid_face.call(rooms[0])]
    b.outerShellRoomFaces = [kept]
    doc = preview(rooms)
    assert_equal ['Living face 4: a door is on no outer-shell face'], all(doc, 'li', 'dropped').map(&:text)
    marks = all(plans(doc).first, 'line', 'door')
    assert_equal [['op door', [[4100, -1900], [4100, -1000]]], ['op door dropped problem', [[4100, -1900], [4100, -1000]]]],
                 marks.map { |l| [l.attributes['class'], ends(l)] }.sort
  end

  def test_storeys_by_name_else_by_level
    h = 2.5 * M
    rooms = [[0, 'Ground'], [h + 8, nil], [0, 'Ground'], [h + 10, nil], [2 * h + 16, 'Roof']].each_with_index.map do |(z, name), i|
      room = new_room(box(i * 200, 0, z, i * 200 + 150, 100, z + h), number: i + 1)
      room.levelText = name
      room
    end
    doc = preview(rooms)
    names = all(doc, 'h2').map(&:text) & ['Ground', 'level 2.70 m', 'Roof']
    assert_equal ['Ground', 'level 2.70 m', 'Roof'], names
    assert_equal [2, 2, 1], plans(doc).map { |svg| all(svg, 'g', 'room').length }
  end

  # A name is repeated in the title of each of its room's faces: past 200
  # characters it is shortened, so the page grows with the building, not
  # with the name.
  def test_long_names_are_shortened
    rooms = classify_flat!(draw_flat)
    rooms.first.setText('N' * 100_000)
    rooms.first.levelText = 'S' * 100_000
    html = QORPlugin::Preview.html(rooms: rooms, summary: {}, title: 'Flat')
    assert_includes html, "#{'N' * 199}…"
    assert_includes html, "storey: #{'S' * 199}…"
    refute_includes html, 'N' * 200
    assert_equal 1, html.scan('S' * 100_000).length # the storey's heading
  end

  def test_self_contained
    html = QORPlugin::Preview.html(rooms: classify_flat!(draw_flat), summary: {}, title: 'Flat')
    refute_match(/\b(?:src|href)\s*=|url\(|@import|<link\b/i, html)
    assert_includes html, "default-src 'none'"
  end

  def test_write_replaces_the_file_whole_and_leaves_nothing_else
    rooms = classify_flat!(draw_flat)
    Dir.mktmpdir do |dir|
      path = File.join(dir, 'flat.html')
      File.write(path, 'old')
      QORPlugin::Preview.write(path, rooms: rooms, title: 'Flat')
      assert_equal QORPlugin::Preview.html(rooms: rooms, summary: {}, title: 'Flat'), File.read(path)
      bad_title = Object.new
      def bad_title.to_s = raise(IOError, 'no title')
      assert_raises(IOError) { QORPlugin::Preview.write(path, rooms: rooms, title: bad_title) }
      assert_equal ['flat.html'], Dir.children(dir)
      assert_includes File.read(path), '<title>Flat</title>'
    end
  end
end

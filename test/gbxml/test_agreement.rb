require_relative '../test_helper'
require_relative '../support/gbxml_fixtures'

# The comparison on hand-made typed data: what the file says against what
# our rooms made, counted per surface class.
class GbxmlAgreementTest < QORTest::Case
  Expectation = QORPlugin::Gbxml::Expectation
  Seen = QORPlugin::Gbxml::Agreement::Observation

  def expect(id, klass, types)
    surface = QORPlugin::Gbxml::Surface.new(id, klass, types.keys, [], [], {}, false)
    Expectation.new(surface, [id], types.keys, nil, nil, types: types)
  end

  def agreement(expectations, seen)
    QORPlugin::Gbxml::Agreement.new(expectations) { |e, space| seen.dig(e.surface_id, space) }
  end

  FILE = [
    ['w1', 'ExteriorWall', { 'a' => 'Wall' }],
    ['w2', 'ExteriorWall', { 'a' => 'Wall' }],
    ['mid', 'InteriorFloor', { 'b' => 'Floor', 'a' => 'Ceiling' }],
    ['party', 'InteriorWall', { 'a' => 'Wall', 'b' => 'Wall' }]
  ].freeze

  def file = FILE.map { |id, klass, types| expect(id, klass, types) }

  def all_agree
    {
      'w1' => { 'a' => Seen.new('Wall', true) }, 'w2' => { 'a' => Seen.new('Wall', true) },
      'mid' => { 'b' => Seen.new('Floor', false), 'a' => Seen.new('Ceiling', false) },
      'party' => { 'a' => Seen.new('Wall', false), 'b' => Seen.new('Wall', false) }
    }
  end

  def test_full_agreement_report
    report = agreement(file, all_agree).report('Agreement with t.xml')
    assert_equal <<~TEXT, report
      Agreement with t.xml

      Surface class        Surfaces   Floor/wall/ceiling   External/internal
      ExteriorWall                2      2  100.0 %           2  100.0 %
      InteriorFloor               1      1  100.0 %           1  100.0 %
      InteriorWall                1      1  100.0 %           1  100.0 %
      All                         4      4  100.0 %           4  100.0 %

      Disagreements: none
    TEXT
  end

  # Each change to our side, and the disagreement it must produce; the
  # surface counts once per column however many spaces disagree.
  def test_each_kind_of_disagreement_is_listed_and_counted
    {
      'floor taken for a ceiling above' => [->(s) { s['mid']['b'] = Seen.new('Ceiling', false) },
                                            'mid (InteriorFloor): space "b" has it as its ceiling, the file as its floor', [3, 4]],
      'a face missing from a room' => [->(s) { s['party'].delete('b') },
                                       'party (InteriorWall): no face of space "b" in our rooms', [3, 3]],
      'an inner wall taken as external' => [->(s) { s['party'].each_value { |o| o.external = true } },
                                            'party (InteriorWall): the file has it internal (2 spaces), ours external', [4, 3]],
      'the two sides differ' => [->(s) { s['mid']['a'].external = true },
                                 'mid (InteriorFloor): the file has it internal (2 spaces), ours external in one space and internal in the other', [4, 3]],
      'a face the export did not write' => [->(s) { s['w1']['a'].external = nil },
                                            'w1 (ExteriorWall): the file has it external (1 space), ours not written', [4, 3]]
    }.each do |label, (change, disagreement, (typed, adjacent))|
      seen = all_agree
      change.call(seen)
      result = agreement(file, seen)
      assert_includes result.disagreements, disagreement, label
      assert_equal [4, typed, adjacent], result.total.to_a[1, 3], label
      refute result.complete?, label
    end
  end

  def test_percentages_and_the_list_in_the_report
    seen = all_agree
    seen['w2']['a'] = Seen.new('Floor', true)
    report = agreement(file, seen).report('t')
    assert_includes report, "ExteriorWall                2      1   50.0 %           2  100.0 %\n"
    assert_includes report, "All                         4      3   75.0 %           4  100.0 %\n"
    assert report.end_with?("Disagreements (1):\n  w2 (ExteriorWall): space \"a\" has it as its floor, the file as its wall\n")
  end
end

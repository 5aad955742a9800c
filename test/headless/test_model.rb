require 'minitest/autorun'
require_relative '../../code/Sketchup/Headless/sketchup'

class TestModel < Minitest::Test
  def test_active_model_and_fresh_models
    m1 = Sketchup.new_model
    assert_same m1, Sketchup.active_model
    m1.entities.add_face([0, 0, 0], [1, 0, 0], [0, 1, 0])
    m2 = Sketchup.new_model
    refute_same m1, m2
    assert_equal 0, m2.entities.length
    assert_same m2.entities, m2.active_entities
    Sketchup.active_model = m1
    assert_same m1, Sketchup.active_model
    Sketchup.active_model = nil
    assert_instance_of Sketchup::Model, Sketchup.active_model
  end

  def test_operation_log
    m = Sketchup.new_model
    assert_equal true, m.start_operation('select room', true)
    assert_equal 'select room', m.active_operation
    assert_equal true, m.commit_operation
    assert_nil m.active_operation
    assert_equal false, m.commit_operation, 'nothing left to commit'
    m.start_operation('restore face')
    m.abort_operation
    assert_equal [[:start, 'select room'], [:commit, 'select room'],
                  [:start, 'restore face'], [:abort, 'restore face']], m.operation_log
    m.clear_operation_log
    assert_empty m.operation_log
  end

  # Abort puts back what the operation added, erased or changed; commit
  # keeps it; objects made inside an aborted operation are deleted.
  def test_abort_undoes_and_commit_keeps
    m = Sketchup.new_model
    ents = m.entities
    kept = ents.add_face([0, 0, 0], [4, 0, 0], [4, 4, 0])
    kept.set_attribute('D', 'a', 1)
    edge = kept.edges.first
    m.set_attribute('M', 'x', 1)
    glass = m.materials.add('glass')
    m.start_operation('edit')
    glass.alpha = 0.3
    m.selection.add(kept)
    made = ents.add_face([0, 0, 0], [4, 0, 0], [4, -4, 0])
    kept.reverse!
    kept.material = 'red'
    kept.set_attribute('D', 'a', 2)
    kept.set_attribute('E', 'b', 3)
    edge.soft = true
    m.set_attribute('M', 'x', 2)
    ents.erase_entities(kept.edges.last)
    refute kept.valid?
    assert_equal true, m.abort_operation
    assert kept.valid?
    assert_equal [0.0, 0.0, 1.0], kept.normal.to_a
    assert_nil kept.material
    assert_equal [['D', 1]], kept.attribute_dictionaries.map { |d| [d.name, d['a']] }
    refute edge.soft?
    assert_equal 1, m.get_attribute('M', 'x')
    assert_equal 1.0, glass.alpha
    assert_empty m.selection.to_a
    assert_equal %w[glass], m.materials.map(&:name), 'red, made inside, is gone'
    refute made.valid?
    assert_equal [kept], ents.grep(Sketchup::Face)
    assert_equal 3, ents.grep(Sketchup::Edge).size
    assert_equal [kept], edge.faces
    assert_equal 3, kept.vertices.sum { |v| v.edges.size } / 2
    m.start_operation('keep')
    ents.add_face([0, 0, 0], [4, 0, 0], [4, -4, 0])
    m.commit_operation
    assert_equal false, m.abort_operation
    assert_equal 2, ents.grep(Sketchup::Face).size
  end

  def test_starting_over_an_open_operation_commits_it
    m = Sketchup.new_model
    m.start_operation('a')
    m.start_operation('b')
    m.commit_operation
    assert_equal [[:start, 'a'], [:commit, 'a'], [:start, 'b'], [:commit, 'b']], m.operation_log
  end

  def test_entity_ids_are_per_model
    m1 = Sketchup.new_model
    f1 = m1.entities.add_face([0, 0, 0], [1, 0, 0], [0, 1, 0])
    m2 = Sketchup.new_model
    f2 = m2.entities.add_face([0, 0, 0], [1, 0, 0], [0, 1, 0])
    assert_equal f1.entityID, f2.entityID
    refute_same f1.vertices.first, f2.vertices.first, 'models share nothing'
  end

  def test_selection
    m = Sketchup.new_model
    f = m.entities.add_face([0, 0, 0], [1, 0, 0], [0, 1, 0])
    assert m.selection.empty?
    m.selection.add(f)
    m.selection.add(f)
    assert_equal [f], m.selection.to_a
    m.selection.toggle(f)
    assert_equal 0, m.selection.length
  end
end

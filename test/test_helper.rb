# Loads the headless modeller, the extension and the plug-in side, and gives
# the tests a fresh model each.
require 'minitest/autorun'

ROOT = File.expand_path('..', __dir__)
require File.join(ROOT, 'code/Sketchup/Headless/sketchup')
require File.join(ROOT, 'code/Sketchup/Plugin/plugin')
require_relative 'support/model_builder'

module QORTest
  # QOR_GC_STRESS=1 runs every test body with the collector running at every
  # allocation, to catch Ruby values the extension keeps where it cannot see.
  module GCStress
    # QOR_GC_STRESS=full collects fully at every allocation (slow); any
    # other value runs a minor collection at every allocation, which is
    # what frees the young objects a missing root would lose.
    def self.level
      ENV['QOR_GC_STRESS'] == 'full' ? true : 0x01
    end

    def after_setup
      super
      GC.stress = QORTest::GCStress.level if ENV['QOR_GC_STRESS'] && !self.class.gc_stress_excluded?(name)
    end

    def self.included(base)
      base.extend(ClassMethods)
    end

    module ClassMethods
      # Tests that only churn plain Ruby objects, too slow to stress.
      def no_gc_stress(*names)
        (@no_gc_stress ||= []).concat(names.map(&:to_s))
      end

      def gc_stress_excluded?(name)
        (@no_gc_stress || []).include?(name) ||
          (superclass.respond_to?(:gc_stress_excluded?) && superclass.gc_stress_excluded?(name))
      end
    end

    def before_teardown
      GC.stress = false
      super
    end
  end

  class Case < Minitest::Test
    include GCStress
    include ModelBuilder

    def setup
      super
      @model = fresh_model
      QORPlugin.prepare(@model)
    end

    def pt(x, y, z = 0)
      Geom::Point3d.new(x, y, z)
    end

    def assert_float(expected, actual, delta = 1e-9, msg = nil)
      assert_in_delta(expected, actual, delta, msg)
    end
  end
end

require 'minitest/autorun'
require_relative '../../code/Sketchup/Headless/sketchup'

class TestNumericUnits < Minitest::Test
  def test_from_inches
    assert_in_delta 0.0254, 1.to_m, 1e-15
    assert_in_delta 2.54, 100.0.to_m, 1e-12
    assert_in_delta 25.4, 10.to_cm, 1e-12
    assert_in_delta 254.0, 10.to_mm, 1e-12
    assert_in_delta 2.0, 24.to_feet, 1e-12
  end

  def test_to_inches_round_trip
    assert_in_delta 39.37007874, 1.m, 1e-8
    assert_in_delta 1.0, 2.54.cm, 1e-12
    assert_in_delta 1.0, 25.4.mm, 1e-12
    assert_in_delta 36.0, 3.feet, 1e-12
    assert_equal 7.0, 7.inch
    [0.3, 12.0, 1234.5].each { |x| assert_in_delta x, x.m.to_m, 1e-9 }
  end

  def test_angles
    assert_in_delta Math::PI, 180.degrees, 1e-12
    assert_in_delta 90.0, (Math::PI / 2).radians, 1e-12
  end
end

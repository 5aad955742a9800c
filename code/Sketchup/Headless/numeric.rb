# Length conversions. The internal unit is the inch; to_* convert from
# inches, the bare names convert to inches. Results are Floats.
class Numeric
  INCHES_PER = {
    m: 1.0 / 0.0254, cm: 1.0 / 2.54, mm: 1.0 / 25.4, km: 1000.0 / 0.0254,
    feet: 12.0, yard: 36.0, inch: 1.0
  }.freeze
  private_constant :INCHES_PER

  def to_m = to_f * 0.0254
  def to_cm = to_f * 2.54
  def to_mm = to_f * 25.4
  def to_km = to_f * 0.0000254
  def to_feet = to_f / 12.0
  def to_yard = to_f / 36.0
  def to_inch = to_f
  def to_l = to_f

  def m = to_f * INCHES_PER[:m]
  def cm = to_f * INCHES_PER[:cm]
  def mm = to_f * INCHES_PER[:mm]
  def km = to_f * INCHES_PER[:km]
  def feet = to_f * INCHES_PER[:feet]
  def yard = to_f * INCHES_PER[:yard]
  def inch = to_f

  # Angle helpers of the modeller.
  def degrees = to_f * Math::PI / 180.0
  def radians = to_f * 180.0 / Math::PI
end

# Which road the extension's passes take (see docs/plain_road.md).
module QORPlugin
  # true: every pair tested as the algorithms are written; false (the
  # default): each face's numbers read once and an index picks the pairs.
  def self.plain_road=(on)
    QORTA.instance_variable_set(:@plainRoad, on ? true : false)
  end

  def self.plain_road?
    QORTA.instance_variable_get(:@plainRoad) == true
  end

  # Runs the block on the given road, then restores the previous one.
  def self.on_road(plain)
    before = plain_road?
    self.plain_road = plain
    yield
  ensure
    self.plain_road = before
  end
end

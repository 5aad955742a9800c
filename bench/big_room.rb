module QORBench
  # One room of n walls: an n-sided floor and ceiling on a circle.
  def self.big_room(walls)
    radius = walls * 12.0 / (2 * Math::PI) # about a foot of wall each
    vertices = {}
    walls.times do |i|
      a = 2 * Math::PI * i / walls
      vertices["b#{i}"] = [radius * Math.cos(a), radius * Math.sin(a), 0.0]
      vertices["t#{i}"] = [radius * Math.cos(a), radius * Math.sin(a), 100.0]
    end
    ring = (0...walls).to_a
    sides = ring.map { |i| { 'id' => "w#{i}", 'outer' => ["b#{i}", "b#{(i + 1) % walls}", "t#{(i + 1) % walls}", "t#{i}"] } }
    faces = [{ 'id' => 'floor', 'outer' => ring.reverse.map { |i| "b#{i}" } },
             { 'id' => 'ceiling', 'outer' => ring.map { |i| "t#{i}" } }] + sides
    { 'name' => "One room of #{walls} walls", 'units' => 'in', 'vertices' => vertices, 'faces' => faces,
      'rooms' => [{ 'id' => '1', 'name' => 'Hall', 'faces' => faces.map { |f| f['id'] } }] }
  end
end

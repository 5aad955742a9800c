require 'json'
require 'tmpdir'

# Building files for the loader and exporter tests: a minimal valid one as
# a Hash to mutate, written to a temporary folder.
module QORTest
  module BuildingFileBuilder
    EXAMPLES = File.join(ROOT, 'examples')

    # One 100 x 80 x 50 inch box room, a window pane in its south wall.
    def minimal_building
      {
        'units' => 'in',
        'materials' => [{ 'id' => 'glass', 'alpha' => 0.5 }],
        'vertices' => {
          'a' => [0, 0, 0], 'b' => [100, 0, 0], 'c' => [100, 80, 0], 'd' => [0, 80, 0],
          'e' => [0, 0, 50], 'f' => [100, 0, 50], 'g' => [100, 80, 50], 'h' => [0, 80, 50],
          'w1' => [20, 0, 10], 'w2' => [40, 0, 10], 'w3' => [40, 0, 30], 'w4' => [20, 0, 30]
        },
        'faces' => [
          { 'id' => 'floor', 'outer' => %w[a d c b] },
          { 'id' => 'ceiling', 'outer' => %w[e f g h] },
          { 'id' => 'south', 'outer' => %w[a b f e], 'holes' => [%w[w1 w2 w3 w4]] },
          { 'id' => 'east', 'outer' => %w[b c g f] },
          { 'id' => 'north', 'outer' => %w[c d h g] },
          { 'id' => 'west', 'outer' => %w[d a e h] }
        ],
        'windows' => [{ 'id' => 'pane', 'face' => 'south', 'front' => 'glass' }],
        'rooms' => [{ 'id' => 'r1', 'name' => 'Box', 'faces' => %w[floor ceiling south east north west] }]
      }
    end

    def tmpdir
      @tmpdir ||= Dir.mktmpdir('qor-rooms')
    end

    def write_building(doc, name = 'building.json')
      path = File.join(tmpdir, name)
      File.write(path, doc.is_a?(String) ? doc : JSON.pretty_generate(doc))
      path
    end

    def remove_tmpdir
      FileUtils.remove_entry(@tmpdir) if @tmpdir
      @tmpdir = nil
    end

    # Runs the command line; answers [status, stdout, stderr].
    def qor_rooms(*argv)
      out = StringIO.new
      err = StringIO.new
      status = QORPlugin::CLI::Dispatcher.new.run(argv, out, err)
      [status, out.string, err.string]
    end
  end
end

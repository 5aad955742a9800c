require_relative '../test_helper'
require_relative '../support/building_file_builder'
require File.join(ROOT, 'code/Sketchup/Plugin/cli/dispatcher')

# Where the commands write: links, FIFOs and devices, existing files'
# modes, outputs that name the input, and all outputs or none.
class OutputTargetsTest < QORTest::Case
  include QORTest::BuildingFileBuilder

  GBXML = File.join(ROOT, 'test/fixtures/gbxml/box.xml')

  def setup
    super
    @building = write_building(minimal_building)
  end

  def teardown
    remove_tmpdir
    super
  end

  def path(name) = File.join(tmpdir, name)

  def export_to(*args) = qor_rooms(@building, '-q', *args)

  def test_fifo_and_device_are_written_through_not_replaced
    fifo = path('fifo')
    File.mkfifo(fifo)
    reader = Thread.new { File.read(fifo) }
    assert_equal 0, export_to('-o', fifo).first
    assert_equal 'fifo', File.ftype(fifo)
    assert_match(%r{</Spaces>\n\z}, reader.value)
    skip 'making a device node needs root' unless Process.uid.zero?
    null = path('null')
    assert system('mknod', null, 'c', '1', '3')
    assert_equal 0, export_to('-o', null, '--preview', path('p.html')).first
    assert_equal 'characterSpecial', File.ftype(null)
  end

  def test_symbolic_link_keeps_the_link_and_writes_its_target
    File.write(path('real.xml'), 'old')
    File.symlink('real.xml', path('link.xml'))
    File.symlink('missing.xml', path('dangling.xml'))
    assert_equal 0, export_to('-o', path('link.xml')).first
    assert_equal 0, export_to('-o', path('dangling.xml')).first
    assert File.symlink?(path('link.xml')) && File.symlink?(path('dangling.xml'))
    assert_match(/<Spaces /, File.read(path('real.xml')))
    assert_equal File.read(path('real.xml')), File.read(path('missing.xml'))
  end

  def test_an_output_naming_the_input_is_misuse
    gbxml = path('box.xml')
    FileUtils.cp(GBXML, gbxml)
    File.symlink('building.json', path('alias.json'))
    [['import', gbxml, '-o', gbxml], [@building, '-o', path('alias.json')], [@building, '--preview', @building],
     [@building, '-o', path('x.xml'), '--preview', path('x.xml')]].each do |argv|
      status, out, err = qor_rooms(*argv)
      assert_equal [2, ''], [status, out], argv.inspect
      assert_match(/\Aqor-rooms: invalid argument: (-o|--preview) .* is (the input file|also -o)\nusage: /, err)
    end
    assert_equal File.read(GBXML), File.read(gbxml)
    assert_equal %w[alias.json box.xml building.json], Dir.children(tmpdir).sort
  end

  def test_rewritten_outputs_keep_their_mode_and_new_ones_get_the_usual_one
    outputs = { 'out.xml' => 0o600, 'page.html' => 0o640, 'box.json' => 0o600 }
    outputs.each { |name, mode| File.write(path(name), 'old'); File.chmod(mode, path(name)) }
    assert_equal 0, export_to('-o', path('out.xml'), '--preview', path('page.html')).first
    assert_equal 0, qor_rooms('import', GBXML, '-q', '-o', path('box.json')).first
    outputs.each { |name, mode| assert_equal mode, File.stat(path(name)).mode & 0o777, name }
    export_to('-o', path('new.xml'))
    assert_equal 0o666 & ~File.umask, File.stat(path('new.xml')).mode & 0o777
  end

  def test_a_failing_output_writes_nothing_and_is_named
    missing = path('no/such/page.html')
    [['-o', path('out.xml')], []].each do |target|
      status, out, err = export_to(*target, '--preview', missing)
      assert_equal [1, ''], [status, out], target.inspect
      assert_equal "qor-rooms: cannot write #{missing}: No such file or directory\n", err
      assert_equal ['building.json'], Dir.children(tmpdir)
    end
  end

  def test_temporary_files_a_killed_run_left_are_removed_next_time
    dead = Process.spawn('true').tap { |pid| Process.wait(pid) }
    stale = path(".out.xml.#{dead}.1a2b.tmp")
    live = path(".out.xml.#{Process.ppid}.3c4d.tmp")
    other = path(".other.xml.#{dead}.5e6f.tmp")
    [stale, live, other].each { |f| File.write(f, 'partial') }
    assert_equal 0, export_to('-o', path('out.xml')).first
    assert_equal [live, other, path('out.xml'), @building].map { |f| File.basename(f) }.sort, Dir.children(tmpdir).sort
  end
end

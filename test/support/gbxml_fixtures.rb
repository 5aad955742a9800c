require File.join(ROOT, 'code/Sketchup/Plugin/gbxml')

# The hand-written gbXML files of test/fixtures/gbxml, imported as the
# commands import them.
module QORTest
  module GbxmlFixtures
    GBXML_FIXTURES = File.join(ROOT, 'test', 'fixtures', 'gbxml')
    GOOD_FIXTURES = %w[box two-spaces-door two-storey roof-skylight curtain-wall cabin-feet cabin-metres].freeze

    def fixture(name) = File.join(GBXML_FIXTURES, name.end_with?('.xml') ? name : "#{name}.xml")

    def import_fixture(name) = QORPlugin::Gbxml::Importer.import_file(fixture(name))

    # The box fixture changed by the block (text in, text out), imported.
    def import_text(text, file = 'edited.xml')
      reader = QORPlugin::Gbxml::Reader.new(text, file)
      QORPlugin::Gbxml::Importer.new(reader.document, file).run
    end

    def box_text = File.read(fixture('box'))

    def coordinates(*xyz) = xyz.map { |c| "<Coordinate>#{c}</Coordinate>" }.join
  end
end

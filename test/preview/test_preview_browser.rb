require 'tmpdir'
require_relative '../test_helper'
require_relative '../support/flat_builder'
require_relative '../support/headless_browser'
require_relative '../support/png_pixels'
require_relative '../../code/Sketchup/Plugin/preview/preview'
require 'rexml/document'
require File.join(ROOT, 'code/Sketchup/Plugin/cli/dispatcher')

# The preview as a user sees it, in headless Chromium: it loads without a
# console message, fetches nothing, and draws something.  Skipped where no
# Chromium is installed (scripts/setup.sh installs it).
class PreviewBrowserTest < QORTest::Case
  include QORTest::FlatBuilder
  no_gc_stress :test_flat_preview_in_the_browser, :test_the_browser_checks_catch_faults,
               :test_preview_of_each_bundled_example, :test_only_the_pages_own_script_runs

  def setup
    super
    skip 'chromium is not installed' unless QORTest::HeadlessBrowser.executable
  end

  def visit(html)
    Dir.mktmpdir do |dir|
      path = File.join(dir, 'preview.html')
      File.write(path, html)
      visit = QORTest::HeadlessBrowser.visit(path, dir)
      assert File.exist?(visit.screenshot), "no screenshot; browser log:\n#{visit.log}"
      yield visit, QORTest::PngPixels.new(visit.screenshot)
    end
  end

  def test_flat_preview_in_the_browser
    html = QORPlugin::Preview.html(rooms: classify_flat!(draw_flat), summary: {}, title: 'Two-room flat')
    visit(html) do |page, image|
      assert_empty page.console
      assert_empty page.requests
      drawn, colours = image.coverage
      assert_operator drawn, :>, 0.05, 'screenshot nearly blank'
      assert_operator colours, :>, 8, 'screenshot nearly blank'
    end
  end

  # Each bundled example exported with --preview: one room group per Space
  # and one face element per room face the export wrote (the inner shells;
  # with thin walls, which empty them, the outer shells), and the page clean
  # in the browser.
  def test_preview_of_each_bundled_example
    Dir[File.join(ROOT, 'examples', '*.json')].sort.each do |example|
      Dir.mktmpdir do |dir|
        xml_path = File.join(dir, 'out.xml')
        html_path = File.join(dir, 'preview.html')
        status = QORPlugin::CLI::Dispatcher.new.run([example, '-q', '-o', xml_path, '--preview', html_path],
                                                    StringIO.new, StringIO.new)
        assert_equal 0, status, example
        export = REXML::Document.new(File.read(xml_path))
        axo = REXML::XPath.first(REXML::Document.new(File.read(html_path)), "//*[local-name()='svg'][contains(@class,'axo')]")
        groups = REXML::XPath.match(axo, ".//*[local-name()='g'][contains(@class,'room')]")
        faces = REXML::XPath.match(axo, ".//*[local-name()='polygon'][contains(@class,'face')]")
        assert_equal export.get_elements('//Space').length, groups.length, example
        written = export.get_elements('//InnerShell/Face')
        written = export.get_elements('//OuterShell/Face') if written.empty?
        assert_equal written.length, faces.length, example
        page = QORTest::HeadlessBrowser.visit(html_path, dir)
        assert_empty page.console, example
        assert_empty page.requests, example
        assert_operator QORTest::PngPixels.new(page.screenshot).coverage.first, :>, 0.05, example
      end
    end
  end

  # The page's own script runs (a refused one would log the refusal); one
  # that found its way into the page is refused.
  def test_only_the_pages_own_script_runs
    html = QORPlugin::Preview.html(rooms: classify_flat!(draw_flat), summary: {}, title: 'Flat')
    visit(html.sub('</body>', "<script>console.log('injected script ran')</script></body>")) do |page, _|
      assert_equal 1, page.console.length, page.console.inspect
      assert_match(/Content Security Policy/, page.console.first)
    end
  end

  # A page with an uncaught error, an image from the network and nothing
  # drawn: each check must see its fault.
  def test_the_browser_checks_catch_faults
    html = '<!DOCTYPE html><html><body><img src="http://127.0.0.1:9/x.png" alt=""/>' \
           '<script>throw new Error("preview fault")</script></body></html>'
    visit(html) do |page, image|
      assert(page.console.any? { |m| m.include?('preview fault') }, page.console.inspect)
      assert_equal ['http://127.0.0.1:9/x.png'], page.requests
      assert_operator image.coverage.first, :<, 0.001
    end
  end
end

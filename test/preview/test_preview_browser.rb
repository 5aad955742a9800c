require 'tmpdir'
require_relative '../test_helper'
require_relative '../support/flat_builder'
require_relative '../support/headless_browser'
require_relative '../support/png_pixels'
require_relative '../../code/Sketchup/Plugin/preview/preview'

# The preview as a user sees it, in headless Chromium: it loads without a
# console message, fetches nothing, and draws something.  Skipped where no
# Chromium is installed (scripts/setup.sh installs it).
class PreviewBrowserTest < QORTest::Case
  include QORTest::FlatBuilder
  no_gc_stress :test_flat_preview_in_the_browser, :test_the_browser_checks_catch_faults

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

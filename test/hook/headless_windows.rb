# Loads the test-only driver of the simulated window system from the folder
# the extension was loaded from: the two must share one copy of the window
# system library.
require_relative '../test_helper'

module HeadlessWindowsLoader
  def self.load!
    return if defined?(::HeadlessWindows)
    ext = $LOADED_FEATURES.find { |f| File.basename(f) == "#{QORModuleLoader.library_name}.so" }
    raise LoadError, 'the room extension is not loaded' unless ext
    support = File.join(File.dirname(ext), 'qor_hook_test_support.so')
    raise LoadError, "#{support} not built (test/hook/CMakeLists.txt)" unless File.exist?(support)
    require support
  end
end

HeadlessWindowsLoader.load!

# Loads the room extension built for the running interpreter.
#
# The library is named after the interpreter: QORModule_<major>_<minor>,
# with _x64 on 64-bit processes (QORModule_3_1_x64.so for Ruby 3.1 on x86-64).
module QORModuleLoader
  ROOT = File.expand_path('../../..', __dir__)

  def self.library_name
    major, minor = RUBY_VERSION.split('.')
    name = "QORModule_#{major}_#{minor}"
    name += '_x64' if [nil].pack('p').bytesize == 8
    name
  end

  # Folders searched, in order: QOR_MODULE_DIR, then the build tree.
  def self.search_path
    [ENV['QOR_MODULE_DIR'] && File.expand_path(ENV['QOR_MODULE_DIR']), File.join(ROOT, 'build', 'native', 'lib')].compact
  end

  def self.load!
    return true if defined?(::QORTA::QORTA_Room)
    dir = search_path.find { |d| File.exist?(File.join(d, "#{library_name}.so")) }
    unless dir
      raise LoadError, "#{library_name}.so not found in #{search_path.join(', ')} " \
                       '(build it first: scripts/setup.sh)'
    end
    require File.join(dir, library_name)
  end
end

QORModuleLoader.load!

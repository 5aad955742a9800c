# The window hook of a release build on a real window, under Wine:
#
#   ruby test/release/window_hook.rb LIBRARY WINDOW_PROBE
#
# The probe (window_probe.cpp) opens a top-level window standing for the
# modeller's main window and puts it in front before the library loads, as
# the modeller is when the plug-in loads the extension; the library then
# hooks that window through the real window services.  Written in the Ruby
# every release interpreter accepts; prints "ok - ..." / "not ok - ..." and
# "N passed, M failed".
library, probe = ARGV
abort('usage: window_hook.rb LIBRARY WINDOW_PROBE') unless library && probe

$LOAD_PATH.unshift(File.dirname(File.expand_path(__FILE__)))
require 'checks'

WM_COMMAND = 0x0111
WM_MENUSELECT = 0x011F
WM_EXITMENULOOP = 0x0212
WM_USER = 0x0400
OWN_RESULT = 0x5EED
KEY_O = 0x4F
KEY_A = 0x41
MESSAGE_NAME = 'D0E2B385-6C9B-44ea-9D75-9DA52EAA3258_QORMsg'

# The scripts' side: records what the hook calls.
class Scripts
  attr_reader :events
  def initialize
    @events = []
  end
  def makePluginFacesDictionary(lparam, wparam)
    @events << [:makePluginFacesDictionary, lparam, wparam]
  end
  def callFromSubclassWnd
    @events << [:callFromSubclassWnd]
  end
  def take
    e = @events
    @events = []
    e
  end
end

module Geom; end
require probe
window = WindowProbe.open
front = WindowProbe.foreground
require library
scripts = Scripts.new
$object_Sketchup_active_model = scripts
registered = WindowProbe.register(MESSAGE_NAME)

check('the window in front at load is the one published and hooked') do
  same(window, front) && same(window, $hwndSketchup) && same(registered, $qorSubclassMsg)
end
check('subclass and unsubclass answer for their state and swap the procedure') do
  same(false, QORTA.unsubclass) && same(true, WindowProbe.original?) &&
    same(true, QORTA.subclass) && same(false, WindowProbe.original?) &&
    same(false, QORTA.subclass) && same(true, QORTA.unsubclass) &&
    same(true, WindowProbe.original?) && same(true, QORTA.subclass)
end
check('menu select and command reach the script, lparam first, and then the window') do
  WindowProbe.delivered
  r1 = WindowProbe.send(WM_MENUSELECT, 0x1234, 0x5678)
  r2 = WindowProbe.send(WM_COMMAND, 7, 9)
  same([OWN_RESULT, OWN_RESULT], [r1, r2]) &&
    same([[:makePluginFacesDictionary, 0x5678, 0x1234], [:makePluginFacesDictionary, 9, 7]], scripts.take) &&
    same([[WM_MENUSELECT, 0x1234, 0x5678], [WM_COMMAND, 7, 9]], WindowProbe.delivered)
end
check('a command while O is down makes no call but reaches the window') do
  WindowProbe.key(KEY_O, true)
  WindowProbe.send(WM_COMMAND, 1, 2)
  WindowProbe.key(KEY_O, false)
  held = scripts.take
  # O was pressed since the last query: the next command is let through
  # only once that has been read.
  WindowProbe.send(WM_COMMAND, 3, 4)
  WindowProbe.key(KEY_A, true)
  WindowProbe.send(WM_COMMAND, 5, 6)
  WindowProbe.key(KEY_A, false)
  later = scripts.take
  same([], held) && same([:makePluginFacesDictionary, 6, 5], later.last) &&
    same(3, WindowProbe.delivered.length)
end
check('the registered message calls the script once each and is passed on') do
  3.times { |i| WindowProbe.send(registered, i, -i) }
  same([[:callFromSubclassWnd]] * 3, scripts.take) &&
    same([[registered, 0, 0], [registered, 1, -1], [registered, 2, -2]], WindowProbe.delivered)
end
check('menu exit with $inMenu true: a timer clears it once, after half a second') do
  $inMenu = true
  $inMenuGuard = true
  WindowProbe.send(WM_EXITMENULOOP, 0, 0)
  guard_cleared = $inMenuGuard
  WindowProbe.pump(150)
  early = $inMenu
  WindowProbe.pump(1200)
  cleared = $inMenu
  $inMenu = true
  WindowProbe.pump(800)
  same([false, true, false, true], [guard_cleared, early, cleared, $inMenu])
end
check('a guard other than false keeps $inMenu') do
  $inMenu = true
  WindowProbe.send(WM_EXITMENULOOP, 0, 0)
  $inMenuGuard = 0
  WindowProbe.pump(1200)
  kept = $inMenu
  $inMenuGuard = false
  $inMenu = false
  same(true, kept)
end
check('menu exit with $inMenu not exactly true arms no timer') do
  $inMenu = 1
  WindowProbe.send(WM_EXITMENULOOP, 0, 0)
  WindowProbe.pump(1200)
  result = $inMenu
  $inMenu = false
  WindowProbe.delivered
  same(1, result)
end
check('an error raised by the script reaches the sender after the window had the message') do
  failing = IOError.new('message boom')
  (class << scripts; self; end).send(:define_method, :callFromSubclassWnd) { raise failing }
  e = raised { WindowProbe.send(registered, 5, 6) }
  same(true, e.equal?(failing)) && same([[registered, 5, 6]], WindowProbe.delivered)
end
check('a throw from the script reaches its catch after the window had the message') do
  (class << scripts; self; end).send(:define_method, :makePluginFacesDictionary) { |l, w| throw :menu, :thrown }
  # 2.0 ends a throw that leaves the script's fiber as an ArgumentError
  # naming the tag, with no class that keeps the tag: that error reaches
  # the sender instead, once the window had the message.
  if RUBY_VERSION >= '2.0' && RUBY_VERSION < '2.2'
    e = raised { catch(:menu) { WindowProbe.send(WM_MENUSELECT, 7, 8) } }
    next same([ArgumentError, true], [e.class, (e.message =~ /uncaught throw :menu/) ? true : false]) &&
         same([[WM_MENUSELECT, 7, 8]], WindowProbe.delivered)
  end
  got = catch(:menu) do
    WindowProbe.send(WM_MENUSELECT, 7, 8)
    :not_thrown
  end
  # Before fibers (1.8) a throw cannot be carried past the window system:
  # the interpreter warns and the sender goes on.
  expected = RUBY_VERSION < '1.9' ? :not_thrown : :thrown
  same(expected, got) && same([[WM_MENUSELECT, 7, 8]], WindowProbe.delivered)
end
check('still hooked and working afterwards; unsubclass restores the window') do
  (class << scripts; self; end).send(:define_method, :makePluginFacesDictionary) { |l, w| @events << [:menu, l, w] }
  r = WindowProbe.send(WM_MENUSELECT, 1, 2)
  same(OWN_RESULT, r) && same([[:menu, 2, 1]], scripts.take) &&
    same(true, QORTA.unsubclass) && same(true, WindowProbe.original?) &&
    same(OWN_RESULT, WindowProbe.send(WM_USER, 0, 0)) && same([], scripts.take)
end

finish_checks

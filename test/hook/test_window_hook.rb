require_relative 'headless_windows'

# The window hook against the simulated host window: what reaches the
# scripts, what reaches the host's own procedure, and the menu timer.
class WindowHookTest < QORTest::Case
  WM_COMMAND = 0x0111
  WM_MENUSELECT = 0x011F
  WM_EXITMENULOOP = 0x0212
  WM_PAINT = 0x000F
  KEY_O = 0x4F
  KEY_H = 0x48
  KEY_Z = 0x5A
  DOWN = -0x8000 # bit 15 of a short
  PRESSED_SINCE_LAST_QUERY = 1
  MESSAGE_NAME = 'D0E2B385-6C9B-44ea-9D75-9DA52EAA3258_QORMsg'
  WORD_BITS = [nil].pack('p').bytesize * 8

  def setup
    super
    QORTA.unsubclass
    HeadlessWindows.reset
    $inMenu = false
    $inMenuGuard = false
  end

  def teardown
    QORTA.unsubclass
    HeadlessWindows.reset
    $inMenu = false
    $inMenuGuard = false
    super
  end

  def events
    @model.qor_window_events
  end

  def send_message(message, wparam = 0, lparam = 0)
    HeadlessWindows.send_message(message, wparam, lparam)
  end

  def registered
    HeadlessWindows.register_message(MESSAGE_NAME)
  end

  def test_subclass_and_unsubclass_are_refused_in_the_wrong_state
    assert_equal false, QORTA.unsubclass, 'nothing to undo at first'
    assert HeadlessWindows.original?
    assert_equal true, QORTA.subclass
    refute HeadlessWindows.original?
    assert_equal false, QORTA.subclass
    assert_equal true, QORTA.unsubclass
    assert HeadlessWindows.original?, 'the host procedure is back in the slot'
    assert_equal false, QORTA.unsubclass
    assert_equal true, QORTA.subclass, 'hooking again after unhooking'
  end

  def test_unhooked_window_reaches_no_script
    send_message(WM_MENUSELECT, 1, 2)
    QORTA.subclass
    QORTA.unsubclass
    send_message(WM_MENUSELECT, 3, 4)
    send_message(registered)
    assert_empty events
    assert_equal [[WM_MENUSELECT, 1, 2], [WM_MENUSELECT, 3, 4], [registered, 0, 0]],
                 HeadlessWindows.delivered
  end

  def test_menu_select_and_command_call_the_script_with_lparam_first
    QORTA.subclass
    result = rand(1..1 << 30)
    HeadlessWindows.original_result = result
    assert_equal result, send_message(WM_MENUSELECT, 0x1234, 0x5678), "the host's answer"
    assert_equal result, send_message(WM_COMMAND, 7, 9)
    send_message(WM_PAINT, 5, 6)
    assert_equal [[:makePluginFacesDictionary, 0x5678, 0x1234],
                  [:makePluginFacesDictionary, 9, 7]], events
    assert_equal [[WM_MENUSELECT, 0x1234, 0x5678], [WM_COMMAND, 7, 9], [WM_PAINT, 5, 6]],
                 HeadlessWindows.delivered
  end

  def test_parameters_arrive_as_signed_pointer_width_integers
    QORTA.subclass
    max = 2**(WORD_BITS - 1) - 1
    min = -2**(WORD_BITS - 1)
    send_message(WM_MENUSELECT, max, -1)
    send_message(WM_MENUSELECT, min, max)
    send_message(WM_MENUSELECT, 2**WORD_BITS - 1, 2**(WORD_BITS - 1)) # unsigned words
    assert_equal [[:makePluginFacesDictionary, -1, max],
                  [:makePluginFacesDictionary, max, min],
                  [:makePluginFacesDictionary, min, -1]], events
    assert_equal [[WM_MENUSELECT, max, -1], [WM_MENUSELECT, min, max], [WM_MENUSELECT, -1, min]],
                 HeadlessWindows.delivered, 'passed on unchanged'
  end

  def test_command_with_o_h_or_z_makes_no_call_but_reaches_the_host
    QORTA.subclass
    [KEY_O, KEY_H, KEY_Z].each do |key|
      [DOWN, PRESSED_SINCE_LAST_QUERY].each do |state|
        HeadlessWindows.reset
        HeadlessWindows.set_key_state(key, state)
        send_message(WM_COMMAND, key, state)
        assert_empty events, "key #{key.chr} state #{state}"
        assert_equal [[WM_COMMAND, key, state]], HeadlessWindows.delivered
      end
    end
    HeadlessWindows.reset
    HeadlessWindows.set_key_state('A'.ord, DOWN)
    send_message(WM_COMMAND, 1, 2)
    assert_equal [[:makePluginFacesDictionary, 2, 1]], events, 'other keys do not count'
  end

  def test_command_key_test_stops_at_the_first_key_down
    QORTA.subclass
    # O held; H was pressed and released.  While O is down H is not read, so
    # its "pressed since last query" survives to suppress the next command.
    HeadlessWindows.set_key_state(KEY_O, DOWN)
    HeadlessWindows.set_key_state(KEY_H, PRESSED_SINCE_LAST_QUERY)
    send_message(WM_COMMAND, 1, 1)
    HeadlessWindows.set_key_state(KEY_O, 0)
    send_message(WM_COMMAND, 2, 2)
    send_message(WM_COMMAND, 3, 3)
    assert_equal [[:makePluginFacesDictionary, 3, 3]], events
    assert_equal 3, HeadlessWindows.delivered.size
  end

  def test_menu_exit_arms_no_timer_unless_in_menu_is_exactly_true
    QORTA.subclass
    guard = Object.new
    [false, nil, 1, 'true', :true].each do |value|
      $inMenu = value
      $inMenuGuard = guard
      send_message(WM_EXITMENULOOP)
      assert_equal 0, HeadlessWindows.pending_timers, "$inMenu = #{value.inspect}"
      assert_same guard, $inMenuGuard
      assert_same value, $inMenu
    end
    assert_equal 5, HeadlessWindows.delivered.size
    assert_empty events
  end

  def test_menu_timer_clears_in_menu_once_after_half_a_second
    QORTA.subclass
    $inMenu = true
    $inMenuGuard = true
    send_message(WM_EXITMENULOOP)
    assert_equal false, $inMenuGuard, 'the guard is cleared when the timer is armed'
    assert_equal 1, HeadlessWindows.pending_timers
    assert_equal [[WM_EXITMENULOOP, 0, 0]], HeadlessWindows.delivered
    assert_equal 0, HeadlessWindows.advance(499)
    assert_equal true, $inMenu
    assert_equal 1, HeadlessWindows.advance(1)
    assert_equal false, $inMenu
    assert_equal 0, HeadlessWindows.pending_timers, 'one tick only'
    $inMenu = true
    assert_equal 0, HeadlessWindows.advance(2000)
    assert_equal true, $inMenu
  end

  def test_guard_other_than_false_keeps_in_menu
    QORTA.subclass
    [true, nil, 0, Object.new].each do |guard|
      $inMenu = true
      send_message(WM_EXITMENULOOP)
      $inMenuGuard = guard
      assert_equal 1, HeadlessWindows.advance(500)
      assert_equal true, $inMenu, "$inMenuGuard = #{guard.inspect}"
      assert_same guard, $inMenuGuard
      assert_equal 0, HeadlessWindows.pending_timers
    end
  end

  def test_each_menu_exit_has_its_own_timer
    QORTA.subclass
    $inMenu = true
    send_message(WM_EXITMENULOOP)
    HeadlessWindows.advance(200)
    send_message(WM_EXITMENULOOP)
    assert_equal 2, HeadlessWindows.pending_timers
    assert_equal 1, HeadlessWindows.advance(300)
    assert_equal false, $inMenu
    $inMenu = true # a new menu opened before the second timer is due
    assert_equal 1, HeadlessWindows.advance(200)
    assert_equal false, $inMenu
    assert_equal 0, HeadlessWindows.pending_timers
  end

  def test_registered_message_calls_the_script_once_each_and_is_passed_on
    assert_equal registered, $qorSubclassMsg, 'published at load'
    refute_equal 0, registered
    QORTA.subclass
    3.times { |i| send_message(registered, i, -i) }
    assert_equal [[:callFromSubclassWnd]] * 3, events
    assert_equal [[registered, 0, 0], [registered, 1, -1], [registered, 2, -2]],
                 HeadlessWindows.delivered
  end

  def test_published_globals_reassigned_by_scripts_are_not_used
    assert_equal HeadlessWindows.host_window, $hwndSketchup, 'published at load'
    saved = [$hwndSketchup, $qorSubclassMsg]
    $hwndSketchup = HeadlessWindows.host_window + 1
    $qorSubclassMsg = WM_PAINT
    assert_equal true, QORTA.subclass
    refute HeadlessWindows.original?, 'the captured window was hooked'
    send_message(WM_PAINT)
    send_message(registered)
    assert_equal [[:callFromSubclassWnd]], events
    assert_equal true, QORTA.unsubclass
    assert HeadlessWindows.original?
  ensure
    $hwndSketchup, $qorSubclassMsg = saved
  end

  def test_scripts_are_called_on_the_current_active_model
    QORTA.subclass
    other = Sketchup.new_model
    $object_Sketchup_active_model = other
    send_message(WM_MENUSELECT, 1, 2)
    assert_equal [[:makePluginFacesDictionary, 2, 1]], other.qor_window_events
    assert_empty events
  end

  # A script method's error or exit leaves it, the host's procedure still
  # has the message, and the error or exit then goes on to the Ruby code
  # that sent the message, unchanged.
  def test_errors_and_exits_reach_the_sender_after_the_host_had_the_message
    QORTA.subclass
    HeadlessWindows.original_result = 77
    failing = IOError.new('message boom')
    @model.define_singleton_method(:makePluginFacesDictionary) { |*| raise ArgumentError, 'menu boom' }
    @model.define_singleton_method(:callFromSubclassWnd) { raise failing }
    assert_raises(ArgumentError) { send_message(WM_MENUSELECT, 1, 2) }
    assert_raises(ArgumentError) { send_message(WM_COMMAND, 3, 4) }
    assert_same failing, assert_raises(IOError) { send_message(registered, 5, 6) }

    @model.define_singleton_method(:makePluginFacesDictionary) { |*| throw :menu, :thrown }
    assert_equal :thrown, catch(:menu) { send_message(WM_MENUSELECT, 7, 8); :not_thrown }
    @model.define_singleton_method(:makePluginFacesDictionary) { |*| exit 3 }
    assert_equal 3, assert_raises(SystemExit) { send_message(WM_MENUSELECT, 9, 10) }.status

    assert_equal [[WM_MENUSELECT, 1, 2], [WM_COMMAND, 3, 4], [registered, 5, 6],
                  [WM_MENUSELECT, 7, 8], [WM_MENUSELECT, 9, 10]], HeadlessWindows.delivered
    assert_nil $!, 'no error left pending'
    assert_equal 77, send_message(WM_PAINT), 'still hooked and working'
  end

  def test_an_error_with_a_broken_message_still_arrives_whole
    QORTA.subclass
    $object_Sketchup_active_model = false # no model: NoMethodError
    assert_raises(NoMethodError) { send_message(WM_MENUSELECT, 1, 2) }
    bad = Class.new(StandardError) { def message = raise('no message either') }
    other = Sketchup.new_model
    other.define_singleton_method(:callFromSubclassWnd) { raise bad }
    $object_Sketchup_active_model = other
    assert_raises(bad) { send_message(registered) }
    assert_equal 2, HeadlessWindows.delivered.size
    $object_Sketchup_active_model = @model
    send_message(WM_MENUSELECT, 3, 4)
    assert_equal [[:makePluginFacesDictionary, 4, 3]], events, 'still working afterwards'
  end

  def test_unsubclass_from_a_script_mid_message_still_passes_it_on
    QORTA.subclass
    HeadlessWindows.original_result = 77
    @model.define_singleton_method(:callFromSubclassWnd) { QORTA.unsubclass }
    assert_equal 77, send_message(registered, 5, 6)
    assert_equal [[registered, 5, 6]], HeadlessWindows.delivered
    assert HeadlessWindows.original?
  end
end

# The release checks' assertion helper, in the Ruby every release
# interpreter accepts (1.8 to 3.2) and with no gems: "ok - name" /
# "not ok - name" per check, a summary line and the exit status.
$passed = 0
$failed = 0

# Runs the block as one check: it passes when it returns true.
def check(name)
  ok = begin
    yield
  rescue Exception => e
    puts "# #{e.class}: #{e.message}"
    (e.backtrace || [])[0, 3].each { |l| puts "#   #{l}" }
    false
  end
  if ok == true
    $passed += 1
    puts "ok - #{name}"
  else
    $failed += 1
    puts "not ok - #{name}"
  end
end

# expected == actual, else both shown.
def same(expected, actual)
  return true if expected == actual
  puts "#   expected: #{expected.inspect}"
  puts "#     actual: #{actual.inspect}"
  false
end

# The exception the block raised (nil when none).
def raised
  yield
  nil
rescue Exception => e
  e
end

def finish_checks
  puts "#{$passed} passed, #{$failed} failed"
  exit($failed == 0 ? 0 : 1)
end

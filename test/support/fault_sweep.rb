require_relative 'fault_injection'

module QORTest
  # Fails every counted call of a road in turn, each once.  The road runs
  # once, unfailed; at each counted call the process forks, and the child
  # fails that call at once (by raising, or by throwing to a catch around
  # the road), judges what reached the top, writes a line if something is
  # wrong and exits, while the parent makes the call and goes on.  A
  # failure costs one fork instead of a rerun of the road up to it: the
  # sweep grows with the number of calls, not with its square.  A child
  # that does not exit by itself (a crash) is a failure too.
  class FaultSweep
    Injection = FaultInjection

    # What reached the top of the road when call `call` (`name`) failed:
    # kind :raised (value: the exception), :thrown (value: the value
    # thrown) or :finished (the road ended as if nothing had failed).
    Outcome = Struct.new(:call, :name, :kind, :value) do
      # nil when the very exception or throw made by the injection arrived;
      # otherwise what arrived instead.
      def changed(throws)
        expected = throws ? Injection.last_thrown : Injection.last_raised
        return if kind == (throws ? :thrown : :raised) && value.equal?(expected)
        case kind
        when :finished then 'the road finished: the failure was lost'
        when :raised then "#{value.class} (#{value.message[0, 100]}) arrived instead"
        else 'something else was thrown'
        end
      end
    end

    # Children alive at once: the parent goes on with the road while the
    # last child judges.
    AT_ONCE = 2

    attr_reader :calls, :children

    def initialize(throws:)
      @throws = throws
    end

    # Fails each counted call of `road` (a callable) in a child process of
    # its own; the block judges each outcome there and answers nil or what
    # went wrong.  Answers the failures, one line each.
    def each_call(road, &judge)
      parent = Process.pid
      @judge = judge
      @failures = []
      @children = 0
      @running = {}
      @reader, @writer = IO.pipe
      [$stdout, $stderr].each(&:flush) # a child must not write the parent's buffers again
      outcome = attempt(nil, road, method(:fork_failing))
      judge_and_exit(outcome) unless Process.pid == parent
      reap until @running.empty?
      raise outcome.value if outcome.kind == :raised
      @failures << 'the unfailed road did not finish' unless outcome.kind == :finished
      @calls = Injection.count
      @failures + verdicts
    ensure
      Process.exit!(1) unless Process.pid == parent # never back into the tests
      [@reader, @writer].each { |io| io&.close }
    end

    # Fails call `at` of `road` in this process; answers the outcome.
    def at(call, road)
      attempt(call, road, nil)
    end

    private

    def attempt(call, road, on_call)
      tag = Object.new
      finished = false
      thrown = catch(tag) do
        Injection.run(call, throw_to: (tag if @throws), on_call: on_call) { road.call }
        finished = true
      end
      finished ? outcome(:finished, nil) : outcome(:thrown, thrown)
    rescue Exception => e # rubocop:disable Lint/RescueException -- whatever arrives is judged
      outcome(:raised, e)
    end

    def outcome(kind, value)
      Outcome.new(Injection.count, Injection.failed_call, kind, value)
    end

    # Called before each counted call: the child fails it, the parent lets
    # the call go on.
    def fork_failing(call, name)
      @children += 1
      pid = Process.fork
      Injection.fail_now(name) if pid.nil?
      @running[pid] = "call #{call} (#{name})"
      reap while @running.length >= AT_ONCE
    end

    # Waits for the oldest child; one that did not exit by itself crashed.
    def reap
      pid, what = @running.shift
      Process.wait(pid)
      @failures << "#{what}: the child ended with #{$?}" unless $?.success?
      drain
    end

    def judge_and_exit(outcome)
      verdict = @judge.call(outcome)
      report(outcome, verdict) if verdict
    rescue Exception => e # rubocop:disable Lint/RescueException -- the child must report and exit
      report(outcome, "judging raised #{e.class}: #{e.message}")
    ensure
      Process.exit!(0)
    end

    def report(outcome, text)
      @writer.syswrite("call #{outcome.call} (#{outcome.name}): #{text}\n")
    end

    # Reads the verdicts written so far, so that a child never blocks on a
    # full pipe.
    def drain
      @received ||= +''
      loop do
        chunk = @reader.read_nonblock(65_536, exception: false)
        break unless chunk.is_a?(String)
        @received << chunk
      end
    end

    def verdicts
      drain
      lines = @received.lines.map(&:chomp)
      @received = +''
      lines
    end
  end
end

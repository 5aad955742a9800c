require 'json'
require 'tmpdir'

# Opens a page in headless Chromium the way a user's browser would and
# reports what happened: the console messages, the network requests the
# page made (the browser's own background traffic left out) and a
# screenshot.
module QORTest
  module HeadlessBrowser
    Visit = Struct.new(:console, :requests, :screenshot, :log)

    FLAGS = %w[--headless --no-sandbox --disable-gpu --no-first-run --disable-background-networking
               --disable-component-update --disable-sync --disable-default-apps --disable-extensions
               --hide-scrollbars --enable-logging=stderr --v=0].freeze
    TIMEOUT = 90

    module_function

    def executable
      @executable ||= %w[chromium chromium-browser].map { |name| which(name) }.compact.first
    end

    def which(name)
      ENV.fetch('PATH', '').split(File::PATH_SEPARATOR).map { |dir| File.join(dir, name) }
         .find { |path| File.executable?(path) && !File.directory?(path) }
    end

    # Loads the file and answers a Visit; the screenshot is written to dir.
    def visit(html_path, dir, size: [1000, 800])
      net_log = File.join(dir, 'net-log.json')
      shot = File.join(dir, 'screenshot.png')
      err = File.join(dir, 'browser.log')
      args = FLAGS + ["--user-data-dir=#{File.join(dir, 'profile')}", "--window-size=#{size.join(',')}",
                      "--log-net-log=#{net_log}", "--screenshot=#{shot}", "file://#{File.expand_path(html_path)}"]
      run([executable, *args], err)
      log = File.read(err)
      Visit.new(console_messages(log), page_requests(net_log), shot, log)
    end

    # The browser is not ours to check: it runs without the sanitizer
    # runtimes a memory-checking run preloads into the interpreter.
    CLEAN_ENV = { 'LD_PRELOAD' => nil, 'ASAN_OPTIONS' => nil, 'LSAN_OPTIONS' => nil, 'UBSAN_OPTIONS' => nil }.freeze

    def run(command, log_path)
      pid = Process.spawn(CLEAN_ENV, *command, out: File::NULL, err: log_path, pgroup: true)
      deadline = Time.now + TIMEOUT
      until Process.wait(pid, Process::WNOHANG)
        if Time.now > deadline
          Process.kill('KILL', -pid)
          Process.wait(pid)
          raise "#{command.first} did not finish within #{TIMEOUT} s"
        end
        sleep 0.05
      end
    end

    # Every message the page wrote to the console, errors and uncaught
    # exceptions included.
    def console_messages(log)
      log.lines.grep(/:CONSOLE[:(]/).map(&:strip)
    end

    # URLs the page asked the network for.  The browser's own requests
    # (updates, time, accounts) carry no initiating origin.
    def page_requests(net_log)
      return [] unless File.exist?(net_log)
      data = read_net_log(File.read(net_log).strip)
      start = data.dig('constants', 'logEventTypes', 'URL_REQUEST_START_JOB')
      data.fetch('events', []).select { |e| e['type'] == start }.map { |e| e['params'] || {} }
          .select { |p| p['url'] }.reject { |p| p['initiator'] == 'not an origin' }.map { |p| p['url'] }
    end

    # A log the browser did not get to close ends in an open event list.
    def read_net_log(text)
      JSON.parse(text)
    rescue JSON::ParserError
      JSON.parse("#{text.sub(/,\z/, '')}]}")
    end
  end
end

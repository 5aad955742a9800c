module QORPlugin
  # Writes a file whole or not at all: the text goes to a temporary file
  # beside the target, which is then renamed over it.
  #
  # - A symbolic link is kept: the file it points to is the one replaced.
  # - A target that is not a regular file (a FIFO, a device such as
  #   /dev/null or a terminal) is written through, never replaced.
  # - A file that exists keeps its permissions (and, where allowed, its
  #   owner); a new one gets the usual mode under the umask.
  # - Temporary files are named .NAME.PID.RANDOM.tmp; those a killed run
  #   left for the same target are removed the next time it is written.
  #
  # Written in binary mode, so the bytes are the same on Windows (no CRLF
  # line ends).
  module AtomicFile
    # The write of one output failed; path names that output.
    class Failed < StandardError
      attr_reader :path, :reason

      def initialize(path, reason)
        @path = path
        @reason = reason
        super("cannot write #{path}: #{reason}")
      end
    end

    MAX_LINKS = 40 # as the kernel follows them

    # One output prepared by stage: commit puts it in place, discard drops
    # what is left of it.
    class Staged
      def initialize(path, text)
        @path = path
        @text = text
        @temp = nil
      end

      # Everything that can fail before the target is touched: the folder,
      # the temporary file, the text in it.
      def prepare
        AtomicFile.failing(@path) do
          next if through?
          target = AtomicFile.link_target(@path)
          raise Errno::EISDIR if File.directory?(target)
          AtomicFile.remove_stale(target)
          @target = target
          @temp = AtomicFile.temp_name(target)
          File.open(@temp, File::WRONLY | File::CREAT | File::EXCL | File::BINARY, 0o666) do |f|
            f.write(@text)
            f.flush
            f.fsync
          end
          AtomicFile.keep_mode(target, @temp)
        end
        self
      end

      def commit
        AtomicFile.failing(@path) do
          if @temp
            File.rename(@temp, @target)
            @temp = nil
          else
            File.open(@path, File::WRONLY | File::BINARY) { |f| f.write(@text) }
          end
        end
      end

      def discard
        File.unlink(@temp) if @temp && File.exist?(@temp)
        @temp = nil
      end

      private

      # An existing target that is not a regular file, reached through any
      # links.
      def through?
        File.exist?(@path) && !File.file?(@path) && !File.directory?(@path)
      end
    end

    module_function

    def write(path, text)
      write_all([[path, text]])
      path
    end

    # Writes every [path, text] or none: all are prepared first, and only
    # when each is ready are they put in place.  The block, if given, runs
    # between the two (output that cannot be taken back, such as standard
    # output, goes there).
    def write_all(outputs)
      staged = []
      outputs.each { |path, text| staged << Staged.new(path, text).prepare }
      yield if block_given?
      staged.each(&:commit)
    ensure
      staged&.each(&:discard)
    end

    # The file a path names once its symbolic links are followed, even
    # when the last one points at nothing yet.
    def link_target(path)
      MAX_LINKS.times do
        return path unless File.symlink?(path)
        path = File.expand_path(File.readlink(path), File.dirname(path))
      end
      raise Errno::ELOOP
    end

    def temp_name(target)
      File.join(File.dirname(target), ".#{File.basename(target)}.#{Process.pid}.#{rand(1 << 32).to_s(16)}.tmp")
    end

    # Temporary files for this target whose process is gone.
    def remove_stale(target)
      pattern = /\A\.#{Regexp.escape(File.basename(target))}\.(\d+)\.\h+\.tmp\z/
      dir = File.dirname(target)
      Dir.each_child(dir) do |name|
        pid = name[pattern, 1]&.to_i
        next unless pid && pid != Process.pid && !alive?(pid)
        begin
          File.unlink(File.join(dir, name))
        rescue SystemCallError
          nil # someone else's to clean
        end
      end
    end

    def alive?(pid)
      Process.kill(0, pid)
      true
    rescue Errno::EPERM
      true
    rescue Errno::ESRCH, RangeError
      false
    end

    # The owner first: changing it clears the set-id bits.
    def keep_mode(target, temp)
      stat = File.stat(target)
      mine = File.stat(temp)
      begin
        File.chown(stat.uid, stat.gid, temp) unless mine.uid == stat.uid && mine.gid == stat.gid
      rescue Errno::EPERM
        nil # not ours to give away; the mode still holds
      end
      File.chmod(stat.mode & 0o7777, temp)
    rescue Errno::ENOENT
      nil # a new file
    end

    # Runs the block; a system error becomes Failed naming the output.
    def failing(path)
      yield
    rescue SystemCallError => e
      raise Failed.new(path, e.message.sub(/ @ .*/, '').sub(/ - .*/, ''))
    end
  end
end

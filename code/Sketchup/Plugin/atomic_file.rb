module QORPlugin
  # Writes a file whole or not at all: the text goes to a temporary file
  # beside the target, which is then renamed over it.  Binary mode, so the
  # bytes are the same on Windows (no CRLF line ends).
  module AtomicFile
    module_function

    def write(path, text)
      dir = File.dirname(File.expand_path(path))
      temp = File.join(dir, ".#{File.basename(path)}.#{Process.pid}.#{rand(1 << 32).to_s(16)}.tmp")
      File.open(temp, File::WRONLY | File::CREAT | File::EXCL | File::BINARY, 0o666) do |f|
        f.write(text)
        f.flush
        f.fsync
      end
      File.rename(temp, path)
      path
    ensure
      File.unlink(temp) if temp && File.exist?(temp)
    end
  end
end

module QORPlugin
  module CLI
    PROGRAM = 'qor-rooms'.freeze
    VERSION = '1.0.0'.freeze

    # A subcommand: a name, a one-line summary and run(argv, out, err),
    # which answers the exit status.  Subclasses register themselves.
    class Command
      class << self
        attr_reader :name_text, :summary_text

        def command(name, summary)
          @name_text = name
          @summary_text = summary
          Command.registry[name] = self
        end

        def registry
          @registry ||= {}
        end
      end

      # Exit statuses: done, failed on its input, misused.
      OK = 0
      FAILED = 1
      USAGE = 2

      def run(argv, out, err)
        raise NotImplementedError, "#{self.class} must define run"
      end

      private

      def usage_error(err, message, usage)
        err.puts "#{PROGRAM}: #{message}"
        err.puts "usage: #{usage}"
        USAGE
      end
    end
  end
end

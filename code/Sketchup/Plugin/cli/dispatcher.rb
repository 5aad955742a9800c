require_relative 'command'

module QORPlugin
  module CLI
    # Picks the subcommand from the first argument; anything else goes to
    # the default command.  A command is added by dropping a
    # *_command.rb file beside this one.
    class Dispatcher
      Dir[File.join(__dir__, '*_command.rb')].sort.each { |f| require f }

      def initialize(default: 'export')
        @default = default
      end

      def run(argv, out, err)
        first = argv.first
        case first
        when '-h', '--help', 'help' then help(out)
        when '--version' then version(out)
        else
          name = Command.registry.key?(first) ? argv.shift : @default
          Command.registry.fetch(name).new.run(argv, out, err)
        end
      end

      private

      def help(out)
        out.puts "usage: #{PROGRAM} [COMMAND] [OPTIONS] [ARGUMENTS]"
        out.puts "       #{PROGRAM} --help | --version"
        out.puts
        out.puts 'Commands:'
        Command.registry.sort.each do |name, klass|
          out.puts format('  %-10s %s%s', name, klass.summary_text, name == @default ? ' (default)' : '')
        end
        out.puts
        out.puts "#{PROGRAM} COMMAND --help describes one command."
        Command::OK
      end

      def version(out)
        out.puts "#{PROGRAM} #{VERSION} (#{QORModuleLoader.library_name}, Ruby #{RUBY_VERSION})"
        Command::OK
      end
    end
  end
end

require_relative 'file_command'
require_relative '../gbxml'
require_relative '../room_export'

module QORPlugin
  module CLI
    # Runs the whole export on a gbXML file's building and reports how our
    # typing of each surface agrees with the file's.  A report: the
    # agreement does not decide the exit status, only errors do.
    class CheckCommand < FileCommand
      command 'check', "compare our room typing with a gbXML file's surface types"

      def usage = "#{PROGRAM} check FILE.xml [--quiet]"

      private

      def input_kind = 'gbXML file'

      def describe(o, options)
        o.separator 'The report goes to standard output; progress and the import summary to'
        o.separator 'standard error.'
        o.separator ''
        quiet_option(o, options, 'no progress and no summary')
      end

      def perform(source, options, out, err)
        quiet = options[:quiet]
        file, import = Gbxml.load(source)
        unless quiet
          Gbxml.warn(import, source, err, PROGRAM)
          err.puts "#{PROGRAM}: #{import.summary}"
        end
        file.prepare(progress: Progress.new(out: quiet ? nil : err))
        road = RoomExport.new(file, progress: $class_ProgressBar2)
        result = road.run
        agreement = Gbxml::RoomTyping.new(file, result.rooms).agreement(import.expectations)
        out.write(agreement.report(title(source, import)))
        out.write(listing('Mended or left out on import', import.warnings.map(&:to_s)))
        out.write(listing('Room faces not written', result.summary.unwritten.lines))
        OK
      rescue BuildingFileError
        raise
      rescue StandardError, NotImplementedError => e
        err.puts "#{PROGRAM}: check of #{source} failed#{at(road)}: #{e.class}: #{first_line(e)}"
        FAILED
      end

      # A heading and one line per entry; "none" when empty.
      def listing(heading, lines)
        return "\n#{heading}: none\n" if lines.empty?
        "\n#{heading} (#{lines.length}):\n#{lines.map { |l| "  #{l}\n" }.join}"
      end

      def title(source, import)
        n = import.expectations.length
        "Agreement with #{File.basename(source)}: #{n} surface#{n == 1 ? '' : 's'}, " \
          "#{import.summary.spaces} space#{import.summary.spaces == 1 ? '' : 's'}"
      end
    end
  end
end

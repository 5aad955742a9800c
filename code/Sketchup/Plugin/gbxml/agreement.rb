module QORPlugin
  module Gbxml
    # How our room typing agrees with what a gbXML file says of each
    # surface: floor / wall / ceiling for every space beside it, and
    # external / internal.  Counted per surface class of the file.
    class Agreement
      # What our rooms made of one surface in one space: @type ("Floor",
      # "Wall", "Ceiling") and @isExternal (true, false; nil when the
      # export did not write it).
      Observation = Struct.new(:type, :external)
      Row = Struct.new(:surface_class, :surfaces, :typed, :adjacent, :judged)

      attr_reader :rows, :total, :disagreements

      # observe: (expectation, space id) -> Observation, or nil when the
      # surface is no face of that space's room.
      def initialize(expectations, &observe)
        @rows = {}
        @disagreements = []
        expectations.each { |e| compare(e, e.space_ids.to_h { |id| [id, observe.call(e, id)] }) }
        @rows = @rows.values.sort_by(&:surface_class)
        @total = Row.new('All', *%i[surfaces typed adjacent judged].map { |f| @rows.sum(&f) })
      end

      def complete? = @disagreements.empty?

      # The table and the list of disagreements, as printed by `check`.
      def report(title)
        width = ([20] + @rows.map { |r| r.surface_class.length }).max
        lines = [title, '', format("%-#{width}s %8s   %-20s %s", 'Surface class', 'Surfaces', 'Floor/wall/ceiling',
                                   'External/internal')]
        (@rows + [@total]).each do |row|
          lines << format("%-#{width}s %8d   %-20s %s", row.surface_class, row.surfaces,
                          cell(row.typed, row.surfaces), cell(row.adjacent, row.judged)).rstrip
        end
        lines << ''
        if @disagreements.empty?
          lines << 'Disagreements: none'
        else
          lines << "Disagreements (#{@disagreements.length}):"
          lines.concat(@disagreements.map { |d| "  #{d}" })
        end
        lines.join("\n") + "\n"
      end

      private

      # "  11  100.0 %": how many agree, and their share.
      def cell(n, of) = format('%4d  %7s', n, of.zero? ? '-' : format('%.1f %%', 100.0 * n / of))

      def compare(expectation, observed)
        row = (@rows[expectation.row] ||= Row.new(expectation.row, 0, 0, 0, 0))
        row.surfaces += 1
        label = "#{expectation.surface_id} (#{expectation.surface_class})"
        type_problems = expectation.types.filter_map { |id, want| type_problem(id, want, observed[id]) }
        row.typed += 1 if type_problems.empty?
        @disagreements.concat(type_problems.map { |p| "#{label}: #{p}" })
        return unless expectation.adjacency_judged?
        row.judged += 1
        adjacency = adjacency_problem(expectation, observed)
        row.adjacent += 1 unless adjacency
        @disagreements << "#{label}: #{adjacency}" if adjacency
      end

      def type_problem(space_id, want, seen)
        return %(no face of space "#{space_id}" in our rooms) unless seen
        return nil if seen.type == want
        %(space "#{space_id}" has it as #{article(seen.type)}, the file as #{article(want)})
      end

      def article(type) = type ? "its #{type.to_s.downcase}" : 'nothing'

      def adjacency_problem(expectation, observed)
        want = expectation.external? ? 'external' : 'internal'
        ours = observed.values.map { |o| o&.external }
        have =
          if ours.any?(&:nil?) then 'not written'
          elsif ours.all? { |x| x == true } then 'external'
          elsif ours.all? { |x| x == false } then 'internal'
          else 'external in one space and internal in the other'
          end
        return nil if have == want
        count = expectation.space_ids.length
        "the file has it #{want} (#{count} space#{count == 1 ? '' : 's'}), ours #{have}"
      end
    end
  end
end

module QORPlugin
  # The progress object handed to the extension: it calls setValue(Integer)
  # once per room with how much is still to come, counting down to the end.
  # Shows a bar of the part done on a terminal, keeps quiet otherwise.
  class Progress
    attr_reader :values

    def initialize(total: nil, out: $stderr, label: 'rooms')
      @total = total
      @out = out
      @label = label
      @values = []
      @interactive = out.respond_to?(:tty?) && out.tty?
    end

    attr_writer :total

    def setValue(value)
      @values << value
      return unless @interactive
      if @total && @total > 0
        done = [[@total - value.to_i, @total].min, 0].max
        width = 30
        filled = (width * done / @total)
        @out.print("\r#{@label} [#{'#' * filled}#{' ' * (width - filled)}] #{done}/#{@total}")
      else
        @out.print("\r#{@label} #{value}")
      end
    end

    def finish
      @out.print("\n") if @interactive && !@values.empty?
    end
  end
end

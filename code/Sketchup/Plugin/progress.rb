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
      @drawn = false
      @interactive = out.respond_to?(:tty?) && out.tty?
    end

    attr_writer :total

    # Starts a new bar for the next pass.
    def stage(label, total)
      finish
      @label = label
      @total = total
    end

    def setValue(value)
      @values << value
      return unless @interactive
      @drawn = true
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
      @out.print("\n") if @interactive && @drawn
      @drawn = false
    end
  end
end

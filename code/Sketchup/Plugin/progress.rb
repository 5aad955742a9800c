module QORPlugin
  # The progress object handed to the extension: it calls setValue(Integer)
  # once per room.  Shows a bar on a terminal, keeps quiet otherwise.
  class Progress
    attr_reader :values

    def initialize(total: nil, out: $stderr, label: 'rooms')
      @total = total
      @out = out
      @label = label
      @values = []
      @countdown = false
      @drawn = false
      @interactive = out.respond_to?(:tty?) && out.tty?
    end

    attr_writer :total

    # Starts a new bar whose values count what is still to do, as the
    # extension's passes report them.
    def stage(label, total)
      finish
      @label = label
      @total = total
      @countdown = true
    end

    def setValue(value)
      @values << value
      return unless @interactive
      @drawn = true
      if @total && @total > 0
        done = @countdown ? @total - value.to_i : value.to_i
        done = [[done, @total].min, 0].max
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

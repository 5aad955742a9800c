module QORPlugin
  # Checks every text and number of a parsed building file for what the
  # outputs could not carry: characters XML 1.0 forbids (names, ids and
  # attribute values reach the export, the snapshots and the preview) and
  # numbers beyond a Float (1e400 reads as Infinity).
  module BuildingValues
    # C0 controls but tab, line feed and carriage return; U+FFFE and U+FFFF.
    FORBIDDEN = /[\u0000-\u0008\u000B\u000C\u000E-\u001F\uFFFE\uFFFF]/.freeze

    module_function

    # The first bad value as [JSON path, problem], or nil.  The parser
    # limits nesting, so the walk's depth is bounded.  The path is spelled
    # out only for the value found: a large file has a million good ones.
    def first_problem(value, path = '')
      trail = []
      problem = problem_below(value, trail)
      problem && [trail.reduce(path) { |p, key| join(p, key) }, problem]
    end

    # The problem of the first bad value under value; trail is left holding
    # the keys and indices down to it.
    def problem_below(value, trail)
      case value
      when Hash
        value.each do |key, v|
          problem = text_problem(key) { "key #{key.inspect}" }
          return problem if problem
          trail.push(key)
          problem = problem_below(v, trail)
          return problem if problem
          trail.pop
        end
        nil
      when Array
        value.each_with_index do |v, i|
          trail.push(i)
          problem = problem_below(v, trail)
          return problem if problem
          trail.pop
        end
        nil
      when String then text_problem(value) { 'the text' }
      when Numeric then value.to_f.finite? ? nil : "not a finite number (#{short(value)})"
      end
    end

    # The block names the text, asked only when there is a problem.
    def text_problem(text)
      return "#{yield} is not valid UTF-8" unless text.valid_encoding?
      return nil unless text.match?(FORBIDDEN)
      format('%s holds U+%04X, a character XML cannot carry', yield, text[FORBIDDEN].ord)
    end

    def join(path, key)
      return "#{path}[#{key}]" if key.is_a?(Integer)
      path.empty? ? key.to_s : "#{path}.#{key}"
    end

    def short(number)
      text = number.to_s
      text.length > 24 ? "#{text[0, 12]}...(#{text.length} digits)" : text
    end
  end
end

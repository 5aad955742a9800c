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
    # limits nesting, so the walk's depth is bounded.
    def first_problem(value, path = '')
      case value
      when Hash
        value.each do |key, v|
          problem = text_problem(key, "key #{key.inspect}")
          return [path, problem] if problem
          problem = first_problem(v, join(path, key))
          return problem if problem
        end
        nil
      when Array
        value.each_with_index do |v, i|
          problem = first_problem(v, join(path, i))
          return problem if problem
        end
        nil
      when String then (problem = text_problem(value, 'the text')) && [path, problem]
      when Numeric then value.to_f.finite? ? nil : [path, "not a finite number (#{short(value)})"]
      end
    end

    def text_problem(text, what)
      return "#{what} is not valid UTF-8" unless text.valid_encoding?
      bad = text[FORBIDDEN]
      bad && format('%s holds U+%04X, a character XML cannot carry', what, bad.ord)
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

module QORPlugin
  module Preview
    # The HTML document around the drawings: summary, legend, problems,
    # the plan of each storey, the axonometric view and the details panel.
    # Self-contained: styles and script inline, and a content policy that
    # lets the page fetch nothing.  Kept well-formed XML so that tools can
    # read it back.
    module Page
      extend Markup


      STYLE = <<~CSS.freeze
        body{font:14px sans-serif;margin:0 1em 2em;color:#222}
        h1{font-size:1.4em;margin:.6em 0}h2{font-size:1.15em;margin:1em 0 .3em}
        .top{display:flex;flex-wrap:wrap;gap:1em 2.5em;align-items:flex-start}
        .top section{min-width:14em}
        dl{display:grid;grid-template-columns:auto auto;gap:.1em 1em;margin:0}dt{color:#555}dd{margin:0}
        .legend span{display:inline-block;width:1.6em;height:.9em;vertical-align:middle;border:1px solid #555;margin-right:.3em}
        .legend svg{width:2em;height:1em;vertical-align:middle;margin-right:.3em}
        .legend li{list-style:none;display:inline-block;margin:.1em 1.2em .1em 0}.legend ul{padding:0;margin:0 0 .4em;max-width:36em}
        #problems{border:2px solid #d00000;padding:.3em .8em;max-height:16em;overflow:auto}
        #problems.none{border-color:#3f8f5f}
        svg.plan,svg.axo{width:100%;max-height:80vh;background:#fff;border:1px solid #bbb}
        svg *{vector-effect:non-scaling-stroke}
        .floor{fill:#f3e6c8;stroke:#b09a6c;stroke-width:1px}
        .room:hover .floor{fill:#ffe7a3}
        .wall{stroke:#333;stroke-width:3px}.wall.s2{stroke:#3f8f5f}
        .band{fill:#c9c9c9;stroke:#333;stroke-width:1px}.band:hover{fill:#a9a9a9}
        .mid{stroke:#555;stroke-width:1px;stroke-dasharray:6 3}
        line.op{stroke-width:6px}line.door{stroke:#8b4513}line.window{stroke:#2a8fd6}
        line.air{stroke:#e0a000;stroke-dasharray:4 3}
        text{text-anchor:middle;fill:#222}.name{font-weight:bold}
        .face{stroke:#555;stroke-width:.5px;fill-opacity:.8}.face:hover{stroke:#000;stroke-width:2px}
        .mode-type .t-Floor{fill:#d9b77e}.mode-type .t-Wall{fill:#a9c3de}
        .mode-type .t-Ceiling{fill:#eeeeee}.t-Ceiling{fill-opacity:.3}.mode-type .t-other{fill:#bbbbbb}
        .mode-shell .s1{fill:#e8894a}.mode-shell .s2{fill:#5fae7a}.mode-shell .s0{fill:#9b84cf}
        .mode-shell .sx{fill:#ffffff}
        polygon.op{stroke:none}polygon.door{fill:#8b4513}polygon.window{fill:#2a8fd6}
        polygon.air{fill:none;stroke:#e0a000;stroke-width:1px}
        .problem,.room.problem .wall,.room.problem .floor{stroke:#e00000;stroke-width:3px}
        .unwritten{fill:none;stroke-dasharray:12 8}
        .room.problem text{fill:#e00000}
        .selected{stroke:#000;stroke-width:3px}
        button{font:inherit;padding:.2em .8em}button[aria-pressed=true]{background:#333;color:#fff}
        #details{position:fixed;right:1em;bottom:1em;max-width:32em;white-space:pre-wrap;background:#fffff4;
          border:1px solid #999;padding:.5em .8em;margin:0;font-size:13px;box-shadow:0 2px 6px #0003}
      CSS

      SCRIPT = <<~JS.freeze
        (function () {
          var axo = document.getElementById('axo');
          var panel = document.getElementById('details');
          var selected = null;
          function colour(mode) {
            axo.setAttribute('class', 'axo mode-' + mode);
            document.getElementById('by-type').setAttribute('aria-pressed', String(mode === 'type'));
            document.getElementById('by-shell').setAttribute('aria-pressed', String(mode === 'shell'));
          }
          document.getElementById('by-type').addEventListener('click', function () { colour('type'); });
          document.getElementById('by-shell').addEventListener('click', function () { colour('shell'); });
          document.addEventListener('click', function (event) {
            for (var node = event.target; node; node = node.parentNode) {
              var title = node.querySelector ? node.querySelector(':scope > title') : null;
              if (title) {
                if (selected) selected.classList.remove('selected');
                selected = node;
                node.classList.add('selected');
                panel.textContent = title.textContent;
                panel.hidden = false;
                return;
              }
            }
          });
        })();
      JS

      # Only the page's own script may run: it is named by its hash, so a
      # script that found its way into the text would not.  The hash library
      # loads with the first page made, so that exports without a preview
      # run where it is not built (the release interpreters under Wine).
      def self.policy
        @policy ||= begin
          require 'digest'
          "default-src 'none'; style-src 'unsafe-inline'; " \
            "script-src 'sha256-#{[Digest::SHA256.digest(SCRIPT)].pack('m0')}'".freeze
        end
      end

      LEGEND_FILLS = [
        ['colour by type', [%w[#d9b77e floor], %w[#a9c3de wall], %w[#eeeeee ceiling]]],
        ['colour by outer shell', [['#e8894a', 'external (1)'], ['#5fae7a', 'internal (2)'],
                                   ['#9b84cf', 'behind a face of the same orientation (0)'],
                                   ['#ffffff', 'untyped']]]
      ].freeze

      LEGEND_LINES = [
        ['wall', 'stroke:#333;stroke-width:3px'], ['internal wall', 'stroke:#3f8f5f;stroke-width:3px'],
        ['intermediate plane of a thick wall', 'stroke:#555;stroke-dasharray:6 3'],
        ['door', 'stroke:#8b4513;stroke-width:6px'], ['window', 'stroke:#2a8fd6;stroke-width:6px'],
        ['air opening', 'stroke:#e0a000;stroke-width:6px;stroke-dasharray:4 3'],
        ['problem', 'stroke:#e00000;stroke-width:3px']
      ].freeze

      module_function

      def document(title:, summary:, room_views:, storeys:, problems:, index:)
        frame = Plan.frame(room_views)
        plans = storeys.map do |storey|
          "<h2>#{esc(storey.name)}</h2>#{Plan.new(storey, frame, problems, index)}"
        end
        <<~HTML
          <!DOCTYPE html>
          <html xmlns="http://www.w3.org/1999/xhtml" lang="en"><head><meta charset="utf-8"/>
          <meta http-equiv="Content-Security-Policy" content="#{Page.policy}"/>
          <title>#{esc(title)}</title><style>#{STYLE}</style></head><body>
          <h1>#{esc(title)}</h1>
          <div class="top">#{summary_section(summary, room_views, storeys, problems)}#{legend_section}#{problems_section(problems)}</div>
          #{plans.join("\n")}
          <h2>Axonometric view</h2>
          <p><button id="by-type" type="button" aria-pressed="true">Colour by type</button>
          <button id="by-shell" type="button" aria-pressed="false">Colour by outer shell</button></p>
          #{Axonometric.new(room_views, problems, index)}
          <pre id="details" hidden="hidden"></pre>
          <script>#{SCRIPT}</script>
          </body></html>
        HTML
      end

      def summary_section(summary, room_views, storeys, problems)
        faces = room_views.flat_map(&:faces)
        rows = summary.map { |k, v| [k.to_s, v.to_s] }
        rows << ['rooms', room_views.length.to_s] << ['storeys', storeys.length.to_s]
        rows << ['faces', tally(faces.map { |f| f.type || 'untyped' })]
        rows << ['outer shell', tally(faces.map { |f| Details.shell_name(f.shell) })]
        rows << ['openings', tally(faces.flat_map(&:openings).map(&:kind))]
        rows << ['problems', problems.list.length.to_s]
        dl = rows.map { |k, v| "<dt>#{esc(k)}</dt><dd>#{esc(v)}</dd>" }.join
        "<section id=\"summary\"><h2>Summary</h2><dl>#{dl}</dl></section>"
      end

      def tally(names)
        counts = names.tally
        counts.empty? ? 'none' : counts.map { |name, n| "#{n} #{name}" }.join(', ')
      end

      def legend_section
        fills = LEGEND_FILLS.map do |heading, items|
          list = items.map { |colour, name| "<li><span style=\"background:#{colour}\"></span>#{esc(name)}</li>" }
          "<div>#{esc(heading)}</div><ul>#{list.join}</ul>"
        end
        lines = LEGEND_LINES.map do |name, style|
          "<li><svg viewBox=\"0 0 20 10\"><line x1=\"0\" y1=\"5\" x2=\"20\" y2=\"5\" style=\"#{style}\"/></svg>#{esc(name)}</li>"
        end
        "<section class=\"legend\"><h2>Legend</h2>#{fills.join}<div>plan</div><ul>#{lines.join}</ul></section>"
      end

      def problems_section(problems)
        return '<section id="problems" class="none"><h2>Problems</h2><p>None found.</p></section>' if problems.list.empty?
        items = problems.list.map { |p| "<li class=\"#{p.kind}\">#{esc(p.text)}</li>" }
        "<section id=\"problems\"><h2>Problems (#{problems.list.length})</h2><ul>#{items.join}</ul></section>"
      end
    end
  end
end

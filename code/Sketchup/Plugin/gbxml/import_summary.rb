require_relative 'import_warning'

module QORPlugin
  module Gbxml
    # What an import made of a gbXML file, and what it had to mend or leave
    # out, for the user.  Every element mended or left out is also named in
    # warnings.
    class ImportSummary
      FIELDS = %i[spaces faces shared windows doors air inner_doors whole_openings merged shading
                  repeated collinear flattened split edge_windows].freeze
      attr_accessor(*FIELDS)
      # left_out: :surfaces, :openings, :spaces => count; open_spaces: ids.
      attr_reader :warnings, :left_out, :open_spaces

      def initialize
        FIELDS.each { |f| send("#{f}=", 0) }
        @warnings = []
        @left_out = Hash.new(0)
        @open_spaces = []
      end

      # Answers nil, so that a caller can warn and go on in one line.
      def warn(element, problem)
        @warnings << ImportWarning.new(element, problem)
        nil
      end

      def cleaned = repeated + collinear + flattened

      def to_s
        parts = ["#{count(spaces, 'space')}, #{count(faces, 'face')} (#{shared} shared by two spaces), " \
                 "#{count(windows, 'window')}, #{count(doors, 'door')}, #{count(air, 'air opening')}"]
        parts << "cleaned: #{count(repeated, 'repeated point')}, #{count(collinear, 'collinear point')}, " \
                 "#{count(flattened, 'loop')} flattened" if cleaned.positive?
        notes = []
        notes << "#{count(shading, 'shading surface')} left out" if shading.positive?
        notes << "#{count(merged, 'duplicate surface')} merged" if merged.positive?
        notes << "#{count(inner_doors, 'door')} away from its wall's edge cut as a hole" if inner_doors.positive?
        notes << "#{count(whole_openings, 'opening')} covering its whole surface" if whole_openings.positive?
        notes << "#{count(edge_windows, 'window')} on its surface's edge cut as a notch" if edge_windows.positive?
        notes << "#{count(split, 'bent surface')} split into planar pieces" if split.positive?
        parts << notes.join(', ') unless notes.empty?
        gone = %i[surfaces openings spaces].filter_map do |what|
          n = @left_out[what]
          count(n, what.to_s.chomp('s')) if n.positive?
        end
        parts << "left out: #{gone.join(', ')}" unless gone.empty?
        parts << "#{count(open_spaces.length, 'space')} not closed" unless open_spaces.empty?
        parts << "#{count(warnings.length, 'warning')} (each named)" unless warnings.empty?
        parts.join('; ')
      end

      private

      def count(n, noun) = "#{n} #{noun}#{n == 1 ? '' : 's'}"
    end
  end
end

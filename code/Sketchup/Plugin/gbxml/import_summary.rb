module QORPlugin
  module Gbxml
    # What an import made of a gbXML file, and what it had to mend or leave
    # out, for the user.
    class ImportSummary
      FIELDS = %i[spaces faces shared windows doors air inner_doors whole_openings merged shading
                  repeated collinear flattened].freeze
      attr_accessor(*FIELDS)

      def initialize
        FIELDS.each { |f| send("#{f}=", 0) }
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
        parts << notes.join(', ') unless notes.empty?
        parts.join('; ')
      end

      private

      def count(n, noun) = "#{n} #{noun}#{n == 1 ? '' : 's'}"
    end
  end
end

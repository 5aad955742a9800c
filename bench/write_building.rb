# Writes the benchmark generator's building as a building file, any size:
#   ruby bench/write_building.rb ROOMS [SEED] > building.json
# then time the exporter on it as a user runs it:
#   time bin/qor-rooms export building.json -o out.xml --quiet
root = File.expand_path('..', __dir__)
require File.join(root, 'code/Sketchup/Headless/sketchup')
require File.join(root, 'code/Sketchup/Plugin/plugin')
require 'json'
require_relative 'building_file_writer'
require_relative 'command_line'

rooms, seed = QORBench.whole_numbers(ARGV, 'ruby bench/write_building.rb ROOMS [SEED] > FILE.json', at_most: 2)
abort 'usage: ruby bench/write_building.rb ROOMS [SEED] > FILE.json' unless rooms
puts JSON.generate(QORBench::BuildingFileWriter.new(rooms: rooms, seed: seed || 1).document)

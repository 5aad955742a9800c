# Headless stand-in for the modeller's Ruby API. Require this one file.
module Sketchup; end
module Geom; end

%w[
  support coordinates numeric point3d vector3d geom bounding_box array
  attributes entity material vertex edge loop face text
  entities selection checkpoint model
].each { |f| require_relative f }

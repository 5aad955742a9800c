// Which road the passes over a room's or a building's faces take.  The
// indexed road (the default) reads each face's numbers once and asks the
// host only about faces an index says can matter, in the original order;
// the plain road tests every pair as the algorithms are written.  Both give
// the same results; the plain one is kept to prove it.
//
// Scripts choose with QORTA.instance_variable_set(:@plainRoad, true) (the
// plug-in's QORPlugin.plain_road = true).  Only exactly true picks the
// plain road.  Read once at the start of each pass.
#pragma once

namespace qor {

bool plain_road();

}  // namespace qor

// Which road a call into the extension takes, chosen once where the call
// enters (a registered function) and handed down.  The indexed road (the
// default) keeps what it reads of the host, decides on those numbers where
// they are certain and finds candidate pairs through indexes, in the
// original order; the plain road asks the host every test, over all pairs,
// as the algorithms are written.  Both give the same results; the plain
// one is kept to prove it.
//
// Scripts choose with QORTA.instance_variable_set(:@plainRoad, true) (the
// plug-in's QORPlugin.plain_road = true).  Only exactly true picks the
// plain road.  Road::chosen() is the only reader of the switch.
#pragma once

#include <ruby.h>

namespace qor {
namespace geometry {

class Road {
 public:
  // The road the scripts chose, with the export's reads when a
  // withFaceReads block runs (face_reads.hpp).
  static Road chosen();
  // For code that runs on one road by its making (a walk on numbers read
  // once is the indexed road's), and for a face asked about alone.
  static Road plain() { return Road(false); }
  static Road with_index() { return Road(true); }

  bool indexed() const { return indexed_; }
  // The reads kept for the export (the running withFaceReads block's), nil
  // on the plain road or outside such a block: for code that keeps no
  // reads of its own.
  VALUE export_reads() const;
  // Reads for one call or pass: the export's, else fresh ones; nil on the
  // plain road.
  VALUE pass_reads() const;

 private:
  explicit Road(bool indexed) : indexed_(indexed) {}
  bool indexed_;
};

}  // namespace geometry
}  // namespace qor

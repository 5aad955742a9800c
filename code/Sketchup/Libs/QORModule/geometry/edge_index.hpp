// The edges of one polygon in a grid by their boxes, so that the overlap
// walk tests a segment only against the edges it could meet: a meeting
// point lies within the host's tolerance of both, so an edge whose box is
// farther than twice the knife edge (certain.hpp) from the segment's
// cannot be met on any host.
//
// Plain numbers only: an owner keeps it alive across host calls only under
// protect().
#pragma once

#include "../core/native_array.hpp"
#include "box_cells.hpp"
#include "point_arithmetic.hpp"

namespace qor {
namespace geometry {

class EdgeIndex {
 public:
  void build(const arith::Xyz* points, long n);
  bool built() const { return built_; }

  // Calls visit(i) for each edge i (from point i to point i + 1; -1 is the
  // closing edge) that a segment from q0 to q1 may meet, in the order a
  // walk round the polygon from its closing edge meets them.
  template <class Visit>
  void each_near(const arith::Xyz& q0, const arith::Xyz& q1, Visit visit) {
    query(q0, q1);
    const size_t count = found_.size();
    const bool closing = count > 0 && found_[count - 1] == n_ - 1;
    if (closing) visit(-1L);
    for (size_t k = 0; k + (closing ? 1 : 0) < count; ++k) visit(static_cast<long>(found_[k]));
  }

 private:
  void query(const arith::Xyz& q0, const arith::Xyz& q1);

  BoxCells cells_;
  NativeArray<int> found_;
  long n_ = 0;
  double scale_ = 0.0;  // the largest coordinate's size
  bool built_ = false;
};

}  // namespace geometry
}  // namespace qor

#include "polygon_index.hpp"

#include <algorithm>
#include <cmath>

namespace qor {
namespace geometry {

namespace {

double coordinate(const arith::Xyz& p, int axis) { return axis == 0 ? p.x : axis == 1 ? p.y : p.z; }

}  // namespace

arith::Xyz PolygonIndex::flat(const View& view, const arith::Xyz& p) const {
  return arith::Xyz{coordinate(p, view.u), coordinate(p, view.v), 0.0};
}

long PolygonIndex::slab_of(const Slabs& slabs, double v) const {
  const double s = std::floor((v - slabs.lo) / slabs.step);
  if (!(s > 0.0)) return 0;
  if (s >= slabs.count - 1) return slabs.count - 1;
  return static_cast<long>(s);
}

void PolygonIndex::build(const arith::Xyz* points, long n) {
  points_ = points;
  n_ = n;
  double scale = 0.0;
  for (long i = 0; i < n; ++i)
    scale = std::max({scale, std::fabs(points[i].x), std::fabs(points[i].y), std::fabs(points[i].z)});
  // Twice the knife edge, and room for rounding at this size: an edge
  // left out of a slab is surely off the border of every point in it.
  scale_ = scale;
  margin_ = 2.0 * certain::kKnifeEdge + 1e-9 * scale;
  // The three views of certain::in_polygon_3d: (x, y), (x, z), (z, y).
  build_view(&views_[0], 0, 1);
  build_view(&views_[1], 0, 2);
  build_view(&views_[2], 2, 1);
  built_ = true;
}

// How many places the slabs' lists would take.
long PolygonIndex::listed(const Slabs& slabs) const {
  long total = 0;
  for (long i = 0; i < n_; ++i) {
    const double va = coordinate(points_[i], slabs.axis), vb = coordinate(points_[(i + 1) % n_], slabs.axis);
    if (!std::isfinite(va) || !std::isfinite(vb)) return slabs.count * n_;
    total += slab_of(slabs, std::max(va, vb) + margin_) - slab_of(slabs, std::min(va, vb) - margin_) + 1;
  }
  return total;
}

void PolygonIndex::build_view(View* view, int u, int v) {
  view->u = u;
  view->v = v;
  double nz = 0.0;
  bool level = n_ > 0;
  for (long i = 0; i < n_; ++i) {
    const arith::Xyz a = flat(*view, points_[i]), b = flat(*view, points_[(i + 1) % n_]);
    nz += (a.x - b.x) * (a.y + b.y);
    level = level && std::isfinite(a.y) && a.y == b.y;
  }
  view->area = nz;
  view->level = level;
  build_slabs(&view->across_v, v);
  build_slabs(&view->across_u, u);
}

void PolygonIndex::build_slabs(Slabs* slabs, int axis) {
  slabs->axis = axis;
  double lo = INFINITY, hi = -INFINITY;
  for (long i = 0; i < n_; ++i) {
    lo = std::min(lo, coordinate(points_[i], axis));
    hi = std::max(hi, coordinate(points_[i], axis));
  }
  slabs->lo = lo;
  // About one slab per edge, fewer when long edges would fill too many: the
  // lists stay within a few times the edges.
  long count = std::isfinite(lo) && std::isfinite(hi) && hi > lo ? std::min<long>(n_, 1L << 16) : 1;
  for (;; count /= 4) {
    slabs->count = count < 1 ? 1 : count;
    slabs->step = slabs->count > 1 ? (hi - lo) / static_cast<double>(slabs->count) : 1.0;
    if (slabs->count == 1 || listed(*slabs) <= 16 * n_) break;
  }

  // Each edge in every slab its span, widened by the margin, touches: a
  // count, then the places.
  slabs->start.assign(slabs->count + 1, 0);
  NativeArray<long> next;
  for (int pass = 0; pass < 2; ++pass) {
    next.clear();
    for (long s = 0; s < slabs->count; ++s) next.push(slabs->start[s]);
    for (long i = 0; i < n_; ++i) {
      const double va = coordinate(points_[i], axis), vb = coordinate(points_[(i + 1) % n_], axis);
      const long from = slab_of(*slabs, std::min(va, vb) - margin_);
      const long to = slab_of(*slabs, std::max(va, vb) + margin_);
      // An edge the slabs cannot place (NaN) goes in every slab.
      const bool placed = std::isfinite(va) && std::isfinite(vb);
      for (long s = placed ? from : 0; s <= (placed ? to : slabs->count - 1); ++s) {
        if (pass == 0)
          ++slabs->start[s + 1];
        else
          slabs->edges[next[s]++] = i;
      }
    }
    if (pass == 0) {
      for (long s = 0; s < slabs->count; ++s) slabs->start[s + 1] += slabs->start[s];
      slabs->edges.assign(slabs->start[slabs->count], 0);
    }
  }
}

// certain::in_polygon_2d over the slab's edges only.  No other edge comes
// within the knife edge of p, nor straddles its line; which edge is
// nearest, and the order of the crossings, do not change the answer.
certain::Sure PolygonIndex::in_view(View& view, const arith::Xyz& point) {
  using certain::Sure;
  const arith::Xyz p = flat(view, point);
  if (!std::isfinite(p.y))
    return certain::in_polygon_2d(p, n_, [&](long i) { return flat(view, points_[i]); });
  const Slabs& by_v = view.across_v;
  const long s = slab_of(by_v, p.y);
  // The nearest edge from the shorter of the two lists that hold every
  // edge within the margin of p.
  const Slabs* shorter = &by_v;
  long slab = s;
  if (std::isfinite(p.x)) {
    const long su = slab_of(view.across_u, p.x);
    const Slabs& by_u = view.across_u;
    if (by_u.start[su + 1] - by_u.start[su] < by_v.start[s + 1] - by_v.start[s]) {
      shorter = &by_u;
      slab = su;
    }
  }
  double nearest = INFINITY;
  for (long e = shorter->start[slab]; e < shorter->start[slab + 1]; ++e) {
    const long i = shorter->edges[e];
    nearest = std::min(nearest, arith::dist_to_segment(p, flat(view, points_[i]), flat(view, points_[(i + 1) % n_])));
  }
  const Sure on_border = certain::within_tolerance(nearest, scale_);
  if (on_border != Sure::kNo) return on_border;
  // Off the border of a level view: no crossing, nothing inside.
  if (view.level) return Sure::kNo;
  bool inside = false;
  for (long e = by_v.start[s]; e < by_v.start[s + 1]; ++e) {
    const long i = by_v.edges[e];
    const arith::Xyz a = flat(view, points_[(i + 1) % n_]), b = flat(view, points_[i]);
    if ((a.y > p.y) != (b.y > p.y)) {
      const double xc = (b.x - a.x) * (p.y - a.y) / (b.y - a.y) + a.x;
      if (p.x < xc) inside = !inside;
    }
  }
  if (std::fabs(view.area) > 1.0e-6) return certain::sure(inside);
  return inside ? Sure::kUnsure : Sure::kNo;
}

certain::Sure PolygonIndex::contains(const arith::Xyz& p) {
  using certain::Sure;
  const Sure in_xy = in_view(views_[0], p);
  if (in_xy == Sure::kNo) return in_xy;
  const Sure in_xz = in_view(views_[1], p);
  if (in_xz == Sure::kNo) return in_xz;
  return certain::both(certain::both(in_xy, in_xz), in_view(views_[2], p));
}

}  // namespace geometry
}  // namespace qor

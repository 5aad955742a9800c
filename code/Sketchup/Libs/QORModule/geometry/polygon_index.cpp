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

long PolygonIndex::slab_of(const View& view, double v) const {
  const double s = std::floor((v - view.lo) / view.step);
  if (!(s > 0.0)) return 0;
  if (s >= view.slabs - 1) return view.slabs - 1;
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
long PolygonIndex::listed(const View& view) const {
  long total = 0;
  for (long i = 0; i < n_; ++i) {
    const double va = coordinate(points_[i], view.along), vb = coordinate(points_[(i + 1) % n_], view.along);
    if (!std::isfinite(va) || !std::isfinite(vb)) return view.slabs * n_;
    total += slab_of(view, std::max(va, vb) + margin_) - slab_of(view, std::min(va, vb) - margin_) + 1;
  }
  return total;
}

void PolygonIndex::build_view(View* view, int u, int v) {
  view->u = u;
  view->v = v;
  view->along = v;
  double nz = 0.0;
  double lo = INFINITY, hi = -INFINITY, ulo = INFINITY, uhi = -INFINITY;
  bool finite = true;
  for (long i = 0; i < n_; ++i) {
    const arith::Xyz a = flat(*view, points_[i]), b = flat(*view, points_[(i + 1) % n_]);
    nz += (a.x - b.x) * (a.y + b.y);
    lo = std::min(lo, a.y);
    hi = std::max(hi, a.y);
    ulo = std::min(ulo, a.x);
    uhi = std::max(uhi, a.x);
    finite = finite && std::isfinite(a.x) && std::isfinite(a.y);
  }
  view->area = nz;
  if (finite && n_ > 0 && lo == hi) {
    view->along = u;
    lo = ulo;
    hi = uhi;
  }
  view->lo = lo;
  // About one slab per edge, fewer when long edges would fill too many: the
  // lists stay within a few times the edges.
  long slabs = std::isfinite(lo) && std::isfinite(hi) && hi > lo ? std::min<long>(n_, 1L << 16) : 1;
  for (;; slabs /= 4) {
    view->slabs = slabs < 1 ? 1 : slabs;
    view->step = view->slabs > 1 ? (hi - lo) / static_cast<double>(view->slabs) : 1.0;
    if (view->slabs == 1 || listed(*view) <= 16 * n_) break;
  }

  // Each edge in every slab its span, widened by the margin, touches: a
  // count, then the places.
  view->start.assign(view->slabs + 1, 0);
  NativeArray<long> next;
  for (int pass = 0; pass < 2; ++pass) {
    next.clear();
    for (long s = 0; s < view->slabs; ++s) next.push(view->start[s]);
    for (long i = 0; i < n_; ++i) {
      const double va = coordinate(points_[i], view->along), vb = coordinate(points_[(i + 1) % n_], view->along);
      const long from = slab_of(*view, std::min(va, vb) - margin_);
      const long to = slab_of(*view, std::max(va, vb) + margin_);
      // An edge the slabs cannot place (NaN) goes in every slab.
      const bool placed = std::isfinite(va) && std::isfinite(vb);
      for (long s = placed ? from : 0; s <= (placed ? to : view->slabs - 1); ++s) {
        if (pass == 0)
          ++view->start[s + 1];
        else
          view->edges[next[s]++] = i;
      }
    }
    if (pass == 0) {
      for (long s = 0; s < view->slabs; ++s) view->start[s + 1] += view->start[s];
      view->edges.assign(view->start[view->slabs], 0);
    }
  }
}

// certain::in_polygon_2d over the slab's edges only.  No other edge comes
// within the knife edge of p, nor straddles its line; which edge is
// nearest, and the order of the crossings, do not change the answer.
// Slabs cut along u belong to a polygon no edge of which straddles any
// line, so nothing is inside it.
certain::Sure PolygonIndex::in_view(View& view, const arith::Xyz& point) {
  using certain::Sure;
  const arith::Xyz p = flat(view, point);
  const bool across_u = view.along == view.u;
  if (!std::isfinite(p.y) || (across_u && !std::isfinite(p.x)))
    return certain::in_polygon_2d(p, n_, [&](long i) { return flat(view, points_[i]); });
  const long s = slab_of(view, across_u ? p.x : p.y);
  double nearest = INFINITY;
  for (long e = view.start[s]; e < view.start[s + 1]; ++e) {
    const long i = view.edges[e];
    nearest = std::min(nearest, arith::dist_to_segment(p, flat(view, points_[i]), flat(view, points_[(i + 1) % n_])));
  }
  const Sure on_border = certain::within_tolerance(nearest, scale_);
  if (on_border != Sure::kNo) return on_border;
  if (across_u) return Sure::kNo;
  bool inside = false;
  for (long e = view.start[s]; e < view.start[s + 1]; ++e) {
    const long i = view.edges[e];
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

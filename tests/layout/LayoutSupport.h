// Shared helpers for the layout tests: items by kind, boxes, links by their end names.
#pragma once
#include <gtest/gtest.h>

#include <vector>

#include "ORV.FMX.h"

namespace LayoutTest {

using namespace Orv;
using Orv::Fmx::TPlanoraFMX;

struct TBox {
  std::int64_t X, Y, W, H;
  friend bool operator==(const TBox&, const TBox&) = default;
};
inline std::ostream& operator<<(std::ostream& o, const TBox& b) {
  return o << "(" << b.X << "," << b.Y << " " << b.W << "x" << b.H << ")";
}

inline TBox BoxOf(const TPLNBaseItem* item) {
  const TORVPto a = item->GetPoint(1), b = item->GetPoint(2);
  return {a.X, a.Y, b.X - a.X, b.Y - a.Y};
}

template <class T>
std::vector<T*> ItemsOf(const TPlanoraFMX& doc) {
  std::vector<T*> out;
  for (int i = 1; i <= doc.GetItemsCount(); ++i)
    if (auto* t = dynamic_cast<T*>(doc.GetItem(i))) out.push_back(t);
  return out;
}

inline const TPLNBaseItem* Named(const TPlanoraFMX& doc, const QString& name) {
  for (int i = 1; i <= doc.GetItemsCount(); ++i)
    if (doc.GetItem(i)->GetName() == name) return doc.GetItem(i);
  return nullptr;
}

// The link from the item named `from` to the item named `to`, or null.
inline const Fmx::TPLNLink* LinkBetween(const TPlanoraFMX& doc, const QString& from, const QString& to) {
  const TPLNBaseItem* a = Named(doc, from);
  const TPLNBaseItem* b = Named(doc, to);
  if (!a || !b) return nullptr;
  for (auto* l : ItemsOf<Fmx::TPLNLink>(doc))
    if (l->GetFromID() == a->GetID() && l->GetToID() == b->GetID()) return l;
  return nullptr;
}

inline double PaperW(const TPlanoraFMX& doc) { return doc.Measure().Sizes[TPLNMeasure::PaperWidth] / 1000.0; }
inline double PaperH(const TPlanoraFMX& doc) { return doc.Measure().Sizes[TPLNMeasure::PaperHeight] / 1000.0; }

}  // namespace LayoutTest

// Texts drawn on the headless window that cover one another: the check of
// the window tests that every text stays legible.
#pragma once
#include <algorithm>
#include <string>
#include <vector>

#include "graphics/grx.hpp"

namespace riv {

// Texts drawn since the page was last cleared that cover one another, or
// that a box filled later hides ("text | text", "text | box"). A box that
// takes away the whole box a text was written on (a message box removed)
// hides nothing.
inline std::vector<std::string> covered_texts() {
  struct R {
    int x0, y0, x1, y1;
    bool meets(const R& b) const { return x0 < b.x1 && b.x0 < x1 && y0 < b.y1 && b.y0 < y1; }
    bool holds(const R& b) const { return x0 <= b.x0 && b.x1 <= x1 && y0 <= b.y0 && b.y1 <= y1; }
  };
  struct T {
    R r, on;  // the text and the box it was written on (empty: the page)
    std::string s;
  };
  std::vector<T> texts;
  std::vector<R> boxes;
  std::vector<std::string> bad;
  for (const GrxCall& c : grx_headless().calls) {
    if (c.op == GrxCall::Op::Clear) texts.clear(), boxes.clear();
    if (c.op == GrxCall::Op::Text) {
      const size_t f = std::min(c.s.find_first_not_of(' '), c.s.size());
      T n{{c.a + 6 * static_cast<int>(f), c.b - 8, c.a + 6 * static_cast<int>(c.s.size()), c.b + 2},
          {0, 0, 0, 0},
          c.s.substr(f)};
      for (auto b = boxes.rbegin(); b != boxes.rend(); ++b)
        if (b->holds(n.r)) {
          n.on = *b;
          break;
        }
      for (const T& o : texts)
        if (o.r.meets(n.r) && !(o.s == n.s && o.r.x0 == n.r.x0 && o.r.y0 == n.r.y0))
          bad.push_back(o.s + " | " + n.s);
      texts.push_back(n);
    }
    if (c.op == GrxCall::Op::Polygon && c.x.size() >= 4) {
      const auto [xa, xb] = std::minmax_element(c.x.begin(), c.x.end());
      const auto [ya, yb] = std::minmax_element(c.y.begin(), c.y.end());
      const R box{*xa, *ya, *xb, *yb};
      if (box.x1 - box.x0 < 30 || box.y1 - box.y0 < 10) continue;  // markers, key samples
      std::erase_if(texts, [&](const T& o) {
        if (!o.r.meets(box)) return false;
        if (!(o.on.x1 > o.on.x0 && box.holds(o.on))) bad.push_back(o.s + " | box");
        return true;
      });
      boxes.push_back(box);
    }
  }
  return bad;
}

}  // namespace riv

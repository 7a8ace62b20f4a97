#include "painters.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <map>
#include <sstream>

namespace atlas {

namespace {

using tool::Colour;
using tool::Fonts;
using tool::Rgb;
using tool::Surface;

std::vector<std::string> Words(const std::string& s) {
  std::vector<std::string> out;
  std::stringstream in(s);
  for (std::string w; in >> w;) out.push_back(w);
  return out;
}

// ---- lettering -------------------------------------------------------------------

bool PaintLabel(Surface& s, const std::string& args, const Fonts& f, int align, const tool::TextStyle& style,
                bool bold) {
  tool::DrawText(s, *f.proportional, args, align, style, bold);
  return true;
}

// A name set straight over the scene: the lettering on a dark translucent plate fitted
// to it, so it reads over light walls and flowerbeds as well as over dark ground.
bool PaintCaption(Surface& s, const std::string& args, const Fonts& f) {
  constexpr int kPad = 4;
  const int w = s.Width(), h = s.Height();
  tool::Picture letters(w, h, tool::kColourKey);
  Surface inside = Surface(&letters, {0, 0, w, h}).Sub(kPad, 0, w - 2 * kPad, h);
  tool::DrawText(inside, *f.proportional, args, 0, tool::PlainText(), false);
  int right = 0;
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x)
      if (letters.At(x, y) != tool::kColourKey) right = std::max(right, x + 1);
  const float plate = static_cast<float>(std::min(right + kPad, w));
  tool::FillShape(s, tool::RoundRect(0, 0, plate, static_cast<float>(h), 4), tool::WithAlpha(Rgb(0x0B0D22), 0.7f));
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x)
      if (letters.At(x, y) != tool::kColourKey) s.Blend(x, y, tool::FromArgb(letters.At(x, y)));
  return true;
}

bool PaintMessage(Surface& s, const std::string& args, const Fonts& f) {
  tool::DrawPlate(s, Rgb(0x1E2C6A));
  Surface inside = s.Sub(6, 2, s.Width() - 12, s.Height() - 4);
  tool::DrawText(inside, *f.proportional, args, 1, tool::PlainText(), false);
  return true;
}

bool PaintButton(Surface& s, const std::string& args, const Fonts& f) {
  const float w = static_cast<float>(s.Width()), h = static_cast<float>(s.Height());
  tool::FillShape(s, tool::RoundRect(0, 0, w, h, 4), Rgb(0x0A0C1C));
  tool::FillShape(s, tool::RoundRect(1, 1, w - 2, h - 2, 3), tool::Vertical(Rgb(0x5A6AB8), Rgb(0x1A2460), 1, h - 1));
  tool::FillShape(s, tool::RoundRect(2, 2, w - 4, h / 2 - 2, 2), tool::WithAlpha(Rgb(0xFFFFFF), 0.12f));
  if (!args.empty()) tool::DrawText(s, *f.proportional, args, 1, tool::PlainText(), false);
  return true;
}

// ---- digits ----------------------------------------------------------------------

struct DigitFont {
  tool::TextStyle style;
  bool bold;
};

bool PaintDigit(Surface& s, const std::string& args, const Fonts& f, std::string* error) {
  static const std::map<std::string, DigitFont> fonts = {
      {"small", {tool::PlainText(), true}}, {"tiny", {tool::PlainText(), false}},
      {"large", {tool::GoldText(), true}},  {"large2", {tool::PlainText(), true}},
      {"damage", {tool::RedText(), true}},  {"recovery", {tool::GreenText(), true}}};
  const std::vector<std::string> w = Words(args);
  const auto it = w.size() == 2 ? fonts.find(w[0]) : fonts.end();
  if (it == fonts.end() || w[1].size() != 1 || w[1][0] < '0' || w[1][0] > '9') {
    *error = "expected `digit <small|tiny|large|large2|damage|recovery> <0-9>`";
    return false;
  }
  // Render large, then scale the ink into the rectangle less a one-pixel outline.
  const tool::Coverage big = f.fixed->Render(tool::DecodeUtf8(w[1]), 96, it->second.bold);
  int x0, y0, x1, y1;
  tool::InkBounds(big, &x0, &y0, &x1, &y1);
  const int iw = std::max(s.Width() - 2, 1), ih = std::max(s.Height() - 2, 1);
  const tool::Coverage fit = tool::Resample(big, x0, y0, x1, y1, iw, ih);
  tool::TextStyle style = it->second.style;
  style.outlineRadius = 1.0f;
  tool::DrawCoverage(s, fit, 1, 1, style);
  return true;
}

// ---- windows and patterns --------------------------------------------------------

bool PaintPattern(Surface& s, const std::string& name, std::string* error) {
  const int w = s.Width(), h = s.Height();
  std::function<Colour(int, int)> colour;
  if (name == "black") {
    colour = [](int, int) { return Rgb(0x000000); };
  } else if (name == "menu" || name == "status" || name == "skill") {
    // Dark cloth with a fine diamond lattice; the tint tells the screens apart.
    const uint32_t tint = name == "menu" ? 0x18224E : name == "status" ? 0x1E3A3E : 0x2E1E4A;
    colour = [=](int x, int y) {
      const int d = std::abs((x + y) % 16 - 8) + std::abs((x - y + 32) % 16 - 8);
      const float line = d == 8 ? 0.28f : d == 7 ? 0.12f : 0.0f;
      const float grain =
          (tool::Fractal(static_cast<float>(x) / 8, static_cast<float>(y) / 8, 4, 3u, 2) - 0.5f) * 0.25f;
      return tool::Scale(tool::Mix(Rgb(tint), Rgb(0x8A9AD8), line), 1.0f + grain);
    };
  } else if (name == "grid") {
    colour = [](int x, int y) {
      const float n = tool::Fractal(static_cast<float>(x) / 8, static_cast<float>(y) / 8, 4, 17u, 3);
      const float star = tool::Hash01(x, y, 5u) > 0.985f ? 0.6f : 0.0f;
      return tool::Mix(tool::Scale(Rgb(0x141A34), 0.7f + n * 0.6f), Rgb(0xDDE6FF), star);
    };
  } else if (name == "stone") {
    colour = [](int x, int y) {
      const float n = tool::Fractal(static_cast<float>(x) / 8, static_cast<float>(y) / 8, 4, 23u, 3);
      const bool joint = y % 16 == 0 || (x + (y / 16) * 16) % 32 == 0;
      return tool::Scale(Rgb(0x4A4A5A), joint ? 0.5f : 0.8f + n * 0.4f);
    };
  } else if (name == "transition") {
    colour = [](int x, int y) {
      const float t = static_cast<float>(x + y) / 62.0f;
      return tool::Mix(Rgb(0x3A0A1E), Rgb(0x120414), std::abs(t - 0.5f) * 2);
    };
  } else {
    *error = "unknown pattern '" + name + "' (black, menu, status, skill, grid, stone, transition)";
    return false;
  }
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) s.Set(x, y, tool::ToArgb(colour(x, y)));
  return true;
}

bool PaintWindow(Surface& s, const std::string& style, std::string* error) {
  static const std::vector<std::string> styles = {"blue", "red", "green", "dark", "gold"};
  if (std::find(styles.begin(), styles.end(), style) == styles.end()) {
    *error = "unknown window style '" + style + "' (blue, red, green, dark, gold)";
    return false;
  }
  tool::DrawWindowArt(s, style);
  return true;
}

// The menu pointer: a gold wedge pointing right.
bool PaintCursor(Surface& s) {
  const float w = static_cast<float>(s.Width()), h = static_cast<float>(s.Height());
  tool::FillShape(s, tool::Shape{{0.5f, 1}, {w - 0.5f, h / 2}, {0.5f, h - 1}}, Rgb(0x1A0C04));
  tool::FillShape(s, tool::Shape{{1.6f, 3}, {w - 2.2f, h / 2}, {1.6f, h - 3}},
                  tool::Vertical(Rgb(0xFFF6C8), Rgb(0xE09A2A), 3, h - 3));
  tool::FillShape(s, tool::Shape{{1.6f, 3}, {w - 2.2f, h / 2}, {1.6f, h / 2}}, tool::WithAlpha(Rgb(0xFFFFFF), 0.35f));
  return true;
}

}  // namespace

bool PaintPicture(Surface& s, const std::string& args, const Fonts& f, std::string* error);

const std::vector<std::string>& PaintKinds() {
  static const std::vector<std::string> kinds = {"label",   "label-centre", "caption", "heading", "message",
                                                 "window",  "pattern",      "digit",   "cursor",  "button",
                                                 "picture", "inset",        "same"};
  return kinds;
}

namespace {

// `inset <left> <top> <right> <bottom> <paint>`: the paint drawn that far in from each
// edge, the margins left clear (the colour key), for a picture whose fixed place on the
// screen puts its edges against something that must stay in view.
bool PaintInset(Surface& s, const std::string& args, const Fonts& fonts, std::string* error) {
  std::stringstream in(args);
  int left = -1, top = -1, right = -1, bottom = -1;
  std::string kind;
  in >> left >> top >> right >> bottom >> kind;
  const int w = s.Width() - left - right, h = s.Height() - top - bottom;
  if (!in || left < 0 || top < 0 || right < 0 || bottom < 0 || w <= 0 || h <= 0) {
    *error = "expected `inset <left> <top> <right> <bottom> <paint>` with margins that leave the picture room";
    return false;
  }
  const auto& kinds = PaintKinds();
  if (kind == "same" || std::find(kinds.begin(), kinds.end(), kind) == kinds.end()) {
    *error = "unknown paint kind '" + kind + "' inside an inset";
    return false;
  }
  Entry inner;
  inner.kind = kind;
  std::getline(in >> std::ws, inner.args);
  Surface inside = s.Sub(left, top, w, h);
  return PaintEntry(inside, inner, fonts, error);
}

}  // namespace

bool PaintEntry(Surface& s, const Entry& e, const Fonts& fonts, std::string* error) {
  if (e.kind == "inset") return PaintInset(s, e.args, fonts, error);
  if (e.kind == "label") return PaintLabel(s, e.args, fonts, 0, tool::PlainText(), false);
  if (e.kind == "label-centre") return PaintLabel(s, e.args, fonts, 1, tool::PlainText(), false);
  if (e.kind == "caption") return PaintCaption(s, e.args, fonts);
  if (e.kind == "heading") return PaintLabel(s, e.args, fonts, 1, tool::GoldText(), true);
  if (e.kind == "message") return PaintMessage(s, e.args, fonts);
  if (e.kind == "window") return PaintWindow(s, e.args.empty() ? "blue" : e.args, error);
  if (e.kind == "pattern") return PaintPattern(s, e.args, error);
  if (e.kind == "digit") return PaintDigit(s, e.args, fonts, error);
  if (e.kind == "cursor") return PaintCursor(s);
  if (e.kind == "button") return PaintButton(s, e.args, fonts);
  if (e.kind == "picture") return PaintPicture(s, e.args, fonts, error);
  return e.kind == "same";
}

}  // namespace atlas

// Pictures the builder knows by name: scenes, people, arrows, bars, gauges and icons.
#include <cmath>
#include <functional>
#include <map>
#include <sstream>

#include "painters.h"

namespace atlas {

namespace {

using tool::Colour;
using tool::Fonts;
using tool::Rgb;
using tool::Surface;

float W(const Surface& s) { return static_cast<float>(s.Width()); }
float H(const Surface& s) { return static_cast<float>(s.Height()); }

void Wedge(Surface& s, bool right) {
  const float w = W(s), h = H(s);
  auto X = [&](float x) { return right ? x : w - x; };
  tool::FillShape(s, tool::Shape{{X(0.5f), 1}, {X(w - 0.5f), h / 2}, {X(0.5f), h - 1}}, Rgb(0x1A0C04));
  tool::FillShape(s, tool::Shape{{X(1.6f), 3}, {X(w - 2.2f), h / 2}, {X(1.6f), h - 3}},
                  tool::Vertical(Rgb(0xFFF6C8), Rgb(0xE09A2A), 3, h - 3));
}

// A big round-cornered arrow button (gallery and save screen pointer).
void ArrowButton(Surface& s, bool right) {
  const float w = W(s), h = H(s);
  tool::FillShape(s, tool::Ellipse(w / 2, h / 2, w / 2 - 0.5f, h / 2 - 0.5f), Rgb(0x0A0C1C));
  tool::FillShape(s, tool::Ellipse(w / 2, h / 2, w / 2 - 2, h / 2 - 2),
                  tool::Vertical(Rgb(0x5A78D8), Rgb(0x18286A), 2, h - 2));
  const float d = right ? 1.0f : -1.0f;
  tool::FillShape(s, tool::Shape{{w / 2 - d * 5, h / 2 - 9}, {w / 2 + d * 9, h / 2}, {w / 2 - d * 5, h / 2 + 9}},
                  tool::Vertical(Rgb(0xFFF6C8), Rgb(0xE0A030), h / 2 - 9, h / 2 + 9));
}

void DownArrow(Surface& s) {
  const float w = W(s), h = H(s);
  tool::FillShape(s, tool::Shape{{0.5f, 0.5f}, {w - 0.5f, 0.5f}, {w / 2, h - 0.5f}}, Rgb(0x1A0C04));
  tool::FillShape(s, tool::Shape{{2.5f, 1.5f}, {w - 2.5f, 1.5f}, {w / 2, h - 2.5f}},
                  tool::Vertical(Rgb(0xFFF6C8), Rgb(0xE09A2A), 1, h - 2));
}

void Slash(Surface& s) {
  const float w = W(s), h = H(s);
  tool::FillShape(s, tool::ThickLine({{w - 2, 1.5f}, {2, h - 1.5f}}, 3.4f), Rgb(0x0B0D22));
  tool::FillShape(s, tool::ThickLine({{w - 2.4f, 2.5f}, {2.4f, h - 2.5f}}, 1.5f), Rgb(0xF2F4FF));
}

// Translucent strips: the caller's alpha does the fading, so they are drawn opaque.
void Strip(Surface& s, uint32_t top, uint32_t bottom, bool edges) {
  const int w = s.Width(), h = s.Height();
  for (int y = 0; y < h; ++y) {
    const float t = h > 1 ? static_cast<float>(y) / static_cast<float>(h - 1) : 0.0f;
    for (int x = 0; x < w; ++x) s.Set(x, y, tool::ToArgb(tool::Mix(Rgb(top), Rgb(bottom), t)));
  }
  if (!edges) return;
  for (int x = 0; x < w; ++x) s.Set(x, 0, tool::ToArgb(Rgb(0xF4E6B8)));
}

void Highlight(Surface& s) {
  const float w = W(s), h = H(s);
  tool::FillShape(s, tool::RoundRect(0, 0, w, h, h / 2), tool::Vertical(Rgb(0x9AB8FF), Rgb(0x3A5ACC), 0, h));
  tool::FillShape(s, tool::RoundRect(3, 1, w - 6, h / 2 - 1, h / 4), tool::WithAlpha(Rgb(0xFFFFFF), 0.35f));
}

void Dial(Surface& s) {
  tool::DrawWindowArt(s, "dark");
  for (int i = 0; i < 5; ++i) {
    const float x = 3.0f + 12.0f * static_cast<float>(i);
    tool::FillShape(s, tool::RectShape(x, 3, 12, H(s) - 6), tool::WithAlpha(Rgb(0x4A5AA0), i % 2 ? 0.35f : 0.55f));
  }
  tool::FillShape(s, tool::Shape{{66, 6}, {72, 6}, {69, 10}}, Rgb(0xE8C66A));
  tool::FillShape(s, tool::Shape{{66, H(s) - 6}, {72, H(s) - 6}, {69, H(s) - 10}}, Rgb(0xE8C66A));
}

void GaugeFrame(Surface& s) {
  const int w = s.Width(), h = s.Height();
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      const bool edge = x == 0 || y == 0 || x == w - 1 || y == h - 1;
      s.Set(x, y, tool::ToArgb(edge ? Rgb(0x0A0A14) : Rgb(0x2A2A36)));
    }
  for (int x = 1; x < w - 1; ++x) s.Set(x, 1, tool::ToArgb(Rgb(0x4A4A5A)));
}

void GaugeBar(Surface& s, uint32_t top, uint32_t bottom) { Strip(s, top, bottom, false); }

void StatusIcon(Surface& s, uint32_t fill, const std::string& mark, const Fonts& f) {
  const float w = W(s), h = H(s);
  tool::FillShape(s, tool::Ellipse(w / 2, h / 2, w / 2 - 0.2f, h / 2 - 0.2f), Rgb(0x0A0A14));
  tool::FillShape(s, tool::Ellipse(w / 2, h / 2, w / 2 - 1.2f, h / 2 - 1.2f),
                  tool::Radial(tool::Scale(Rgb(fill), 1.4f), Rgb(fill), w * 0.4f, h * 0.35f, w / 2));
  if (!mark.empty() && s.Height() >= 14) {
    tool::TextStyle t = tool::PlainText();
    t.outlineRadius = 0.8f;
    tool::DrawText(s, *f.proportional, mark, 1, t, true, 14);
  }
}

void Badge(Surface& s, uint32_t fill, const std::string& text, const Fonts& f) {
  const float w = W(s), h = H(s);
  tool::FillShape(s, tool::RoundRect(0, 0, w, h, 3), Rgb(0x0A0A14));
  tool::FillShape(s, tool::RoundRect(1, 1, w - 2, h - 2, 2),
                  tool::Vertical(tool::Scale(Rgb(fill), 1.3f), Rgb(fill), 1, h));
  tool::TextStyle t = tool::PlainText();
  t.outlineRadius = 0.0f;
  tool::DrawText(s, *f.proportional, text, 1, t, true, 12);
}

void UnitIcon(Surface& s, uint32_t colour) {
  const float w = W(s), h = H(s);
  const float r = std::min(w, h) / 2 - 1;
  tool::FillShape(s, tool::Ellipse(w / 2, h * 0.32f, r * 0.5f, r * 0.5f), Rgb(0x0A0A14));
  tool::FillShape(s, tool::Ellipse(w / 2, h * 0.32f, r * 0.5f - 1, r * 0.5f - 1), Rgb(colour));
  tool::FillShape(s, tool::Ellipse(w / 2, h, r, r * 0.9f), Rgb(0x0A0A14));
  tool::FillShape(s, tool::Ellipse(w / 2, h, r - 1, r * 0.9f - 1), Rgb(colour));
}

void Compare(Surface& s, bool better, const std::string& text, const Fonts& f) {
  const float h = H(s);
  const Colour c = better ? Rgb(0x6AF07A) : Rgb(0xFF6A5A);
  const float top = better ? 3 : h - 3, bottom = better ? h - 3 : 3;
  tool::FillShape(s, tool::Shape{{1, bottom}, {8, top}, {15, bottom}}, Rgb(0x0A0A14));
  tool::FillShape(s,
                  tool::Shape{{3, better ? bottom - 1.5f : bottom + 1.5f},
                              {8, better ? top + 2.5f : top - 2.5f},
                              {13, better ? bottom - 1.5f : bottom + 1.5f}},
                  c);
  Surface rest = s.Sub(16, 0, s.Width() - 16, s.Height());
  tool::DrawText(rest, *f.proportional, text, 0, better ? tool::GreenText() : tool::RedText(), false);
}

// A label and its value on one line: the value starts `offset` pixels in, where the
// values of the lines around it stand. Arguments: offset, label, value.
bool LabelPair(Surface& s, const std::string& args, const Fonts& f) {
  std::stringstream in(args);
  int offset = 0;
  std::string label, value;
  if (!(in >> offset >> label >> value) || offset <= 0 || offset >= s.Width()) return false;
  Surface left = s.Sub(0, 0, offset, s.Height());
  tool::DrawText(left, *f.proportional, label, 0, tool::PlainText(), false);
  Surface right = s.Sub(offset, 0, s.Width() - offset, s.Height());
  tool::DrawText(right, *f.proportional, value, 0, tool::PlainText(), false);
  return true;
}

void TitlePanel(Surface& s, const std::string& labels, const Fonts& f) {
  // Frame lines between and around the six buttons; the holes stay transparent so the
  // buttons and the highlight show through, and the labels sit over them.
  const int w = s.Width(), h = s.Height();
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      const int bx = (x - 2) % 183, by = (y - 2) % 30;
      const bool hole = x >= 2 && y >= 2 && x < w - 2 && y < h - 1 && bx < 181 && by < 28;
      if (!hole) s.Set(x, y, tool::ToArgb((x == 0 || y == 0) ? Rgb(0xF4E6B8) : Rgb(0x0B0D22)));
    }
  std::stringstream in(labels);
  std::string label;
  for (int i = 0; std::getline(in, label, '|') && i < 6; ++i) {
    Surface cell = s.Sub(2 + 183 * (i % 2), 2 + 30 * (i / 2), 181, 28);
    tool::DrawText(cell, *f.proportional, label, 1, tool::PlainText(), false, 18);
  }
}

void TitleButton(Surface& s, bool lit) {
  const float w = W(s), h = H(s);
  if (lit) {
    tool::FillShape(s, tool::RectShape(0, 0, w, h), tool::Vertical(Rgb(0xF0C060), Rgb(0x9A5A18), 0, h));
    tool::FillShape(s, tool::RectShape(0, 0, w, h / 2), tool::WithAlpha(Rgb(0xFFFFFF), 0.25f));
    return;
  }
  tool::FillShape(s, tool::RectShape(0, 0, w, h), tool::Vertical(Rgb(0x34469A), Rgb(0x101A4E), 0, h));
  tool::FillShape(s, tool::RectShape(0, 0, w, 1), tool::WithAlpha(Rgb(0xFFFFFF), 0.3f));
}

void SideBar(Surface& s, uint32_t colour) {
  const float w = W(s), h = H(s);
  tool::FillShape(s, tool::RectShape(0, 0, w, h),
                  tool::Vertical(tool::Scale(Rgb(colour), 1.3f), tool::Scale(Rgb(colour), 0.6f), 0, h));
  tool::FillShape(s, tool::RectShape(0, 0, 3, h), Rgb(0xF4E6B8));
}

using Painter = std::function<bool(Surface&, const std::string& rest, const Fonts&)>;

const std::map<std::string, Painter>& Pictures() {
  auto simple = [](std::function<void(Surface&)> fn) {
    return [fn](Surface& s, const std::string&, const Fonts&) {
      fn(s);
      return true;
    };
  };
  auto person = [](tool::Framing framing) {
    return [framing](Surface& s, const std::string& who, const Fonts&) { return tool::DrawPerson(s, who, framing); };
  };
  static const std::map<std::string, Painter> pictures = {
      {"portrait", person(tool::Framing::kBust)},
      {"face", person(tool::Framing::kFace)},
      {"face-large", person(tool::Framing::kLarge)},
      {"title-panel",
       [](Surface& s, const std::string& rest, const Fonts& f) {
         TitlePanel(s, rest, f);
         return true;
       }},
      {"title-button", simple([](Surface& s) { TitleButton(s, false); })},
      {"title-highlight", simple([](Surface& s) { TitleButton(s, true); })},
      {"arrow-right", simple([](Surface& s) { ArrowButton(s, true); })},
      {"arrow-left", simple([](Surface& s) { ArrowButton(s, false); })},
      {"wedge-right", simple([](Surface& s) { Wedge(s, true); })},
      {"wedge-left", simple([](Surface& s) { Wedge(s, false); })},
      {"arrow-down", simple(DownArrow)},
      {"slash", simple(Slash)},
      {"bar", simple([](Surface& s) { Strip(s, 0x2A3A7A, 0x0A1030, true); })},
      {"strip", simple([](Surface& s) { Strip(s, 0xF4E6B8, 0xA89870, false); })},
      {"row-bar", simple([](Surface& s) { Strip(s, 0x8AA8FF, 0x4A6AD0, false); })},
      {"highlight", simple(Highlight)},
      {"dial", simple(Dial)},
      {"gauge-frame", simple(GaugeFrame)},
      {"gauge-hp-party", simple([](Surface& s) { GaugeBar(s, 0x8AFF9A, 0x2AB04A); })},
      {"gauge-hp-enemy", simple([](Surface& s) { GaugeBar(s, 0xFFA07A, 0xD0302A); })},
      {"gauge-mp", simple([](Surface& s) { GaugeBar(s, 0x9AD8FF, 0x2A6AE0); })},
      {"icon-normal",
       [](Surface& s, const std::string& r, const Fonts& f) {
         StatusIcon(s, 0x3AA05A, r, f);
         return true;
       }},
      {"icon-poison",
       [](Surface& s, const std::string& r, const Fonts& f) {
         StatusIcon(s, 0x8A3AB0, r, f);
         return true;
       }},
      {"icon-stun",
       [](Surface& s, const std::string& r, const Fonts& f) {
         StatusIcon(s, 0xC8A020, r, f);
         return true;
       }},
      {"badge-guard",
       [](Surface& s, const std::string& r, const Fonts& f) {
         Badge(s, 0x3A6AC0, r, f);
         return true;
       }},
      {"badge-magic",
       [](Surface& s, const std::string& r, const Fonts& f) {
         Badge(s, 0x8A3AC0, r, f);
         return true;
       }},
      {"icon-party", simple([](Surface& s) { UnitIcon(s, 0x6AB0FF); })},
      {"icon-enemy", simple([](Surface& s) { UnitIcon(s, 0xFF6A5A); })},
      {"better",
       [](Surface& s, const std::string& r, const Fonts& f) {
         Compare(s, true, r, f);
         return true;
       }},
      {"worse",
       [](Surface& s, const std::string& r, const Fonts& f) {
         Compare(s, false, r, f);
         return true;
       }},
      {"side-party", simple([](Surface& s) { SideBar(s, 0x2A4AA0); })},
      {"side-enemy", simple([](Surface& s) { SideBar(s, 0xA02A3A); })},
      {"blank", simple([](Surface&) {})},
      {"pair", LabelPair},
  };
  return pictures;
}

}  // namespace

bool PaintPicture(Surface& s, const std::string& args, const Fonts& f, std::string* error) {
  const size_t space = args.find(' ');
  const std::string name = args.substr(0, space);
  const std::string rest = space == std::string::npos ? "" : args.substr(space + 1);
  if (tool::DrawScene(s, name, f)) return true;
  const auto it = Pictures().find(name);
  if (it == Pictures().end()) {
    *error = "unknown picture '" + name + "'";
    return false;
  }
  if (!it->second(s, rest, f)) {
    *error = "picture '" + name + "' does not know '" + rest + "'";
    return false;
  }
  return true;
}

}  // namespace atlas

// milva_mappreview: every map of mappack.dat drawn by the game's own renderer, from
// above and from the field camera where the story's scripts set the party down.
//
//   milva_mappreview <out folder> <sheet.png> <font> <map sources in slot order...>
//
// Runs in the folder that holds data.dat, mappack.dat and epack.dat, on whatever video
// driver SDL is given (the build uses the offscreen one). Writes <NN>-above.png and
// <NN>-field-<k>.png for each map into the out folder, and a sheet of them all.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <glm/ext/matrix_clip_space.hpp>
#include <string>
#include <vector>

#include "art.h"
#include "data/tasks.h"
#include "engine/camera.h"
#include "engine/draw.h"
#include "engine/graphics.h"
#include "engine/shell.h"
#include "engine/task.h"
#include "event/pack.h"
#include "field/field_view.h"
#include "field/map.h"
#include "field/walker.h"
#include "game/flow.h"
#include "game/startup.h"
#include "platform/text_encoding.h"
#include "platform/window.h"
#include "png_io.h"

namespace {

constexpr int kFrameWidth = 640, kFrameHeight = 480;
constexpr int kAbovePixelsPerCell = 16;
constexpr int kShotsPerMap = 3;
constexpr int kThumbWidth = 256, kThumbHeight = 192;
constexpr float kWaterLevel = -1.5f;  // the middle of the water's rise and fall
constexpr int kCommandMapChange = 8;

struct Landing {
  int map, column, row;
  float angle;
};

int Fail(const std::string& message) {
  std::fprintf(stderr, "milva_mappreview: %s\n", message.c_str());
  return 1;
}

// The map as a map change leaves it: its people and objects placed, no run-once event
// waiting to start.
bool LoadMap(int map) {
  TaskKillAll();
  g_mapNumber = map;
  if (MapLoad() != 1) return false;
  TaskKillById(kTaskIdRunOnceEvent);
  return true;
}

// Every map change of every script, as the story test reads them.
bool CollectLandings(std::vector<Landing>* landings) {
  for (int map = 0; map < kMapCount; ++map) {
    if (!LoadMap(map)) return false;
    for (int k = 0; k < g_eventCount; ++k) {
      const char* script = EventSlotBase(k);
      for (int32_t p = 0; p + 1 < kEventSlotSize; ++p) {
        if (script[p] != '#') continue;
        int32_t at = p + 1;
        if (EventReadNumber(&at, script) != kCommandMapChange) continue;
        int32_t args[5];
        for (int32_t& a : args) a = EventReadNumber(&at, script);
        const Landing l{args[0], args[2], args[3], static_cast<float>(args[4])};
        const bool seen = std::any_of(landings->begin(), landings->end(), [&](const Landing& o) {
          return o.map == l.map && o.column == l.column && o.row == l.row;
        });
        if (!seen) landings->push_back(l);
      }
    }
  }
  return true;
}

// Where to stand on the map: where the scripts set the party down, then, for a map with
// fewer landings, the open cell in front of (south of) its events from the last one back.
std::vector<Landing> Places(const std::vector<Landing>& landings, int map) {
  std::vector<Landing> places;
  for (const Landing& l : landings) {
    if (l.map == map && static_cast<int>(places.size()) < kShotsPerMap) places.push_back(l);
  }
  for (int event = g_eventCount; event >= 1 && static_cast<int>(places.size()) < kShotsPerMap; --event) {
    for (int cell = 0; cell + g_mapWidth < g_mapWidth * g_mapHeight; ++cell) {
      const int front = cell + g_mapWidth;
      if (g_eventLayer[cell] != event || g_tileLayer[front] > kTileWallAbove || g_eventLayer[front] != 0) continue;
      places.push_back({map, front % g_mapWidth, front / g_mapWidth, 90.0f});
    }
  }
  return places;
}

tool::Picture FromFrame(const plat::Image& frame) {
  tool::Picture p(frame.width, frame.height, 0xFF000000u);
  p.pixels = frame.pixels;
  return p;
}

// One frame of the map seen straight down through an orthographic view of the given
// world rectangle: the tiles and the placed objects, no interface.
plat::Image DrawFromAbove(float left, float top, float width, float height) {
  const float cx = left + width / 2.0f, cz = top - height / 2.0f;
  g_device->Clear(0xFF000000u, 1.0f);
  g_device->BeginScene();
  g_device->SetTransform(plat::TransformKind::View,
                         MatLookAtLH(glm::vec3(cx, 50.0f, cz), glm::vec3(cx, 0.0f, cz), glm::vec3(0.0f, 0.0f, 1.0f)));
  g_device->SetTransform(plat::TransformKind::Projection,
                         glm::orthoLH_ZO(-width / 2.0f, width / 2.0f, -height / 2.0f, height / 2.0f, 1.0f, 100.0f));
  FrustumUpdate();
  g_device->SetTransform(plat::TransformKind::World, glm::mat4(1.0f));
  DrawFieldMap(kWaterLevel);
  for (int s = kSlotObjectsFirst; s < kSlotObjectsEnd; ++s) {
    TaskSlot& slot = g_taskPool[s];
    if (slot.inUse && slot.drawOn && slot.draw) slot.draw(&slot);
  }
  g_device->EndScene();
  g_device->Present();
  return g_device->ReadFrame();
}

// The whole map from above, kAbovePixelsPerCell pixels a cell, stitched from frames.
tool::Picture Above() {
  const int width = g_mapWidth * kAbovePixelsPerCell, height = g_mapHeight * kAbovePixelsPerCell;
  const float unitsPerPixel = kCellSize / static_cast<float>(kAbovePixelsPerCell);
  tool::Picture out(width, height, 0xFF000000u);
  for (int ty = 0; ty < height; ty += kFrameHeight) {
    for (int tx = 0; tx < width; tx += kFrameWidth) {
      const plat::Image frame = DrawFromAbove(static_cast<float>(-g_mapWidth) + static_cast<float>(tx) * unitsPerPixel,
                                              static_cast<float>(g_mapHeight) - static_cast<float>(ty) * unitsPerPixel,
                                              kFrameWidth * unitsPerPixel, kFrameHeight * unitsPerPixel);
      for (int y = 0; y < kFrameHeight && ty + y < height; ++y) {
        for (int x = 0; x < kFrameWidth && tx + x < width; ++x) {
          out.At(tx + x, ty + y) = frame.pixels[static_cast<size_t>(y) * kFrameWidth + x];
        }
      }
    }
  }
  return out;
}

// What the player sees standing on the cell: walkers, view and camera as a map change
// makes them, two frames later.
tool::Picture FromTheField(const Landing& l) {
  float x = static_cast<float>(l.column), z = static_cast<float>(l.row);
  MapCellToWorld(&x, &z);
  PartyWalkersCreate(x, 0.2f, z, l.angle, 0);
  FrameRunUnpaced();
  FrameRunUnpaced();
  return FromFrame(g_device->ReadFrame());
}

// The picture shrunk by averaging to fit w by h, its shape kept.
tool::Picture Fit(const tool::Picture& p, int w, int h) {
  const float k = std::min(static_cast<float>(w) / static_cast<float>(p.width),
                           static_cast<float>(h) / static_cast<float>(p.height));
  const int ow = std::max(1, static_cast<int>(static_cast<float>(p.width) * k));
  const int oh = std::max(1, static_cast<int>(static_cast<float>(p.height) * k));
  tool::Picture out(ow, oh, 0xFF000000u);
  for (int y = 0; y < oh; ++y) {
    for (int x = 0; x < ow; ++x) {
      const int x0 = x * p.width / ow, x1 = std::max(x0 + 1, (x + 1) * p.width / ow);
      const int y0 = y * p.height / oh, y1 = std::max(y0 + 1, (y + 1) * p.height / oh);
      float sum[3] = {0, 0, 0};
      for (int sy = y0; sy < y1; ++sy) {
        for (int sx = x0; sx < x1; ++sx) {
          const uint32_t c = p.At(sx, sy);
          sum[0] += static_cast<float>((c >> 16) & 0xFF);
          sum[1] += static_cast<float>((c >> 8) & 0xFF);
          sum[2] += static_cast<float>(c & 0xFF);
        }
      }
      const float n = static_cast<float>((x1 - x0) * (y1 - y0));
      out.At(x, y) = 0xFF000000u | static_cast<uint32_t>(sum[0] / n) << 16 | static_cast<uint32_t>(sum[1] / n) << 8 |
                     static_cast<uint32_t>(sum[2] / n);
    }
  }
  return out;
}

struct MapPictures {
  std::string name;
  tool::Picture above;
  std::vector<tool::Picture> shots;
};

tool::Picture Sheet(const std::vector<MapPictures>& maps, const tool::Font& font) {
  constexpr int kGap = 6, kLabel = 20;
  constexpr int kColumns = 1 + kShotsPerMap;
  constexpr int kRow = kLabel + kThumbHeight + kGap;
  tool::Picture sheet(kGap + kColumns * (kThumbWidth + kGap), static_cast<int>(maps.size()) * kRow + kGap, 0xFF20242Cu);
  for (size_t m = 0; m < maps.size(); ++m) {
    const int top = kGap + static_cast<int>(m) * kRow;
    tool::Surface label(&sheet, {kGap, top, sheet.width - kGap, top + kLabel - 2});
    tool::DrawText(label, font, maps[m].name, 0, tool::PlainText(), false, 14);
    std::vector<const tool::Picture*> row = {&maps[m].above};
    for (const tool::Picture& shot : maps[m].shots) row.push_back(&shot);
    for (size_t i = 0; i < row.size(); ++i) {
      const tool::Picture thumb = Fit(*row[i], kThumbWidth, kThumbHeight);
      const int left = kGap + static_cast<int>(i) * (kThumbWidth + kGap) + (kThumbWidth - thumb.width) / 2;
      for (int y = 0; y < thumb.height; ++y) {
        for (int x = 0; x < thumb.width; ++x) sheet.At(left + x, top + kLabel + y) = thumb.At(x, y);
      }
    }
  }
  return sheet;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 4 + kMapCount) return Fail("usage: milva_mappreview <out folder> <sheet.png> <font> <14 map sources>");
  const std::string outDir = argv[1];
  ::setenv("SDL_VIDEODRIVER", "offscreen", 0);
  ::setenv("SDL_AUDIODRIVER", "dummy", 0);
  plat::SetMessageBoxHook([](std::string_view text, std::string_view caption) {
    std::fprintf(stderr, "milva_mappreview: the game says \"%s\" (%s)\n", plat::SjisToUtf8(text).c_str(),
                 plat::SjisToUtf8(caption).c_str());
  });
  if (!plat::HostInit() || !plat::WindowCreate(plat::Utf8ToSjis("map preview"))) return Fail("no window");
  GameInstall();
  if (ShellStart() != 1) return Fail("the game did not start here (data.dat, mappack.dat and epack.dat?)");
  std::string error;
  const auto font = tool::Font::Open(argv[3], &error);
  if (!font) return Fail(error);

  std::vector<Landing> landings;
  if (!CollectLandings(&landings)) return Fail("a map did not load");
  std::vector<MapPictures> maps;
  std::error_code ec;
  std::filesystem::remove_all(outDir, ec);  // no pictures left over from an earlier map
  std::filesystem::create_directories(outDir);
  for (int map = 0; map < kMapCount; ++map) {
    MapPictures pictures;
    pictures.name = std::filesystem::path(argv[4 + map]).stem().string();
    char stem[16];
    std::snprintf(stem, sizeof stem, "/%02d-", map);
    if (!LoadMap(map)) return Fail("map " + std::to_string(map) + " did not load");
    pictures.above = Above();
    if (!tool::WritePng(outDir + stem + "above.png", pictures.above, &error)) return Fail(error);
    for (const Landing& l : Places(landings, map)) {
      if (!LoadMap(map)) return Fail("map " + std::to_string(map) + " did not load");
      pictures.shots.push_back(FromTheField(l));
      const std::string name = outDir + stem + "field-" + std::to_string(pictures.shots.size()) + ".png";
      if (!tool::WritePng(name, pictures.shots.back(), &error)) return Fail(error);
    }
    maps.push_back(std::move(pictures));
  }
  if (!tool::WritePng(argv[2], Sheet(maps, *font), &error)) return Fail(error);
  GameShutdown();
  plat::WindowDestroy();
  return 0;
}

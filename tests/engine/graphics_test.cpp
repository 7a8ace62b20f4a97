#include "engine/graphics.h"

#include <gtest/gtest.h>

#include "engine/archive.h"
#include "engine/settings.h"
#include "platform/recording/gpu_recording.h"
#include "support/gfx.h"

namespace {

using test::Bytes;

// Full screen at 16-bit: 60 Hz with hardware, then software processing, then the
// default rate with each.
TEST(GraphicsTest, DeviceFallBackOrderInFullScreen) {
  ASSERT_TRUE(test::InstallArchive(test::BuildArchive(test::RendererEntries({}, {}))));
  g_settings.windowed = 0;
  g_settings.colour32 = 0;
  plat::SetDeviceCreateFailures(3);
  ASSERT_EQ(GraphicsInit(nullptr), 1);
  const auto& log = plat::DeviceCreateLog();
  ASSERT_EQ(log.size(), 4u);
  const std::pair<int, bool> expected[] = {{60, false}, {60, true}, {0, false}, {0, true}};
  for (size_t i = 0; i < 4; ++i) {
    EXPECT_EQ(log[i].refreshRate, expected[i].first) << i;
    EXPECT_EQ(log[i].softwareVertexProcessing, expected[i].second) << i;
    EXPECT_FALSE(log[i].windowed);
    EXPECT_FALSE(log[i].colour32);
    EXPECT_TRUE(log[i].depth24);
    EXPECT_TRUE(log[i].vsync);
  }
}

}  // namespace

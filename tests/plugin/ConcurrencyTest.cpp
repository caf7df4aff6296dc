// The audio thread renders while the interface thread changes settings,
// moves the camera, saves state and draws: everything meets under the one
// mutex (run under ThreadSanitizer to check).
#include "plugin/Crest.h"
#include "tests/support/TestHost.h"
#include "view3d/CrestRender.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <thread>

TEST(Concurrency, AudioThreadAndInterfaceThreadShareThePlugIn)
{
  TestHost host;
  host.record = false;
  auto* f = host.Factory();
  AcfEffect* e = host.Effect();

  std::atomic<bool> stop{false};
  std::atomic<int> blocks{0};
  std::thread audio([&] {
    std::vector<float> l(512), r(512), ol(512), orr(512);
    const float* ins[2] = {l.data(), r.data()};
    float* outs[2] = {ol.data(), orr.data()};
    long t = 0;
    while (!stop.load() || blocks.load() < 200)
    {
      for (int i = 0; i < 512; ++i, ++t)
        l[i] = r[i] = static_cast<float>(0.5 * std::sin(0.03 * t));
      ASSERT_EQ(f->render(e, ins, outs, 512), ACF_SUCCESS);
      ASSERT_EQ(ol[17], l[17]);
      ++blocks;
    }
  });

  std::vector<uint8_t> rgba(800 * 556 * 4);
  for (int i = 0; i < 60; ++i)
  {
    f->updateParameter(e, "1", (i % 3) / 2.0);
    f->updateParameter(e, "3", (i % 10) / 10.0);
    host.Plug()->UpdateCameraAngles(i - 30.0, 15.0 + i);
    host.Plug()->UpdateCamFov(15.0 + i % 30);
    host.GetChunk();
    f->editorIdle(e);
    if (i % 10 == 0)
      f->editorSnapshot(e, 1, rgba.data(), 400, 200);
  }
  stop = true;
  audio.join();
  EXPECT_GE(blocks.load(), 200);
  EXPECT_GT(host.Plug()->GetView()->GetFrameCount(), 0u);
}

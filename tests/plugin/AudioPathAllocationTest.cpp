// In steady state the audio path, from the render call down to the view's
// history, allocates nothing.
#include "plugin/Crest.h"
#include "tests/support/AllocationCounter.h"
#include "tests/support/TestHost.h"
#include "view3d/CrestRender.h"

#include <gtest/gtest.h>

#include <cmath>

TEST(AudioPath, SteadyStateRenderDoesNotAllocate)
{
  for (bool stereo : {true, false})
  {
    TestHost host(stereo);
    host.record = false;
    const int channels = stereo ? 2 : 1;
    std::vector<std::vector<float>> in(channels, std::vector<float>(1024)), out(channels, std::vector<float>(1024));
    const float* ins[2] = {};
    float* outs[2] = {};
    for (int c = 0; c < channels; ++c)
      ins[c] = in[c].data(), outs[c] = out[c].data();

    long t = 0;
    auto block = [&](int n, bool sound) {
      for (int i = 0; i < n; ++i, ++t)
        for (int c = 0; c < channels; ++c)
          in[c][i] = sound ? static_cast<float>(0.3 * std::sin(0.05 * t + c) + 0.1 * std::sin(0.31 * t)) : 0.0f;
      ASSERT_EQ(host.Factory()->render(host.Effect(), ins, outs, n), ACF_SUCCESS);
    };

    for (int i = 0; i < 64; ++i)
      block(512, true);
    const uint64_t spectraBefore = host.Plug()->GetView()->GetFrameCount();

    AllocationCounter counter;
    for (int i = 0; i < 200; ++i)
      block(i % 7 == 0 ? 97 : 512, i % 50 < 45);
    // A transport start resets the analysis, and the block after it is the
    // largest there is.
    host.playing = true;
    block(1024, true);
    // Blocks of other sizes, up to the largest, and silence in between.
    for (int n : {1, 1024, 300, 1024})
      block(n, true);
    EXPECT_EQ(counter.Count(), 0u) << (stereo ? "stereo" : "mono");
    EXPECT_GT(host.Plug()->GetView()->GetFrameCount(), spectraBefore + 100);
  }
}

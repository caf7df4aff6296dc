// The landscape a frame draws while the audio thread renders is exactly one
// history the plug-in had: the same music rendered alone gives the lines,
// and every frame taken meanwhile shows the newest 32 of them as of its
// count, none lost, doubled or out of order.
#include "plugin/Crest.h"
#include "tests/support/TestHost.h"
#include "view3d/CrestRender.h"
#include "view3d/LinesRender.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <thread>
#include <vector>

namespace
{
constexpr int kBlock = 256;
constexpr int kBlocks = 1200; // about 7 s

std::vector<float> Music()
{
  std::vector<float> s(static_cast<size_t>(kBlock) * kBlocks);
  unsigned state = 99u;
  for (size_t i = 0; i < s.size(); ++i)
  {
    state = state * 1664525u + 1013904223u;
    const double t = static_cast<double>(i) / 44100.0;
    const double chord = std::sin(2 * M_PI * 220 * t) + 0.6 * std::sin(2 * M_PI * (330 + 40 * std::sin(t)) * t);
    const double hats = (static_cast<double>(state >> 8) / 16777216.0 - 0.5) * (std::fmod(t, 0.25) < 0.03);
    s[i] = static_cast<float>(0.3 * chord + 0.4 * hats);
  }
  return s;
}

void RenderBlock(TestHost& host, const std::vector<float>& music, int b, std::vector<float>& out)
{
  const float* block = music.data() + static_cast<size_t>(b) * kBlock;
  const float* ins[2] = {block, block};
  float* outs[2] = {out.data(), out.data() + kBlock};
  ASSERT_EQ(host.Factory()->render(host.Effect(), ins, outs, kBlock), ACF_SUCCESS);
}

// A drawer fed the first count lines (the flat start lines included) and
// sampled as a frame samples.
std::vector<Point3D> Expected(const std::vector<std::vector<Point3D>>& lines, int64_t count)
{
  LinesRender reference;
  reference.SetMode(0);
  reference.SetDensity(1.0);
  for (int64_t k = LinesRender::kMaxNumLines; k < count; ++k)
    reference.AddPoints(lines[static_cast<size_t>(k - LinesRender::kMaxNumLines)]);
  reference.SampleHistory();
  std::vector<Point3D> sampled;
  for (int li = 0; li < reference.GetNumProjectedLines(); ++li)
    sampled.insert(sampled.end(), reference.GetProjectedLine(li),
                   reference.GetProjectedLine(li) + reference.GetProjectedLineSize(li));
  return sampled;
}

bool Same(const std::vector<Point3D>& a, const std::vector<Point3D>& b)
{
  if (a.size() != b.size())
    return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (a[i].x != b[i].x || a[i].y != b[i].y || a[i].z != b[i].z)
      return false;
  return true;
}
} // namespace

TEST(HistoryHandOver, FramesDrawnWhileRenderingShowExactlyTheHistoriesOfRenderingAlone)
{
  const std::vector<float> music = Music();
  std::vector<float> out(2 * kBlock);

  // Alone: every line that enters, in order.
  std::vector<std::vector<Point3D>> lines;
  {
    TestHost host;
    host.Update("2", 1.0); // every spectrum enters
    LinesRender* history = host.Plug()->GetView()->GetLines();
    int64_t seen = history->GetLineCount();
    for (int b = 0; b < kBlocks; ++b)
    {
      RenderBlock(host, music, b, out);
      const int64_t now = history->GetLineCount();
      for (int64_t k = seen; k < now; ++k)
        lines.push_back(history->GetHistoryLine(static_cast<int>(LinesRender::kMaxNumLines - (now - k))));
      seen = now;
    }
  }
  ASSERT_GT(lines.size(), 300u);

  // Rendering on an audio thread while this thread samples frames.
  TestHost host;
  host.Update("2", 1.0);
  LinesRender* history = host.Plug()->GetView()->GetLines();
  history->SetMode(0);
  history->SetDensity(1.0);
  std::atomic<bool> done{false};
  std::thread audio([&] {
    std::vector<float> o(2 * kBlock);
    for (int b = 0; b < kBlocks; ++b)
      RenderBlock(host, music, b, o);
    done = true;
  });
  std::vector<std::pair<int64_t, std::vector<Point3D>>> frames;
  while (!done.load() && frames.size() < 400)
  {
    history->SampleHistory();
    std::vector<Point3D> sampled;
    for (int li = 0; li < history->GetNumProjectedLines(); ++li)
      sampled.insert(sampled.end(), history->GetProjectedLine(li),
                     history->GetProjectedLine(li) + history->GetProjectedLineSize(li));
    frames.emplace_back(history->GetSampledLineCount(), std::move(sampled));
  }
  audio.join();

  ASSERT_GT(frames.size(), 10u);
  int64_t previous = 0;
  for (const auto& [count, sampled] : frames)
  {
    ASSERT_GE(count, previous);
    ASSERT_LE(count, static_cast<int64_t>(lines.size()) + LinesRender::kMaxNumLines);
    EXPECT_TRUE(Same(sampled, Expected(lines, count))) << "frame at line " << count;
    previous = count;
  }
  EXPECT_EQ(history->GetLineCount(), static_cast<int64_t>(lines.size()) + LinesRender::kMaxNumLines);
  for (int h = 0; h < LinesRender::kMaxNumLines; ++h)
    EXPECT_TRUE(Same(history->GetHistoryLine(h), lines[lines.size() - LinesRender::kMaxNumLines + h])) << h;
}

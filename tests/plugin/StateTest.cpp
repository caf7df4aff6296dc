// Saving, restoring and comparing the parameter state chunk.
#include "framework/IGraphics.h"
#include "framework/IRadioButtonsControl.h"
#include "plugin/Crest.h"
#include "tests/support/TestHost.h"
#include "view3d/CrestRender.h"
#include "view3d/LinesRender.h"

#include <gtest/gtest.h>

#include <limits>
#include <set>
#include <string>

namespace
{
const std::vector<double> kDefaults = {0, 50, 50, 50, 0, 15, 45, 0, 1, 0, 0};
}

TEST(State, RestoreSetsValuesClampsAndTellsTheHost)
{
  TestHost host;
  host.events.clear();
  const int before = host.Factory()->changeCounter(host.Effect());
  ASSERT_EQ(host.SetChunk(MakeChunk({2, 150, 20.5, -3, 45, 60, 30, 0, 1, 0, 0})), ACF_SUCCESS);
  EXPECT_EQ(ChunkValues(host.GetChunk()), (std::vector<double>{2, 100, 20.5, 0, 45, 60, 30, 0, 1, 0, 0}));
  EXPECT_EQ(host.Factory()->changeCounter(host.Effect()), before + 1);
  // Every parameter's value reaches the host.
  std::set<std::string> told;
  for (const auto& e : host.events)
    if (e.kind == "value")
      told.insert(e.id);
  EXPECT_EQ(told.size(), 11u);
  EXPECT_DOUBLE_EQ(host.Normalized("2"), 1.0);
}

TEST(State, ShortChunkSetsTheFirstMissingValueToZeroClampedAndKeepsTheRest)
{
  TestHost host;
  ASSERT_EQ(host.SetChunk(MakeChunk({0, 50, 50, 50, 0, 60, 30})), ACF_SUCCESS);
  ASSERT_EQ(host.SetChunk(MakeChunk({1, 10, 20, 30, 40})), ACF_SUCCESS); // 40 bytes
  EXPECT_EQ(ChunkValues(host.GetChunk()), (std::vector<double>{1, 10, 20, 30, 40, 15, 30, 0, 1, 0, 0}));

  // A chunk too short for even one value, or empty: the first parameter
  // reads 0 and everything else stays.
  ASSERT_EQ(host.SetChunk({1, 2, 3}), ACF_SUCCESS);
  EXPECT_EQ(ChunkValues(host.GetChunk()), (std::vector<double>{0, 10, 20, 30, 40, 15, 30, 0, 1, 0, 0}));
  ASSERT_EQ(host.SetChunk({}), ACF_SUCCESS);
  EXPECT_EQ(ChunkValues(host.GetChunk())[1], 10.0);
}

// Restored values are kept as stored; an integer parameter between two steps
// is used as its whole part, and the host's text and the buttons say so.
TEST(State, RestoredModeBetweenStepsShowsTheModeThatIsDrawn)
{
  TestHost host;
  ASSERT_EQ(host.SetChunk(MakeChunk({1.7, 50, 50, 50, 0, 15, 45, 0, 1, 0, 0})), ACF_SUCCESS);
  EXPECT_EQ(ChunkValues(host.GetChunk())[0], 1.7);
  char text[16];
  ASSERT_EQ(host.Factory()->parameterDisplay(host.Effect(), "1", text, sizeof text), ACF_SUCCESS);
  EXPECT_STREQ(text, "1");
  EXPECT_EQ(host.Plug()->GetView()->GetLines()->GetMode(), 1);
  IGraphics* g = host.Plug()->GetGUI();
  g->SyncWithPlug();
  IRadioButtonsControl* buttons = nullptr;
  for (int i = 0; i < g->NControls() && !buttons; ++i)
    if (auto* r = dynamic_cast<IRadioButtonsControl*>(g->GetControl(i)); r && r->ParamIdx() == Crest::kMode)
      buttons = r;
  ASSERT_NE(buttons, nullptr);
  EXPECT_EQ(buttons->SelectedButton(), 1);
}

TEST(State, NonFiniteStoredValuesNeverReachTheParameters)
{
  TestHost host;
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const double inf = std::numeric_limits<double>::infinity();
  ASSERT_EQ(host.SetChunk(MakeChunk({nan, inf, -inf, nan, inf, nan, -inf, nan, nan, nan, nan})), ACF_SUCCESS);
  // NaN reads as the default, infinities clamp to the ends of the range.
  EXPECT_EQ(ChunkValues(host.GetChunk()), (std::vector<double>{0, 100, 0, 50, 90, 15, 15, 0, 0, 0, 0}));
}

TEST(State, LongChunksAreReadUpToElevenValuesAndHugeOnesRefused)
{
  TestHost host;
  std::vector<double> values = {1, 60, 70, 80, 10, 20, 40, 0, 1, 0, 0, 99, 98};
  ASSERT_EQ(host.SetChunk(MakeChunk(values)), ACF_SUCCESS);
  values.resize(11);
  EXPECT_EQ(ChunkValues(host.GetChunk()), values);

  std::vector<unsigned char> huge(2u << 20, 0);
  EXPECT_EQ(host.SetChunk(huge), ACF_ERROR_INVALID_ARGUMENT);
  EXPECT_EQ(ChunkValues(host.GetChunk()), values);
}

TEST(State, ChunkIdentifiersAndIndices)
{
  TestHost host;
  auto* f = host.Factory();
  EXPECT_EQ(f->numChunks(host.Effect()), 1);
  uint32_t id = 7;
  EXPECT_EQ(f->chunkIdByIndex(host.Effect(), 0, &id), ACF_SUCCESS);
  EXPECT_EQ(id, ACF_FOURCC('h', 'f', 'o', 'n'));
  EXPECT_EQ(f->chunkIdByIndex(host.Effect(), 1, &id), ACF_ERROR_INVALID_CHUNK_INDEX);
  EXPECT_EQ(id, 0u);
  int32_t size = -1;
  EXPECT_EQ(f->chunkSize(host.Effect(), ACF_FOURCC('h', 'f', 'o', 'n'), &size), ACF_SUCCESS);
  EXPECT_EQ(size, 88);
  EXPECT_EQ(f->chunkSize(host.Effect(), ACF_FOURCC('n', 'o', 'p', 'e'), &size), ACF_ERROR_INVALID_CHUNK_ID);
  EXPECT_EQ(size, 0);

  AcfChunkHeader small[2];
  EXPECT_EQ(f->getChunk(host.Effect(), ACF_FOURCC('n', 'o', 'p', 'e'), small, 88), ACF_ERROR_INVALID_CHUNK_ID);
  EXPECT_EQ(f->getChunk(host.Effect(), ACF_FOURCC('h', 'f', 'o', 'n'), small, 40), ACF_ERROR_INVALID_ARGUMENT);
  EXPECT_EQ(host.SetChunk(MakeChunk({2, 0}), ACF_FOURCC('n', 'o', 'p', 'e')), ACF_ERROR_INVALID_CHUNK_ID);
  EXPECT_EQ(ChunkValues(host.GetChunk()), kDefaults);
}

TEST(State, ComparisonUsesSinglePrecisionAndNeverReadsPastTheRecord)
{
  TestHost host;
  EXPECT_EQ(host.Compare(MakeChunk(kDefaults)), 1);
  auto close = kDefaults;
  close[1] += 1e-7;
  EXPECT_EQ(host.Compare(MakeChunk(close)), 1);
  auto apart = kDefaults;
  apart[3] = 51;
  EXPECT_EQ(host.Compare(MakeChunk(apart)), 0);
  // Another chunk identifier counts as equal.
  EXPECT_EQ(host.Compare(MakeChunk(apart), ACF_FOURCC('n', 'o', 'p', 'e')), 1);
  // A record shorter than eleven values cannot match (and is not read past).
  EXPECT_EQ(host.Compare(MakeChunk({0, 50, 50, 50, 0})), 0);
  EXPECT_EQ(host.Compare({}), 0);
}

#include "dsp/FifoDecimator.h"

#include "tests/support/TypedBufOf.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <vector>

namespace
{
std::vector<double> History(const FifoDecimator& fifo)
{
  WDL_TypedBuf<double> out;
  fifo.GetValues(&out);
  return std::vector<double>(out.begin(), out.end());
}

std::vector<double> Thinned(bool isSamples, double ratio, std::initializer_list<double> block)
{
  FifoDecimator fifo(isSamples);
  fifo.SetParams(1000, ratio);
  fifo.AddValues(Buf(block));
  return History(fifo);
}
} // namespace

TEST(FifoDecimator, DefaultsKeepNothing)
{
  FifoDecimator fifo(true);
  EXPECT_EQ(fifo.GetMaxSize(), 0);
  EXPECT_EQ(fifo.GetDecimFactor(), 1.0);
  for (int i = 0; i < 10; ++i)
    fifo.AddValues(Buf({1.0, 2.0, 3.0}));
  EXPECT_TRUE(History(fifo).empty());
}

TEST(FifoDecimator, ValuesRuleKeepsLargestMagnitude)
{
  EXPECT_EQ(Thinned(false, 0.5, {1.0, -3.0, 2.0, 0.5}), (std::vector<double>{-3.0, 2.0}));
  // Ratio 1 or more takes the block whole.
  EXPECT_EQ(Thinned(false, 1.0, {1.0, -3.0}), (std::vector<double>{1.0, -3.0}));
  EXPECT_EQ(Thinned(false, 2.5, {4.0}), (std::vector<double>{4.0}));
}

TEST(FifoDecimator, SamplesRuleKeepsPeaksAcrossCrossings)
{
  // Starts as if after a crossing with 0 written: the first slot is a low.
  EXPECT_EQ(Thinned(true, 0.5, {1.0, 2.0, -1.0, -4.0}), (std::vector<double>{1.0, -4.0}));
  // The high of the first half is still held when the second slot comes.
  EXPECT_EQ(Thinned(true, 0.25, {0.5, 1.0, 0.2, -0.3, -1.0, -0.2, 0.4, 0.9}), (std::vector<double>{-0.3, 1.0}));
  // Without a crossing the same extreme follows: high after non-negative.
  EXPECT_EQ(Thinned(true, 0.5, {3.0, 1.0, 2.0, 5.0, 4.0, 6.0}), (std::vector<double>{1.0, 5.0, 6.0}));
}

TEST(FifoDecimator, SlotCountIsTruncated)
{
  const std::vector<double> ten = Thinned(false, 0.25, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10});
  EXPECT_EQ(ten.size(), 2u);
  EXPECT_EQ(Thinned(true, 0.25, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10}).size(), 2u);
  EXPECT_TRUE(Thinned(false, 0.5, {}).empty());
  EXPECT_TRUE(Thinned(false, 0.0, {1.0, 2.0}).empty());
  EXPECT_TRUE(Thinned(true, -1.0, {1.0, 2.0}).empty());
}

TEST(FifoDecimator, BlocksAreThinnedOnTheirOwn)
{
  // A single value at ratio 0.5 has no slot; carried state would give one
  // on the second block.
  FifoDecimator fifo(false);
  fifo.SetParams(10, 0.5);
  fifo.AddValues(Buf({7.0}));
  fifo.AddValues(Buf({8.0}));
  EXPECT_TRUE(History(fifo).empty());

  fifo.AddValues(Buf({1.0, 5.0}));
  fifo.AddValues(Buf({-6.0, 2.0}));
  EXPECT_EQ(History(fifo), (std::vector<double>{5.0, -6.0}));
}

TEST(FifoDecimator, HistoryKeepsTheNewestMaxSizeValues)
{
  FifoDecimator fifo(true);
  fifo.SetParams(4, 1.0);
  fifo.AddValues(Buf({1, 2, 3, 4, 5, 6}));
  EXPECT_EQ(History(fifo), (std::vector<double>{3, 4, 5, 6}));

  fifo.AddValues(Buf({7}));
  EXPECT_EQ(History(fifo), (std::vector<double>{4, 5, 6, 7}));

  FifoDecimator growing(false);
  growing.SetParams(5, 1.0);
  growing.AddValues(Buf({1, 2, 3}));
  EXPECT_EQ(History(growing), (std::vector<double>{1, 2, 3}));
  growing.AddValues(Buf({4, 5, 6}));
  EXPECT_EQ(History(growing), (std::vector<double>{2, 3, 4, 5, 6}));
}

TEST(FifoDecimator, NewLimitTakesEffectAtNextAdd)
{
  FifoDecimator fifo(false);
  fifo.SetParams(5, 1.0);
  fifo.AddValues(Buf({1, 2, 3, 4, 5}));
  fifo.SetParams(2, 1.0);
  EXPECT_EQ(History(fifo).size(), 5u);
  fifo.AddValues(Buf({}));
  EXPECT_EQ(History(fifo), (std::vector<double>{4, 5}));

  fifo.SetParams(0, 1.0);
  fifo.AddValues(Buf({9}));
  EXPECT_TRUE(History(fifo).empty());
  fifo.SetParams(-3, 1.0);
  fifo.AddValues(Buf({9}));
  EXPECT_TRUE(History(fifo).empty());
}

TEST(FifoDecimator, ResetZeroesAndKeepsLength)
{
  FifoDecimator fifo(true);
  fifo.SetParams(8, 1.0);
  fifo.AddValues(Buf({1.5, -2.0, 3.0}));
  fifo.Reset();
  EXPECT_EQ(History(fifo), (std::vector<double>{0.0, 0.0, 0.0}));
}

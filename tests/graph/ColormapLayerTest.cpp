// The spectrogram layer in a graph: float images through the colormap, and
// when it uploads.
#include "graph/SpectrogramDisplay.h"

#include "graph/ColorMap.h"
#include "graph/ColormapImageSource.h"
#include "graph/GraphControl10.h"
#include "tests/support/FakePlug.h"
#include "tests/support/NeedsDisplay.h"

#include <gtest/gtest.h>

#include <vector>

namespace
{
class ConstantHistory : public ColormapImageSource
{
public:
  ConstantHistory(int cols, int rows, float value, ColorMap* map) : mCols(cols), mRows(rows), mValue(value), mMap(map)
  {
  }
  int GetNumCols() const override { return mCols; }
  int GetNumRows() const override { return mRows; }
  void FillImage(float* image, double range, double contrast) override
  {
    ++mFills;
    mMap->SetRange(range);
    mMap->SetContrast(contrast);
    for (int i = 0; i < mCols * mRows; i++)
      image[i] = mValue;
  }
  ColorMap* GetColorMap() override { return mMap; }

  int mCols, mRows;
  float mValue;
  int mFills = 0;

private:
  ColorMap* mMap;
};
} // namespace

TEST(SpectrogramDisplayTest, ShowsTheColormapColourOfItsValues)
{
  FakePlug plug;
  GraphControl10 graph(&plug, nullptr, IRECT(0, 0, 64, 32), -1, 0, 4, "");
  ASSERT_HAS_GL(graph.HasRenderer());

  // From green to (c0 255, c1 0, c2 128): value 1.0 picks the last entry.
  // The small table (4096 texels fit a texture row) is packed so that its
  // colours show as given.
  ColorMap map({{0.0, {0, 255, 0, 255}}, {1.0, {255, 0, 128, 255}}}, true);
  ConstantHistory history(8, 4, 1.0f, &map);
  ASSERT_TRUE(graph.BindContext());
  auto* display = new SpectrogramDisplay(graph.GetRenderer());
  graph.UnbindContext();
  display->SetHistory(&history);
  display->SetRangeContrast(0.0, 0.0);
  graph.SetSpectrogramDisplay(display);

  std::vector<uint8_t> screen(64 * 32 * 4);
  ASSERT_TRUE(graph.ReadScreenRGBA(screen.data()));
  EXPECT_EQ(history.mFills, 1);
  EXPECT_GT(display->GetImage(), 0);
  EXPECT_GT(display->GetColormapImage(), 0);
  const uint8_t* p = &screen[(16 * 64 + 32) * 4];
  EXPECT_NEAR(p[0], 255, 1);
  EXPECT_NEAR(p[1], 0, 1);
  EXPECT_NEAR(p[2], 128, 1);

  // Nothing new: no upload.
  graph.SetGraphDirty(true);
  ASSERT_TRUE(graph.ReadScreenRGBA(screen.data()));
  EXPECT_EQ(history.mFills, 1);

  ASSERT_TRUE(graph.BindContext());
  EXPECT_FALSE(display->Update());
  display->SetNeedsUpdate(true, false);
  const int image = display->GetImage();
  EXPECT_TRUE(display->Update());
  EXPECT_EQ(display->GetImage(), image) << "same size: updated in place";
  history.mCols = 16;
  display->SetNeedsUpdate(true, false);
  EXPECT_TRUE(display->Update());
  EXPECT_EQ(history.mFills, 3);
  graph.UnbindContext();
}

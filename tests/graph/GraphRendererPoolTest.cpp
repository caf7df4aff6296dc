// The GL context and spare renderer that the graphs of a process share.
#include "graph/GraphRendererPool.h"

#include "framework/IResources.h"
#include "graph/NanoVGExt.h"
#include "tests/support/NeedsDisplay.h"

#include <gtest/gtest.h>

#include <string>

namespace
{
const std::string kFont = CREST_BUNDLE_DIR "/Contents/Resources/font.ttf";
} // namespace

TEST(GraphRendererPool, OnePerProcessItsSpareWithTheFontGoesToTheFirstTaker)
{
  const int filesBefore = IResources::NumShared();
  {
    auto pool = GraphRendererPool::Get(kFont);
    ASSERT_HAS_GL(pool->Context().IsValid());
    EXPECT_EQ(GraphRendererPool::Get(""), pool) << "one context for every graph";
    EXPECT_EQ(IResources::NumShared(), filesBefore + 1) << "the spare's font bytes";
    ASSERT_TRUE(pool->Context().Bind());
    NVGcontext* first = pool->TakeRenderer(kFont);
    NVGcontext* second = pool->TakeRenderer(kFont);
    ASSERT_NE(first, nullptr);
    ASSERT_NE(second, nullptr);
    EXPECT_NE(first, second);
    EXPECT_GE(nvgFindFont(first, "font"), 0);
    EXPECT_LT(nvgFindFont(second, "font"), 0) << "made on demand, without a font";
    nvgDeleteGL2Ext(first);
    nvgDeleteGL2Ext(second);
    pool->Context().Unbind();
  }
  EXPECT_EQ(IResources::NumShared(), filesBefore) << "gone with the last holder";
}

TEST(GraphRendererPool, TheSpareIsKeptForItsOwnFont)
{
  auto pool = GraphRendererPool::Get(kFont);
  ASSERT_HAS_GL(pool->Context().IsValid());
  ASSERT_TRUE(pool->Context().Bind());
  NVGcontext* other = pool->TakeRenderer("");
  NVGcontext* spare = pool->TakeRenderer(kFont);
  EXPECT_LT(nvgFindFont(other, "font"), 0);
  EXPECT_GE(nvgFindFont(spare, "font"), 0);
  nvgDeleteGL2Ext(other);
  nvgDeleteGL2Ext(spare);
  pool->Context().Unbind();
}

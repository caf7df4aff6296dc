// Switching the editor size through the size parameters (as a restored
// state does): the graph, the view and the landscape history survive.
#include "framework/IGraphics.h"
#include "graph/GraphControl10.h"
#include "plugin/Crest.h"
#include "tests/framework/EditorTestPlug.h"
#include "tests/support/TestHost.h"
#include "view3d/CrestRender.h"
#include "view3d/LinesRender.h"

#include <gtest/gtest.h>

#include <cmath>

namespace
{
std::vector<double> State(double small, double medium, double big)
{
  return {0, 50, 50, 50, 0, 15, 45, 0, small, medium, big};
}

bool Attached(IGraphics* g, IControl* c)
{
  for (int i = 0; i < g->NControls(); ++i)
    if (g->GetControl(i) == c)
      return true;
  return false;
}
} // namespace

TEST(EditorSize, RestoredSizeParametersResizeAndKeepGraphViewAndHistory)
{
  UseSourceResources();
  TestHost host;
  Crest* crest = host.Plug();
  IGraphics* g = crest->GetGUI();
  GraphControl10* graph = crest->GetGraph();
  CrestRender* view = crest->GetView();
  ASSERT_NE(graph, nullptr);
  int baseW = 0, baseH = 0;
  graph->GetSize(&baseW, &baseH);

  std::vector<float> sound(8192);
  for (size_t i = 0; i < sound.size(); ++i)
    sound[i] = static_cast<float>(0.8 * std::sin(0.05 * static_cast<double>(i)));
  host.Render({sound, sound});
  const std::vector<Point3D> newest = view->GetLines()->GetHistoryLine(31);

  struct
  {
    std::vector<double> state;
    int w, h;
  } steps[] = {{State(0, 1, 0), 920, 640}, {State(0, 0, 1), 1040, 722}, {State(1, 0, 0), 800, 555}};
  for (const auto& step : steps)
  {
    ASSERT_EQ(host.SetChunk(MakeChunk(step.state)), ACF_SUCCESS);
    EXPECT_EQ(g->Width(), step.w);
    EXPECT_EQ(g->Height(), step.h);
    EXPECT_EQ(ChunkValues(host.GetChunk()), step.state);
    EXPECT_EQ(crest->GetGraph(), graph);
    EXPECT_EQ(crest->GetView(), view);
    EXPECT_TRUE(Attached(g, graph));
    EXPECT_EQ(g->GetControl(g->NControls() - 1), graph); // drawn last
    int w = 0, h = 0;
    graph->GetSize(&w, &h);
    EXPECT_EQ(w, (baseW + step.w - 800) / 4 * 4);
    EXPECT_EQ(h, (baseH + step.h - 555) / 4 * 4);
    const std::vector<Point3D>& kept = view->GetLines()->GetHistoryLine(31);
    ASSERT_EQ(kept.size(), newest.size());
    for (size_t i = 0; i < kept.size(); i += 97)
      EXPECT_EQ(kept[i].y, newest[i].y);
  }
}

TEST(EditorSize, ASizeParameterAtZeroOrAtTheCurrentSizeChangesNothing)
{
  UseSourceResources();
  TestHost host;
  Crest* crest = host.Plug();
  IGraphics* g = crest->GetGUI();
  IControl* first = g->GetControl(0);
  const int count = g->NControls();

  // All three at 0: nothing is resized, the small switch just reads 0.
  ASSERT_EQ(host.SetChunk(MakeChunk(State(0, 0, 0))), ACF_SUCCESS);
  EXPECT_EQ(g->Width(), 800);
  EXPECT_EQ(g->GetControl(0), first);

  // The current size again: the controls stay as they are.
  ASSERT_EQ(host.SetChunk(MakeChunk(State(1, 0, 0))), ACF_SUCCESS);
  EXPECT_EQ(g->Width(), 800);
  EXPECT_EQ(g->NControls(), count);
  EXPECT_EQ(g->GetControl(0), first);
  EXPECT_TRUE(Attached(g, crest->GetGraph()));
}

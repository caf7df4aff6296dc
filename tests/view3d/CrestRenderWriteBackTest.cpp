// The camera changes made with the mouse, written back to a real plug-in
// object's parameters and reported to the host.
#include "view3d/CrestRender.h"

#include "framework/IMouseMod.h"
#include "plugin/Crest.h"
#include "tests/support/TestHost.h"

#include <gtest/gtest.h>

namespace
{
constexpr double kRate = 44100.0;
} // namespace

TEST(CrestRenderWriteBack, MouseCameraChangesReachThePlugInsParameters)
{
  TestHost host;
  Crest* plug = host.Plug();
  ASSERT_NE(plug, nullptr);
  CrestRender view(plug, nullptr, kRate);
  IMouseMod plain;

  view.OnMouseDown(0, 0, &plain);
  view.OnMouseDrag(30, 20, 0, 0, &plain);
  EXPECT_DOUBLE_EQ(plug->GetParam(Crest::kAngle0)->Value(), 30.0);
  EXPECT_DOUBLE_EQ(plug->GetParam(Crest::kAngle1)->Value(), 35.0);

  host.Idle();
  host.events.clear();
  view.OnMouseWheel(0, 0, nullptr, 1.0);
  EXPECT_NEAR(plug->GetParam(Crest::kCamFov)->Value(), 45.0 / 1.025, 1e-9);
  host.Idle();
  ASSERT_FALSE(host.events.empty());
  EXPECT_EQ(host.events[1].id, "7");

  host.Idle();
  host.events.clear();
  EXPECT_TRUE(view.OnMouseDblClick(0, 0, &plain));
  EXPECT_DOUBLE_EQ(plug->GetParam(Crest::kAngle0)->GetNormalized(), 0.5);
  EXPECT_DOUBLE_EQ(plug->GetParam(Crest::kAngle1)->GetNormalized(), 0.0);
  EXPECT_DOUBLE_EQ(plug->GetParam(Crest::kCamFov)->GetNormalized(), 1.0);
  // Angle0, Angle1 and CamFov, each told to the host.
  host.Idle();
  int values = 0;
  for (const TestHost::Event& e : host.events)
    values += e.kind == "value";
  EXPECT_EQ(values, 3);

  // Setters from the plug-in write nothing back.
  host.events.clear();
  view.SetAngle0(40.0);
  view.SetCamFov(20.0);
  host.Idle();
  EXPECT_TRUE(host.events.empty());
}

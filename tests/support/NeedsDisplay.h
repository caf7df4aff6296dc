// For the tests that draw with GL or open windows: without an X display (or
// without a GL context the graph can use) they fail rather than skip, so
// that a machine whose display broke cannot pass the suite.
#pragma once

#include <gtest/gtest.h>

#define ASSERT_HAS_DISPLAY(haveDisplay) \
  ASSERT_TRUE(haveDisplay) << "no X display: the suite needs one (run it under xvfb-run)"

#define ASSERT_HAS_GL(haveGL) \
  ASSERT_TRUE(haveGL) << "no OpenGL 2 context with framebuffers: the suite needs one (run it under xvfb-run)"

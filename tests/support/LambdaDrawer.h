// A custom drawer whose PreDraw and PostDraw run given functions and count
// their calls.
#pragma once

#include "graph/GraphCustomDrawer.h"

#include <functional>

class LambdaDrawer : public GraphCustomDrawer
{
public:
  using Fn = std::function<void(NVGcontext*, int, int)>;

  explicit LambdaDrawer(Fn pre = nullptr, Fn post = nullptr) : mPre(std::move(pre)), mPost(std::move(post)) {}

  void PreDraw(NVGcontext* vg, int width, int height) override
  {
    ++mNumPre;
    mLastWidth = width;
    mLastHeight = height;
    if (mPre)
      mPre(vg, width, height);
  }
  void PostDraw(NVGcontext* vg, int width, int height) override
  {
    ++mNumPost;
    if (mPost)
      mPost(vg, width, height);
  }

  int mNumPre = 0, mNumPost = 0;
  int mLastWidth = 0, mLastHeight = 0;

private:
  Fn mPre, mPost;
};

#include "graph/GraphRendererPool.h"

#include "graph/GraphRendererFlags.h"

std::shared_ptr<GraphRendererPool> GraphRendererPool::Get()
{
  static std::mutex mutex;
  static std::weak_ptr<GraphRendererPool> shared;
  std::lock_guard<std::mutex> lock(mutex);
  std::shared_ptr<GraphRendererPool> pool = shared.lock();
  if (!pool)
  {
    pool = std::make_shared<GraphRendererPool>();
    if (pool->mContext.IsValid())
      shared = pool;
  }
  return pool;
}

GraphRendererPool::GraphRendererPool() : mContext("QX-Crest", nullptr)
{
  if (!mContext.Bind())
    return;
  mSpare = nvgCreateGL2Ext(kGraphRendererFlags);
  mContext.Unbind();
}

GraphRendererPool::~GraphRendererPool()
{
  if (mSpare != nullptr && mContext.Bind())
  {
    nvgDeleteGL2Ext(mSpare);
    mContext.Unbind();
  }
}

NVGcontext* GraphRendererPool::TakeRenderer()
{
  {
    std::lock_guard<std::mutex> lock(mMutex);
    if (NVGcontext* spare = mSpare)
    {
      mSpare = nullptr;
      return spare;
    }
  }
  return nvgCreateGL2Ext(kGraphRendererFlags);
}

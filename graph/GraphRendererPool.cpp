#include "graph/GraphRendererPool.h"

#include "framework/IResources.h"
#include "graph/GraphRendererFlags.h"

std::shared_ptr<GraphRendererPool> GraphRendererPool::Get(const std::string& fontPath)
{
  static std::mutex mutex;
  static std::weak_ptr<GraphRendererPool> shared;
  std::lock_guard<std::mutex> lock(mutex);
  std::shared_ptr<GraphRendererPool> pool = shared.lock();
  if (!pool)
  {
    pool = std::make_shared<GraphRendererPool>(fontPath);
    if (pool->mContext.IsValid())
      shared = pool;
  }
  return pool;
}

GraphRendererPool::GraphRendererPool(const std::string& fontPath) : mContext("QX-Crest", nullptr)
{
  if (!mContext.Bind())
    return;
  mSpare = nvgCreateGL2Ext(kGraphRendererFlags);
  if (mSpare != nullptr && !fontPath.empty())
  {
    mSpareFont = IResources::SharedFile(fontPath);
    if (mSpareFont && !mSpareFont->empty() &&
        nvgCreateFontMem(mSpare, "font", const_cast<unsigned char*>(mSpareFont->data()),
                         static_cast<int>(mSpareFont->size()), 0) >= 0)
      mSpareFontPath = fontPath;
  }
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

NVGcontext* GraphRendererPool::TakeRenderer(const std::string& fontPath)
{
  {
    std::lock_guard<std::mutex> lock(mMutex);
    if (mSpare != nullptr && fontPath == mSpareFontPath)
    {
      NVGcontext* spare = mSpare;
      mSpare = nullptr;
      return spare;
    }
  }
  return nvgCreateGL2Ext(kGraphRendererFlags);
}

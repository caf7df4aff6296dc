// The GL context that every graph of the process renders with, and one
// vector renderer made on it ahead of need, with the first graph's font. A
// graph makes its renderer only when it first draws; the first one to do so
// takes the spare, so the first editor a process opens waits neither for the
// GL driver, its shader compiler nor the font (all set up with the first
// graph), and later ones only make a renderer. Made by the first graph,
// freed with the last.
//
// Threads: Get may run on any thread. The context's Bind keeps the graphs of
// other threads out while one draws; TakeRenderer runs with it bound.
#pragma once

#include "graph/GLContext3.h"

#include <memory>
#include <mutex>
#include <string>
#include <vector>

struct NVGcontext;

class GraphRendererPool
{
public:
  // The process's pool; made when none is alive. Never null; one without a
  // usable context (no display) is not kept, so the next caller tries again.
  static std::shared_ptr<GraphRendererPool> Get(const std::string& fontPath);

  explicit GraphRendererPool(const std::string& fontPath);
  ~GraphRendererPool();

  GraphRendererPool(const GraphRendererPool&) = delete;
  GraphRendererPool& operator=(const GraphRendererPool&) = delete;

  GLContext3& Context() { return mContext; }
  // A renderer with the graph's flags, the caller's to delete
  // (nvgDeleteGL2Ext, context bound): the spare while there is one made
  // with this font (then its face "font" is loaded), else a new one without
  // a font; null when none can be made. The context must be bound.
  NVGcontext* TakeRenderer(const std::string& fontPath);

private:
  GLContext3 mContext;
  std::mutex mMutex;
  NVGcontext* mSpare = nullptr;
  std::string mSpareFontPath;
  std::shared_ptr<const std::vector<unsigned char>> mSpareFont;
};

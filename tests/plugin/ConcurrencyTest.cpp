// The audio thread renders while the interface thread changes settings,
// moves the camera, saves state and draws, and host threads restore and
// read state: nobody waits for anybody else's lock (run under
// ThreadSanitizer to check).
#include "framework/IGraphics.h"
#include "framework/IMouseMod.h"
#include "graph/GraphControl10.h"
#include "plugin/Crest.h"
#include "tests/support/TestHost.h"
#include "view3d/CrestRender.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cmath>
#include <cstring>
#include <future>
#include <mutex>
#include <thread>

namespace
{
// Renders a sine in stereo blocks on a thread of its own until stopped, and
// at least minBlocks; every output sample is checked against its input.
class AudioThread
{
public:
  AudioThread(TestHost& host, int block, int minBlocks)
    : mThread([this, &host, block, minBlocks] {
        std::vector<float> l(block), r(block), ol(block), orr(block);
        const float* ins[2] = {l.data(), r.data()};
        float* outs[2] = {ol.data(), orr.data()};
        long t = 0;
        while (!mStop.load() || mBlocks.load() < minBlocks)
        {
          for (int i = 0; i < block; ++i, ++t)
            l[i] = r[i] = static_cast<float>(0.5 * std::sin(0.03 * t));
          ASSERT_EQ(host.Factory()->render(host.Effect(), ins, outs, block), ACF_SUCCESS);
          ASSERT_EQ(std::memcmp(ol.data(), l.data(), sizeof(float) * block), 0);
          ++mBlocks;
        }
      })
  {
  }
  ~AudioThread() { Stop(); }

  int Blocks() const { return mBlocks.load(); }
  // Ends the thread; the blocks it rendered.
  int Stop()
  {
    mStop = true;
    if (mThread.joinable())
      mThread.join();
    return Blocks();
  }

private:
  std::atomic<bool> mStop{false};
  std::atomic<int> mBlocks{0};
  std::thread mThread;
};

// A host whose editor has its pictures, so the graph has its size.
struct EditorHost : TestHost
{
  EditorHost() : TestHost((IGraphics::SetDefaultResourceDir(CREST_SOURCE_DIR), true)) {}
};
} // namespace

TEST(Concurrency, AudioThreadAndInterfaceThreadShareThePlugIn)
{
  TestHost host;
  host.record = false;
  auto* f = host.Factory();
  AcfEffect* e = host.Effect();

  AudioThread audio(host, 512, 200);

  std::vector<uint8_t> rgba(800 * 556 * 4);
  for (int i = 0; i < 60; ++i)
  {
    f->updateParameter(e, "1", (i % 3) / 2.0);
    f->updateParameter(e, "3", (i % 10) / 10.0);
    host.Plug()->UpdateCameraAngles(i - 30.0, 15.0 + i);
    host.Plug()->UpdateCamFov(15.0 + i % 30);
    host.GetChunk();
    f->editorIdle(e);
    if (i % 10 == 0)
      f->editorSnapshot(e, 1, rgba.data(), 400, 200);
  }
  EXPECT_GE(audio.Stop(), 200);
  EXPECT_GT(host.Plug()->GetView()->GetFrameCount(), 0u);
}

namespace
{
std::vector<double> SizeState(bool big) { return {0, 50, 50, 50, 0, 15, 45, 0, big ? 0.0 : 1.0, 0, big ? 1.0 : 0.0}; }

// Runs body on a second thread while this one restores states switching the
// editor between its small and big sizes, for about the given time.
template <typename Body>
void WhileRestoringSizes(TestHost& host, int milliseconds, Body body)
{
  std::atomic<bool> stop{false};
  std::thread other([&] {
    while (!stop.load())
      body();
  });
  const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
  for (int i = 0; std::chrono::steady_clock::now() < end; ++i)
    ASSERT_EQ(host.SetChunk(MakeChunk(SizeState(i % 2 == 1))), ACF_SUCCESS);
  stop = true;
  other.join();
}
} // namespace

TEST(Concurrency, SnapshotsWriteOnlyTheCallersBytesWhileRestoresResize)
{
  TestHost host;
  host.record = false;
  auto* f = host.Factory();
  AcfEffect* e = host.Effect();
  // A 4 x 4 graph picture with guard bytes after it.
  std::vector<uint8_t> graph(64 + 256, 0xAB);
  std::vector<uint8_t> editor;
  std::atomic<int> graphShots{0}, editorShots{0};
  WhileRestoringSizes(host, 600, [&] {
    if (f->editorSnapshot(e, 1, graph.data(), 4, 4) == ACF_SUCCESS)
      ++graphShots;
    int32_t w = 0, h = 0;
    ASSERT_EQ(f->editorSize(e, &w, &h), ACF_SUCCESS);
    editor.assign(static_cast<size_t>(w) * h * 4 + 64, 0xCD);
    const AcfResult r = f->editorSnapshot(e, 0, editor.data(), w, h);
    // The size may have changed in between; then the call is refused.
    ASSERT_TRUE(r == ACF_SUCCESS || r == ACF_ERROR_INVALID_ARGUMENT) << r;
    if (r == ACF_SUCCESS)
      ++editorShots;
    for (size_t i = editor.size() - 64; i < editor.size(); ++i)
      ASSERT_EQ(editor[i], 0xCD);
  });
  for (size_t i = 64; i < graph.size(); ++i)
    ASSERT_EQ(graph[i], 0xAB) << "byte " << i;
  EXPECT_GT(graphShots.load() + editorShots.load(), 0);
}

TEST(Concurrency, TwoRestoresAtOnceLeaveTheEditorAtTheSizeTheStateSays)
{
  TestHost host;
  host.record = false;
  WhileRestoringSizes(host, 400, [&] { ASSERT_EQ(host.SetChunk(MakeChunk(SizeState(false))), ACF_SUCCESS); });
  int32_t w = 0, h = 0;
  ASSERT_EQ(host.Factory()->editorSize(host.Effect(), &w, &h), ACF_SUCCESS);
  const std::vector<double> state = ChunkValues(host.GetChunk());
  EXPECT_EQ(w, state[Crest::kBigGUI] == 1.0 ? 1040 : 800);
  EXPECT_EQ(state[Crest::kSmallGUI] + state[Crest::kBigGUI], 1.0);
}

// The editor's thread drives the view with the mouse, and a host thread
// saves, compares and restores state, while the audio thread renders.
TEST(Concurrency, MouseAndStateCallsWhileTheAudioThreadRenders)
{
  EditorHost host;
  host.record = false;
  auto* f = host.Factory();
  AcfEffect* e = host.Effect();
  AudioThread audio(host, 256, 0);
  std::atomic<bool> stop{false};
  std::thread state([&] {
    const std::vector<unsigned char> chunk = host.GetChunk();
    while (!stop.load())
    {
      ASSERT_EQ(host.SetChunk(chunk), ACF_SUCCESS);
      host.Compare(chunk);
    }
  });

  IGraphics* g = host.Plug()->GetGUI();
  const IRECT* r = host.Plug()->GetGraph()->GetRECT();
  const int cx = (r->L + r->R) / 2, cy = (r->T + r->B) / 2;
  IMouseMod left(true), alt(true);
  alt.A = true;
  for (int i = 0; i < 40 || audio.Blocks() < 100; ++i)
  {
    g->OnMouseDown(cx, cy, &left);
    g->OnMouseDrag(cx + 5 + i, cy + 3, &left);
    g->OnMouseUp(cx + 5 + i, cy + 3, &left);
    g->OnMouseWheel(cx, cy, &left, i % 2 ? 1.0 : -1.0);
    g->OnMouseDown(cx, cy, &alt);
    g->OnMouseUp(cx, cy, &alt);
    g->OnMouseDblClick(cx, cy, &left);
    f->editorIdle(e);
  }
  stop = true;
  state.join();
  EXPECT_GE(audio.Stop(), 100);
}

// The host hears the plug-in only on the thread that idles the editor, at
// most one echo of the graph's parameter per tick, never from inside its own
// value update and never while a lock of ours is held: a host thread that
// needs the plug-in's state from inside a callback gets it.
TEST(Concurrency, HostCallbacksComeFromTheIdlingThreadWithNoLockOfOursHeld)
{
  EditorHost host;
  host.record = false;
  std::atomic<int> fromOtherThreads{0}, blocked{0}, calls{0}, graphEchoes{0};
  std::mutex pendingLock;
  std::vector<std::future<size_t>> pending;
  const std::thread::id ui = std::this_thread::get_id();
  host.onEvent = [&](const TestHost::Event& event) {
    ++calls;
    if (event.thread != ui)
      ++fromOtherThreads;
    if (event.id == "8")
      ++graphEchoes;
    // As a host whose callback waits for its own thread, which needs us.
    // (Kept past the callback: one that waited in vain ends later.)
    auto other = std::async(std::launch::async, [&] { return host.GetChunk().size(); });
    if (other.wait_for(std::chrono::seconds(2)) != std::future_status::ready)
      ++blocked;
    std::lock_guard<std::mutex> lock(pendingLock);
    pending.push_back(std::move(other));
  };
  AudioThread audio(host, 256, 50);
  IGraphics* g = host.Plug()->GetGUI();
  const IRECT* r = host.Plug()->GetGraph()->GetRECT();
  const int cx = (r->L + r->R) / 2, cy = (r->T + r->B) / 2;
  IMouseMod left(true);
  for (int i = 0; i < 10; ++i)
  {
    const int before = calls.load();
    ASSERT_EQ(host.Update("2", 0.1 * i), ACF_SUCCESS);
    EXPECT_EQ(calls.load(), before) << "a callback from inside updateParameter";
    g->OnMouseDown(cx, cy, &left);
    g->OnMouseDrag(cx + 5 + i, cy + 3, &left);
    g->OnMouseUp(cx + 5 + i, cy + 3, &left);
    const int echoes = graphEchoes.load();
    host.Idle();
    EXPECT_LE(graphEchoes.load() - echoes, 1);
  }
  EXPECT_GE(audio.Stop(), 50);
  host.Idle();
  EXPECT_GT(calls.load(), 0);
  EXPECT_GT(graphEchoes.load(), 0);
  EXPECT_EQ(fromOtherThreads.load(), 0);
  EXPECT_EQ(blocked.load(), 0);
}

// A record read back right after it was restored is that record, while the
// audio thread renders and the editor redraws.
TEST(Concurrency, ChunkReadBackRightAfterARestoreIsWhatWasRestored)
{
  TestHost host;
  host.record = false;
  AudioThread audio(host, 64, 200);
  std::atomic<bool> stop{false};
  std::thread ui([&] {
    while (!stop.load())
      host.Idle();
  });
  for (int i = 0; i < 200; ++i)
  {
    const double graph = (i % 7) / 6.0;
    const std::vector<unsigned char> chunk = MakeChunk({0, 10.0 + i % 50, 50, 50, 0, 15, 45, graph, 1, 0, 0});
    ASSERT_EQ(host.SetChunk(chunk), ACF_SUCCESS);
    ASSERT_EQ(host.GetChunk(), chunk) << i;
  }
  stop = true;
  ui.join();
  EXPECT_GE(audio.Stop(), 200);
}

// A right click on the graph prompts for its parameter's value while the
// audio thread renders and requests redraws (the race shows under
// ThreadSanitizer).
TEST(Concurrency, PromptOnTheGraphWhileTheAudioThreadRenders)
{
  EditorHost host;
  host.record = false;
  AudioThread audio(host, 128, 100);
  IGraphics* g = host.Plug()->GetGUI();
  const IRECT* r = host.Plug()->GetGraph()->GetRECT();
  IMouseMod right(false, true);
  for (int i = 0; i < 50; ++i)
  {
    g->OnMouseDown((r->L + r->R) / 2, (r->T + r->B) / 2, &right);
    EXPECT_TRUE(g->IsPrompting());
    g->CancelTextEntry();
    host.Idle();
  }
  EXPECT_GE(audio.Stop(), 100);
}

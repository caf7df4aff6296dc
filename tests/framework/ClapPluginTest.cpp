// The CLAP module as our own CLAP host loads it: factory and descriptors,
// bit-exact pass-through at three rates, parameters and their events
// (applied without allocating),
// state through one-byte streams and bad records, the editor in a host's
// X window on the host's timer with camera drags arriving as gestures, and
// sixteen instances on four threads. The same host passes a packaged
// plug-in and fails plug-ins that break one rule each.
#include "framework/IPlugExporter.h"
#include "tests/framework/EditorTestPlug.h"
#include "tests/support/AllocationCounter.h"
#include "tests/support/ClapChecks.h"
#include "tests/support/ClapHost.h"
#include "tests/support/TestHost.h"

#include <gtest/gtest.h>

#include <clap/ext/latency.h>

#include <atomic>
#include <chrono>
#include <cmath>
#include <cstring>
#include <limits>
#include <memory>
#include <set>
#include <string>
#include <thread>
#include <vector>

// Last: Xlib's macros (None, Bool) would spoil the headers above.
#include <X11/Xlib.h>

#include "tests/support/XEvents.h"

namespace
{
const std::string kMono = "com.tessaro.qxcrest.mono";
const std::string kStereo = "com.tessaro.qxcrest.stereo";
// Parameter ids are the plug-in's indices plus one.
constexpr clap_id kMode = 1, kSpeed = 2, kDensity = 3, kAngle0 = 5, kGraph = 8, kBigGUI = 11;

ClapModule& Module()
{
  static ClapModule m(CREST_CLAP_MODULE);
  return m;
}

double Get(const ClapHost& h, clap_id id)
{
  double v = std::nan("");
  h.Ext<clap_plugin_params_t>(CLAP_EXT_PARAMS)->get_value(h.Plugin(), id, &v);
  return v;
}

std::vector<double> RecordValues(const std::vector<uint8_t>& r)
{
  std::vector<double> v(r.size() / 8);
  std::memcpy(v.data(), r.data(), v.size() * 8);
  return v;
}
} // namespace

TEST(ClapPlugin, FactoryListsMonoAndStereoWithTheirFeaturesAndExtensions)
{
  ASSERT_TRUE(Module().Ok()) << Module().Error();
  const auto list = Module().Descriptors();
  ASSERT_EQ(list.size(), 2u);
  const std::string layouts[] = {"mono", "stereo"};
  for (size_t i = 0; i < 2; ++i)
  {
    SCOPED_TRACE(layouts[i]);
    EXPECT_EQ(list[i]->id, i == 0 ? kMono : kStereo);
    EXPECT_STREQ(list[i]->name, i == 0 ? "QX Crest Mono" : "QX Crest Stereo");
    std::set<std::string> features;
    for (const char* const* f = list[i]->features; *f; ++f)
      features.insert(*f);
    EXPECT_EQ(features, (std::set<std::string>{"audio-effect", "analyzer", layouts[i]}));

    ClapHost h(Module(), list[i]->id);
    ASSERT_TRUE(h.Ok());
    EXPECT_EQ(h.Channels(true), i + 1);
    EXPECT_EQ(h.Channels(false), i + 1);
    const auto* ports = h.Ext<clap_plugin_audio_ports_t>(CLAP_EXT_AUDIO_PORTS);
    clap_audio_port_info_t port{};
    ASSERT_TRUE(ports->get(h.Plugin(), 0, false, &port));
    EXPECT_EQ(port.in_place_pair, 0u);
    EXPECT_TRUE(port.flags & CLAP_AUDIO_PORT_IS_MAIN);
    const auto* latency = h.Ext<clap_plugin_latency_t>(CLAP_EXT_LATENCY);
    ASSERT_NE(latency, nullptr);
    EXPECT_EQ(latency->get(h.Plugin()), 0u);
    for (const char* ext : {CLAP_EXT_PARAMS, CLAP_EXT_STATE, CLAP_EXT_GUI, CLAP_EXT_TIMER_SUPPORT})
      EXPECT_NE(h.Ext<void>(ext), nullptr) << ext;
    EXPECT_FALSE(h.Activate(500.0, 4096));
  }
  EXPECT_FALSE(ClapHost(Module(), "com.tessaro.qxcrest").Ok());
}

TEST(ClapPlugin, PassesAudioThroughBitForBitInBlocksOfOneToTheMaximumAtThreeRates)
{
  for (const std::string& id : {kMono, kStereo})
    for (double rate : {44100.0, 48000.0, 96000.0})
      EXPECT_TRUE(ClapChecks::PassesAudioThrough(Module(), id, rate, 4096));
}

TEST(ClapPlugin, DescribesEveryHostParameterWithBypassStepsRangesAndTexts)
{
  ClapHost h(Module(), kStereo);
  const auto* params = h.Ext<clap_plugin_params_t>(CLAP_EXT_PARAMS);
  ASSERT_EQ(params->count(h.Plugin()), 12u);
  clap_param_info_t info{};
  ASSERT_TRUE(params->get_info(h.Plugin(), 0, &info));
  EXPECT_STREQ(info.name, "Master Bypass");
  const clap_id bypass = info.id;
  EXPECT_TRUE(info.flags & CLAP_PARAM_IS_BYPASS);
  EXPECT_TRUE(info.flags & CLAP_PARAM_IS_STEPPED);
  EXPECT_FALSE(params->get_info(h.Plugin(), 12, &info));

  std::set<clap_id> ids;
  for (uint32_t i = 0; i < 12; ++i)
  {
    ASSERT_TRUE(params->get_info(h.Plugin(), i, &info));
    ids.insert(info.id);
    if (i == 0)
      continue;
    EXPECT_EQ(info.id, i);
    EXPECT_LT(info.min_value, info.max_value);
    EXPECT_GE(info.default_value, info.min_value);
    EXPECT_LE(info.default_value, info.max_value);
    const bool stepped = info.id == kMode || info.id >= kGraph;
    EXPECT_EQ((info.flags & CLAP_PARAM_IS_STEPPED) != 0, stepped) << info.name;
    // Camera, graph and sizes are the plug-in's own: shown, not set by the host.
    const bool readonly = info.id >= kAngle0;
    EXPECT_EQ((info.flags & CLAP_PARAM_IS_READONLY) != 0, readonly) << info.name;
    EXPECT_EQ((info.flags & CLAP_PARAM_IS_AUTOMATABLE) != 0, !readonly) << info.name;
  }
  EXPECT_EQ(ids.size(), 12u);

  char text[64];
  double v = 0.0;
  ASSERT_TRUE(params->value_to_text(h.Plugin(), kMode, 1.0, text, sizeof text));
  EXPECT_STREQ(text, "LINES TIME");
  ASSERT_TRUE(params->text_to_value(h.Plugin(), kMode, "points", &v));
  EXPECT_EQ(v, 2.0);
  ASSERT_TRUE(params->value_to_text(h.Plugin(), kSpeed, 25.0, text, sizeof text));
  EXPECT_STREQ(text, "25.0 %");
  ASSERT_TRUE(params->text_to_value(h.Plugin(), kSpeed, text, &v));
  EXPECT_EQ(v, 25.0);
  ASSERT_TRUE(params->text_to_value(h.Plugin(), kSpeed, " 250 ", &v));
  EXPECT_EQ(v, 100.0);
  EXPECT_FALSE(params->text_to_value(h.Plugin(), kSpeed, "fast", &v));
  EXPECT_FALSE(params->text_to_value(h.Plugin(), kSpeed, "nan", &v));
  EXPECT_FALSE(params->value_to_text(h.Plugin(), kSpeed, std::nan(""), text, sizeof text));
  EXPECT_FALSE(params->value_to_text(h.Plugin(), 999, 1.0, text, sizeof text));
  ASSERT_TRUE(params->value_to_text(h.Plugin(), bypass, 1.0, text, sizeof text));
  EXPECT_STREQ(text, "on");
  ASSERT_TRUE(params->text_to_value(h.Plugin(), bypass, "off", &v));
  EXPECT_EQ(v, 0.0);
}

TEST(ClapPlugin, ParameterEventsTakeFiniteValuesClampedAtTheirOffsetsAndIgnoreTheRest)
{
  ClapHost h(Module(), kStereo);
  ASSERT_TRUE(h.Activate(48000.0, 4096));
  clap_param_info_t info{};
  h.Ext<clap_plugin_params_t>(CLAP_EXT_PARAMS)->get_info(h.Plugin(), 0, &info);
  const clap_id bypass = info.id;
  const double inf = std::numeric_limits<double>::infinity();

  std::vector<float> l(1024), r(1024);
  for (size_t i = 0; i < l.size(); ++i)
    l[i] = r[i] = static_cast<float>(std::sin(0.05 * static_cast<double>(i)));
  const std::vector<float> in = l;
  const std::vector<const float*> ins = {l.data(), r.data()};
  const std::vector<float*> outs = {l.data(), r.data()};
  auto run = [&](const std::vector<clap_event_param_value_t>& events) {
    l = r = in;
    size_t allocations = 0;
    {
      AllocationCounter counter;
      EXPECT_EQ(h.Process(ins, outs, 1024, events), CLAP_PROCESS_CONTINUE);
      allocations = counter.Count();
    }
    EXPECT_EQ(allocations, 0u);
    EXPECT_EQ(l, in);
    EXPECT_EQ(r, in);
  };

  // The first block may still size what the analysis keeps.
  h.Process(ins, outs, 1024);
  run({ClapHost::Value(kSpeed, 30.0, 0), ClapHost::Value(kDensity, 70.0, 100), ClapHost::Value(kMode, 2.0, 1023)});
  EXPECT_EQ(Get(h, kSpeed), 30.0);
  EXPECT_EQ(Get(h, kDensity), 70.0);
  EXPECT_EQ(Get(h, kMode), 2.0);

  // Not finite: ignored. Out of range: clamped. The plug-in's own
  // parameters, unknown ids and stray offsets change nothing.
  const double angle = Get(h, kAngle0);
  run({ClapHost::Value(kSpeed, std::nan(""), 3), ClapHost::Value(kDensity, inf, 4), ClapHost::Value(kMode, -inf, 5),
       ClapHost::Value(bypass, std::nan(""), 6), ClapHost::Value(kAngle0, angle + 10.0, 7),
       ClapHost::Value(999, 1.0, 8), ClapHost::Value(kBigGUI, 1.0, 9)});
  EXPECT_EQ(Get(h, kSpeed), 30.0);
  EXPECT_EQ(Get(h, kDensity), 70.0);
  EXPECT_EQ(Get(h, kMode), 2.0);
  EXPECT_EQ(Get(h, bypass), 0.0);
  EXPECT_EQ(Get(h, kAngle0), angle);
  EXPECT_EQ(Get(h, kBigGUI), 0.0);
  run({ClapHost::Value(kSpeed, 1e300, 0), ClapHost::Value(kDensity, -5.0, 5000), ClapHost::Value(bypass, 1.0, 512)});
  EXPECT_EQ(Get(h, kSpeed), 100.0);
  EXPECT_EQ(Get(h, kDensity), 0.0);
  EXPECT_EQ(Get(h, bypass), 1.0);

  // flush applies events without audio, active or not.
  ASSERT_TRUE(h.Flush({ClapHost::Value(kSpeed, 12.5), ClapHost::Value(bypass, 0.0)}));
  EXPECT_EQ(Get(h, kSpeed), 12.5);
  EXPECT_EQ(Get(h, bypass), 0.0);
  h.Deactivate();
  ASSERT_TRUE(h.Flush({ClapHost::Value(kMode, 1.0)}));
  EXPECT_EQ(Get(h, kMode), 1.0);
}

TEST(ClapPlugin, StateMovesThroughOneByteStreamsAndBadRecordsAreRefusedOrClamped)
{
  EXPECT_TRUE(ClapChecks::RoundTripsStateByteByByte(Module(), kMono));
  ClapHost h(Module(), kStereo);
  ASSERT_TRUE(h.Flush({ClapHost::Value(kMode, 2.0), ClapHost::Value(kSpeed, 40.0)}));
  std::vector<uint8_t> record;
  ASSERT_TRUE(h.Save(&record, 1));
  ASSERT_EQ(record.size(), 88u);
  EXPECT_EQ(RecordValues(record)[0], 2.0);
  EXPECT_EQ(RecordValues(record)[1], 40.0);

  // Cut short, too large, or broken off by a read error: refused, nothing changes.
  std::vector<uint8_t> other = record;
  other[8 * 1 + 7] ^= 0x01;
  std::vector<uint8_t> cut(other.begin(), other.begin() + 40);
  std::vector<uint8_t> huge(IPlugExporter::kMaxStateBytes + 1, 0);
  EXPECT_FALSE(h.Load(cut, 1));
  EXPECT_FALSE(h.Load({}, 1));
  EXPECT_FALSE(h.Load(huge, 4096));
  EXPECT_FALSE(h.Load(other, 3, true));
  std::vector<uint8_t> now;
  ASSERT_TRUE(h.Save(&now));
  EXPECT_EQ(now, record);

  // Full records restore as in the ACF interface, record for record:
  // garbage and non-finite values read as values in their ranges.
  std::vector<double> odd = {1, 70, 30, 90, -45, 60, 20, 0, 1, 0, 0};
  odd[1] = std::nan("");
  odd[2] = std::numeric_limits<double>::infinity();
  odd[4] = -1e300;
  std::vector<uint8_t> garbage(88);
  for (size_t i = 0; i < garbage.size(); ++i)
    garbage[i] = static_cast<uint8_t>(i * 37 + 11);
  const auto* params = h.Ext<clap_plugin_params_t>(CLAP_EXT_PARAMS);
  for (const std::vector<uint8_t>& given : {MakeChunk(odd), garbage})
  {
    ASSERT_TRUE(h.Load(given, 1));
    ASSERT_TRUE(h.Save(&now));
    TestHost acf(true);
    ASSERT_EQ(acf.SetChunk(given), ACF_SUCCESS);
    EXPECT_EQ(now, acf.GetChunk());
    const std::vector<double> values = RecordValues(now);
    for (uint32_t i = 1; i < 12; ++i)
    {
      clap_param_info_t info{};
      params->get_info(h.Plugin(), i, &info);
      EXPECT_GE(values[i - 1], info.min_value) << info.name;
      EXPECT_LE(values[i - 1], info.max_value) << info.name;
    }
  }
}

TEST(ClapPlugin, EditorEmbedsInTheHostWindowRunsOnTheHostTimerAndSendsCameraDragsAsGestures)
{
  Display* display = static_cast<Display*>(OpenTestDisplay());
  ASSERT_NE(display, nullptr) << "the editor test needs an X display";
  ClapHost h(Module(), kStereo);
  ASSERT_TRUE(h.Activate(48000.0, 512));
  std::vector<float> l(512), r(512);
  auto play = [&](int blocks) {
    static long t = 0;
    for (int b = 0; b < blocks; ++b)
    {
      for (size_t i = 0; i < 512; ++i, ++t)
        l[i] = r[i] = static_cast<float>(0.4 * std::sin(0.031 * static_cast<double>(t)));
      h.Process({l.data(), r.data()}, {l.data(), r.data()}, 512);
    }
  };
  play(50);

  const auto* gui = h.Ext<clap_plugin_gui_t>(CLAP_EXT_GUI);
  ASSERT_NE(gui, nullptr);
  const clap_plugin_t* p = h.Plugin();
  EXPECT_TRUE(gui->is_api_supported(p, CLAP_WINDOW_API_X11, false));
  EXPECT_FALSE(gui->is_api_supported(p, CLAP_WINDOW_API_X11, true));
  EXPECT_FALSE(gui->is_api_supported(p, CLAP_WINDOW_API_WAYLAND, false));
  EXPECT_FALSE(gui->create(p, CLAP_WINDOW_API_X11, true));
  ASSERT_TRUE(gui->create(p, CLAP_WINDOW_API_X11, false));
  ASSERT_EQ(h.NTimers(), 1u);
  EXPECT_EQ(h.TimerPeriod(0), 40u);
  uint32_t w = 0, hgt = 0;
  ASSERT_TRUE(gui->get_size(p, &w, &hgt));
  EXPECT_EQ(w, 800u);
  EXPECT_EQ(hgt, 555u);
  EXPECT_TRUE(gui->set_size(p, 800, 555));
  EXPECT_FALSE(gui->set_size(p, 640, 480));

  const Window parent = XCreateSimpleWindow(display, DefaultRootWindow(display), 0, 0, 1040, 722, 0, 0, 0);
  XMapWindow(display, parent);
  XSync(display, False);
  clap_window_t window{};
  window.api = CLAP_WINDOW_API_X11;
  window.x11 = parent;
  ASSERT_TRUE(gui->set_parent(p, &window));
  const std::vector<Window> children = Children(display, parent);
  ASSERT_EQ(children.size(), 1u);
  const Window editor = children[0];

  for (int i = 0; i < 3; ++i)
  {
    play(4);
    h.FireTimers();
  }
  h.TakeFlushRequest();
  h.TakeOutput();
  // A drag across the landscape turns the camera.
  const int x = 400, y = 204;
  Send(display, editor, Button(ButtonPress, editor, x, y, Button1, CurrentTime));
  Send(display, editor, Motion(editor, x + 40, y, CurrentTime, Button1Mask));
  Send(display, editor, Button(ButtonRelease, editor, x + 40, y, Button1, CurrentTime, Button1Mask));
  for (int i = 0; i < 5; ++i)
    h.FireTimers();
  EXPECT_TRUE(h.TakeFlushRequest());
  // It reaches the host in the next block as gesture begin, value, end.
  play(1);
  const std::vector<ClapHost::OutEvent> out = h.TakeOutput();
  std::vector<uint16_t> angle0;
  for (const auto& e : out)
  {
    EXPECT_NE(e.param, kGraph) << "the graph's redraw echo is no change";
    if (e.param == kAngle0)
      angle0.push_back(e.type);
  }
  ASSERT_GE(angle0.size(), 3u);
  EXPECT_EQ(angle0.front(), CLAP_EVENT_PARAM_GESTURE_BEGIN);
  EXPECT_EQ(angle0[1], CLAP_EVENT_PARAM_VALUE);
  EXPECT_EQ(angle0.back(), CLAP_EVENT_PARAM_GESTURE_END);
  EXPECT_NE(Get(h, kAngle0), 0.0);

  // A record that picks the medium size: the editor asks the host for it.
  std::vector<uint8_t> record;
  ASSERT_TRUE(h.Save(&record));
  std::vector<double> values = RecordValues(record);
  values[8] = 0.0;
  values[9] = 1.0;
  ASSERT_TRUE(h.Load(MakeChunk(values)));
  for (int i = 0; i < 3; ++i)
    h.FireTimers();
  EXPECT_EQ(h.RequestedWidth(), 920u);
  EXPECT_EQ(h.RequestedHeight(), 640u);
  ASSERT_TRUE(gui->get_size(p, &w, &hgt));
  EXPECT_EQ(w, 920u);
  EXPECT_EQ(hgt, 640u);

  gui->destroy(p);
  EXPECT_EQ(h.NTimers(), 0u);
  EXPECT_EQ(Children(display, parent).size(), 0u);
  XDestroyWindow(display, parent);
  XCloseDisplay(display);
}

// The editor's thread hands its gestures to an audio thread that runs at
// the same time (for ThreadSanitizer as much as for the result).
TEST(ClapPlugin, EditorGesturesReachAnAudioThreadRunningMeanwhile)
{
  Display* display = static_cast<Display*>(OpenTestDisplay());
  ASSERT_NE(display, nullptr) << "the editor test needs an X display";
  ClapHost h(Module(), kStereo);
  ASSERT_TRUE(h.Activate(48000.0, 512));
  const auto* gui = h.Ext<clap_plugin_gui_t>(CLAP_EXT_GUI);
  const Window parent = XCreateSimpleWindow(display, DefaultRootWindow(display), 0, 0, 800, 555, 0, 0, 0);
  XMapWindow(display, parent);
  XSync(display, False);
  ASSERT_TRUE(gui->create(h.Plugin(), CLAP_WINDOW_API_X11, false));
  clap_window_t window{};
  window.api = CLAP_WINDOW_API_X11;
  window.x11 = parent;
  ASSERT_TRUE(gui->set_parent(h.Plugin(), &window));
  const std::vector<Window> children = Children(display, parent);
  ASSERT_EQ(children.size(), 1u);
  const Window editor = children[0];

  std::atomic<bool> stop{false};
  std::atomic<int> begins{0}, ends{0};
  std::thread audio([&] {
    std::vector<float> l(512), r(512);
    const std::vector<const float*> ins = {l.data(), r.data()};
    const std::vector<float*> outs = {l.data(), r.data()};
    for (int block = 0; !stop; ++block)
    {
      for (size_t i = 0; i < 512; ++i)
        l[i] = r[i] = static_cast<float>(0.4 * std::sin(0.031 * static_cast<double>(block * 512 + i)));
      h.Process(ins, outs, 512, {ClapHost::Value(kSpeed, block % 100, 100)});
      for (const auto& e : h.TakeOutput())
      {
        begins += e.type == CLAP_EVENT_PARAM_GESTURE_BEGIN;
        ends += e.type == CLAP_EVENT_PARAM_GESTURE_END;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
  });
  for (int drag = 0; drag < 4; ++drag)
  {
    Send(display, editor, Button(ButtonPress, editor, 400, 204, Button1, CurrentTime));
    Send(display, editor, Motion(editor, 430 + drag, 204, CurrentTime, Button1Mask));
    Send(display, editor, Button(ButtonRelease, editor, 430 + drag, 204, Button1, CurrentTime, Button1Mask));
    for (int i = 0; i < 3; ++i)
    {
      h.FireTimers();
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
  }
  // Let the audio thread take what the last tick queued.
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  stop = true;
  audio.join();
  EXPECT_GE(begins.load(), 4);
  EXPECT_EQ(begins.load(), ends.load());
  gui->destroy(h.Plugin());
  XDestroyWindow(display, parent);
  XCloseDisplay(display);
}

TEST(ClapPlugin, SixteenInstancesRunOnFourThreadsAtOnce)
{
  std::vector<std::thread> threads;
  std::vector<int> failures(4, 0);
  for (int t = 0; t < 4; ++t)
    threads.emplace_back([t, &failures] {
      // Each thread is the main and the audio thread of its four instances.
      std::vector<std::unique_ptr<ClapHost>> hosts;
      for (int i = 0; i < 4; ++i)
      {
        hosts.push_back(std::make_unique<ClapHost>(Module(), i % 2 ? kStereo : kMono));
        if (!hosts.back()->Ok() || !hosts.back()->Activate(48000.0, 1024))
          ++failures[static_cast<size_t>(t)];
      }
      std::vector<float> a(1024), b(1024), in(1024);
      for (int block = 0; block < 150; ++block)
        for (size_t i = 0; i < hosts.size(); ++i)
        {
          const auto frames = static_cast<uint32_t>(1 + (block * 97 + static_cast<int>(i) * 31) % 1024);
          for (uint32_t k = 0; k < frames; ++k)
            in[k] = a[k] = b[k] = static_cast<float>(std::sin(0.01 * (block * 1024 + k) + t));
          std::vector<float*> bufs = i % 2 ? std::vector<float*>{a.data(), b.data()} : std::vector<float*>{a.data()};
          const std::vector<const float*> ins(bufs.begin(), bufs.end());
          hosts[i]->Process(ins, bufs, frames, {ClapHost::Value(kMode, block % 3, frames / 2)});
          if (std::memcmp(a.data(), in.data(), frames * sizeof(float)) != 0)
            ++failures[static_cast<size_t>(t)];
        }
    });
  for (auto& th : threads)
    th.join();
  EXPECT_EQ(failures, std::vector<int>(4, 0));
}

// Proof that the host is right: a packaged plug-in of the same kind passes
// its generic checks.
TEST(ClapHostChecks, PassAPackagedPlugin)
{
  ClapModule zam("/usr/lib/clap/ZamEQ2.clap");
  ASSERT_TRUE(zam.Ok()) << zam.Error() << " (zam-plugins, installed by scripts/setup.sh)";
  const auto list = zam.Descriptors();
  ASSERT_EQ(list.size(), 1u);
  for (double rate : {44100.0, 48000.0, 96000.0})
    EXPECT_TRUE(ClapChecks::ProcessesBlocks(zam, list[0]->id, rate));
  EXPECT_TRUE(ClapChecks::RoundTripsStateByteByByte(zam, list[0]->id));
}

// Proof that it can fail: a plug-in keeping the rules passes, each one that
// breaks a rule fails the check of that rule and only that one.
TEST(ClapHostChecks, FailPluginsThatBreakOneRule)
{
  const std::string id = "org.example.rule-breaker";
  ClapModule keeps(CREST_CLAP_TEST_DIR "/breaks-none.clap");
  ClapModule shortReads(CREST_CLAP_TEST_DIR "/breaks-short-reads.clap");
  ClapModule oneSample(CREST_CLAP_TEST_DIR "/breaks-one-sample.clap");
  ASSERT_TRUE(keeps.Ok() && shortReads.Ok() && oneSample.Ok());
  EXPECT_TRUE(ClapChecks::PassesAudioThrough(keeps, id, 48000.0, 4096));
  EXPECT_TRUE(ClapChecks::RoundTripsStateByteByByte(keeps, id));
  EXPECT_TRUE(ClapChecks::PassesAudioThrough(shortReads, id, 48000.0, 4096));
  EXPECT_FALSE(ClapChecks::RoundTripsStateByteByByte(shortReads, id));
  EXPECT_FALSE(ClapChecks::PassesAudioThrough(oneSample, id, 48000.0, 4096));
  EXPECT_TRUE(ClapChecks::RoundTripsStateByteByByte(oneSample, id));
}

// The LV2 build as a host sees it through lilv: the Turtle describes the
// plug-in's parameters as the plug-in object has them, run passes audio
// through bit for bit for any block length and buffer sharing without
// allocating, and the state record is the ACF chunk with its restore rules.
#include "plugin/Crest.h"
#include "tests/support/AllocationCounter.h"
#include "tests/support/Lv2Host.h"
#include "tests/support/TestHost.h"

#include <lv2/atom/atom.h>
#include <lv2/instance-access/instance-access.h>
#include <lv2/port-groups/port-groups.h>
#include <lv2/ui/ui.h>
#include <lv2/units/units.h>

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <memory>

namespace
{
bool Has(Lv2World& w, const LilvPlugin* p, const LilvPort* port, const char* predicate, const char* object)
{
  LilvNode* pred = w.Uri(predicate);
  LilvNode* obj = w.Uri(object);
  LilvNodes* values = lilv_port_get_value(p, port, pred);
  const bool found = values && lilv_nodes_contains(values, obj);
  lilv_nodes_free(values);
  lilv_node_free(pred);
  lilv_node_free(obj);
  return found;
}

// Music-like test signal with the values a float path could spoil:
// denormals, negative zero, infinities and a signalling NaN.
std::vector<float> Signal(size_t n, int channel)
{
  std::vector<float> s(n);
  unsigned state = 12345u + static_cast<unsigned>(channel);
  for (size_t i = 0; i < n; ++i)
  {
    state = state * 1664525u + 1013904223u;
    s[i] = static_cast<float>(0.4 * std::sin(0.013 * i * (channel + 1)) + 0.2 * std::sin(0.0713 * i) +
                              0.05 * (static_cast<double>(state >> 8) / 16777216.0 - 0.5));
  }
  uint32_t snan = 0x7f800001u;
  std::memcpy(&s[n / 3], &snan, sizeof snan);
  s[n / 5] = std::numeric_limits<float>::denorm_min();
  s[n / 7] = -0.0f;
  s[n / 11] = std::numeric_limits<float>::infinity();
  return s;
}

bool BitEqual(const std::vector<float>& a, const float* b, size_t n)
{
  return a.size() >= n && std::memcmp(a.data(), b, n * sizeof(float)) == 0;
}
} // namespace

TEST(Lv2Plugin, TurtleDescribesTheParametersAsThePlugInHasThem)
{
  Lv2World w;
  std::unique_ptr<Crest> crest(new Crest());
  for (const std::string layout : {"mono", "stereo"})
  {
    SCOPED_TRACE(layout);
    const LilvPlugin* p = w.Plugin(Lv2PluginUri(layout));
    ASSERT_NE(p, nullptr);
    const int nAudio = layout == "mono" ? 1 : 2;
    EXPECT_STREQ(lilv_node_as_uri(lilv_plugin_class_get_uri(lilv_plugin_get_class(p))), LV2_CORE__AnalyserPlugin);
    LilvNode* rt = w.Uri(LV2_CORE__hardRTCapable);
    LilvNodes* optional = lilv_plugin_get_optional_features(p);
    EXPECT_TRUE(lilv_nodes_contains(optional, rt));
    lilv_nodes_free(optional);
    lilv_node_free(rt);
    // audio in and out, the enabled switch, the parameters, the transport.
    ASSERT_EQ(lilv_plugin_get_num_ports(p), static_cast<uint32_t>(2 * nAudio + 1 + Crest::kNumParams + 1));

    if (nAudio == 2)
    {
      EXPECT_TRUE(Has(w, p, lilv_plugin_get_port_by_index(p, 0), LV2_CORE__designation, LV2_PORT_GROUPS__left));
      EXPECT_TRUE(Has(w, p, lilv_plugin_get_port_by_index(p, 3), LV2_CORE__designation, LV2_PORT_GROUPS__right));
    }
    const LilvPort* enabled = lilv_plugin_get_port_by_index(p, static_cast<uint32_t>(2 * nAudio));
    EXPECT_TRUE(Has(w, p, enabled, LV2_CORE__designation, LV2_CORE__enabled));
    EXPECT_TRUE(Has(w, p, enabled, LV2_CORE__portProperty, LV2_CORE__toggled));

    for (int i = 0; i < Crest::kNumParams; ++i)
    {
      const IParam* param = crest->GetParam(i);
      const LilvPort* port = lilv_plugin_get_port_by_index(p, static_cast<uint32_t>(2 * nAudio + 1 + i));
      SCOPED_TRACE(param->GetNameForHost());
      LilvNode* name = lilv_port_get_name(p, port);
      EXPECT_STREQ(lilv_node_as_string(name), param->GetNameForHost());
      lilv_node_free(name);
      LilvNode *def = nullptr, *min = nullptr, *max = nullptr;
      lilv_port_get_range(p, port, &def, &min, &max);
      ASSERT_TRUE(def && min && max);
      EXPECT_FLOAT_EQ(lilv_node_as_float(def), static_cast<float>(param->GetDefault()));
      EXPECT_FLOAT_EQ(lilv_node_as_float(min), static_cast<float>(param->GetMin()));
      EXPECT_FLOAT_EQ(lilv_node_as_float(max), static_cast<float>(param->GetMax()));
      lilv_node_free(def), lilv_node_free(min), lilv_node_free(max);
      const bool integral = param->Type() != IParam::kTypeDouble;
      EXPECT_EQ(Has(w, p, port, LV2_CORE__portProperty, LV2_CORE__integer), integral);
      if (std::strcmp(param->GetLabelForHost(), "%") == 0)
      {
        EXPECT_TRUE(Has(w, p, port, LV2_UNITS__unit, LV2_UNITS__pc));
      }
      if (std::strcmp(param->GetLabelForHost(), "\xC2\xB0") == 0)
      {
        EXPECT_TRUE(Has(w, p, port, LV2_UNITS__unit, LV2_UNITS__degree));
      }
      if (i >= Crest::kGraph)
      {
        EXPECT_TRUE(Has(w, p, port, LV2_CORE__portProperty, LV2_CORE__toggled));
      }
    }

    const LilvPort* mode = lilv_plugin_get_port_by_index(p, static_cast<uint32_t>(2 * nAudio + 1 + Crest::kMode));
    EXPECT_TRUE(Has(w, p, mode, LV2_CORE__portProperty, LV2_CORE__enumeration));
    LilvScalePoints* points = lilv_port_get_scale_points(p, mode);
    ASSERT_NE(points, nullptr);
    std::map<int, std::string> names;
    LILV_FOREACH(scale_points, it, points)
    {
      const LilvScalePoint* sp = lilv_scale_points_get(points, it);
      names[static_cast<int>(lilv_node_as_float(lilv_scale_point_get_value(sp)))] = lilv_node_as_string(
        lilv_scale_point_get_label(sp));
    }
    lilv_scale_points_free(points);
    EXPECT_EQ(names, (std::map<int, std::string>{{0, "LINES FREQ"}, {1, "LINES TIME"}, {2, "POINTS"}}));

    const LilvPort* transport = lilv_plugin_get_port_by_index(p, lilv_plugin_get_num_ports(p) - 1);
    EXPECT_TRUE(Has(w, p, transport, LV2_ATOM__supports, "http://lv2plug.in/ns/ext/time#Position"));

    // The editor, which needs the plug-in object.
    LilvUIs* uis = lilv_plugin_get_uis(p);
    ASSERT_EQ(lilv_uis_size(uis), 1u);
    const LilvUI* ui = lilv_uis_get(uis, lilv_uis_begin(uis));
    LilvNode* x11 = w.Uri(LV2_UI__X11UI);
    EXPECT_TRUE(lilv_ui_is_a(ui, x11));
    LilvNode* required = w.Uri(LV2_CORE__requiredFeature);
    LilvNodes* features = lilv_world_find_nodes(w.World(), lilv_ui_get_uri(ui), required, nullptr);
    LilvNode* access = w.Uri(LV2_INSTANCE_ACCESS_URI);
    EXPECT_TRUE(lilv_nodes_contains(features, access));
    for (LilvNode* n : {x11, required, access})
      lilv_node_free(n);
    lilv_nodes_free(features);
    lilv_uis_free(uis);
  }
}

TEST(Lv2Plugin, RunPassesAudioBitForBitForAnyBlockAndBufferSharingWithoutAllocating)
{
  Lv2World w;
  const size_t kMax = 8192;
  for (const std::string layout : {"mono", "stereo"})
  {
    Lv2Instance inst(w, layout);
    ASSERT_TRUE(inst.Ok()) << layout;
    const int nc = inst.NAudio();
    std::vector<std::vector<float>> in(nc), out(nc, std::vector<float>(kMax));
    for (int c = 0; c < nc; ++c)
      in[c] = Signal(kMax, c);

    // Separate buffers; then the outputs on the inputs; then, in stereo,
    // each output on the other channel's input.
    enum Sharing
    {
      kApart,
      kInPlace,
      kCrossed
    };
    for (Sharing sharing : {kApart, kInPlace, kCrossed})
    {
      if (sharing == kCrossed && nc < 2)
        continue;
      for (uint32_t n : {1u, 7u, 512u, 1024u, 1025u, 3000u, 4096u, 8192u})
      {
        SCOPED_TRACE(layout + " sharing " + std::to_string(sharing) + " block " + std::to_string(n));
        std::vector<std::vector<float>> work = in;
        std::vector<const float*> ins;
        std::vector<float*> outs;
        for (int c = 0; c < nc; ++c)
        {
          ins.push_back(work[c].data());
          outs.push_back(sharing == kApart ? out[c].data() : work[sharing == kCrossed ? 1 - c : c].data());
        }
        inst.ConnectAudio(ins, outs);
        size_t allocations = 0;
        {
          AllocationCounter counter;
          inst.Run(n);
          allocations = counter.Count();
        }
        // The first block may still size what the analysis keeps.
        if (n > 1)
        {
          EXPECT_EQ(allocations, 0u);
        }
        for (int c = 0; c < nc; ++c)
        {
          EXPECT_TRUE(BitEqual(in[c], outs[c], n)) << "channel " << c;
        }
      }
    }

    // Bypassed (enabled 0): still the input.
    inst.Control("enabled") = 0.0f;
    std::vector<const float*> ins;
    std::vector<float*> outs;
    for (int c = 0; c < nc; ++c)
      ins.push_back(in[c].data()), outs.push_back(out[c].data());
    inst.ConnectAudio(ins, outs);
    inst.Run(2000);
    for (int c = 0; c < nc; ++c)
      EXPECT_TRUE(BitEqual(in[c], out[c].data(), 2000)) << layout << " bypassed";
  }
}

TEST(Lv2Plugin, StateIsTheAcfChunkWithItsRestoreRules)
{
  Lv2World w;
  Lv2Instance inst(w, "stereo");
  ASSERT_TRUE(inst.Ok());
  std::vector<float> buf(256);
  inst.ConnectAudio({buf.data(), buf.data()}, {buf.data(), buf.data()});

  // Ports the plug-in uses take effect in run; those it ignores from the
  // host (camera, graph, sizes) do not.
  inst.Control("mode") = 2.0f;
  inst.Control("speed") = 25.0f;
  inst.Control("angle0") = 80.0f;
  inst.Control("biggui") = 1.0f;
  inst.Run(256);
  std::vector<unsigned char> record = inst.SaveState();
  ASSERT_EQ(record.size(), 88u);
  std::vector<double> values = ChunkValues(record);
  EXPECT_EQ(values[Crest::kMode], 2.0);
  EXPECT_EQ(values[Crest::kSpeed], 25.0);
  EXPECT_EQ(values[Crest::kAngle0], 0.0);
  EXPECT_EQ(values[Crest::kBigGUI], 0.0);

  // What a record restores to matches the ACF interface, record for record:
  // a full one, a short one, garbage, non-finite values.
  std::vector<double> full = {1, 70, 30, 90, -45, 60, 20, 0, 1, 0, 0};
  std::vector<double> odd = full;
  odd[Crest::kSpeed] = std::nan("");
  odd[Crest::kDensity] = std::numeric_limits<double>::infinity();
  odd[Crest::kAngle0] = -1e300;
  std::vector<unsigned char> garbage(88);
  for (size_t i = 0; i < garbage.size(); ++i)
    garbage[i] = static_cast<unsigned char>(i * 37 + 11);
  std::vector<unsigned char> shortRecord = MakeChunk(full);
  shortRecord.resize(20);
  for (const auto& given : {MakeChunk(full), MakeChunk(odd), garbage, shortRecord})
  {
    TestHost acf(true);
    ASSERT_EQ(acf.SetChunk(given), ACF_SUCCESS);
    Lv2Instance lv2(w, "stereo");
    ASSERT_EQ(lv2.RestoreState(given), LV2_STATE_SUCCESS);
    EXPECT_EQ(lv2.SaveState(), acf.GetChunk());
  }

  // A record of another type, or none, is refused and changes nothing.
  const std::vector<unsigned char> before = inst.SaveState();
  EXPECT_EQ(inst.RestoreState(MakeChunk(full), LV2_ATOM__String), LV2_STATE_ERR_BAD_TYPE);
  EXPECT_EQ(inst.SaveState(), before);

  // A restored record stands until the host changes a port.
  Lv2Instance restored(w, "stereo");
  restored.ConnectAudio({buf.data(), buf.data()}, {buf.data(), buf.data()});
  restored.Run(256);
  ASSERT_EQ(restored.RestoreState(MakeChunk(full)), LV2_STATE_SUCCESS);
  restored.Run(256);
  EXPECT_EQ(ChunkValues(restored.SaveState()), ChunkValues(MakeChunk(full)));
  restored.Control("scale") = 10.0f;
  restored.Run(256);
  EXPECT_EQ(ChunkValues(restored.SaveState())[Crest::kScale], 10.0);
}

// What a hostile host hands in: port indices beyond the ports (2^31 and up
// once turned negative), and sample rates no audio runs at. Both adapters
// refuse the same rates.
TEST(Lv2Plugin, StrayPortIndicesAndUnusableSampleRatesAreRefused)
{
  Lv2World w;
  Lv2Instance inst(w, "stereo");
  ASSERT_TRUE(inst.Ok());
  std::vector<float> in = Signal(512, 0), out(512), stray(16, 1.0f);
  inst.ConnectAudio({in.data(), in.data()}, {out.data(), out.data()});
  for (uint32_t port : {0x80000000u, 0xffffffffu, 0xfffffff0u, 0x7fffffffu, 1000u})
    lilv_instance_connect_port(inst.Instance(), port, stray.data());
  inst.Run(512);
  EXPECT_TRUE(BitEqual(in, out.data(), 512));
  EXPECT_EQ(stray, std::vector<float>(16, 1.0f));

  const double denormal = std::numeric_limits<double>::denorm_min();
  for (double rate : {std::numeric_limits<double>::infinity(), std::nan(""), 1e300, 1e-300, denormal, 0.0, -44100.0})
  {
    EXPECT_FALSE(Lv2Instance(w, "stereo", rate).Ok()) << rate;
    TestHost host(true, 44100.0);
    EXPECT_EQ(host.Factory()->initialize(host.Effect(), rate), ACF_ERROR_INVALID_ARGUMENT) << rate;
  }
  for (double rate : {8000.0, 44100.0, 192000.0})
    EXPECT_TRUE(Lv2Instance(w, "stereo", rate).Ok()) << rate;
}

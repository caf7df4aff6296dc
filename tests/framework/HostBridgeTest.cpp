// What the host sees through the entry points, and how the bridge treats
// bad input.
#include "acf/acf.h"
#include "plugin/Crest.h"
#include "tests/support/TestHost.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

namespace
{
std::string FourCC(uint32_t v) { return {char(v >> 24), char(v >> 16), char(v >> 8), char(v)}; }
} // namespace

TEST(HostBridge, DescriptionAndComponents)
{
  ASSERT_EQ(ACFStartup(), ACF_SUCCESS);
  uint64_t version = 0;
  EXPECT_EQ(ACFGetSDKVersion(&version), ACF_SUCCESS);
  EXPECT_EQ(version, ACF_SDK_VERSION);
  EXPECT_EQ(ACFGetSDKVersion(nullptr), ACF_ERROR_INVALID_ARGUMENT);

  AcfDescription d;
  ASSERT_EQ(ACFRegisterPlugin(&d), ACF_SUCCESS);
  EXPECT_STREQ(d.effectNames[0], "QX Crest");
  EXPECT_STREQ(d.effectNames[1], "QX Crest");
  EXPECT_STREQ(d.packageNames[1], "QX Crest");
  for (auto& maker : d.makerNames)
    EXPECT_STREQ(maker, "Tessaro");
  EXPECT_EQ(d.packageVersion, 328448u);
  EXPECT_EQ(d.category, 0);
  ASSERT_EQ(d.numComponents, 2);

  const char* native[] = {"EFN1", "EFN2"};
  const char* offline[] = {"EFA1", "EFA2"};
  for (int i = 0; i < 2; ++i)
  {
    AcfComponent c;
    ASSERT_EQ(ACFRegisterComponent(i, &c), ACF_SUCCESS);
    EXPECT_EQ(FourCC(c.manufacturerId), "TeSa");
    EXPECT_EQ(FourCC(c.productId), "hfon");
    EXPECT_EQ(FourCC(c.nativeTypeId), native[i]);
    EXPECT_EQ(FourCC(c.offlineTypeId), offline[i]);
    EXPECT_EQ(c.numInputs, i + 1);
    EXPECT_EQ(c.numOutputs, i + 1);
    EXPECT_EQ(c.numSideChainInputs, 0);
    EXPECT_EQ(c.midiInputEnabled, 0);
    EXPECT_EQ(c.transportRequested, 1);
    EXPECT_STREQ(c.transportNodeName, "Transport");
  }
  AcfComponent c;
  EXPECT_EQ(ACFRegisterComponent(2, &c), ACF_ERROR_INVALID_ARGUMENT);
  const void* factory = nullptr;
  EXPECT_EQ(ACFGetClassFactory("editor?", &factory), ACF_ERROR_INVALID_ARGUMENT);
  EXPECT_EQ(factory, nullptr);
}

TEST(HostBridge, ParametersAsTheHostSeesThem)
{
  TestHost host;
  auto* f = host.Factory();
  ASSERT_EQ(f->numParameters(host.Effect()), 12);

  AcfParameterInfo bypass;
  ASSERT_EQ(f->parameterInfo(host.Effect(), 0, &bypass), ACF_SUCCESS);
  EXPECT_STREQ(bypass.name, "Master Bypass");
  EXPECT_EQ(bypass.kind, ACF_PARAMETER_BOOLEAN);
  EXPECT_EQ(bypass.numSteps, 2);
  EXPECT_STREQ(bypass.offText, "bypass");
  EXPECT_STREQ(bypass.onText, "on");

  const char* names[] = {"Mode",   "Speed", "Density",  "Scale",     "Angle0", "Angle1",
                         "CamFov", "Graph", "SmallGUI", "MediumGUI", "BigGUI"};
  for (int i = 0; i < 11; ++i)
  {
    AcfParameterInfo info;
    ASSERT_EQ(f->parameterInfo(host.Effect(), i + 1, &info), ACF_SUCCESS);
    EXPECT_EQ(std::string(info.id), std::to_string(i + 1));
    EXPECT_STREQ(info.name, names[i]);
    EXPECT_EQ(info.numSteps, 128);
    EXPECT_EQ(info.automatable, 1);
    const bool continuous = i >= 1 && i <= 6;
    EXPECT_EQ(info.kind, continuous ? ACF_PARAMETER_CONTINUOUS : ACF_PARAMETER_INTEGER) << names[i];
  }
  AcfParameterInfo info;
  EXPECT_EQ(f->parameterInfo(host.Effect(), 12, &info), ACF_ERROR_INVALID_PARAMETER_ID);

  char text[64];
  ASSERT_EQ(f->parameterDisplay(host.Effect(), "2", text, sizeof text), ACF_SUCCESS);
  EXPECT_STREQ(text, "50.00 %");
  ASSERT_EQ(f->parameterDisplay(host.Effect(), "6", text, sizeof text), ACF_SUCCESS);
  EXPECT_STREQ(text, "15.00 \xC2\xB0");
  ASSERT_EQ(f->parameterDisplay(host.Effect(), "1", text, sizeof text), ACF_SUCCESS);
  EXPECT_STREQ(text, "0");
  ASSERT_EQ(f->parameterDisplay(host.Effect(), "9", text, sizeof text), ACF_SUCCESS);
  EXPECT_STREQ(text, "1");
  char tiny[3];
  ASSERT_EQ(f->parameterDisplay(host.Effect(), "2", tiny, sizeof tiny), ACF_SUCCESS);
  EXPECT_STREQ(tiny, "50");
}

// An identifier is exactly the digits "1".."11" or "MasterBypass": no sign,
// white space, leading zero or anything after.
TEST(HostBridge, UnknownIdentifiersAreRefusedEverywhere)
{
  TestHost host;
  auto* f = host.Factory();
  const double before = host.Plug()->GetParam(Crest::kSpeed)->Value();
  for (const char* id : {"0", "12", "abc", "01", "+2", "-1", "", "2x", " 1", "\t2", "\n3", " +4", " 04", "2 ", "\v2",
                         "99999999999999999999", "MasterBypass "})
  {
    double v = -1.0;
    char text[32] = "untouched";
    EXPECT_EQ(host.Update(id, 0.25), ACF_ERROR_INVALID_PARAMETER_ID) << id;
    EXPECT_EQ(f->getParameter(host.Effect(), id, &v), ACF_ERROR_INVALID_PARAMETER_ID) << id;
    EXPECT_EQ(f->parameterDisplay(host.Effect(), id, text, sizeof text), ACF_ERROR_INVALID_PARAMETER_ID) << id;
  }
  EXPECT_EQ(host.Plug()->GetParam(Crest::kSpeed)->Value(), before);
  double v = -1.0;
  EXPECT_EQ(f->getParameter(host.Effect(), "11", &v), ACF_SUCCESS);
}

TEST(HostBridge, ValueUpdatesRefuseUnknownIdsAndNonFiniteValuesAndClampTheRest)
{
  TestHost host;
  EXPECT_EQ(host.Update(nullptr, 0.5), ACF_ERROR_INVALID_ARGUMENT);

  for (double bad : {std::numeric_limits<double>::quiet_NaN(), std::numeric_limits<double>::infinity(),
                     -std::numeric_limits<double>::infinity()})
  {
    EXPECT_EQ(host.Update("2", bad), ACF_ERROR_INVALID_ARGUMENT);
    EXPECT_DOUBLE_EQ(host.Plug()->GetParam(Crest::kSpeed)->Value(), 50.0);
  }
  EXPECT_EQ(host.Update("2", 1.7), ACF_SUCCESS);
  EXPECT_DOUBLE_EQ(host.Plug()->GetParam(Crest::kSpeed)->Value(), 100.0);
  EXPECT_EQ(host.Update("1", -4.0), ACF_SUCCESS);
  EXPECT_DOUBLE_EQ(host.Plug()->GetParam(Crest::kMode)->Value(), 0.0);
  EXPECT_EQ(host.Update("1", 0.6), ACF_SUCCESS);
  EXPECT_DOUBLE_EQ(host.Plug()->GetParam(Crest::kMode)->Value(), 1.0);

  const int before = host.Factory()->changeCounter(host.Effect());
  host.Update("3", 0.1);
  EXPECT_EQ(host.Factory()->changeCounter(host.Effect()), before + 1);
}

TEST(HostBridge, RenderRefusesBadBlocksAndDoesNothingForEmptyOnes)
{
  TestHost host;
  auto* f = host.Factory();
  std::vector<float> in(2048, 0.25f), out(2048, -1.0f);
  const float* ins[2] = {in.data(), in.data()};
  float* outs[2] = {out.data(), out.data()};

  EXPECT_EQ(f->render(host.Effect(), ins, outs, 0), ACF_SUCCESS);
  EXPECT_EQ(out[0], -1.0f);
  EXPECT_EQ(f->render(host.Effect(), ins, outs, ACF_MAX_BLOCK_FRAMES + 1), ACF_ERROR_INVALID_ARGUMENT);
  EXPECT_EQ(out[0], -1.0f);
  EXPECT_EQ(f->render(host.Effect(), ins, outs, -5), ACF_ERROR_INVALID_ARGUMENT);
  EXPECT_EQ(f->render(host.Effect(), nullptr, outs, 64), ACF_ERROR_INVALID_ARGUMENT);
  const float* half[2] = {in.data(), nullptr};
  EXPECT_EQ(f->render(host.Effect(), half, outs, 64), ACF_ERROR_INVALID_ARGUMENT);
  EXPECT_EQ(f->render(nullptr, ins, outs, 64), ACF_ERROR_INVALID_ARGUMENT);

  EXPECT_EQ(f->render(host.Effect(), ins, outs, ACF_MAX_BLOCK_FRAMES), ACF_SUCCESS);
  EXPECT_EQ(out[0], 0.25f);
  EXPECT_EQ(out[ACF_MAX_BLOCK_FRAMES - 1], 0.25f);
  EXPECT_EQ(out[ACF_MAX_BLOCK_FRAMES], -1.0f);
}

TEST(HostBridge, EffectsCountTowardsUnloading)
{
  EXPECT_EQ(ACFCanUnloadNow(), ACF_SUCCESS);
  {
    TestHost host;
    EXPECT_NE(ACFCanUnloadNow(), ACF_SUCCESS);
  }
  EXPECT_EQ(ACFCanUnloadNow(), ACF_SUCCESS);

  const void* factory = nullptr;
  ASSERT_EQ(ACFGetClassFactory("effect", &factory), ACF_SUCCESS);
  auto* f = static_cast<const AcfEffectFactory*>(factory);
  AcfEffect* e = nullptr;
  EXPECT_EQ(f->create(7, nullptr, &e), ACF_ERROR_INVALID_ARGUMENT);
  EXPECT_EQ(e, nullptr);
  ASSERT_EQ(f->create(0, nullptr, &e), ACF_SUCCESS); // no callbacks at all
  EXPECT_EQ(f->initialize(e, std::numeric_limits<double>::quiet_NaN()), ACF_ERROR_INVALID_ARGUMENT);
  EXPECT_EQ(f->initialize(e, 44100.0), ACF_SUCCESS);
  std::vector<float> buf(256, 0.5f);
  const float* ins[1] = {buf.data()};
  float* outs[1] = {buf.data()}; // in place
  EXPECT_EQ(f->render(e, ins, outs, 256), ACF_SUCCESS);
  EXPECT_EQ(buf[100], 0.5f);
  f->destroy(e);
}

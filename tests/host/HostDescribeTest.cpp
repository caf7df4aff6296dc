// crest-host describe: the bundle's description and host parameters as the
// program prints them.
#include "tests/host/HostProgram.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

TEST(HostDescribe, JsonListsDescriptionComponentsAndTwelveParameters)
{
  HostProgram host;
  const HostResult r = host.run("describe --json");
  ASSERT_EQ(r.exitCode, 0) << r.err;
  const nlohmann::json j = nlohmann::json::parse(r.out);

  const auto& d = j.at("description");
  EXPECT_EQ(d.at("effectNames"), nlohmann::json({"QX Crest", "QX Crest"}));
  EXPECT_EQ(d.at("makerNames"), nlohmann::json({"Tessaro", "Tessaro", "Tessaro"}));
  EXPECT_EQ(d.at("packageVersion"), 328448);
  EXPECT_EQ(d.at("packageVersionText"), "5.3.0");
  EXPECT_EQ(d.at("numComponents"), 2);

  const auto& comps = j.at("components");
  ASSERT_EQ(comps.size(), 2u);
  const char* native[] = {"EFN1", "EFN2"};
  const char* offline[] = {"EFA1", "EFA2"};
  for (int i = 0; i < 2; ++i)
  {
    EXPECT_EQ(comps[i].at("manufacturerId"), "TeSa");
    EXPECT_EQ(comps[i].at("productId"), "hfon");
    EXPECT_EQ(comps[i].at("nativeTypeId"), native[i]);
    EXPECT_EQ(comps[i].at("offlineTypeId"), offline[i]);
    EXPECT_EQ(comps[i].at("numInputs"), i + 1);
    EXPECT_EQ(comps[i].at("numOutputs"), i + 1);
    EXPECT_EQ(comps[i].at("transportRequested"), true);
    EXPECT_EQ(comps[i].at("midiInputEnabled"), false);
  }

  const auto& params = j.at("parameters");
  ASSERT_EQ(params.size(), 12u);
  EXPECT_EQ(params[0].at("name"), "Master Bypass");
  EXPECT_EQ(params[0].at("kind"), "boolean");
  EXPECT_EQ(params[0].at("offText"), "bypass");
  EXPECT_EQ(params[0].at("onText"), "on");
  EXPECT_EQ(params[0].at("display"), "bypass");
  const char* names[] = {"Mode",   "Speed", "Density",  "Scale",     "Angle0", "Angle1",
                         "CamFov", "Graph", "SmallGUI", "MediumGUI", "BigGUI"};
  for (int i = 1; i < 12; ++i)
  {
    SCOPED_TRACE(i);
    EXPECT_EQ(params[i].at("id"), std::to_string(i));
    EXPECT_EQ(params[i].at("name"), names[i - 1]);
  }
  // Current values and their displays, as a fresh instance has them.
  EXPECT_EQ(params[2].at("display"), "50.00 %");
  EXPECT_DOUBLE_EQ(params[2].at("value").get<double>(), 0.5);
  EXPECT_EQ(params[6].at("display"), "15.00 \xC2\xB0");
  EXPECT_EQ(params[9].at("display"), "1");
  EXPECT_EQ(params[10].at("display"), "0");
  EXPECT_EQ(params[7].at("min"), 15.0);
  EXPECT_EQ(params[7].at("max"), 45.0);
  EXPECT_EQ(params[7].at("unit"), "\xC2\xB0");
  EXPECT_EQ(params[1].at("kind"), "integer");
  EXPECT_EQ(params[3].at("kind"), "continuous");
}

TEST(HostDescribe, TextNamesCodesAndEveryParameter)
{
  HostProgram host;
  const HostResult r = host.run("describe");
  ASSERT_EQ(r.exitCode, 0) << r.err;
  for (const char* s : {"\"QX Crest\"", "Tessaro", "5.3.0", "EFN1", "EFA2", "TeSa", "hfon", "Transport",
                        "parameters: 12", "Master Bypass", "CamFov", "BigGUI", "50.00 %"})
    EXPECT_NE(r.out.find(s), std::string::npos) << s << " missing from\n" << r.out;
}

#include "DescribeCommand.h"

#include "EffectInstance.h"
#include "PluginBundle.h"

#include <nlohmann/json.hpp>

#include <cstdio>
#include <iostream>

namespace
{
using nlohmann::json;

std::string txt(const char* field, std::size_t size) { return PluginBundle::text(field, size); }

const char* kindName(int32_t kind)
{
  switch (kind)
  {
    case ACF_PARAMETER_BOOLEAN:
      return "boolean";
    case ACF_PARAMETER_INTEGER:
      return "integer";
    case ACF_PARAMETER_CONTINUOUS:
      return "continuous";
    default:
      return "unknown";
  }
}

std::string versionText(uint32_t v)
{
  return std::to_string(v >> 16) + "." + std::to_string((v >> 8) & 0xFF) + "." + std::to_string(v & 0xFF);
}

std::string hex(uint64_t v)
{
  char s[32];
  std::snprintf(s, sizeof s, "0x%08llx", static_cast<unsigned long long>(v));
  return s;
}

json describeJson(const PluginBundle& bundle, EffectInstance& effect, const std::vector<AcfParameterInfo>& params)
{
  const AcfDescription& d = bundle.description();
  json j;
  j["library"] = bundle.libraryPath();
  j["sdkVersion"] = hex(bundle.sdkVersion());
  json desc;
  desc["effectNames"] = {txt(d.effectNames[0], ACF_NAME_SIZE), txt(d.effectNames[1], ACF_NAME_SIZE)};
  desc["packageNames"] = {txt(d.packageNames[0], ACF_NAME_SIZE), txt(d.packageNames[1], ACF_NAME_SIZE)};
  desc["makerNames"] = {txt(d.makerNames[0], ACF_NAME_SIZE), txt(d.makerNames[1], ACF_NAME_SIZE),
                        txt(d.makerNames[2], ACF_NAME_SIZE)};
  desc["packageVersion"] = d.packageVersion;
  desc["packageVersionText"] = versionText(d.packageVersion);
  desc["category"] = d.category;
  desc["numComponents"] = d.numComponents;
  desc["bundleId"] = txt(d.bundleId, sizeof d.bundleId);
  j["description"] = desc;

  json comps = json::array();
  for (std::size_t i = 0; i < bundle.components().size(); ++i)
  {
    const AcfComponent& c = bundle.components()[i];
    comps.push_back({{"index", i},
                     {"manufacturerId", PluginBundle::fourCC(c.manufacturerId)},
                     {"productId", PluginBundle::fourCC(c.productId)},
                     {"nativeTypeId", PluginBundle::fourCC(c.nativeTypeId)},
                     {"offlineTypeId", PluginBundle::fourCC(c.offlineTypeId)},
                     {"numInputs", c.numInputs},
                     {"numOutputs", c.numOutputs},
                     {"numSideChainInputs", c.numSideChainInputs},
                     {"midiInputEnabled", c.midiInputEnabled != 0},
                     {"midiNodeName", txt(c.midiNodeName, ACF_NAME_SIZE)},
                     {"transportRequested", c.transportRequested != 0},
                     {"transportNodeName", txt(c.transportNodeName, ACF_NAME_SIZE)}});
  }
  j["components"] = comps;

  json list = json::array();
  for (std::size_t i = 0; i < params.size(); ++i)
  {
    const AcfParameterInfo& p = params[i];
    json e = {{"index", i},
              {"id", p.id},
              {"name", txt(p.name, ACF_NAME_SIZE)},
              {"unit", txt(p.unit, ACF_NAME_SIZE)},
              {"kind", kindName(p.kind)},
              {"min", p.minValue},
              {"max", p.maxValue},
              {"default", p.defaultValue},
              {"defaultNormalized", p.defaultNormalized},
              {"numSteps", p.numSteps},
              {"automatable", p.automatable != 0},
              {"value", effect.normalizedValue(p.id)},
              {"display", effect.display(p.id)}};
    if (p.kind == ACF_PARAMETER_BOOLEAN)
    {
      e["offText"] = txt(p.offText, ACF_NAME_SIZE);
      e["onText"] = txt(p.onText, ACF_NAME_SIZE);
    }
    list.push_back(e);
  }
  j["parameters"] = list;
  return j;
}

void describeText(const PluginBundle& bundle, EffectInstance& effect, const std::vector<AcfParameterInfo>& params)
{
  const AcfDescription& d = bundle.description();
  std::printf("library:   %s\n", bundle.libraryPath().c_str());
  std::printf("interface: %s\n", hex(bundle.sdkVersion()).c_str());
  std::printf("effect:    \"%s\" / \"%s\"\n", txt(d.effectNames[0], ACF_NAME_SIZE).c_str(),
              txt(d.effectNames[1], ACF_NAME_SIZE).c_str());
  std::printf("package:   \"%s\" / \"%s\", version %s (%u), category %d\n",
              txt(d.packageNames[0], ACF_NAME_SIZE).c_str(), txt(d.packageNames[1], ACF_NAME_SIZE).c_str(),
              versionText(d.packageVersion).c_str(), d.packageVersion, d.category);
  std::printf("maker:     \"%s\" / \"%s\" / \"%s\"\n", txt(d.makerNames[0], ACF_NAME_SIZE).c_str(),
              txt(d.makerNames[1], ACF_NAME_SIZE).c_str(), txt(d.makerNames[2], ACF_NAME_SIZE).c_str());
  std::printf("bundle id: %s\n", txt(d.bundleId, sizeof d.bundleId).c_str());
  std::printf("components: %d\n", d.numComponents);
  for (std::size_t i = 0; i < bundle.components().size(); ++i)
  {
    const AcfComponent& c = bundle.components()[i];
    std::printf("  %zu: %d in / %d out, side-chain %d, maker %s, product %s, native %s, offline %s,\n"
                "     MIDI %s (\"%s\"), transport %s (\"%s\")\n",
                i, c.numInputs, c.numOutputs, c.numSideChainInputs, PluginBundle::fourCC(c.manufacturerId).c_str(),
                PluginBundle::fourCC(c.productId).c_str(), PluginBundle::fourCC(c.nativeTypeId).c_str(),
                PluginBundle::fourCC(c.offlineTypeId).c_str(), c.midiInputEnabled ? "on" : "off",
                txt(c.midiNodeName, ACF_NAME_SIZE).c_str(), c.transportRequested ? "requested" : "not requested",
                txt(c.transportNodeName, ACF_NAME_SIZE).c_str());
  }
  std::printf("parameters: %zu\n", params.size());
  std::printf("  %-12s %-14s %-10s %9s %9s %9s  %-6s %5s  %s\n", "id", "name", "kind", "min", "max", "default",
              "unit", "steps", "display");
  for (const AcfParameterInfo& p : params)
  {
    std::string unit = txt(p.unit, ACF_NAME_SIZE);
    std::printf("  %-12s %-14s %-10s %9g %9g %9g  %-6s %5d  %s\n", p.id, txt(p.name, ACF_NAME_SIZE).c_str(),
                kindName(p.kind), p.minValue, p.maxValue, p.defaultValue, unit.empty() ? "-" : unit.c_str(),
                p.numSteps, effect.display(p.id).c_str());
  }
}
}

int DescribeCommand::run(const std::string& bundleDir, bool json)
{
  PluginBundle bundle(bundleDir);
  // Parameters exist once an effect is initialised; the first component will do.
  EffectInstance effect(bundle.factory(), 0, bundle.components()[0]);
  effect.initialize(44100.0);
  const std::vector<AcfParameterInfo> params = effect.parameters();
  if (json)
    std::cout << describeJson(bundle, effect, params).dump(2, ' ', false, nlohmann::json::error_handler_t::replace)
              << std::endl;
  else
    describeText(bundle, effect, params);
  return 0;
}

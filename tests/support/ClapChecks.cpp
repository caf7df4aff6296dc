#include "tests/support/ClapChecks.h"

#include <cmath>
#include <cstring>
#include <limits>
#include <vector>

namespace ClapChecks
{
namespace
{
std::vector<float> Signal(size_t n, int channel)
{
  std::vector<float> s(n);
  for (size_t i = 0; i < n; ++i)
    s[i] = static_cast<float>(0.5 * std::sin(0.013 * static_cast<double>(i) * (channel + 1)) +
                              0.1 * std::sin(0.29 * static_cast<double>(i)));
  const float specials[] = {std::numeric_limits<float>::quiet_NaN(),
                            std::numeric_limits<float>::infinity(),
                            -std::numeric_limits<float>::infinity(),
                            std::numeric_limits<float>::denorm_min(),
                            -0.0f,
                            std::numeric_limits<float>::max()};
  for (size_t k = 0; k < sizeof specials / sizeof specials[0]; ++k)
    if (777 * (k + 1) < n)
      s[777 * (k + 1)] = specials[k];
  return s;
}

std::vector<uint32_t> BlockSizes(uint32_t maxFrames)
{
  std::vector<uint32_t> sizes;
  for (uint32_t b : {1u, 2u, 3u, 7u, 64u, 100u, 511u, 512u, 1000u, 1023u, 1024u, 1025u, 2049u, 4095u, 4096u})
    if (b <= maxFrames)
      sizes.push_back(b);
  sizes.push_back(maxFrames);
  return sizes;
}
// Channel pointers for ClapHost::Process.
std::vector<const float*> Inputs(const std::vector<std::vector<float>>& channels)
{
  std::vector<const float*> p;
  for (const auto& v : channels)
    p.push_back(v.data());
  return p;
}

std::vector<float*> Outputs(std::vector<std::vector<float>>& channels)
{
  std::vector<float*> p;
  for (auto& v : channels)
    p.push_back(v.data());
  return p;
}
} // namespace

testing::AssertionResult PassesAudioThrough(const ClapModule& module, const std::string& id, double rate,
                                            uint32_t maxFrames)
{
  ClapHost host(module, id);
  if (!host.Ok())
    return testing::AssertionFailure() << id << ": not created";
  if (!host.Activate(rate, maxFrames))
    return testing::AssertionFailure() << id << ": not activated at " << rate << " Hz";
  const uint32_t nCh = host.Channels(true);
  if (nCh == 0 || host.Channels(false) != nCh)
    return testing::AssertionFailure() << id << ": main ports " << nCh << " in, " << host.Channels(false) << " out";

  const std::vector<uint32_t> sizes = BlockSizes(maxFrames);
  size_t total = 0;
  for (uint32_t b : sizes)
    total += b;
  std::vector<std::vector<float>> input(nCh), output(nCh, std::vector<float>(maxFrames));
  for (uint32_t c = 0; c < nCh; ++c)
    input[c] = Signal(total, static_cast<int>(c));

  for (bool inPlace : {false, true})
  {
    size_t pos = 0;
    for (uint32_t frames : sizes)
    {
      std::vector<const float*> in(nCh);
      std::vector<float*> out(nCh);
      std::vector<std::vector<float>> shared(nCh);
      for (uint32_t c = 0; c < nCh; ++c)
      {
        if (inPlace)
        {
          shared[c].assign(input[c].begin() + static_cast<long>(pos),
                           input[c].begin() + static_cast<long>(pos + frames));
          in[c] = out[c] = shared[c].data();
        }
        else
        {
          std::fill(output[c].begin(), output[c].end(), 12345.0f);
          in[c] = input[c].data() + pos;
          out[c] = output[c].data();
        }
      }
      if (host.Process(in, out, frames) == CLAP_PROCESS_ERROR)
        return testing::AssertionFailure() << id << ": process error for a block of " << frames << " frames";
      for (uint32_t c = 0; c < nCh; ++c)
        for (uint32_t i = 0; i < frames; ++i)
          if (std::memcmp(&out[c][i], &input[c][pos + i], sizeof(float)) != 0)
            return testing::AssertionFailure()
                   << id << " at " << rate << " Hz: frame " << pos + i << " of channel " << c << " (a block of "
                   << frames << (inPlace ? ", in place" : ", out of place") << ") is " << out[c][i] << ", not "
                   << input[c][pos + i];
      pos += frames;
    }
  }
  return testing::AssertionSuccess();
}

testing::AssertionResult ProcessesBlocks(const ClapModule& module, const std::string& id, double rate)
{
  ClapHost host(module, id);
  if (!host.Ok() || !host.Activate(rate, 4096))
    return testing::AssertionFailure() << id << ": not created and activated at " << rate << " Hz";
  const uint32_t nIn = host.Channels(true), nOut = host.Channels(false);
  std::vector<std::vector<float>> in(nIn, std::vector<float>(4096)), out(nOut, std::vector<float>(4096));
  for (uint32_t c = 0; c < nIn; ++c)
    for (size_t i = 0; i < 4096; ++i)
      in[c][i] = static_cast<float>(0.25 * std::sin(0.01 * static_cast<double>(i)));
  const std::vector<const float*> inPtrs = Inputs(in);
  const std::vector<float*> outPtrs = Outputs(out);
  for (uint32_t frames : BlockSizes(4096))
  {
    if (host.Process(inPtrs, outPtrs, frames) == CLAP_PROCESS_ERROR)
      return testing::AssertionFailure() << id << ": process error for a block of " << frames << " frames";
    for (uint32_t c = 0; c < nOut; ++c)
      for (uint32_t i = 0; i < frames; ++i)
        if (!std::isfinite(out[c][i]))
          return testing::AssertionFailure() << id << ": non-finite output in a block of " << frames;
  }
  return testing::AssertionSuccess();
}

testing::AssertionResult RoundTripsStateByteByByte(const ClapModule& module, const std::string& id)
{
  ClapHost a(module, id);
  const auto* params = a.Ok() ? a.Ext<clap_plugin_params_t>(CLAP_EXT_PARAMS) : nullptr;
  if (!params)
    return testing::AssertionFailure() << id << ": no params";
  // The first parameter the host may set, moved away from its default.
  clap_param_info_t info{};
  bool found = false;
  for (uint32_t i = 0; i < params->count(a.Plugin()) && !found; ++i)
    found = params->get_info(a.Plugin(), i, &info) && (info.flags & CLAP_PARAM_IS_AUTOMATABLE) &&
            !(info.flags & (CLAP_PARAM_IS_READONLY | CLAP_PARAM_IS_BYPASS)) && info.max_value > info.min_value;
  if (!found)
    return testing::AssertionFailure() << id << ": no parameter to change";
  // A value a float holds exactly: plug-ins may keep their values as floats.
  double value = static_cast<float>(info.min_value + 0.73 * (info.max_value - info.min_value));
  if (info.flags & CLAP_PARAM_IS_STEPPED)
    value = std::round(value) == info.default_value ? info.max_value : std::round(value);
  // Set in a block, as hosts do while they play.
  if (!a.Activate(48000.0, 64))
    return testing::AssertionFailure() << id << ": not activated";
  std::vector<std::vector<float>> in(a.Channels(true), std::vector<float>(64)),
    out(a.Channels(false), std::vector<float>(64));
  const std::vector<const float*> inPtrs = Inputs(in);
  const std::vector<float*> outPtrs = Outputs(out);
  a.Process(inPtrs, outPtrs, 64, {ClapHost::Value(info.id, value)});
  double set = 0.0;
  if (!params->get_value(a.Plugin(), info.id, &set) || set != value)
    return testing::AssertionFailure() << id << ": " << info.name << " did not take " << value << " (" << set << ")";

  ClapHost b(module, id);
  const auto* paramsB = b.Ext<clap_plugin_params_t>(CLAP_EXT_PARAMS);
  if (!a.Ext<clap_plugin_state_t>(CLAP_EXT_STATE))
  {
    // Without a state extension the host keeps the values and sets them
    // again in the fresh instance's first block.
    std::vector<clap_event_param_value_t> values;
    for (uint32_t i = 0; i < params->count(a.Plugin()); ++i)
    {
      clap_param_info_t p{};
      double v = 0.0;
      if (params->get_info(a.Plugin(), i, &p) && !(p.flags & CLAP_PARAM_IS_READONLY) &&
          params->get_value(a.Plugin(), p.id, &v))
        values.push_back(ClapHost::Value(p.id, v));
    }
    if (!b.Activate(48000.0, 64))
      return testing::AssertionFailure() << id << ": not activated";
    b.Process(inPtrs, outPtrs, 64, values);
    for (const auto& v : values)
    {
      double now = std::nan("");
      if (!paramsB->get_value(b.Plugin(), v.param_id, &now) || now != v.value)
        return testing::AssertionFailure()
               << id << ": parameter " << v.param_id << " came back as " << now << ", not " << v.value;
    }
    return testing::AssertionSuccess();
  }

  std::vector<uint8_t> whole, bytewise, back;
  if (!a.Save(&whole) || whole.empty())
    return testing::AssertionFailure() << id << ": no state saved";
  if (!a.Save(&bytewise, 1) || bytewise != whole)
    return testing::AssertionFailure() << id << ": a save one byte per call differs from a whole one";

  if (!b.Load(whole, 1))
    return testing::AssertionFailure() << id << ": a load one byte per call was refused";
  double loaded = 0.0;
  if (!paramsB || !paramsB->get_value(b.Plugin(), info.id, &loaded) || loaded != value)
    return testing::AssertionFailure() << id << ": " << info.name << " came back as " << loaded << ", not " << value;
  if (!b.Save(&back) || back != whole)
    return testing::AssertionFailure() << id << ": the state saved after a load differs from the one loaded";
  return testing::AssertionSuccess();
}
} // namespace ClapChecks

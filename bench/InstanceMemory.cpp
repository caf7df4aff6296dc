// crest-memory: what one more instance of a plug-in costs a host in memory,
// and how long our editor takes to open, measured as a host sees them.
//
// Memory: one instance is made first (the libraries and shared tables
// load), then the resident size is read from /proc/self/statm, N more
// instances are made, activated and run one block of a music-like signal
// each, and the resident size is read again; the growth divided by N is the
// figure. Every measurement runs in a child process of its own, so that
// memory freed by one cannot hide the growth of the next. Our plug-ins are
// measured beside LSP's and x42's analysers (LV2) and zam-plugins' ZamEQ2
// (VST3, CLAP) in the same run.
//
// Editor: the time from the UI's instantiation (the window opens and the
// first picture is drawn) through its first idle call, for a fresh instance
// and for a reopen of the same instance; with --baseline-lv2-path the same
// for another build of ours, alternating, so that the ratio holds on a
// loaded machine.
//
// One function per plug-in format measures: LV2 through lilv, VST3 and
// CLAP through the tests' own hosts (tests/support/Vst3Host, ClapHost).
#include "bench/Lv2Rig.h"
#include "tests/support/ClapHost.h"
#include "tests/support/Vst3Host.h"

#include <lv2/instance-access/instance-access.h>
#include <lv2/ui/ui.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <memory>
#include <string>
#include <vector>

#include <dlfcn.h>
#include <sys/wait.h>
#include <unistd.h>

namespace
{
constexpr double kMiB = 1024.0 * 1024.0;

// Where a plug-in is found, by format: for LV2 a search path and a URI;
// for VST3 the bundle and the class name; for CLAP the module file and the
// plug-in's name.
struct Target
{
  const char* format;
  std::string name;
  std::string path;
  std::string id;
};

// Sent from the measuring child to the parent as plain bytes.
struct Figures
{
  bool ok = false;
  double first = 0.0;       // bytes: the libraries, shared tables and one instance
  double perInstance = 0.0; // bytes
  double openMs = 0.0;      // the first editor the process opens
  double reopenMs = 0.0;    // the same editor closed and opened again
  double otherMs = 0.0;     // then the first open of another instance's editor
  double cpuMs[3] = {};     // the same three in CPU time of the process (its GL threads too)
  char error[160] = {};
};

Figures Failed(const char* what)
{
  Figures f;
  std::snprintf(f.error, sizeof f.error, "%s", what);
  return f;
}

double ResidentBytes()
{
  long pages = 0, resident = 0;
  FILE* statm = std::fopen("/proc/self/statm", "r");
  if (!statm)
    return 0.0;
  if (std::fscanf(statm, "%ld %ld", &pages, &resident) != 2)
    resident = 0;
  std::fclose(statm);
  return static_cast<double>(resident) * static_cast<double>(sysconf(_SC_PAGESIZE));
}

// The growth over `before` once the first instance is started (the
// libraries, shared tables and one instance), then per instance over the
// `extra` more. start(i) makes, activates and runs instance i.
template <typename Start>
Figures Growth(double before, int extra, Start start, const char* failure)
{
  Figures f;
  if (!start(0))
    return Failed(failure);
  const double one = ResidentBytes();
  for (size_t i = 1; i <= static_cast<size_t>(extra); ++i)
    if (!start(i))
      return Failed(failure);
  const double all = ResidentBytes();
  f.ok = true;
  f.first = one - before;
  f.perInstance = (all - one) / extra;
  return f;
}

double CpuMs()
{
  timespec t{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
  return static_cast<double>(t.tv_sec) * 1e3 + static_cast<double>(t.tv_nsec) * 1e-6;
}

double MsSince(std::chrono::steady_clock::time_point start)
{
  return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

// Runs the measurement in a child process and returns what it reported.
template <class Measure>
Figures InChild(Measure measure)
{
  int fds[2];
  if (pipe(fds) != 0)
    return Failed("no pipe");
  std::fflush(nullptr);
  const pid_t pid = fork();
  if (pid < 0)
    return Failed("no fork");
  if (pid == 0)
  {
    close(fds[0]);
    const Figures f = measure();
    const ssize_t written = write(fds[1], &f, sizeof f);
    _exit(written == static_cast<ssize_t>(sizeof f) ? 0 : 1);
  }
  close(fds[1]);
  Figures f;
  size_t got = 0;
  while (got < sizeof f)
  {
    const ssize_t n = read(fds[0], reinterpret_cast<char*>(&f) + got, sizeof f - got);
    if (n <= 0)
      break;
    got += static_cast<size_t>(n);
  }
  close(fds[0]);
  int status = 0;
  waitpid(pid, &status, 0);
  if (got != sizeof f)
    return Failed(WIFSIGNALED(status) ? "the measuring process crashed" : "no result");
  return f;
}

// --- LV2 ---

Figures Lv2Memory(const Target& target, int extra)
{
  Lv2Rig rig(target.path);
  const LilvPlugin* plugin = rig.Plugin(target.id.c_str());
  if (!plugin)
    return Failed("not installed");
  // Everything the host itself needs is made before the first reading.
  const std::vector<float> music[2] = {Lv2Rig::Music(0, Lv2Rig::kBlock), Lv2Rig::Music(1, Lv2Rig::kBlock)};
  std::vector<Lv2Rig::PortBuffers> ports;
  for (int i = 0; i <= extra; ++i)
    ports.push_back(rig.MakePorts(plugin));
  std::vector<LilvInstance*> instances(static_cast<size_t>(extra) + 1, nullptr);

  auto start = [&](size_t i) {
    instances[i] = rig.Instantiate(plugin);
    if (!instances[i])
      return false;
    rig.Connect(plugin, instances[i], ports[i]);
    lilv_instance_activate(instances[i]);
    Lv2Rig::Fill(ports[i], music, 0);
    lilv_instance_run(instances[i], Lv2Rig::kBlock);
    return true;
  };

  const Figures f = Growth(ResidentBytes(), extra, start, "instantiation failed");
  if (!f.ok)
    return f;
  for (LilvInstance* instance : instances)
  {
    lilv_instance_deactivate(instance);
    lilv_instance_free(instance);
  }
  return f;
}

// The plug-in's UI as a host without a parent window runs it: its own
// top-level window, instance-access to the running plug-in.
Figures Lv2EditorOpen(const Target& target)
{
  Lv2Rig rig(target.path);
  const LilvPlugin* plugin = rig.Plugin(target.id.c_str());
  if (!plugin)
    return Failed("not installed");
  LilvUIs* uis = lilv_plugin_get_uis(plugin);
  LilvIter* it = lilv_uis_begin(uis);
  if (lilv_uis_is_end(uis, it))
  {
    lilv_uis_free(uis);
    return Failed("no UI");
  }
  const LilvUI* ui = lilv_uis_get(uis, it);
  const std::string uiUri = lilv_node_as_uri(lilv_ui_get_uri(ui));
  char* binary = lilv_file_uri_parse(lilv_node_as_uri(lilv_ui_get_binary_uri(ui)), nullptr);
  char* bundle = lilv_file_uri_parse(lilv_node_as_uri(lilv_ui_get_bundle_uri(ui)), nullptr);
  const std::string binaryPath = binary ? binary : "", bundlePath = bundle ? bundle : "";
  lilv_free(binary);
  lilv_free(bundle);
  lilv_uis_free(uis);

  // Two instances, both running before any editor opens.
  const size_t frames = size_t{Lv2Rig::kBlock} * 20;
  const std::vector<float> music[2] = {Lv2Rig::Music(0, frames), Lv2Rig::Music(1, frames)};
  Lv2Rig::PortBuffers ports[2] = {rig.MakePorts(plugin), rig.MakePorts(plugin)};
  LilvInstance* instances[2] = {rig.Instantiate(plugin), rig.Instantiate(plugin)};
  if (!instances[0] || !instances[1])
    return Failed("instantiation failed");
  for (int i = 0; i < 2; ++i)
  {
    rig.Connect(plugin, instances[i], ports[i]);
    lilv_instance_activate(instances[i]);
    for (size_t pos = 0; pos < music[0].size(); pos += Lv2Rig::kBlock)
    {
      Lv2Rig::Fill(ports[i], music, pos);
      lilv_instance_run(instances[i], Lv2Rig::kBlock);
    }
  }

  // The module lilv loaded: the same library, as instance-access requires.
  void* module = dlopen(binaryPath.c_str(), RTLD_NOW);
  auto entry = module ? reinterpret_cast<LV2UI_DescriptorFunction>(dlsym(module, "lv2ui_descriptor")) : nullptr;
  const LV2UI_Descriptor* descriptor = nullptr;
  for (uint32_t i = 0; entry && (descriptor = entry(i)) != nullptr; ++i)
    if (uiUri == descriptor->URI)
      break;
  const auto* idle = descriptor && descriptor->extension_data
                       ? static_cast<const LV2UI_Idle_Interface*>(descriptor->extension_data(LV2_UI__idleInterface))
                       : nullptr;
  // Milliseconds from instantiation through the first idle, and the CPU
  // time spent; negative when the UI did not open.
  auto timeOpen = [&](LilvInstance* instance, double* cpu) {
    const LV2_Feature access{LV2_INSTANCE_ACCESS_URI, lilv_instance_get_handle(instance)};
    const LV2_Feature* features[] = {&access, rig.Features()[0], nullptr};
    LV2UI_Widget widget = nullptr;
    const auto t0 = std::chrono::steady_clock::now();
    const double cpu0 = CpuMs();
    LV2UI_Handle handle = descriptor->instantiate(descriptor, target.id.c_str(), bundlePath.c_str(), nullptr, nullptr,
                                                  &widget, features);
    if (!handle)
      return -1.0;
    idle->idle(handle);
    const double ms = MsSince(t0);
    *cpu = CpuMs() - cpu0;
    descriptor->cleanup(handle);
    return ms;
  };
  Figures f = Failed("UI not loadable");
  if (descriptor && idle)
  {
    f.openMs = timeOpen(instances[0], &f.cpuMs[0]);
    f.reopenMs = timeOpen(instances[0], &f.cpuMs[1]);
    f.otherMs = timeOpen(instances[1], &f.cpuMs[2]);
    f.ok = f.openMs >= 0.0 && f.reopenMs >= 0.0 && f.otherMs >= 0.0;
    if (!f.ok)
      std::snprintf(f.error, sizeof f.error, "the UI did not open (no X display?)");
  }
  if (module)
    dlclose(module);
  for (LilvInstance* instance : instances)
  {
    lilv_instance_deactivate(instance);
    lilv_instance_free(instance);
  }
  return f;
}

// --- VST3 ---

Figures Vst3Memory(const Target& target, int extra)
{
  // The host's buffers are made before the first reading: two music
  // channels to read from, and an output block per instance and channel.
  // The module loads after it, with the first instance, as in lilv.
  constexpr int kChannels = 2;
  const std::vector<float> music[kChannels] = {Lv2Rig::Music(0, Lv2Rig::kBlock), Lv2Rig::Music(1, Lv2Rig::kBlock)};
  const float* in[kChannels] = {music[0].data(), music[1].data()};
  const size_t n = static_cast<size_t>(extra) + 1;
  std::vector<std::vector<float>> outs(n * kChannels, std::vector<float>(Lv2Rig::kBlock));
  // Declared before the instances, so that they go first on every return.
  std::unique_ptr<Vst3Module> module;
  v3_class_info_2 cls{};
  std::vector<std::unique_ptr<Vst3Instance>> instances(n);

  auto start = [&](size_t i) {
    instances[i] = std::make_unique<Vst3Instance>(*module, cls.class_id);
    Vst3Instance& p = *instances[i];
    if (!p.Ok() || p.NIn() > kChannels || p.NOut() > kChannels)
      return false;
    if (!p.Activate(44100.0, static_cast<int>(Lv2Rig::kBlock)).empty())
      return false;
    float* out[kChannels] = {outs[i * kChannels].data(), outs[i * kChannels + 1].data()};
    return p.Process(in, out, static_cast<int>(Lv2Rig::kBlock)) == V3_OK;
  };

  const double before = ResidentBytes();
  module = std::make_unique<Vst3Module>(target.path);
  if (!module->Ok())
    return Failed("not installed");
  const std::vector<v3_class_info_2> classes = module->Classes();
  const auto found = std::find_if(classes.begin(), classes.end(),
                                  [&](const v3_class_info_2& c) { return target.id == c.name; });
  if (found == classes.end())
    return Failed("no such class");
  cls = *found;
  return Growth(before, extra, start, "instantiation or processing failed");
}

// --- CLAP ---

Figures ClapMemory(const Target& target, int extra)
{
  // As for VST3: the host's buffers first, the module with the first
  // instance.
  constexpr uint32_t kChannels = 2;
  const std::vector<float> music[kChannels] = {Lv2Rig::Music(0, Lv2Rig::kBlock), Lv2Rig::Music(1, Lv2Rig::kBlock)};
  const size_t n = static_cast<size_t>(extra) + 1;
  std::vector<std::vector<float>> outs(n * kChannels, std::vector<float>(Lv2Rig::kBlock));
  std::vector<const float*> in;
  std::vector<float*> out;
  in.reserve(kChannels);
  out.reserve(kChannels);
  std::unique_ptr<ClapModule> module;
  std::string id;
  std::vector<std::unique_ptr<ClapHost>> instances(n);

  auto start = [&](size_t i) {
    instances[i] = std::make_unique<ClapHost>(*module, id);
    ClapHost& p = *instances[i];
    if (!p.Ok() || p.Channels(true) > kChannels || p.Channels(false) > kChannels ||
        !p.Activate(44100.0, Lv2Rig::kBlock))
      return false;
    in.clear();
    out.clear();
    for (uint32_t c = 0; c < p.Channels(true); ++c)
      in.push_back(music[c].data());
    for (uint32_t c = 0; c < p.Channels(false); ++c)
      out.push_back(outs[i * kChannels + c].data());
    return p.Process(in, out, Lv2Rig::kBlock) != CLAP_PROCESS_ERROR;
  };

  const double before = ResidentBytes();
  module = std::make_unique<ClapModule>(target.path);
  if (!module->Ok())
    return Failed("not installed");
  for (const clap_plugin_descriptor_t* d : module->Descriptors())
    if (d && d->name && target.id == d->name)
      id = d->id;
  if (id.empty())
    return Failed("no such plug-in");
  return Growth(before, extra, start, "instantiation or processing failed");
}

// --- By format ---

Figures Memory(const Target& target, int extra)
{
  if (std::strcmp(target.format, "LV2") == 0)
    return Lv2Memory(target, extra);
  if (std::strcmp(target.format, "VST3") == 0)
    return Vst3Memory(target, extra);
  if (std::strcmp(target.format, "CLAP") == 0)
    return ClapMemory(target, extra);
  return Failed("unknown format");
}

Figures EditorOpen(const Target& target)
{
  if (std::strcmp(target.format, "LV2") == 0)
    return Lv2EditorOpen(target);
  return Failed("unknown format");
}

double Median(std::vector<double> v)
{
  if (v.empty())
    return 0.0;
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

void Usage()
{
  std::printf("usage: crest-memory [--instances N] [--lv2-path PATH] [--baseline-lv2-path PATH] [--open-runs N]\n"
              "  --instances N             instances made after the first (default 16)\n"
              "  --lv2-path PATH           where the plug-ins are found (default: this build, then /usr/lib/lv2)\n"
              "  --baseline-lv2-path PATH  another build of ours, measured the same way for a ratio\n"
              "  --open-runs N             editor openings timed per build (default 5; 0: none)\n");
}
} // namespace

int main(int argc, char** argv)
{
  int extra = 16, openRuns = 5;
  std::string path = CREST_LV2_PATH ":/usr/lib/lv2", baselinePath;
  for (int i = 1; i < argc; ++i)
  {
    const std::string arg = argv[i];
    const char* value = i + 1 < argc ? argv[i + 1] : nullptr;
    if (arg == "--instances" && value)
      extra = std::max(1, std::atoi(argv[++i]));
    else if (arg == "--lv2-path" && value)
      path = argv[++i];
    else if (arg == "--baseline-lv2-path" && value)
      baselinePath = argv[++i];
    else if (arg == "--open-runs" && value)
      openRuns = std::max(0, std::atoi(argv[++i]));
    else
    {
      Usage();
      return arg == "--help" || arg == "-h" ? 0 : 2;
    }
  }

  const std::string crest = "http://tessaro.example/plugins/qx-crest#stereo";
  std::vector<Target> targets;
  if (!baselinePath.empty())
    targets.push_back({"LV2", "QX Crest Stereo (baseline)", baselinePath + ":/usr/lib/lv2", crest});
  targets.push_back({"LV2", "QX Crest Stereo", path, crest});
  targets.push_back({"LV2", "LSP Spectrum Analyzer x2", path, "http://lsp-plug.in/plugins/lv2/spectrum_analyzer_x2"});
  targets.push_back(
    {"LV2", "x42 30-band spectrum (stereo)", path, "http://gareus.org/oss/lv2/meters#spectr30stereo"});
  targets.push_back({"VST3", "QX Crest Stereo", CREST_VST3_BUNDLE, "QX Crest Stereo"});
  targets.push_back({"VST3", "ZamEQ2", "/usr/lib/vst3/ZamEQ2.vst3", "ZamEQ2"});
  targets.push_back({"CLAP", "QX Crest Stereo", CREST_CLAP_MODULE, "QX Crest Stereo"});
  targets.push_back({"CLAP", "ZamEQ2", "/usr/lib/clap/ZamEQ2.clap", "ZamEQ2"});

  std::printf("Memory per instance: resident growth over %d instances after the first, each activated and run "
              "one block of %u frames (X display: %s)\n",
              extra, Lv2Rig::kBlock, std::getenv("DISPLAY") ? std::getenv("DISPLAY") : "none");
  std::printf("%-6s %-32s %16s %14s\n", "format", "plug-in", "first instance", "per instance");
  for (const Target& target : targets)
  {
    // The plug-ins' own messages (x42's band warnings) would bury the table.
    const Figures f = InChild([&] {
      if (FILE* quiet = std::freopen("/dev/null", "w", stderr); !quiet)
        return Failed("no /dev/null");
      return Memory(target, extra);
    });
    if (f.ok)
      std::printf("%-6s %-32s %12.2f MiB %10.3f MiB\n", target.format, target.name.c_str(), f.first / kMiB,
                  f.perInstance / kMiB);
    else
      std::printf("%-6s %-32s %s\n", target.format, target.name.c_str(), f.error);
  }

  if (openRuns == 0)
    return 0;
  // Ours only, alternating between the builds.
  std::vector<const Target*> ours;
  for (const Target& target : targets)
    if (target.id == crest)
      ours.push_back(&target);
  std::vector<std::vector<double>> open(ours.size()), reopen(ours.size()), other(ours.size());
  std::vector<std::vector<double>> cpu[3] = {std::vector<std::vector<double>>(ours.size()),
                                             std::vector<std::vector<double>>(ours.size()),
                                             std::vector<std::vector<double>>(ours.size())};
  for (int run = 0; run < openRuns; ++run)
    for (size_t k = 0; k < ours.size(); ++k)
    {
      const Figures f = InChild([&] { return EditorOpen(*ours[k]); });
      if (!f.ok)
      {
        std::printf("editor of %s: %s\n", ours[k]->name.c_str(), f.error);
        return 1;
      }
      open[k].push_back(f.openMs);
      reopen[k].push_back(f.reopenMs);
      other[k].push_back(f.otherMs);
      for (int c = 0; c < 3; ++c)
        cpu[c][k].push_back(f.cpuMs[c]);
    }
  std::printf("\nEditor open, UI instantiation through the first idle call, median of %d: the first editor of a "
              "process, the same closed and opened again, then another instance's\n",
              openRuns);
  std::printf("%-6s %-32s %10s %10s %10s\n", "format", "plug-in", "first", "reopen", "another");
  for (size_t k = 0; k < ours.size(); ++k)
    std::printf("%-6s %-32s %7.1f ms %7.1f ms %7.1f ms\n", ours[k]->format, ours[k]->name.c_str(), Median(open[k]),
                Median(reopen[k]), Median(other[k]));
  std::printf("The same in CPU time of the process:\n");
  for (size_t k = 0; k < ours.size(); ++k)
    std::printf("%-6s %-32s %7.1f ms %7.1f ms %7.1f ms\n", ours[k]->format, ours[k]->name.c_str(), Median(cpu[0][k]),
                Median(cpu[1][k]), Median(cpu[2][k]));
  if (ours.size() == 2)
  {
    std::printf("this build against the baseline: first %.2f x, reopen %.2f x, another %.2f x",
                Median(open[1]) / Median(open[0]), Median(reopen[1]) / Median(reopen[0]),
                Median(other[1]) / Median(other[0]));
    std::printf("; in CPU time %.2f x, %.2f x, %.2f x\n", Median(cpu[0][1]) / Median(cpu[0][0]),
                Median(cpu[1][1]) / Median(cpu[1][0]), Median(cpu[2][1]) / Median(cpu[2][0]));
  }
  return 0;
}

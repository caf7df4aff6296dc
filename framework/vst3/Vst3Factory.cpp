#include "framework/vst3/Vst3Factory.h"

#include "framework/CopyText.h"
#include "framework/PlugDescription.h"
#include "framework/vst3/Vst3Ids.h"
#include "framework/vst3/Vst3Plugin.h"
#include "framework/vst3/Vst3Text.h"

#include <new>

namespace
{
using Face = Vst3Face<Vst3Factory>;
constexpr const char* kCategory = "Audio Module Class";
constexpr const char* kSubCategories = "Fx|Analyzer";
constexpr const char* kSdkVersion = "VST 3.7.4";
constexpr int32_t kManyInstances = 0x7FFFFFFF;
constexpr int32_t kUnicode = 0x10;

const PlugDescription::Component* ComponentAt(int32_t idx)
{
  const auto& comps = GetPlugDescription().components;
  return idx >= 0 && static_cast<size_t>(idx) < comps.size() ? &comps[static_cast<size_t>(idx)] : nullptr;
}

template <size_t N>
void Put(const char* text, char (&field)[N])
{
  CopyText(field, N, text);
}

template <size_t N>
void Put(const char* text, int16_t (&field)[N])
{
  Vst3Text::ToUtf16(text, field, N);
}

// The fields every version of the class record shares; null when idx
// names no class or info is null.
template <typename Info>
const PlugDescription::Component* StartClassInfo(int32_t idx, Info* info)
{
  const PlugDescription::Component* c = ComponentAt(idx);
  if (!c || !info)
    return nullptr;
  *info = Info{};
  Vst3Ids::ClassId(*c, info->class_id);
  info->cardinality = kManyInstances;
  Put(kCategory, info->category);
  Put(PlugComponentName(*c).c_str(), info->name);
  return c;
}

// Versions 2 and 3 of the record, alike but for their text fields.
template <typename Info>
v3_result FullClassInfo(int32_t idx, Info* info)
{
  if (!StartClassInfo(idx, info))
    return V3_INVALID_ARG;
  Put(kSubCategories, info->sub_categories);
  Put(GetPlugDescription().makerName, info->vendor);
  Put(PlugVersionText().c_str(), info->version);
  Put(kSdkVersion, info->sdk_version);
  return V3_OK;
}
} // namespace

struct Vst3Factory::Tables
{
  v3_plugin_factory_cpp factory{};

  Tables()
  {
    factory.query_interface = [](void* self, const v3_tuid iid, void** obj) {
      return Face::Of(self)->QueryInterface(iid, obj);
    };
    // One factory for the module's life: references change nothing.
    factory.ref = [](void*) { return 1u; };
    factory.unref = [](void*) { return 1u; };
    factory.v1.get_factory_info = [](void* self, v3_factory_info* info) { return Face::Of(self)->FactoryInfo(info); };
    factory.v1.num_classes = [](void*) { return static_cast<int32_t>(GetPlugDescription().components.size()); };
    factory.v1.get_class_info = [](void* self, int32_t idx, v3_class_info* info) {
      return Face::Of(self)->ClassInfo(idx, info);
    };
    factory.v1.create_instance = [](void* self, const v3_tuid classId, const v3_tuid iid, void** instance) {
      return Face::Of(self)->CreateInstance(classId, iid, instance);
    };
    factory.v2.get_class_info_2 = [](void* self, int32_t idx, v3_class_info_2* info) {
      return Face::Of(self)->ClassInfo2(idx, info);
    };
    factory.v3.get_class_info_utf16 = [](void* self, int32_t idx, v3_class_info_3* info) {
      return Face::Of(self)->ClassInfo3(idx, info);
    };
    factory.v3.set_host_context = [](void*, v3_funknown**) { return static_cast<v3_result>(V3_OK); };
  }
};

const Vst3Factory::Tables& Vst3Factory::VTables()
{
  static const Tables tables;
  return tables;
}

Vst3Factory& Vst3Factory::Get()
{
  static Vst3Factory factory;
  return factory;
}

Vst3Factory::Vst3Factory() : mFace{&VTables().factory, this} {}

v3_result Vst3Factory::QueryInterface(const v3_tuid iid, void** obj)
{
  if (!obj)
    return V3_INVALID_ARG;
  const bool ours = v3_tuid_match(iid, v3_funknown_iid) || v3_tuid_match(iid, v3_plugin_factory_iid) ||
                    v3_tuid_match(iid, v3_plugin_factory_2_iid) || v3_tuid_match(iid, v3_plugin_factory_3_iid);
  *obj = ours ? &mFace : nullptr;
  return ours ? V3_OK : V3_NO_INTERFACE;
}

v3_result Vst3Factory::FactoryInfo(v3_factory_info* info) const
{
  if (!info)
    return V3_INVALID_ARG;
  *info = v3_factory_info{};
  Put(GetPlugDescription().makerName, info->vendor);
  info->flags = kUnicode;
  return V3_OK;
}

v3_result Vst3Factory::ClassInfo(int32_t idx, v3_class_info* info) const
{
  return StartClassInfo(idx, info) ? V3_OK : V3_INVALID_ARG;
}

v3_result Vst3Factory::ClassInfo2(int32_t idx, v3_class_info_2* info) const { return FullClassInfo(idx, info); }

v3_result Vst3Factory::ClassInfo3(int32_t idx, v3_class_info_3* info) const { return FullClassInfo(idx, info); }

v3_result Vst3Factory::CreateInstance(const v3_tuid classId, const v3_tuid iid, void** instance)
{
  if (!instance)
    return V3_INVALID_ARG;
  *instance = nullptr;
  const int index = classId ? Vst3Ids::ComponentOf(classId) : -1;
  if (index < 0)
    return V3_NO_INTERFACE;
  const PlugDescription::Component& c = GetPlugDescription().components[static_cast<size_t>(index)];
  // The editor made with the plug-in finds its resources beside this
  // library: Contents/x86_64-linux/ -> Contents/Resources.
  IPlugBase* plug = CreatePlug();
  if (!plug)
    return V3_NOMEM;
  auto* p = new (std::nothrow) Vst3Plugin(plug, c.nIn, c.nOut);
  if (!p)
  {
    delete plug;
    return V3_NOMEM;
  }
  const v3_result r = p->QueryInterface(iid, instance);
  p->Unref();
  return r;
}

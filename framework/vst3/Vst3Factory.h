// The module's VST3 factory (versions 1 to 3): one audio module class per
// component of the plug-in's description (category "Fx|Analyzer"), and
// the instances the host makes of them. One per module, never deleted.
//
// Threads: any; instances are made one at a time under the plug-in's
// creation lock.
#pragma once

#include "framework/vst3/Vst3Face.h"

#include <travesty/factory.h>

class Vst3Factory
{
public:
  static Vst3Factory& Get();
  v3_plugin_factory** Interface() { return mFace.As<v3_plugin_factory>(); }

private:
  Vst3Factory();
  struct Tables;
  static const Tables& VTables();

  v3_result QueryInterface(const v3_tuid iid, void** obj);
  v3_result FactoryInfo(v3_factory_info* info) const;
  v3_result ClassInfo(int32_t idx, v3_class_info* info) const;
  v3_result ClassInfo2(int32_t idx, v3_class_info_2* info) const;
  v3_result ClassInfo3(int32_t idx, v3_class_info_3* info) const;
  v3_result CreateInstance(const v3_tuid classId, const v3_tuid iid, void** instance);

  Vst3Face<Vst3Factory> mFace;
};

#include "framework/IGraphics.h"

#include "framework/IControl.h"
#include "framework/IPlugBase.h"

#include <algorithm>
#include <dlfcn.h>

namespace
{
std::string& DefaultResourceDir()
{
  static std::string dir;
  return dir;
}

// The bundle's Contents/Resources, found from the library that holds us:
// Contents/Linux/NAME.so -> Contents/Resources.
std::string BundleResourceDir()
{
  Dl_info info{};
  if (!dladdr(reinterpret_cast<void*>(&BundleResourceDir), &info) || !info.dli_fname)
    return ".";
  std::string path = info.dli_fname;
  const size_t slash = path.rfind('/');
  if (slash == std::string::npos)
    return "../Resources";
  return path.substr(0, slash) + "/../Resources";
}
} // namespace

IGraphics::IGraphics(IPlugBase* plug, int w, int h, int fps)
  : mPlug(plug), mWidth(w), mHeight(h), mFPS(fps),
    mResourceDir(DefaultResourceDir().empty() ? BundleResourceDir() : DefaultResourceDir())
{
}

IGraphics::~IGraphics() { ClearControls(); }

void IGraphics::SetDefaultResourceDir(const char* dir) { DefaultResourceDir() = dir ? dir : ""; }

std::string IGraphics::ResourcePath(const char* file) const { return mResourceDir + "/" + (file ? file : ""); }

int IGraphics::AttachControl(IControl* control)
{
  mControls.push_back(control);
  return NControls() - 1;
}

bool IGraphics::DetachControl(IControl* control)
{
  auto it = std::find(mControls.begin(), mControls.end(), control);
  if (it == mControls.end())
    return false;
  mControls.erase(it);
  return true;
}

void IGraphics::ClearControls()
{
  std::vector<IControl*> controls;
  controls.swap(mControls);
  for (IControl* c : controls)
    delete c;
}

void IGraphics::SetParameterFromPlug(int paramIdx, double value, bool normalized)
{
  IParam* param = mPlug ? mPlug->GetParam(paramIdx) : nullptr;
  if (!param)
    return;
  const double n = normalized ? value : param->ToNormalized(value);
  for (IControl* c : mControls)
    if (c->ParamIdx() == paramIdx)
      c->SetValueFromPlug(n);
}

void IGraphics::SetControlFromPlug(int controlIdx, double normalizedValue)
{
  if (IControl* c = GetControl(controlIdx))
    c->SetValueFromPlug(normalizedValue);
}

void IGraphics::SetAllControlsDirty()
{
  for (IControl* c : mControls)
    c->SetDirty(false);
}

void IGraphics::PrepDraw() {}

void IGraphics::Resize(int w, int h)
{
  if (w == mWidth && h == mHeight)
    return;
  mWidth = w;
  mHeight = h;
  ClearControls();
  if (mPlug)
  {
    mPlug->ResizeGraphics(w, h);
    mPlug->OnEditorResized();
  }
}

#include "framework/IGraphicsWindow.h"

#include "framework/IGraphics.h"
#include "framework/IKeyCodes.h"
#include "framework/IMouseMod.h"
#include "framework/LICE_SysBitmap.h"
#include "framework/XErrorTrap.h"

// Pugl is built as C; its deprecated calls are not ours to use.
#define PUGL_DISABLE_DEPRECATED
extern "C" {
#include "pugl/pugl.h"
#include "pugl/stub.h"
}

#include <X11/Xlib.h>

#include <chrono>
#include <cmath>
#include <cstdlib>
#include <thread>

namespace
{
PuglStatus OnPuglEvent(PuglView* view, const PuglEvent* event)
{
  if (auto* window = static_cast<IGraphicsWindow*>(puglGetHandle(view)))
    window->HandleEvent(event);
  return PUGL_SUCCESS;
}

// Letters give 15..40 whatever the case, as the view's key handling expects.
int FrameworkKeyCode(uint32_t key)
{
  if (key >= 'a' && key <= 'z')
    return kKeyAlphaA + static_cast<int>(key - 'a');
  if (key >= 'A' && key <= 'Z')
    return kKeyAlphaA + static_cast<int>(key - 'A');
  if (key >= '0' && key <= '9')
    return kKeyDigit0 + static_cast<int>(key - '0');
  switch (key)
  {
    case ' ':
      return kKeySpace;
    case PUGL_KEY_UP:
      return kKeyUpArrow;
    case PUGL_KEY_DOWN:
      return kKeyDownArrow;
    case PUGL_KEY_LEFT:
      return kKeyLeftArrow;
    case PUGL_KEY_RIGHT:
      return kKeyRightArrow;
    default:
      return kKeyNone;
  }
}

// Left is button 0 and right button 1; Command (the Super key here) with
// the left button counts as a right click.
IMouseMod MakeMod(PuglMods state, unsigned buttons)
{
  const bool super = (state & PUGL_MOD_SUPER) != 0;
  const bool left = (buttons & 1u) != 0, right = (buttons & 2u) != 0;
  return IMouseMod(left && !super, right || (left && super), (state & PUGL_MOD_SHIFT) != 0,
                   (state & PUGL_MOD_CTRL) != 0, (state & PUGL_MOD_ALT) != 0);
}
} // namespace

IGraphicsWindow::IGraphicsWindow(IGraphics* graphics) : mGraphics(graphics) {}

IGraphicsWindow* IGraphicsWindow::Open(IGraphics* graphics, uintptr_t parent, int w, int h)
{
  if (!graphics || w <= 0 || h <= 0)
    return nullptr;
  // A busy X server now and then resets a new connection; a few tries
  // spare the host a failed open.
  PuglWorld* world = nullptr;
  for (int attempt = 0; attempt < 4 && !world; ++attempt)
  {
    if (attempt)
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    world = puglNewWorld(PUGL_MODULE, 0);
  }
  if (!world)
    return nullptr;
  // A parent that is no window must fail the open, not the host.
  if (parent && !IsWindowOf(puglGetNativeWorld(world), parent))
  {
    puglFreeWorld(world);
    return nullptr;
  }
  puglSetClassName(world, graphics->GetWindowClass());
  PuglView* view = puglNewView(world);
  if (!view)
  {
    puglFreeWorld(world);
    return nullptr;
  }
  auto* window = new IGraphicsWindow(graphics);
  window->mWorld = world;
  window->mView = view;
  puglSetHandle(view, window);
  puglSetBackend(view, puglStubBackend());
  puglSetEventFunc(view, OnPuglEvent);
  puglSetViewHint(view, PUGL_RESIZABLE, 0);
  puglSetViewHint(view, PUGL_IGNORE_KEY_REPEAT, 0);
  puglSetSizeHint(view, PUGL_DEFAULT_SIZE, static_cast<PuglSpan>(w), static_cast<PuglSpan>(h));
  puglSetSizeHint(view, PUGL_MIN_SIZE, static_cast<PuglSpan>(w), static_cast<PuglSpan>(h));
  puglSetSizeHint(view, PUGL_MAX_SIZE, static_cast<PuglSpan>(w), static_cast<PuglSpan>(h));
  if (parent)
    puglSetParentWindow(view, static_cast<PuglNativeView>(parent));
  else
    puglSetWindowTitle(view, graphics->GetWindowTitle());
  bool shown = false;
  {
    // The parent may go between the check and the creation.
    XErrorTrap trap(puglGetNativeWorld(world));
    shown = puglRealize(view) == PUGL_SUCCESS && puglShow(view) == PUGL_SUCCESS && !trap.Failed();
  }
  if (!shown)
  {
    delete window;
    return nullptr;
  }
  return window;
}

IGraphicsWindow::~IGraphicsWindow()
{
  // A host may destroy its parent window (and ours with it) before closing
  // the editor; destroying ours again is an error of ours, not the host's.
  {
    XErrorTrap trap(GetDisplay());
    if (mView)
    {
      puglSetHandle(static_cast<PuglView*>(mView), nullptr);
      puglFreeView(static_cast<PuglView*>(mView));
    }
  }
  // The world owns the display connection: views go first.
  if (mWorld)
    puglFreeWorld(static_cast<PuglWorld*>(mWorld));
}

bool IGraphicsWindow::IsWindowOf(void* displayPtr, uintptr_t window)
{
  // Resource ids have 29 bits; Xlib would cut a larger value to another id.
  if (!displayPtr || window == 0 || window > 0x1fffffffu)
    return false;
  XErrorTrap trap(displayPtr);
  XWindowAttributes attrs;
  const Status ok = XGetWindowAttributes(static_cast<Display*>(displayPtr), static_cast<Window>(window), &attrs);
  return ok && !trap.Failed();
}

uintptr_t IGraphicsWindow::GetNativeWindow() const { return puglGetNativeView(static_cast<PuglView*>(mView)); }

void* IGraphicsWindow::GetDisplay() const { return puglGetNativeWorld(static_cast<PuglWorld*>(mWorld)); }

void IGraphicsWindow::ProcessEvents()
{
  if (mGone)
    return;
  Display* display = static_cast<Display*>(GetDisplay());
  XErrorTrap trap(display);
  // Pugl ignores the destruction of its window (the host's parent went,
  // taking ours with it); from then on every request on it fails.
  XEvent destroyed;
  if (XCheckTypedWindowEvent(display, static_cast<Window>(GetNativeWindow()), DestroyNotify, &destroyed))
  {
    mGone = true;
    return;
  }
  puglUpdate(static_cast<PuglWorld*>(mWorld), 0.0);
  if (trap.Failed())
    mGone = true;
}

void IGraphicsWindow::Show(LICE_SysBitmap* bitmap, const IRECT& region)
{
  if (!bitmap || mGone)
    return;
  XErrorTrap trap(GetDisplay());
  bitmap->ShowOnWindow(GetDisplay(), static_cast<unsigned long>(GetNativeWindow()), region);
  if (trap.Failed())
    mGone = true;
}

void IGraphicsWindow::SetSize(int w, int h)
{
  if (mGone)
    return;
  XErrorTrap trap(GetDisplay());
  PuglView* view = static_cast<PuglView*>(mView);
  puglSetSizeHint(view, PUGL_MIN_SIZE, static_cast<PuglSpan>(w), static_cast<PuglSpan>(h));
  puglSetSizeHint(view, PUGL_MAX_SIZE, static_cast<PuglSpan>(w), static_cast<PuglSpan>(h));
  puglSetSize(view, static_cast<unsigned>(w), static_cast<unsigned>(h));
  if (trap.Failed())
    mGone = true;
}

void IGraphicsWindow::HandleEvent(const void* eventPtr)
{
  const PuglEvent* event = static_cast<const PuglEvent*>(eventPtr);
  switch (event->type)
  {
    case PUGL_EXPOSE:
    {
      const PuglExposeEvent& e = event->expose;
      mGraphics->OnWindowExposed(IRECT(e.x, e.y, e.x + e.width, e.y + e.height));
      break;
    }
    case PUGL_BUTTON_PRESS:
      HandleButtonPress(&event->button);
      break;
    case PUGL_BUTTON_RELEASE:
    {
      const PuglButtonEvent& e = event->button;
      if (e.button > 1)
        break;
      const int x = static_cast<int>(std::floor(e.x)), y = static_cast<int>(std::floor(e.y));
      IMouseMod mod = MakeMod(e.state, 1u << e.button);
      mButtons &= ~(1u << e.button);
      mGraphics->OnMouseUp(x, y, &mod);
      break;
    }
    case PUGL_MOTION:
    {
      const PuglMotionEvent& e = event->motion;
      const int x = static_cast<int>(std::floor(e.x)), y = static_cast<int>(std::floor(e.y));
      mPointerX = x, mPointerY = y;
      IMouseMod mod = MakeMod(e.state, mButtons);
      if (mButtons)
        mGraphics->OnMouseDrag(x, y, &mod);
      else
        mGraphics->OnMouseOver(x, y, &mod);
      break;
    }
    case PUGL_POINTER_OUT:
      if (!mButtons && event->crossing.mode == PUGL_CROSSING_NORMAL)
        mGraphics->OnMouseOut();
      break;
    case PUGL_SCROLL:
    {
      const PuglScrollEvent& e = event->scroll;
      const int x = static_cast<int>(std::floor(e.x)), y = static_cast<int>(std::floor(e.y));
      IMouseMod mod = MakeMod(e.state, mButtons);
      if (e.dy != 0.0)
        mGraphics->OnMouseWheel(x, y, &mod, e.dy);
      break;
    }
    case PUGL_KEY_PRESS:
      HandleKeyPress(&event->key);
      break;
    default:
      break;
  }
}

void IGraphicsWindow::HandleButtonPress(const void* buttonEvent)
{
  const PuglButtonEvent& e = *static_cast<const PuglButtonEvent*>(buttonEvent);
  const int x = static_cast<int>(std::floor(e.x)), y = static_cast<int>(std::floor(e.y));
  mPointerX = x, mPointerY = y;
  if (e.button > 1)
    return; // only the left and right buttons mean anything here
  const bool isDouble = !mLastWasDouble && e.button == mLastPressButton && mLastPressTime >= 0.0 &&
                        e.time - mLastPressTime <= kDoubleClickSeconds &&
                        std::abs(x - mLastPressX) <= kDoubleClickDistance &&
                        std::abs(y - mLastPressY) <= kDoubleClickDistance;
  mLastWasDouble = isDouble;
  mLastPressTime = e.time;
  mLastPressButton = e.button;
  mLastPressX = x, mLastPressY = y;
  mButtons |= 1u << e.button;
  IMouseMod mod = MakeMod(e.state, 1u << e.button);
  if (isDouble)
    mGraphics->OnMouseDblClick(x, y, &mod);
  else
    mGraphics->OnMouseDown(x, y, &mod);
}

// Keys go to an open prompt as text, else to the control under the pointer.
void IGraphicsWindow::HandleKeyPress(const void* keyEvent)
{
  const PuglKeyEvent& e = *static_cast<const PuglKeyEvent*>(keyEvent);
  if (mGraphics->IsPrompting())
  {
    if (e.key < 0x80)
      mGraphics->OnTextEntryKey(static_cast<int>(e.key));
    return;
  }
  const int code = FrameworkKeyCode(e.key);
  if (code != kKeyNone)
  {
    IMouseMod mod = MakeMod(e.state, mButtons);
    mGraphics->OnKeyDown(static_cast<int>(std::floor(e.x)), static_cast<int>(std::floor(e.y)), code, &mod);
  }
}

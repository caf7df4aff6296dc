#include "CameraDrag.h"

#include "XPointerEvents.h"

namespace
{
constexpr int kMoves = 10;     // motion events per drag
constexpr int kStepPixels = 8; // across; every other drag goes back
constexpr int kStepsPerDrag = kMoves + 2;
// Spaced wider than a double click, as a hand moves.
constexpr unsigned long kEventMs = 40;
} // namespace

std::unique_ptr<CameraDrag> CameraDrag::connect(unsigned long editor, int x, int y, int width, int height)
{
  Display* display = XOpenDisplay(nullptr);
  if (!display)
    return nullptr;
  return std::unique_ptr<CameraDrag>(new CameraDrag(display, editor, x, y, width, height));
}

unsigned long CameraDrag::firstChild(unsigned long parent)
{
  Display* display = XOpenDisplay(nullptr);
  if (!display)
    return 0;
  const std::vector<Window> children = Children(display, parent);
  XCloseDisplay(display);
  return children.empty() ? 0 : children[0];
}

CameraDrag::CameraDrag(Display* display, unsigned long editor, int x, int y, int width, int height)
  : mDisplay(display), mEditor(editor), mX(x), mY(y), mWidth(width), mHeight(height)
{
}

CameraDrag::~CameraDrag() { XCloseDisplay(mDisplay); }

bool CameraDrag::step()
{
  const int phase = mStep % kStepsPerDrag;
  const int direction = (mStep / kStepsPerDrag) % 2 == 0 ? 1 : -1;
  ++mStep;
  mTime += kEventMs;
  // Starts left of the centre going right, or right of it going left, so
  // that every drag stays inside the graph.
  const int x0 = mX + mWidth / 2 - direction * kMoves * kStepPixels / 2;
  const int y = mY + mHeight / 2;
  const int moved = phase == 0 ? 0 : direction * kStepPixels * (phase < kStepsPerDrag - 1 ? phase : kMoves);

  XEvent ev{};
  if (phase == 0 || phase == kStepsPerDrag - 1)
    ev = Button(phase == 0 ? ButtonPress : ButtonRelease, mEditor, x0 + moved, y, Button1, mTime,
                phase == 0 ? 0 : Button1Mask);
  else // up and down a little too, so that both angles turn
    ev = Motion(mEditor, x0 + moved, y + (phase % 2 == 0 ? 4 : -4), mTime, Button1Mask);
  ev.xany.display = mDisplay;
  ev.xany.window = mEditor;
  XSendEvent(mDisplay, mEditor, True, NoEventMask, &ev);
  XFlush(mDisplay);
  const bool released = phase == kStepsPerDrag - 1;
  if (released)
    ++mDrags;
  return released;
}

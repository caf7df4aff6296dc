#pragma once

#include <cstdint>
#include <memory>

typedef struct _XDisplay Display; // NOLINT(bugprone-reserved-identifier): Xlib's name

// Camera drags across an editor's graph made of synthetic X events, as a
// user's mouse would make them: press in the graph, move in steps, release,
// then again the other way. One event per step(), on the thread that idles
// the editor, between its idle calls; the editor handles them at its idle.
// Uses a display connection of its own.
class CameraDrag
{
public:
  // Null when no display opens. `editor` is the editor's own window; the
  // graph is the area (x, y, width, height) of it, in its pixels.
  static std::unique_ptr<CameraDrag> connect(unsigned long editor, int x, int y, int width, int height);
  // The first child window of `parent`, where a host finds the editor it
  // opened there; 0 when it has none.
  static unsigned long firstChild(unsigned long parent);
  ~CameraDrag();

  CameraDrag(const CameraDrag&) = delete;
  CameraDrag& operator=(const CameraDrag&) = delete;

  // Sends the next event; true when it was the release that ends a drag.
  bool step();
  int drags() const { return mDrags; }

private:
  CameraDrag(Display* display, unsigned long editor, int x, int y, int width, int height);

  Display* mDisplay;
  unsigned long mEditor;
  int mX, mY, mWidth, mHeight;
  int mStep = 0;
  int mDrags = 0;
  unsigned long mTime = 1000;
};

#pragma once

#include <cstdint>
#include <memory>
#include <string>

typedef struct _XDisplay Display; // NOLINT(bugprone-reserved-identifier): Xlib's name

// The X11 window that the host hands to the editor as its parent view.
class EditorWindow
{
public:
  // Null when no display opens.
  static std::unique_ptr<EditorWindow> connect();
  ~EditorWindow();

  EditorWindow(const EditorWindow&) = delete;
  EditorWindow& operator=(const EditorWindow&) = delete;

  // Mapped windows get a title, a fixed size and the close button's protocol.
  void create(int width, int height, bool mapped, const std::string& title);
  uintptr_t handle() const { return mWindow; }
  int width() const { return mWidth; }
  int height() const { return mHeight; }

  void resize(int width, int height);
  // Waits up to timeoutMs for X events, then handles those pending;
  // false once the window was closed.
  bool processEvents(int timeoutMs);
  void flush();

private:
  explicit EditorWindow(Display* display);
  void setFixedSize(int width, int height);

  Display* mDisplay;
  unsigned long mWindow = 0;
  unsigned long mDeleteAtom = 0;
  int mWidth = 0;
  int mHeight = 0;
  bool mClosed = false;
};

// The OpenGL context the graph renders with: a 1 x 1 GL view (Pugl), a
// child of the editor's native window when it has one, used only for its
// context; everything is drawn into framebuffer objects. A context that
// lacks OpenGL 2 or framebuffer objects is dropped at once: the object then
// stays invalid for its whole life.
//
// Bind and Unbind may run on any thread, one thread at a time: Bind makes
// the context current on the calling thread (and keeps other threads out
// until the matching Unbind), Unbind flushes and makes no context current,
// so the next Bind may come from another thread. Pairs nest on one thread.
#pragma once

#include <mutex>
#include <string>
#include <thread>

class IGraphics;
struct PuglWorldImpl;
struct PuglViewImpl;

class GLContext3
{
public:
  GLContext3(const char* name, IGraphics* graphics);
  virtual ~GLContext3();

  GLContext3(const GLContext3&) = delete;
  GLContext3& operator=(const GLContext3&) = delete;

  bool IsValid() const { return mView != nullptr; }
  // Makes the context current on this thread; false when there is none or
  // it cannot be made current.
  bool Bind();
  // Ends the innermost Bind of this thread; the outermost flushes the GL
  // drawing and releases the context.
  void Unbind();

  const std::string& GetWindowClass() const { return mWindowClass; }
  const std::string& GetTitle() const { return mTitle; }

  // Whether a context reporting this GL_VERSION and extension string can
  // serve the graph: major version above 1 and "GL_EXT_framebuffer_object".
  static bool IsUsableGL(const char* version, const char* extensions);

private:
  void Destroy();

  PuglWorldImpl* mWorld = nullptr;
  PuglViewImpl* mView = nullptr;
  std::string mWindowClass;
  std::string mTitle;

  std::recursive_mutex mBindMutex;
  std::thread::id mOwner;
  int mBindDepth = 0;
};

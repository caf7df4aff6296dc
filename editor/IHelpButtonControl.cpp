#include "editor/IHelpButtonControl.h"

#include <cerrno>
#include <sys/wait.h>
#include <unistd.h>

IHelpButtonControl::IHelpButtonControl(IPlugBase* plug, IRECT rect, IBitmap* bitmap, const char* path)
  : IBitmapControl(plug, rect, bitmap), mPath(path ? path : "")
{
  if (mPath.size() > 1023)
    mPath.resize(1023);
}

bool IHelpButtonControl::OpenWithDesktop(const char* path)
{
  if (!path || !*path)
    return false;
  // Everything the children need is made before forking.
  char program[] = "xdg-open";
  char* argv[] = {program, const_cast<char*>(path), nullptr};
  const long maxFd = sysconf(_SC_OPEN_MAX) > 0 ? sysconf(_SC_OPEN_MAX) : 1024;

  // Fork twice: the middle process ends at once and is reaped here, so the
  // viewer neither becomes a zombie of the host nor is waited for.
  const pid_t middle = fork();
  if (middle < 0)
    return false;
  if (middle == 0)
  {
    const pid_t viewer = fork();
    if (viewer == 0)
    {
      for (long fd = 3; fd < maxFd && fd < 65536; ++fd)
        close(static_cast<int>(fd));
      setsid();
      execvp(program, argv);
      _exit(127);
    }
    _exit(viewer < 0 ? 1 : 0);
  }
  int status = 0;
  pid_t reaped;
  do
    reaped = waitpid(middle, &status, 0);
  while (reaped < 0 && errno == EINTR);
  // A host that ignores SIGCHLD has the middle process reaped for it.
  if (reaped < 0)
    return errno == ECHILD;
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

void IHelpButtonControl::OnMouseDown(int x, int y, IMouseMod* mod)
{
  OpenWithDesktop(mPath.c_str());
  IControl::OnMouseDown(x, y, mod);
}

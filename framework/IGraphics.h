// The editor surface: a window of a given size with a background picture
// and a list of controls drawn in attach order into a software picture,
// which the window shows. Pictures come from PNG resources, texts are drawn
// with FreeType, and mouse and key events go to the control under the
// pointer. A redraw tick (OnIdle, 25 a second from the host) draws what is
// dirty and puts controls' ready GL pictures over their rectangles.
//
// Threads: every editor operation holds the editor's own lock, which the
// audio thread never takes; the plug-in's mutex is taken inside it, and
// only to copy what a redraw needs. What other threads hand the editor
// (parameter values, a new size, redraw requests) is marked with atomics
// and taken at its next sync, so no other thread ever waits for it.
#pragma once

#include "framework/IBackground.h"
#include "framework/IBitmap.h"
#include "framework/IChannelBlend.h"
#include "framework/IColor.h"
#include "framework/IMouseMod.h"
#include "framework/IMouseRouter.h"
#include "framework/IRECT.h"
#include "framework/IResources.h"
#include "framework/IText.h"
#include "framework/WDL_Mutex.h"

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

class IControl;
class IFontRenderer;
class IGraphicsWindow;
class IPlugBase;
struct PlugDescription;
class ITextEntry;
class LICE_IBitmap;
class LICE_MemBitmap;
class LICE_SysBitmap;

class IGraphics
{
public:
  IGraphics(IPlugBase* plug, int w, int h, int fps = 25);
  virtual ~IGraphics();

  IGraphics(const IGraphics&) = delete;
  IGraphics& operator=(const IGraphics&) = delete;

  IPlugBase* GetPlug() { return mPlug; }
  int Width() const { return mWidth; }
  int Height() const { return mHeight; }
  int FPS() const { return mFPS; }

  void SetBundleID(const char* id) { mBundleID = id ? id : ""; }
  const char* GetBundleID() const { return mBundleID.c_str(); }
  // Takes the bundle id, the window's names and the design font's stand-in
  // from the plug-in's description.
  void Describe(const PlugDescription& desc);
  const char* GetWindowClass() const { return mWindowClass.c_str(); }
  const char* GetWindowTitle() const { return mWindowTitle.c_str(); }
  void HandleMouseOver(bool canHandle) { mHandleMouseOver = canHandle; }
  bool CanHandleMouseOver() const { return mHandleMouseOver; }

  // --- Controls; the editor owns every attached control ---
  int AttachControl(IControl* control);
  // Takes the control out of the list without destroying it.
  bool DetachControl(IControl* control);
  // Destroys every attached control.
  void ClearControls();
  int NControls() const { return static_cast<int>(mControls.size()); }
  IControl* GetControl(int idx) { return idx >= 0 && idx < NControls() ? mControls[idx] : nullptr; }

  // Every control bound to the parameter takes the parameter's value at the
  // editor's next sync. Wait-free, from any thread (the value arguments are
  // those of the call's callers; the parameter itself is read at the sync).
  void SetParameterFromPlug(int paramIdx, double value, bool normalized);
  // Brings the editor up to date with what other threads handed it: the
  // plug-in's deferred changes, the parameter values, the value pushes that
  // redraw requests left for the editor's thread.
  void SyncWithPlug();
  // The editor's lock (recursive); the plug-in's state mutex may be taken
  // inside it, never the other way round except by a non-waiting TryEnter.
  WDL_Mutex& GetEditorMutex() { return mEditorMutex; }
  void SetControlFromPlug(int controlIdx, double normalizedValue);
  void SetAllControlsDirty();
  // The next tick draws everything. The drawing surface is made by the
  // first draw (an editor never opened holds none) and kept from then on.
  void PrepDraw();

  // A new size: records it, destroys the attached controls, drops cached
  // drawing resources, resizes the window, tells the host and the plug-in.
  // The same size does nothing.
  void Resize(int w, int h);

  // --- Editor entry points for the host bridge ---
  // Opens the editor's X11 window, inside parentX11Window when it is not 0
  // (otherwise as a window of its own). True when the window exists.
  bool OpenWindow(uintptr_t parentX11Window);
  void CloseWindow();
  bool IsWindowOpen() const { return mWindowImpl != nullptr; }
  // One redraw tick: handles pending window events, redraws the dirty
  // controls (and whatever overlaps them) into the drawing surface, puts
  // the controls' GL pictures over their rectangles there, shows the
  // result. Without a window it still draws, so that Snapshot and the GL
  // pictures stay current.
  void OnIdle();
  // Draws the whole editor now and copies it out: w x h pixels, top row
  // first, bytes red, green, blue, alpha. w and h must be the editor's size.
  bool Snapshot(uint8_t* rgba, int w, int h);

  // --- Native window (an X11 window id; 0 while the editor is closed) ---
  uintptr_t GetWindow() const { return mWindow; }

  // --- Resources ---
  // Full path of a file in the bundle's resource folder.
  std::string ResourcePath(const char* file) const;
  const std::string& GetResourceDir() const { return mResources.GetDir(); }
  // Where editors made from now on find their resources; by default the
  // resource folder of the bundle holding this code.
  static void SetDefaultResourceDir(const char* dir);

  // A picture of the resources (path relative to the resource folder) with
  // nStates frames stacked vertically, loaded once per id. A missing file
  // gives an empty picture (no pixels, size 0).
  IBitmap LoadIBitmap(int id, const char* path, int nStates = 1);
  // The background is drawn stretched over the whole editor.
  void AttachBackground(int id, const char* path);

  // --- Drawing, for controls' Draw (clipped to the region being redrawn) ---
  // Frame bmpState (1-based) of the picture into dest with the blend.
  bool DrawBitmap(IBitmap* bitmap, IRECT* dest, int bmpState, const IChannelBlend* blend = nullptr);
  // The block of the picture at (srcX, srcY) of dest's size into dest.
  bool DrawBitmap(IBitmap* bitmap, IRECT* dest, int srcX, int srcY, const IChannelBlend* blend);
  // One line of UTF-8 text with the record's font, size, colour, style and
  // alignment: its top at rect's top, placed between rect's left and right
  // edges; not clipped to rect.
  bool DrawIText(IText* text, const char* str, IRECT* rect);
  bool MeasureIText(IText* text, const char* str, IRECT* rect, IRECT* box);
  bool FillIRect(const IColor* color, IRECT* rect, const IChannelBlend* blend = nullptr);
  bool DrawRect(const IColor* color, IRECT* rect);
  LICE_IBitmap* GetDrawBitmap();

  // --- Events, in editor pixels (the window calls these; tests may too) ---
  void OnMouseDown(int x, int y, IMouseMod* mod);
  void OnMouseUp(int x, int y, IMouseMod* mod);
  // Pointer moved with a button held: the pressed control gets the move.
  void OnMouseDrag(int x, int y, IMouseMod* mod);
  // The second press of a system double click.
  bool OnMouseDblClick(int x, int y, IMouseMod* mod);
  void OnMouseWheel(int x, int y, IMouseMod* mod, double d);
  // Pointer moved with no button held (mouse-over tracking).
  bool OnMouseOver(int x, int y, IMouseMod* mod);
  void OnMouseOut();
  // key is an EKeyCode; goes to the control under (x, y).
  bool OnKeyDown(int x, int y, int key, IMouseMod* mod);
  // The control under the point that would receive a click, or null
  // (hidden, greyed and mouse-transparent controls are passed over).
  IControl* GetMouseControl(int x, int y);
  IControl* GetMouseOverControl() { return mMouse.GetMouseOver(); }

  // --- Prompt for a parameter's value (right click, caption click) ---
  void PromptUserInput(IControl* control);
  bool IsPrompting() const { return mTextEntry != nullptr; }
  const ITextEntry* GetTextEntry() const { return mTextEntry.get(); }
  // Typing into an open prompt: printable characters, Backspace (8),
  // Return (13) commits, Escape (27) cancels. False when no prompt is open.
  bool OnTextEntryKey(int character);
  // Commits the typed value to the control (as user input); a text that is
  // no number just closes the prompt.
  void CommitTextEntry();
  void CancelTextEntry();

  // --- Observation for tests and benchmarks ---
  // Redraw passes made so far; and the region the last one covered.
  int GetNumRedraws() const { return mNumRedraws; }
  const IRECT& GetLastRedrawRECT() const { return mLastRedraw; }
  // Whether something waits to be drawn, and the region it covers.
  bool IsDirty(IRECT* region);
  // Draws the region now, without showing it.
  void DrawRegion(const IRECT& region);
  // Whether the drawing surface exists (made by the first draw).
  bool HasDrawSurface() const { return mDrawBitmap != nullptr; }
  // Time spent so far, in ms, putting GL pictures into the drawing surface
  // and showing the surface on the window.
  struct StageTimes
  {
    double blitMs = 0.0, showMs = 0.0;
  };
  const StageTimes& GetStageTimes() const { return mStageTimes; }
  // Off, the tick renders a GL frame whenever one is pending (benchmarks
  // that time every frame); on by default.
  void SetGLFramePacing(bool on) { mGLFramePacing = on; }
  // Off, the surface goes to the window with XPutImage even where the X
  // server could share memory (as to a remote server; for comparisons).
  // Set before the window opens; on by default.
  void SetSharedMemoryImages(bool on) { mSharedMemoryImages = on; }

  // Called by the window when the X server asks for a region again.
  void OnWindowExposed(const IRECT& region);

private:
  void ForgetControl(IControl* control);
  void ApplyPendingParams();
  void ApplyParamToControls(int paramIdx, double normalized);
  void DrawGLPictures(const IRECT& region);
  LICE_IBitmap* PacedGLBitmap(IControl* control);
  // Whether the control's pending GL picture may be rendered at this time
  // (true when none is pending).
  bool GLFrameDue(const IControl* control, double nowMs) const;
  // True when the surface was made just now (its pixels are all blank).
  bool EnsureDrawBitmap();
  void DrawBackground();
  void DrawTextEntry();
  // A press outside the prompt commits it; false when the press is inside
  // (the prompt keeps it from the controls).
  bool EndPromptUnlessInside(int x, int y);
  void ShowRegion(const IRECT& region);
  void AddPainted(const IRECT& r);
  IRECT PaintExtent(IControl* control) const;

protected:
  IPlugBase* mPlug;
  int mWidth, mHeight, mFPS;
  std::string mBundleID;
  std::string mWindowClass = "IGraphics";
  std::string mWindowTitle;
  bool mHandleMouseOver = false;
  std::vector<IControl*> mControls;
  uintptr_t mWindow = 0;
  IResources mResources;

private:
  WDL_Mutex mEditorMutex;
  // Parameters whose controls wait for the next sync.
  int mNumParams = 0;
  std::unique_ptr<std::atomic<bool>[]> mParamPending;
  std::atomic<bool> mAnyParamPending{false};

  // The redraw tick paces GL pictures: at most FPS frames a second, and a
  // frame that took T ms is followed by at least T ms without one.
  bool mPaceGLFrames = false;
  bool mGLFramePacing = true;
  bool mSharedMemoryImages = true;
  StageTimes mStageTimes;
  std::unordered_map<const IControl*, double> mNextGLFrameMs;

  IGraphicsWindow* mWindowImpl = nullptr;
  std::unique_ptr<LICE_SysBitmap> mDrawBitmap;
  std::unique_ptr<IFontRenderer> mFonts;
  IBackground mBackground;

  // What each control covered when it was last drawn (texts reach beyond
  // their rectangles), so that a change repaints the old picture too.
  std::unordered_map<const IControl*, IRECT> mPainted;
  IRECT mPaintBounds;
  IRECT mClip;
  IRECT mPendingRegion; // areas to repaint that no control marks (detached controls, the prompt)
  bool mFullRedraw = true;

  IMouseRouter mMouse{mControls};

  std::unique_ptr<ITextEntry> mTextEntry;

  int mNumRedraws = 0;
  IRECT mLastRedraw;
};

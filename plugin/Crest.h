// QX Crest: passes audio through untouched and feeds the mono mix of its
// input to the spectral analysis whose history the 3-D view draws. Owns the
// analysis chain and the view; reacts to its eleven parameters.
#pragma once

#include "dsp/SpectrumSink.h"
#include "framework/IPlugBase.h"
#include "framework/WDL_TypedBuf.h"
#include "plugin/SecureRestarter.h"
#include "view3d/CameraListener.h"

#include <atomic>
#include <vector>

class CrestProcess;
class CrestRender;
class FftProcessObj14;
class GraphControl10;
class IGUIResizeButtonControl2;
class IControl;
class IGraphics;

class Crest : public IPlugBase, public CameraListener, public SpectrumSink
{
public:
  enum EParams
  {
    kMode = 0,
    kSpeed,
    kDensity,
    kScale,
    kAngle0,
    kAngle1,
    kCamFov,
    kGraph,
    kSmallGUI,
    kMediumGUI,
    kBigGUI,
    kNumParams
  };

  // The editor's three sizes, the parameter that chooses each, and how far
  // each moves the lower row down; the first is the size it opens at.
  struct EditorSize
  {
    int paramIdx, width, height, yOffset;
  };
  static constexpr EditorSize kEditorSizes[3] = {
    {kSmallGUI, 800, 555, 0},
    {kMediumGUI, 920, 640, 85},
    {kBigGUI, 1040, 722, 167},
  };
  static constexpr int kEditorWidth = kEditorSizes[0].width;
  static constexpr int kEditorHeight = kEditorSizes[0].height;

  Crest();
  ~Crest() override;

  void Reset() override;
  void OnParamChange(int paramIdx) override;
  void ProcessBlock(double** inputs, double** outputs, int nFrames) override;
  void OnEditorWillResize() override;
  void OnEditorResized() override;
  void OnEditorSync() override;
  void ResizeEditor(int w, int h) override;
  bool SnapshotGraph(uint8_t* rgba, int w, int h) override;

  // Camera moved with the mouse in the view; the view already shows it.
  void UpdateCameraAngles(double angle0, double angle1) override;
  void UpdateCamFov(double fov) override;
  // The capture's spectra, handed on to the view.
  void AddMagns(const WDL_TypedBuf<double>& magns) override;

  void RefreshParamControl(int paramIdx);
  void ResetParamToDefault(int paramIdx);
  void TouchParam(int paramIdx);

  // Lays the editor out; yOffset moves the lower row down at larger sizes.
  void CreateControls(IGraphics* graphics, int yOffset, bool createGraph);

  CrestRender* GetView() { return mView; }
  GraphControl10* GetGraph() { return mGraph; }
  IGUIResizeButtonControl2* GetSizeButton(int i) { return mSizeButtons[i]; }

private:
  void ChangeEditorSize(int paramIdx);
  // A camera value (degrees) the view already shows, into its parameter and to the host.
  void SetFromView(int paramIdx, double value);

  FftProcessObj14* mFftObj = nullptr;
  CrestProcess* mCrestProcess = nullptr;
  GraphControl10* mGraph = nullptr;
  CrestRender* mView = nullptr;
  SecureRestarter mRestarter;

  bool mWasPlaying = false;

  int mGraphBaseWidth = 256;
  int mGraphBaseHeight = 256;
  IGUIResizeButtonControl2* mSizeButtons[3] = {nullptr, nullptr, nullptr};
  bool mKeepGraph = true;
  // A size parameter whose switch waits for the editor's next sync.
  std::atomic<int> mPendingEditorSize{-1};
  // Size buttons taken out of the editor by their own click; released once
  // that click has been handled.
  std::vector<IControl*> mRetiredButtons;

  // Audio-thread scratch, sized once so that blocks never allocate.
  std::vector<WDL_TypedBuf<double>> mInCopies, mScCopies, mMono;
};

// The drawer of the 3-D view: keeps the newest 32 spectra as lines of points
// and, once per graph frame, samples them by density and mode, projects every
// point through a perspective camera in software and draws two passes of
// polylines or squares with the vector renderer.
//
// Threads: AddPoints runs on the audio thread; PrepareFrame and PreDraw on
// the thread that renders the graph. Neither waits for the other: the
// history is a ring with spare lines that the audio thread writes and
// publishes line by line, and a frame copies the newest 32 lines out of it,
// copying again in the rare case that the writer came round to them
// meanwhile. So a frame always shows one history, never a mix of two. The
// view settings are atomics, set from any thread.
#pragma once

#include "graph/GraphCustomDrawer.h"
#include "view3d/CameraRange.h"
#include "view3d/Point3D.h"

#include <atomic>
#include <cstdint>
#include <memory>
#include <vector>

class LinesRender : public GraphCustomDrawer
{
public:
  static constexpr int kMaxNumLines = 32;
  static constexpr int kStartLineSize = 1024;

  LinesRender();
  ~LinesRender() override;

  LinesRender(const LinesRender&) = delete;
  LinesRender& operator=(const LinesRender&) = delete;

  // Samples the history (SampleHistory) for the next PreDraw.
  void PrepareFrame(int width, int height) override;
  void PreDraw(NVGcontext* vg, int width, int height) override;
  void PostDraw(NVGcontext* vg, int width, int height) override;

  // Offers one line to the history; one call in speedDivisor enters it,
  // replacing the oldest line. Does not allocate once the history's lines
  // have reached the length handed in.
  void AddPoints(const std::vector<Point3D>& line);
  // Whether the next line offered enters the history; when it does not,
  // SkipLine counts the offer, so that a dropped line costs nothing to
  // build. Audio thread.
  bool NextLineEnters() const;
  void SkipLine() { mAddCount.store(mAddCount.load(std::memory_order_relaxed) + 1, std::memory_order_relaxed); }

  void SetCameraAngles(double angle0, double angle1);
  double GetCamFov() const { return mCamFov.load(std::memory_order_relaxed); }
  void SetCamFov(double fov);
  // Divides the field of view by zoom, keeping it within 15 to 45 degrees.
  void ZoomCamFov(double zoom);
  void ResetCamFov();
  void SetMode(int mode);
  // 0..1 maps to 16..64 lines or points per line.
  void SetDensity(double density);
  void SetScale(double scale);
  // 0..1 maps to entering one line in 8..1.
  void SetSpeed(double speed);

  double GetAngle0() const { return mAngle0.load(std::memory_order_relaxed); }
  double GetAngle1() const { return mAngle1.load(std::memory_order_relaxed); }
  int GetMode() const { return mMode.load(std::memory_order_relaxed); }
  int GetDensity() const { return mDensity.load(std::memory_order_relaxed); }
  double GetScale() const { return mScale.load(std::memory_order_relaxed); }
  int GetSpeedDivisor() const { return mSpeedDivisor.load(std::memory_order_relaxed); }
  int64_t GetAddCount() const { return mAddCount.load(std::memory_order_relaxed); }
  int GetWidth() const { return mWidth; }
  int GetHeight() const { return mHeight; }
  int GetWhiteImage() const { return mWhiteImage; }

  // A copy of history line h, 0 being the oldest; always kMaxNumLines
  // lines. Any thread.
  int GetNumHistoryLines() const { return kMaxNumLines; }
  std::vector<Point3D> GetHistoryLine(int h) const;
  // Lines that have entered the history so far, the 32 start lines
  // included; the last frame's copy was taken at GetSampledLineCount.
  int64_t GetLineCount() const { return mLinesIn.load(std::memory_order_acquire); }
  int64_t GetSampledLineCount() const { return mSampledLineCount; }

  // Samples the history by mode and density into the drawing lines and
  // projects them for a graph of width x height pixels.
  void ProjectLines(int width, int height);
  // The two halves of ProjectLines: the copy out of the history (heights
  // scaled, depths set), then the projection of that copy.
  void SampleHistory();
  void ProjectSampledLines(int width, int height);
  int GetNumProjectedLines() const { return mNumProjLines; }
  int GetProjectedLineSize(int li) const;
  const Point3D* GetProjectedLine(int li) const;

  // MV and P of the camera, single precision, column-major (m[c * 4 + r]).
  static void ComputeCamera(int width, int height, float angle0, float angle1, float fov, float modelView[16],
                            float projection[16]);
  // out = a x b, single precision, column-major.
  static void MultiplyMatrices(const float a[16], const float b[16], float out[16]);
  // Maps points through mvp to screen pixels and depth, in place.
  static void ProjectPoints(Point3D* points, int numPoints, int width, int height, const float mvp[16]);
  // The same with this drawer's camera.
  void ProjectPoints(Point3D* points, int numPoints, int width, int height) const;

private:
  void ComputeMvp(int width, int height, float mvp[16]) const;
  void DrawLinesFreq(NVGcontext* vg, const int color[4], double lineWidth);
  void DrawLinesTime(NVGcontext* vg, const int color[4], double lineWidth);
  void DrawPoints(NVGcontext* vg, const int color[4], double side);

  struct RingLine;
  // Calls read(linesIn) until it ran while none of the 32 lines before
  // linesIn was being overwritten; returns that linesIn.
  template <typename Read>
  int64_t ReadHistory(Read&& read) const;
  // The ring slot of history line h when linesIn lines have entered.
  const RingLine& Slot(int64_t linesIn, int h) const;

  // Lines longer than this are cut; the view's have 1024 points.
  static constexpr int kLineCapacity = kStartLineSize;
  // Lines the writer may add while a frame copies, before the copy is retried.
  static constexpr int kSpareLines = 8;
  static constexpr int kRingLines = kMaxNumLines + kSpareLines;
  // Line k of all that entered lives in slot k % kRingLines. The writer
  // announces line k in mLinesStarted (k + 1) before it writes it and
  // publishes it in mLinesIn (k + 1) after.
  std::unique_ptr<RingLine[]> mRing;
  std::atomic<int64_t> mLinesStarted{kMaxNumLines};
  std::atomic<int64_t> mLinesIn{kMaxNumLines};
  int64_t mSampledLineCount = kMaxNumLines;

  std::atomic<double> mAngle0{0.0};
  std::atomic<double> mAngle1{0.0};
  std::atomic<double> mCamFov{CameraRange::kFovRest};
  int mWhiteImage = -1;
  std::atomic<int> mMode{2};
  std::atomic<int> mDensity{16};
  std::atomic<double> mScale{0.5};
  std::atomic<int> mSpeedDivisor{1};
  std::atomic<int64_t> mAddCount{0};
  int mWidth = 0;
  int mHeight = 0;

  // Drawing lines of the current frame: line li holds mProjSizes[li] points
  // starting at mProjPoints[li * mProjStride]. Sized up front for the
  // densest setting so that frames do not allocate.
  std::vector<Point3D> mProjPoints;
  std::vector<int> mProjSizes;
  int mNumProjLines = 0;
  int mProjStride = 0;
  int mProjMode = 2;
  // A frame's PrepareFrame has sampled the lines that PreDraw draws.
  bool mSampled = false;
};

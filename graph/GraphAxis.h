// An axis of the graph: labelled positions 0..1 along it, drawn as grid
// lines and texts. The layout (where lines and texts go) is computed here;
// the graph control draws it.
#pragma once

#include <string>
#include <vector>

struct GraphAxis
{
  struct Label
  {
    double t;
    std::string text;
  };
  struct GridLine
  {
    double x0, y0, x1, y1;
  };
  struct LabelPlace
  {
    double x, y;
    int align; // NanoVG alignment bits
    const std::string* text;
  };
  // How positions map onto the axis: logarithmically over lo..hi when
  // logScale; a vertical axis also maps through the graph's bounds y0, y1.
  struct Mapping
  {
    bool logScale = false;
    double lo = 0.0, hi = 1.0;
    double y0 = 0.0, y1 = 1.0;
  };

  // Distance of the end labels from the ends and of all labels from their
  // anchor line: 14 * 0.2, as the label size times 0.2.
  static constexpr double kMargin = 14 * 0.2;
  static constexpr double kLabelSize = 14.0;

  // Grid lines for the inner labels (never the first or the last), and one
  // text place per label, the first and the last shifted inwards; a single
  // label is placed both as first and as last.
  void Layout(bool horizontal, const Mapping& mapping, int width, int height, std::vector<GridLine>* lines,
              std::vector<LabelPlace>* places) const;

  // Position t of lo..hi re-mapped onto a decibel scale from lo to hi.
  static double NormDb(double t, double lo, double hi);

  std::vector<Label> mLabels;
  int mLineColor[4] = {0, 0, 0, 0};
  int mLabelColor[4] = {0, 0, 0, 0};
  double mOffset = 0.0;
  double mLabelX = 0.0;
  double mLabelY = 0.0;
  bool mOverlay = false;
  int mOverlayColor[4] = {0, 0, 0, 0};
};

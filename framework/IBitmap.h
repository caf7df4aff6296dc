// A picture loaded from the resources: frames stacked vertically, each
// H / N pixels high. The editor owns the pixels.
#pragma once

class LICE_IBitmap;

struct IBitmap
{
  LICE_IBitmap* mData = nullptr;
  int W = 0, H = 0, N = 1;

  IBitmap() = default;
  IBitmap(LICE_IBitmap* data, int w, int h, int n = 1) : mData(data), W(w), H(h), N(n < 1 ? 1 : n) {}
  int FrameHeight() const { return H / N; }
};

// Rectangle of four ints: left, top, right, bottom (right and bottom exclusive).
#pragma once

struct IRECT
{
  int L = 0, T = 0, R = 0, B = 0;

  IRECT() = default;
  IRECT(int l, int t, int r, int b) : L(l), T(t), R(r), B(b) {}

  int W() const { return R - L; }
  int H() const { return B - T; }
  bool Empty() const { return L == 0 && T == 0 && R == 0 && B == 0; }
  bool Contains(int x, int y) const { return x >= L && x < R && y >= T && y < B; }
  bool operator==(const IRECT& o) const { return L == o.L && T == o.T && R == o.R && B == o.B; }
  bool operator!=(const IRECT& o) const { return !(*this == o); }
};

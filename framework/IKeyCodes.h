// Key codes that the editor hands to controls' OnKeyDown: space, the four
// arrows, the digits, then the letters a to z (either case) as 15 to 40.
#pragma once

enum EKeyCode
{
  kKeyNone = -1,
  kKeySpace = 0,
  kKeyUpArrow,
  kKeyDownArrow,
  kKeyLeftArrow,
  kKeyRightArrow,
  kKeyDigit0,
  kKeyDigit9 = kKeyDigit0 + 9,
  kKeyAlphaA,
  kKeyAlphaZ = kKeyAlphaA + 25
};

static_assert(kKeyAlphaA == 15 && kKeyAlphaZ == 40, "letters are numbered 15 to 40");

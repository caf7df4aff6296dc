// The frame settings that every object of the short-time FFT framework
// keeps: overlapping, oversampling and the sample rate.
#pragma once

struct FrameSettings
{
  int overlapping = 1;
  int oversampling = 1;
  double sampleRate = 44100.0;

  // Takes each setting that is valid (greater than 0; NaN is not); the
  // others stay.
  void Take(int newOverlapping, int newOversampling, double newSampleRate)
  {
    if (newOverlapping > 0)
      overlapping = newOverlapping;
    if (newOversampling > 0)
      oversampling = newOversampling;
    if (newSampleRate > 0.0)
      sampleRate = newSampleRate;
  }
};

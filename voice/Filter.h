// Second-order filter sections: one shared data record and process routine, with the coefficient
// formula chosen by the derived class (low-pass, high-pass, band-pass).
#pragma once

namespace sorvel {

struct Biquad {
  double cutoff = 0;   // radians per sample
  double quality = 0;
  double lower = 0;    // angular limits
  double upper = 0;
  double a1 = 0, a2 = 0;  // feedback, already negated
  double b0 = 0;          // weight of x[n] and x[n-2]
  double b1 = 0;          // weight of x[n-1]
  double x1 = 0, x2 = 0, y1 = 0, y2 = 0;
  double offset = 1e-13;  // denormal guard, sign flipped every sample

  // Filters in place. A sample or state that is not a number is taken as 0.
  void process(double* values, int count);
  // Two sections over two blocks in one pass, with the results of two process calls.
  static void processPair(Biquad& a, double* valuesA, Biquad& b, double* valuesB, int count);

  void clearState() { x1 = x2 = y1 = y2 = 0; }
};

class Filter : public Biquad {
 public:
  virtual ~Filter() = default;
  virtual void computeCoefficients() {}

  // Sweep limits of 8 Hz and 8 kHz at the sample rate.
  void setLimitsForRate(double sampleRate);
  // Cutoff at lower + (upper - lower) x setting squared, coefficients recomputed.
  void sweepTo(double setting);

 protected:
  // The part every section shares; gives cos w and the normaliser d.
  struct Common {
    double cosW;
    double alpha;
    double d;
  };
  Common computeCommon();
};

class LowPass : public Filter {
 public:
  void computeCoefficients() override;
};

class HighPass : public Filter {
 public:
  void computeCoefficients() override;
};

// Its numerator is b0 (1 + z^-2): a notch at w = pi/2, kept as the instrument's own sound.
class BandPass : public Filter {
 public:
  void computeCoefficients() override;
  // 44100 / rate: its gain below the centre, about cot(w/2) / 4, would otherwise grow with the rate.
  double rateScale = 1.0;
};

}  // namespace sorvel

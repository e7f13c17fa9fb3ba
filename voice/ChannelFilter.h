// Resonant two-pole low-pass with zero-delay feedback (two one-pole low-passes with a high-passed
// feedback path); its cutoff comes from the engine's cutoff table at control rate.
#pragma once

namespace sorvel {

struct ChannelFilter {
  // Inputs, 0..1 scale for the cutoff sum.
  double cutoff = 0;
  double resonance = 0;
  double envAmount = 0;
  double envValue = 0;
  double modulation = 0;
  // Coefficients.
  double G0 = 0;  // normalising gain
  double g = 0;   // one-pole gain
  double beta2 = 0;
  double beta3 = 0;
  double k = 0;
  // State.
  double s1 = 0, s2 = 0, s3 = 0;
  double offset = 1e-13;  // denormal guard, sign flipped every sample

  // What the coefficients were last computed from by updateCoefficients.
  struct CoefficientInputs {
    const double* table = nullptr;
    double control = 0;
    int index = -1;
    double resonance = 0;
  } computedFrom;

  // Reads the cutoff table (17281 entries) at envValue x envAmount + cutoff + modulation.
  void computeCoefficients(const double* cutoffTable);
  // The same, skipped when the table entry, the resonance and the table are those of the last
  // update (they alone decide the coefficients): most control ticks of a held note.
  void updateCoefficients(const double* cutoffTable);
  // The next update computes afresh: a new rate's tables can sit where a dropped rate's were.
  void forgetCoefficients() { computedFrom.table = nullptr; }
  void process(double* values, int count);
  // Two filters over two blocks in one pass; the same results as two process calls, but the two
  // independent recursions overlap in the processor.
  static void processPair(ChannelFilter& a, double* valuesA, ChannelFilter& b, double* valuesB, int count);
  void clearState() { s1 = s2 = s3 = 0; }

  // Table index of a control value: below 0 (or not a number) the first entry, from 1 up the last.
  static int tableIndex(double control);

 private:
  double control() const { return envValue * envAmount + cutoff + modulation; }
  void setCoefficients(double G);
};

}  // namespace sorvel

// The plug-in base's building blocks: byte chunk, parameter record, host identification.
#include <cmath>

#include <gtest/gtest.h>

#include "framework/ByteChunk.h"
#include "framework/HostIdentification.h"
#include "framework/IParam.h"

using namespace sorvel;

TEST(ByteChunk, ValuesAndStringsRoundTrip) {
  ByteChunk chunk;
  EXPECT_EQ(chunk.put(std::int32_t{-7}), 4);
  EXPECT_EQ(chunk.put(2.5), 12);
  EXPECT_EQ(chunk.putString("abc"), 19);
  std::int32_t i = 0;
  double d = 0;
  std::string s;
  int pos = chunk.get(i, 0);
  pos = chunk.get(d, pos);
  pos = chunk.getString(s, pos);
  EXPECT_EQ(pos, 19);
  EXPECT_EQ(i, -7);
  EXPECT_EQ(d, 2.5);
  EXPECT_EQ(s, "abc");
}

TEST(ByteChunk, ReadsPastTheEndFail) {
  ByteChunk chunk;
  chunk.put(std::int32_t{1});
  double d = 3.0;
  EXPECT_EQ(chunk.get(d, 0), -1);
  EXPECT_EQ(d, 3.0);  // nothing read
  std::int32_t i = 0;
  EXPECT_EQ(chunk.get(i, -1), -1);
  EXPECT_EQ(chunk.get(i, 1), -1);
}

TEST(ByteChunk, StringLongerThanTheDataMovesPastItsStatedLength) {
  ByteChunk chunk;
  chunk.put(std::int32_t{10});
  chunk.putBytes("ab", 2);
  std::string s = "old";
  EXPECT_EQ(chunk.getString(s, 0), 14);
  EXPECT_EQ(s, "");
  std::int32_t next = 0;
  EXPECT_EQ(chunk.get(next, 14), -1);
}

TEST(ByteChunk, NegativeStringLengthNeverMovesBackwards) {
  ByteChunk chunk;
  chunk.put(std::int32_t{-100});
  chunk.put(std::int32_t{42});
  std::string s = "old";
  EXPECT_EQ(chunk.getString(s, 0), 4);
  EXPECT_EQ(s, "");
  chunk.clear();
  chunk.put(std::int32_t{0x7FFFFFFF});
  EXPECT_GT(chunk.getString(s, 0), 4);  // no overflow into a negative position
}

TEST(ByteChunk, ResizeZeroFillsAndReportsTheOldSize) {
  ByteChunk chunk;
  chunk.putString("xy");
  EXPECT_EQ(chunk.resize(10), 6);
  EXPECT_EQ(chunk.size(), 10);
  EXPECT_EQ(chunk.data()[9], 0);
}

TEST(IParam, PrecisionFollowsTheStep) {
  IParam a, b, c, d;
  a.initDouble("a", 0, 0, 1, 1);
  EXPECT_EQ(a.maximum(), 1.0);
  EXPECT_EQ(a.displayPrecision(), 0);
  b.initDouble("b", 0, 0, 1, 0.001);
  EXPECT_EQ(b.displayPrecision(), 3);
  c.initDouble("c", 0, 0, 1, 0.00000001);
  EXPECT_EQ(c.displayPrecision(), 6);
  d.initDouble("d", 0, 0, 0, 0.5);
  EXPECT_EQ(d.maximum(), 0.5);  // widened to minimum + step
}

TEST(IParam, EnumerationRoundsNormalisedValuesToItsSteps) {
  IParam p;
  p.initEnum("e", 0, {"a", "b", "c", "d"});
  EXPECT_EQ(p.kind(), IParam::kTypeEnum);
  p.setNormalised(0.5);
  EXPECT_EQ(p.value(), 2.0);
  p.setNormalised(1.0);
  EXPECT_EQ(p.value(), 3.0);
  EXPECT_EQ(p.formatForDisplay(p.value(), false), "d");
  EXPECT_EQ(p.formatForDisplay(0.34, true), "b");  // 1.02: integer part 1
}

TEST(IParam, FormatsNumbersWithPrecisionAndNegation) {
  IParam p;
  p.initDouble("p", 0.5, 0, 1, 0.01);
  EXPECT_EQ(p.formatForDisplay(0.5, false), "0.50");
  p.setNegateDisplay(true);
  EXPECT_EQ(p.formatForDisplay(0.5, false), "-0.50");
}

TEST(IParam, ShapeMapsBothWays) {
  IParam p;
  p.initDouble("s", 0.0081, 0, 1, 0.01, 4);
  EXPECT_NEAR(p.normalised(), 0.3, 1e-12);
  p.setNormalised(0.5);
  EXPECT_DOUBLE_EQ(p.value(), 0.0625);
}

TEST(IParam, NotANumberIsStoredAsTheMinimum) {
  IParam p;
  p.initDouble("p", 0.5, -2, 2, 0.01);
  p.setClamped(std::nan(""));
  EXPECT_EQ(p.value(), -2.0);
  p.setNormalised(std::nan(""));
  EXPECT_EQ(p.value(), -2.0);
  p.setClamped(INFINITY);
  EXPECT_EQ(p.value(), 2.0);
}

TEST(IParam, ConstantIntegerKeepsItsValueAndReportsZero) {
  IParam p;
  p.initInt("Version", 1302, 1302, 1302);
  EXPECT_EQ(p.normalised(), 0.0);
  for (double x : {0.3, 1.0, 7.0, std::nan("")}) {
    p.setNormalised(x);
    EXPECT_EQ(p.value(), 1302.0);
    EXPECT_EQ(p.normalised(), 0.0);
  }
  p.setClamped(1300.0);
  EXPECT_EQ(p.value(), 1302.0);
  EXPECT_EQ(p.formatForDisplay(p.value(), false), "1302");
}

TEST(Numbers, FormattingAndParsingUseADecimalPoint) {
  EXPECT_EQ(formatFixed(0.355, 3), "0.355");
  double v = 0;
  ASSERT_TRUE(parseDecimal(" 0.245", v));
  EXPECT_EQ(v, 0.245);
  EXPECT_FALSE(parseDecimal("abc", v));
}

TEST(HostIdentification, FirstMatchingRowWins) {
  EXPECT_EQ(identifyHost("Steinway CUBASE Artist"), 3);
  EXPECT_EQ(identifyHost("live logic"), 9);
  EXPECT_EQ(identifyHost("REAPER"), 1);
  EXPECT_EQ(identifyHost("Ardour"), 28);
  EXPECT_EQ(identifyHost("Standalone thing"), 24);
  EXPECT_EQ(identifyHost("Qtractor"), 0);
  EXPECT_EQ(identifyHost(""), 0);
  EXPECT_EQ(storedHostVersion(10203), 0x00010203);
}

TEST(HostIdentification, ChunkHostsByWholeVendorString) {
  EXPECT_TRUE(isChunkHostVendor("Native Instruments"));
  EXPECT_TRUE(isChunkHostVendor("juce vst host"));
  EXPECT_FALSE(isChunkHostVendor("Native Instruments GmbH"));
  EXPECT_FALSE(isChunkHostVendor(""));
}

// The drawing library: alpha blits of a strip's frame held to a clip, and PNG files in and out.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

#include "editor/LICE.h"
#include "editor/LICE_PNG.h"

namespace sorvel {
namespace {

TEST(LiceDrawing, AFrameBlendsByItsAlphaOnlyInsideTheClip) {
  LICE_MemBitmap dest(4, 4);
  LICE_FillRect(dest, LICE_Bounds(dest), LICE_RGBA(200, 0, 0, 255), LICE_Bounds(dest));
  LICE_MemBitmap strip(2, 4);  // two frames of 2 x 2
  for (int i = 0; i < 4; ++i) strip.getBits()[i] = LICE_RGBA(0, 100, 0, 128);  // half-covering green
  for (int i = 4; i < 8; ++i) strip.getBits()[i] = LICE_RGBA(0, 0, 255, 255);

  LICE_BlitFrame(dest, strip, 2, 0, 1, 1, IRECT{0, 0, 2, 4});
  const LICE_pixel blended = dest.getBits()[1 * 4 + 1];
  EXPECT_EQ(LICE_GETR(blended), 100);  // 200 x 127 / 255
  EXPECT_EQ(LICE_GETG(blended), 100);
  EXPECT_EQ(LICE_GETA(blended), 255);
  EXPECT_EQ(dest.getBits()[1 * 4 + 2], LICE_RGBA(200, 0, 0, 255));  // outside the clip
  EXPECT_EQ(dest.getBits()[0], LICE_RGBA(200, 0, 0, 255));           // outside the frame

  LICE_BlitFrame(dest, strip, 2, 1, 3, 3, LICE_Bounds(dest));  // runs off the corner
  EXPECT_EQ(dest.getBits()[3 * 4 + 3], LICE_RGBA(0, 0, 255, 255));

  EXPECT_EQ(LICE_FrameForValue(0.0, 65), 0);
  EXPECT_EQ(LICE_FrameForValue(0.5, 65), 32);
  EXPECT_EQ(LICE_FrameForValue(1.0, 65), 64);
}

TEST(LicePng, AWrittenImageReadsBackWithItsChannelsAndAlpha) {
  LICE_MemBitmap image(3, 2);
  image.getBits()[0] = LICE_RGBA(255, 0, 0, 255);
  image.getBits()[1] = LICE_RGBA(0, 255, 0, 255);
  image.getBits()[2] = LICE_RGBA(0, 0, 255, 255);
  image.getBits()[3] = LICE_RGBA(64, 32, 16, 128);  // premultiplied
  const std::string path = (std::filesystem::temp_directory_path() / "sorvel-lice-test.png").string();
  ASSERT_TRUE(LICE_WritePNG(path, image));
  std::ifstream in(path, std::ios::binary);
  const std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  std::filesystem::remove(path);

  LICE_MemBitmap read;
  ASSERT_TRUE(LICE_LoadPNGFromMemory(bytes.data(), bytes.size(), read));
  ASSERT_EQ(read.getWidth(), 3);
  ASSERT_EQ(read.getHeight(), 2);
  for (int i = 0; i < 6; ++i) EXPECT_EQ(read.getBits()[i], image.getBits()[i]) << i;

  const std::uint8_t notPng[] = {1, 2, 3, 4};
  LICE_MemBitmap untouched(1, 1);
  EXPECT_FALSE(LICE_LoadPNGFromMemory(notPng, sizeof notPng, untouched));
  EXPECT_EQ(untouched.getWidth(), 1);
}

}  // namespace
}  // namespace sorvel

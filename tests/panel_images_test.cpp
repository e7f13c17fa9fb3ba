// The editor's images are compiled in under their numbers and names, decode, and have the size and
// frame count the editor cuts them by.
#include <png.h>

#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <thread>
#include <vector>

#include "editor/ImageCache.h"
#include "editor/LICE_PNG.h"
#include "platform/Resources.h"
#include "resources/ImageTable.h"

namespace sorvel {
namespace {

TEST(PanelImages, EveryImageIsEmbeddedDecodesAtItsSizeAndItsFramesDiffer) {
  for (const PanelImage& image : kPanelImages) {
    SCOPED_TRACE(image.name);
    const ResourceBytes bytes = findResource(image.number, image.name);
    ASSERT_TRUE(bytes.found());
    png_image png{};
    png.version = PNG_IMAGE_VERSION;
    ASSERT_TRUE(png_image_begin_read_from_memory(&png, bytes.data, bytes.size));
    png.format = PNG_FORMAT_RGBA;
    std::vector<png_byte> pixels(PNG_IMAGE_SIZE(png));
    ASSERT_TRUE(png_image_finish_read(&png, nullptr, pixels.data(), 0, nullptr));
    EXPECT_EQ(png.width, static_cast<png_uint_32>(image.width));
    EXPECT_EQ(png.height, static_cast<png_uint_32>(image.height));
    ASSERT_EQ(image.height % image.frames, 0);

    // A strip whose neighbouring frames are equal would not show its value change.
    const std::size_t frameBytes = pixels.size() / static_cast<std::size_t>(image.frames);
    for (int frame = 1; frame < image.frames; ++frame) {
      const png_byte* previous = pixels.data() + frameBytes * static_cast<std::size_t>(frame - 1);
      EXPECT_NE(std::memcmp(previous, previous + frameBytes, frameBytes), 0) << "frame " << frame;
    }
  }
}

// Images are decoded on their first read, which may come from several editors' threads at once.
TEST(PanelImages, CachedImagesDecodeOnceOnFirstReadWithTheDirectDecodesPixels) {
  for (const PanelImage& image : {kPanelImages[0], kPanelImages[1]}) {
    SCOPED_TRACE(image.name);
    const LICE_IBitmap* cached = LICE_LoadImage(image.number, image.name);
    ASSERT_NE(cached, nullptr);
    EXPECT_EQ(LICE_LoadImage(image.number, image.name), cached);

    std::array<const LICE_pixel*, 4> bits{};
    std::vector<std::thread> readers;
    for (auto& b : bits) readers.emplace_back([&b, cached] { b = cached->getBits(); });
    for (auto& reader : readers) reader.join();
    for (const LICE_pixel* b : bits) EXPECT_EQ(b, bits[0]);

    const ResourceBytes bytes = findResource(image.number, image.name);
    LICE_MemBitmap direct;
    ASSERT_TRUE(LICE_LoadPNGFromMemory(bytes.data, bytes.size, direct));
    ASSERT_EQ(cached->getWidth(), direct.getWidth());
    ASSERT_EQ(cached->getHeight(), direct.getHeight());
    const std::size_t count = static_cast<std::size_t>(direct.getWidth()) * static_cast<std::size_t>(direct.getHeight());
    EXPECT_EQ(std::memcmp(cached->getBits(), direct.getBits(), count * sizeof(LICE_pixel)), 0);
  }
  EXPECT_EQ(LICE_LoadImage(9999, "no such image"), nullptr);
}

}  // namespace
}  // namespace sorvel

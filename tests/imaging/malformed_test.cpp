// Every malformed picture in tests/fixtures/malformed/ is refused with
// EInvalidGraphic and a message naming the fault, through both the buffer and
// the stream entry points, and never crashes (the files are made by
// make_imaging_fixtures.py in that folder).
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <map>
#include <set>

#include "platform/core/exceptions.h"
#include "platform/core/stream.h"
#include "platform/imaging/bmp.h"
#include "platform/imaging/ico.h"
#include "platform/imaging/jpeg.h"
#include "platform/imaging/png.h"

using namespace vx::plat;
using namespace vx::plat::imaging;
namespace fs = std::filesystem;

namespace {

const fs::path kFolder = fs::path(VX_FIXTURES_DIR) / "malformed";

// The message each fixture must produce.
const std::map<std::string, std::string> kExpectedMessages = {
    {"bmp_palette_beyond_file.bmp", "Invalid BMP: colour table larger than the file"},
    {"bmp_huge_dimensions.bmp", "Invalid BMP: image of 100000 x 100000 pixels exceeds the limit"},
    {"bmp_pixel_count_over_limit.bmp", "Invalid BMP: image of 32768 x 32768 pixels exceeds the limit"},
    {"bmp_pixels_beyond_file.bmp", "Invalid BMP: pixel data larger than the file"},
    {"bmp_negative_width.bmp", "Invalid BMP: the image width -5 is negative"},
    {"bmp_unsupported_header_size.bmp", "Invalid BMP: info header size 77 is not supported"},
    {"bmp_offset_beyond_file.bmp", "Invalid BMP: pixel data lie outside the file"},
    {"bmp_rle8_without_end.bmp", "Invalid BMP: compressed pixel data end before the picture does"},
    {"bmp_rle8_literal_beyond_data.bmp", "Invalid BMP: compressed pixel data end before the picture does"},
    {"bmp_rle8_large_and_cut_short.bmp", "Invalid BMP: compressed pixel data end before the picture does"},
    {"bmp_rle8_at_24_bits.bmp", "Invalid BMP: RLE8 compression needs 8 bits per pixel"},
    {"bmp_bitfields_gap_in_mask.bmp", "Invalid BMP: a colour mask is not contiguous"},
    {"bmp_7_bits_per_pixel.bmp", "Invalid BMP: 7 bits per pixel are not supported"},
    {"bmp_height_int32_min.bmp", "Invalid BMP: image of 1 x 2147483648 pixels exceeds the limit"},
    {"bmp_truncated_info_header.bmp", "Invalid BMP: info header lies outside the file"},
    {"bmp_colours_used_huge.bmp", "Invalid BMP: colour table larger than the file"},
    {"bmp_unknown_compression.bmp", "Invalid BMP: compression 9 is not supported"},
    {"bmp_embedded_png_broken.bmp", "Invalid BMP: PNG data: the PNG signature is missing"},
    {"dib_masks_beyond_data.dib", "Invalid BMP: colour mask lies outside the file"},
    {"ico_image_beyond_file.ico", "Invalid ICO: image 2 lies outside the file"},
    {"ico_no_images.ico", "Invalid ICO: the file holds no images"},
    {"ico_directory_beyond_file.ico", "Invalid ICO: directory larger than the file"},
    {"ico_mask_beyond_file.ico", "Invalid ICO: image 1: the mask lies outside the file"},
    {"ico_png_truncated.ico", "Invalid ICO: image 1: PNG data: the file ends before the picture does"},
    {"ico_bad_type.ico", "Invalid ICO: not an icon or cursor file"},
    {"ico_rle_image.ico", "Invalid ICO: image 1: compression 1 is not used in icons"},
    {"ico_palette_beyond_image.ico", "Invalid ICO: image 1: colour table larger than the file"},
    {"ico_huge_image.ico", "Invalid ICO: image 1: image of 100000 x 200000 pixels exceeds the limit"},
    {"cur_empty_image.cur", "Invalid ICO: image 1 is empty"},
    {"png_truncated_idat.png", "Invalid PNG: the file ends before the picture does"},
    {"png_huge_dimensions.png", "Invalid PNG: image of 100000 x 100000 pixels exceeds the limit"},
    {"png_bad_ihdr_crc.png", "Invalid PNG: IHDR: CRC error"},
    {"png_zero_width.png", "Invalid PNG: Invalid IHDR data"},
    {"png_bad_signature.png", "Invalid PNG: the PNG signature is missing"},
    {"png_palette_missing.png", "Invalid PNG: IDAT: Missing PLTE before IDAT"},
    {"png_too_small_for_its_size.png", "Invalid PNG: the file is too small for an image of 16000 x 16000 pixels"},
    {"png_idat_too_short.png", "Invalid PNG: Not enough image data"},
    {"jpeg_truncated_scan.jpg", "Invalid JPEG: the file ends before the picture does"},
    {"jpeg_huge_dimensions.jpg", "Invalid JPEG: image of 60000 x 60000 pixels exceeds the limit"},
    {"jpeg_no_image.jpg", "Invalid JPEG: JPEG datastream contains no image"},
    {"jpeg_bad_huffman_table.jpg", "Invalid JPEG: Bogus Huffman table definition"},
    {"jpeg_zero_width.jpg", "Invalid JPEG: Empty JPEG image (DNL not supported)"},
    {"jpeg_garbage_after_start.jpg", "Invalid JPEG: JPEG datastream contains no image"},
};

const std::set<std::string> kImagingExtensions = {".bmp", ".dib", ".ico", ".cur", ".png", ".jpg"};

using Bytes = std::vector<std::uint8_t>;

Bytes ReadFixture(const fs::path& path) {
  TMemoryStream stream;
  stream.LoadFromFile(path.string());
  return stream.Bytes();
}

// Decodes with the decoder the extension names, from a buffer.
void DecodeBuffer(const std::string& extension, const Bytes& data) {
  if (extension == ".bmp")
    ReadBmp(data);
  else if (extension == ".dib")
    ReadDib(data);
  else if (extension == ".ico" || extension == ".cur")
    ReadIco(data);
  else if (extension == ".png")
    ReadPng(data);
  else if (extension == ".jpg")
    ReadJpeg(data);
}

// The same from a stream; .dib has no stream form.
void DecodeStream(const std::string& extension, TStream& stream) {
  if (extension == ".bmp")
    ReadBmp(stream);
  else if (extension == ".ico" || extension == ".cur")
    ReadIco(stream);
  else if (extension == ".png")
    ReadPng(stream);
  else if (extension == ".jpg")
    ReadJpeg(stream);
  else
    throw EInvalidGraphic("no stream form");
}

std::string MessageOf(const std::function<void()>& decode) {
  try {
    decode();
  } catch (const EInvalidGraphic& e) {
    return e.Message();
  }
  return "(decoded without error)";
}

std::vector<fs::path> ImagingFixtures() {
  std::vector<fs::path> files;
  for (const auto& entry : fs::directory_iterator(kFolder))
    if (kImagingExtensions.count(entry.path().extension().string())) files.push_back(entry.path());
  std::sort(files.begin(), files.end());
  return files;
}

}  // namespace

TEST(MalformedPictures, EveryFixtureIsRefusedWithItsMessage) {
  std::vector<fs::path> files = ImagingFixtures();
  ASSERT_FALSE(files.empty()) << kFolder;
  for (const fs::path& path : files) {
    std::string name = path.filename().string();
    SCOPED_TRACE(name);
    auto expected = kExpectedMessages.find(name);
    ASSERT_NE(expected, kExpectedMessages.end()) << "a fixture without an expected message";
    Bytes data = ReadFixture(path);
    std::string extension = path.extension().string();

    std::string message = MessageOf([&] { DecodeBuffer(extension, data); });
    EXPECT_EQ(message, expected->second);

    if (extension == ".dib") continue;
    TMemoryStream stream;
    stream.WriteValue<std::uint8_t>(0x5A);
    stream.WriteBuffer(data.data(), static_cast<std::int64_t>(data.size()));
    stream.SetPosition(1);
    std::string streamMessage = MessageOf([&] { DecodeStream(extension, stream); });
    EXPECT_EQ(streamMessage.rfind("Invalid ", 0), 0u) << "stream message: " << streamMessage;
    EXPECT_EQ(stream.GetPosition(), 1) << "the stream position is restored";
  }
}

TEST(MalformedPictures, EveryListedFixtureExists) {
  for (const auto& [name, message] : kExpectedMessages) EXPECT_TRUE(fs::exists(kFolder / name)) << name;
}

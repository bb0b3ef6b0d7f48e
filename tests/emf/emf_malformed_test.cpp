// Corrupt and truncated metafiles: every malformed fixture is rejected with a
// message naming its fault, truncation at every length either loads or is
// refused, and damaged bytes that still load play without harm.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <vector>

#include "platform/core/exceptions.h"
#include "platform/core/stream.h"
#include "platform/emf/wmf_convert.h"
#include "platform/graphics/metafile.h"
#include "tests/emf/emf_test_util.h"

namespace vx::plat {
namespace {

namespace fs = std::filesystem;

std::vector<std::uint8_t> ReadFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(in), {});
}

// What each fixture shows, as the words its error must contain.
const std::map<std::string, std::string>& ExpectedFaults() {
  static const std::map<std::string, std::string> faults = {
      {"emf_wrong_signature.emf", "wrong signature"},
      {"emf_first_record_not_header.emf", "first record is not a header"},
      {"emf_truncated_header.emf", "too short for a header"},
      {"emf_header_size_too_small.emf", "header record size 40"},
      {"emf_record_size_not_multiple_of_4.emf", "not a multiple of 4"},
      {"emf_record_size_below_8.emf", "not a multiple of 4 of at least 8"},
      {"emf_record_size_zero.emf", "has size 0"},
      {"emf_record_runs_past_end.emf", "runs past the end"},
      {"emf_bytes_field_too_large.emf", "byte count"},
      {"emf_bytes_field_too_small.emf", "byte count"},
      {"emf_record_count_mismatch.emf", "record count (7)"},
      {"emf_no_eof.emf", "no end-of-file record"},
      {"emf_data_after_eof.emf", "follow the end-of-file record"},
      {"emf_second_header.emf", "second header"},
      {"emf_polygon_count_beyond_record.emf", "fewer points than its count"},
      {"emf_polygon16_count_beyond_record.emf", "fewer points than its count"},
      {"emf_polypolygon_counts_disagree.emf", "disagree with its point count"},
      {"emf_polypolygon_count_overflow.emf", "fewer points than its counts"},
      {"emf_object_index_out_of_range.emf", "outside the object table"},
      {"emf_create_object_index_zero.emf", "outside the object table"},
      {"emf_delete_object_index_out_of_range.emf", "outside the object table"},
      {"emf_text_string_outside_record.emf", "string outside the record"},
      {"emf_text_count_beyond_record.emf", "string outside the record"},
      {"emf_text_dx_outside_record.emf", "advances outside the record"},
      {"emf_region_count_beyond_data.emf", "malformed region data"},
      {"emf_region_size_beyond_record.emf", "region data running past its end"},
      {"emf_clip_region_wrong_type.emf", "malformed region data"},
      {"emf_bitmap_outside_record.emf", "bitmap that does not fit"},
      {"emf_bitmap_header_larger_than_bits.emf", "bitmap that does not fit"},
      {"emf_bitmap_unknown_depth.emf", "bitmap that does not fit"},
      {"emf_extcreatepen_entries_beyond_record.emf", "fewer dash entries"},
      {"emf_eof_palette_outside_record.emf", "palette entries outside"},
      {"emf_comment_longer_than_record.emf", "comment data running past"},
      {"emf_description_outside_header.emf", "description lies outside"},
      {"emf_nested_savedc_without_bound.emf", "nested SaveDC"},
      {"emf_rectangle_record_too_short.emf", "shorter than its fixed fields"},
      {"wmf_record_size_zero.wmf", "less than a record"},
      {"wmf_record_runs_past_end.wmf", "runs past the end"},
      {"wmf_header_size_beyond_data.wmf", "runs past the data"},
      {"wmf_bad_header_size.wmf", "not an old-style metafile header"},
      {"wmf_polygon_count_beyond_record.wmf", "fewer points than its count"},
      {"wmf_polypolygon_counts_beyond_record.wmf", "fewer points than its counts"},
      {"wmf_select_object_out_of_range.wmf", "outside the object table"},
      {"wmf_no_eof.wmf", "no end-of-file record"},
      {"wmf_text_longer_than_record.wmf", "shorter than its parameters"},
      {"wmf_negative_string_length.wmf", "negative string length"},
      {"wmf_empty_bounding_box.wmf", "bounding box is empty"},
      {"wmf_truncated_placeable_header.wmf", "too short for the placeable header"},
      {"wmf_rectangle_record_too_short.wmf", "shorter than its parameters"},
  };
  return faults;
}

std::vector<fs::path> MetafileFixtures() {
  std::vector<fs::path> files;
  for (const auto& entry : fs::directory_iterator(fs::path(VX_FIXTURES_DIR) / "malformed")) {
    const std::string name = entry.path().filename().string();
    if (name.rfind("emf_", 0) == 0 || name.rfind("wmf_", 0) == 0) files.push_back(entry.path());
  }
  std::sort(files.begin(), files.end());
  return files;
}

class MalformedMetafile : public ::testing::TestWithParam<fs::path> {};

TEST_P(MalformedMetafile, IsRejectedNamingItsFault) {
  const fs::path& path = GetParam();
  const std::string name = path.filename().string();
  const auto expected = ExpectedFaults().find(name);
  ASSERT_NE(expected, ExpectedFaults().end()) << name << " has no entry in the table of faults";
  const std::vector<std::uint8_t> data = ReadFile(path);
  const bool enhanced = name.rfind("emf_", 0) == 0;
  std::string message;
  try {
    if (enhanced)
      emf::ValidateEnhMetaFile(data);
    else
      emf::WmfToEmf(data);
  } catch (const EInvalidGraphic& e) {
    message = e.Message();
  }
  EXPECT_NE(message.find(enhanced ? "Invalid EMF: " : "Invalid WMF: "), std::string::npos) << name << ": " << message;
  EXPECT_NE(message.find(expected->second), std::string::npos) << name << ": " << message;
  if (enhanced) {
    EXPECT_EQ(SetEnhMetaFileBits(static_cast<UINT>(data.size()), data.data()), nullptr);
  }

  // A metafile asked to load it keeps what it had, and the stream its position.
  TMetafile picture;
  picture.SetWidth(33);
  TMemoryStream stream;
  stream.WriteBuffer(data.data(), static_cast<std::int64_t>(data.size()));
  stream.SetPosition(0);
  EXPECT_THROW(picture.LoadFromStream(stream), EInvalidGraphic) << name;
  EXPECT_EQ(stream.GetPosition(), 0);
  EXPECT_TRUE(picture.GetEmpty());
  EXPECT_EQ(picture.GetWidth(), 33);
}

INSTANTIATE_TEST_SUITE_P(Fixtures, MalformedMetafile, ::testing::ValuesIn(MetafileFixtures()),
                         [](const auto& info) {
                           std::string name = info.param.stem().string();
                           std::replace_if(name.begin(), name.end(), [](char c) { return !std::isalnum(static_cast<unsigned char>(c)); }, '_');
                           return name;
                         });

TEST(MalformedMetafile, EveryFaultInTheTableHasItsFixture) {
  for (const auto& [name, fault] : ExpectedFaults())
    EXPECT_TRUE(fs::exists(fs::path(VX_FIXTURES_DIR) / "malformed" / name)) << name;
}

// ---------------------------------------------------------------------------
// Truncation and damage
// ---------------------------------------------------------------------------

std::vector<std::uint8_t> SmallValidEmf() {
  emftest::Metafile mf = emftest::RecordMetafile([](HDC dc) {
    HPEN pen = CreatePen(PS_DASH, 1, 0x0000FF);
    HBRUSH brush = CreateHatchBrush(HS_CROSS, 0x00FF00);
    HFONT font = CreateFontW(-12, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, u"DejaVu Sans");
    SelectObject(dc, pen);
    SelectObject(dc, brush);
    SelectObject(dc, font);
    SaveDC(dc);
    IntersectClipRect(dc, 0, 0, 60, 60);
    const POINT tri[] = {{5, 5}, {50, 10}, {20, 40}};
    Polygon(dc, tri, 3);
    RestoreDC(dc, -1);
    Ellipse(dc, 10, 10, 70, 50);
    TextOutW(dc, 5, 50, u"ab", 2);
    HRGN region = CreateEllipticRgn(0, 0, 30, 30);
    FillRgn(dc, region, brush);
    DeleteObject(region);
    SelectObject(dc, GetStockObject(BLACK_PEN));
    SelectObject(dc, GetStockObject(WHITE_BRUSH));
    SelectObject(dc, GetStockObject(SYSTEM_FONT));
    DeleteObject(pen);
    DeleteObject(brush);
    DeleteObject(font);
  });
  return emftest::BytesOf(mf.get());
}

// Loading through TMetafile either succeeds (and the picture plays) or raises
// EInvalidGraphic; nothing else may happen.
void LoadAndPlay(const std::vector<std::uint8_t>& data, HDC target, int& loaded, int& refused) {
  TMemoryStream stream;
  if (!data.empty()) stream.WriteBuffer(data.data(), static_cast<std::int64_t>(data.size()));
  stream.SetPosition(0);
  TMetafile picture;
  try {
    picture.LoadFromStream(stream);
  } catch (const EInvalidGraphic&) {
    ++refused;
    return;
  }
  ++loaded;
  const RECT dest{0, 0, 80, 80};
  PlayEnhMetaFile(target, picture.GetHandle(), &dest);
}

TEST(TruncatedMetafile, EveryLengthOfASmallEmfLoadsOrIsRefused) {
  const std::vector<std::uint8_t> full = SmallValidEmf();
  emftest::DcHandle target = emftest::RasterDc(80, 80);
  int loaded = 0, refused = 0;
  for (std::size_t n = 0; n <= full.size(); ++n)
    LoadAndPlay(std::vector<std::uint8_t>(full.begin(), full.begin() + static_cast<std::ptrdiff_t>(n)), target.get(),
                loaded, refused);
  EXPECT_EQ(loaded, 1);  // only the whole file: every cut disagrees with the header's byte count
  EXPECT_EQ(refused, static_cast<int>(full.size()));
}

TEST(TruncatedMetafile, EveryLengthOfASmallWmfLoadsOrIsRefused) {
  const std::vector<std::uint8_t> full = emf::EmfToWmf(SmallValidEmf());
  emftest::DcHandle target = emftest::RasterDc(80, 80);
  int loaded = 0, refused = 0;
  for (std::size_t n = 0; n <= full.size(); ++n)
    LoadAndPlay(std::vector<std::uint8_t>(full.begin(), full.begin() + static_cast<std::ptrdiff_t>(n)), target.get(),
                loaded, refused);
  EXPECT_EQ(loaded, 1);
  EXPECT_EQ(refused, static_cast<int>(full.size()));
}

// Damaged files (bytes changed in place, the length kept) that pass the
// checks play without reading outside their records.
TEST(DamagedMetafile, ChangedBytesAreRefusedOrPlaySafely) {
  const std::vector<std::uint8_t> full = SmallValidEmf();
  emftest::DcHandle target = emftest::RasterDc(80, 80);
  std::uint32_t seed = 12345;
  auto next = [&] {
    seed = seed * 1664525u + 1013904223u;
    return seed >> 8;
  };
  int loaded = 0, refused = 0;
  for (int round = 0; round < 3000; ++round) {
    std::vector<std::uint8_t> damaged = full;
    const int changes = 1 + static_cast<int>(next() % 4);
    for (int i = 0; i < changes; ++i) {
      // Header and end-of-file counts are left alone so that damage reaches the records.
      const std::size_t at = 108 + next() % (damaged.size() - 128);
      const std::uint8_t values[] = {0x00, 0xFF, 0x7F, 0x80, 0x01, static_cast<std::uint8_t>(next())};
      damaged[at] = values[next() % 6];
    }
    LoadAndPlay(damaged, target.get(), loaded, refused);
  }
  EXPECT_GT(loaded, 0);
  EXPECT_GT(refused, 0);
}

}  // namespace
}  // namespace vx::plat

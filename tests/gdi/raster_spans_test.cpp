#include "platform/gdi/raster_spans.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <iterator>
#include <limits>

#include "tests/gdi/raster_test_util.h"

namespace vx::plat::gdi {
namespace {

using test::IsValidSpanList;
using test::PixelSet;
using test::ToPixels;

// A bag of random, overlapping, unsorted runs (some empty or reversed).
SpanList RandomBag(test::Lcg& rng, int count) {
  SpanList bag;
  for (int i = 0; i < count; ++i) {
    const std::int32_t y = rng.Range(-3, 6), x0 = rng.Range(-10, 20);
    bag.push_back(Span{y, x0, x0 + rng.Range(-2, 9)});
  }
  return bag;
}

PixelSet BagPixels(const SpanList& bag) {
  PixelSet p;
  for (const Span& s : bag) {
    for (std::int32_t x = s.x0; x < s.x1; ++x) p.insert({s.y, x});
  }
  return p;
}

TEST(SpanSets, NormaliseMakesAValidListOfTheSamePixels) {
  test::Lcg rng(1);
  for (int i = 0; i < 200; ++i) {
    SpanList bag = RandomBag(rng, rng.Range(0, 25));
    const PixelSet pixels = BagPixels(bag);
    NormaliseSpans(bag);
    EXPECT_TRUE(IsValidSpanList(bag));
    EXPECT_EQ(ToPixels(bag), pixels);
  }
  // Touching runs merge into one.
  SpanList touching{{0, 5, 8}, {0, 0, 5}, {1, 2, 3}};
  NormaliseSpans(touching);
  EXPECT_EQ(touching, (SpanList{{0, 0, 8}, {1, 2, 3}}));
}

TEST(SpanSets, BooleanOperationsMatchPixelSets) {
  test::Lcg rng(2);
  for (int i = 0; i < 300; ++i) {
    SpanList a = RandomBag(rng, rng.Range(0, 15)), b = RandomBag(rng, rng.Range(0, 15));
    NormaliseSpans(a);
    NormaliseSpans(b);
    const PixelSet pa = ToPixels(a), pb = ToPixels(b);
    PixelSet uni, inter, diff, sym;
    std::set_union(pa.begin(), pa.end(), pb.begin(), pb.end(), std::inserter(uni, uni.end()));
    std::set_intersection(pa.begin(), pa.end(), pb.begin(), pb.end(), std::inserter(inter, inter.end()));
    std::set_difference(pa.begin(), pa.end(), pb.begin(), pb.end(), std::inserter(diff, diff.end()));
    std::set_symmetric_difference(pa.begin(), pa.end(), pb.begin(), pb.end(), std::inserter(sym, sym.end()));
    const SpanList results[] = {UnionSpans(a, b), IntersectSpans(a, b), SubtractSpans(a, b), XorSpans(a, b)};
    const PixelSet* expected[] = {&uni, &inter, &diff, &sym};
    for (int k = 0; k < 4; ++k) {
      EXPECT_TRUE(IsValidSpanList(results[k])) << k;
      EXPECT_EQ(ToPixels(results[k]), *expected[k]) << k;
    }
    EXPECT_EQ(SpanPixelCount(results[0]), static_cast<std::int64_t>(uni.size()));
  }
}

TEST(SpanSets, ClipContainAndBounds) {
  const SpanList s{{-2, 0, 4}, {0, -5, -1}, {0, 3, 9}, {7, 2, 3}};
  EXPECT_EQ(ClipSpans(s, TRect{1, -1, 5, 8}), (SpanList{{0, 3, 5}, {7, 2, 3}}));
  EXPECT_TRUE(ClipSpans(s, TRect{9, -5, 20, 20}).empty());
  EXPECT_TRUE(SpansContain(s, -5, 0));
  EXPECT_TRUE(SpansContain(s, 8, 0));
  EXPECT_FALSE(SpansContain(s, 9, 0));
  EXPECT_FALSE(SpansContain(s, -1, 0));
  EXPECT_FALSE(SpansContain(s, 2, -1));
  EXPECT_FALSE(SpansContain(SpanList{}, 0, 0));
  EXPECT_EQ(SpanBounds(s), (TRect{-5, -2, 9, 8}));
  EXPECT_EQ(SpanBounds(SpanList{}), TRect{});
  EXPECT_EQ(NormalisedRect(TRect{5, 9, -1, 2}), (TRect{-1, 2, 5, 9}));
  // The last Int32 row saturates instead of wrapping.
  constexpr std::int32_t kMax = std::numeric_limits<std::int32_t>::max();
  EXPECT_EQ(SpanBounds(SpanList{{kMax, 0, 1}}).Bottom, kMax);
}

}  // namespace
}  // namespace vx::plat::gdi

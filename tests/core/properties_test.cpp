#include "platform/core/properties.h"

#include <gtest/gtest.h>

#include <bitset>
#include <string>
#include <vector>

namespace vx::plat {
namespace {

enum TMode : std::uint8_t { mdOff, mdOn, mdAuto };

class TBaseTool : public TComponent {
  VX_DECLARE_CLASS(TBaseTool)
public:
  explicit TBaseTool(TComponent* AOwner) : TComponent(AOwner) {}
  std::int32_t Cursor = 0;
  std::uint16_t Width = 8;
  TMode Mode = mdOff;
  std::uint8_t Flags = 0;  // a one-byte set kept as a plain mask
  static void RegisterProperties(TPropertyRegistry<TBaseTool>& r) {
    r.Integer("Cursor", &TBaseTool::Cursor);  // no default: always stored
    r.Integer("Width", &TBaseTool::Width, &TBaseTool::Width, 8);
    r.Enum("Mode", &TBaseTool::Mode, &TBaseTool::Mode, {"mdOff", "mdOn", "mdAuto"}, mdOff);
    r.Set("Flags", &TBaseTool::Flags, &TBaseTool::Flags, {"fA", "fB", "fC"}, 0);
  }
};
VX_DEFINE_CLASS(TBaseTool, TComponent)
VX_PUBLISH(TBaseTool)

// Redeclares Cursor with a default (in place) and adds its own properties.
class TCreatorTool : public TBaseTool {
  VX_DECLARE_CLASS(TCreatorTool)
public:
  explicit TCreatorTool(TComponent* AOwner) : TBaseTool(AOwner) { Cursor = -3; }
  float Zoom = 1.0f;
  std::bitset<10> Bits;
  std::int32_t GetReadOnly() const { return 5; }
  static void RegisterProperties(TPropertyRegistry<TCreatorTool>& r) {
    r.Float("Zoom", &TCreatorTool::Zoom, &TCreatorTool::Zoom, 1.0);
    r.Integer("Cursor", &TCreatorTool::Cursor, &TCreatorTool::Cursor, -3);
    r.Set("Bits", &TCreatorTool::Bits, &TCreatorTool::Bits, {"b0", "b1", "b2", "b3", "b4", "b5", "b6", "b7", "b8", "b9"});
    r.Integer("Fixed", &TCreatorTool::GetReadOnly);
  }
};
VX_DEFINE_CLASS(TCreatorTool, TBaseTool)
VX_PUBLISH(TCreatorTool)

// Publishes nothing of its own: it has exactly its parent's properties.
class TPlainTool : public TCreatorTool {
  VX_DECLARE_CLASS(TPlainTool)
public:
  using TCreatorTool::TCreatorTool;
};
VX_DEFINE_CLASS(TPlainTool, TCreatorTool)

std::vector<std::string> Names(const TPublishedInfo& info) {
  std::vector<std::string> r;
  for (const auto& p : info.Properties()) r.push_back(p->Name());
  return r;
}

TEST(Properties, ParentsComeFirstAndARedeclaredPropertyKeepsItsPlace) {
  EXPECT_EQ(Names(PublishedInfo(TBaseTool::StaticClass())), (std::vector<std::string>{"Cursor", "Width", "Mode", "Flags"}));
  std::vector<std::string> derived = {"Cursor", "Width", "Mode", "Flags", "Zoom", "Bits", "Fixed"};
  EXPECT_EQ(Names(PublishedInfo(TCreatorTool::StaticClass())), derived);
  EXPECT_EQ(Names(PublishedInfo(TPlainTool::StaticClass())), derived);
  EXPECT_EQ(Names(PublishedInfo(TComponent::StaticClass())), std::vector<std::string>{});
  // The base class keeps its own Cursor (no default).
  TBaseTool base(nullptr);
  TCreatorTool creator(nullptr);
  EXPECT_TRUE(PublishedInfo(base).FindProperty("cursor")->IsStored(base));
  EXPECT_FALSE(PublishedInfo(creator).FindProperty("CURSOR")->IsStored(creator));
  EXPECT_EQ(PublishedInfo(creator).FindProperty("Colour"), nullptr);
}

TEST(Properties, KindsRangesAndValueNamesFollowTheDeclaredTypes) {
  const TPublishedInfo& info = PublishedInfo(TCreatorTool::StaticClass());
  struct Case {
    const char* name;
    TPropKind kind;
    std::int64_t min, max;
    std::size_t names;
  } cases[] = {
      {"Cursor", TPropKind::Integer, INT32_MIN, INT32_MAX, 0},
      {"Width", TPropKind::Integer, 0, 65535, 0},
      {"Mode", TPropKind::Enumeration, 0, 2, 3},
      {"Flags", TPropKind::Set, 0, 7, 3},
      {"Bits", TPropKind::Set, 0, 1023, 10},
  };
  for (const Case& c : cases) {
    const TPropInfo* p = info.FindProperty(c.name);
    ASSERT_NE(p, nullptr) << c.name;
    EXPECT_EQ(p->Kind(), c.kind) << c.name;
    EXPECT_EQ(p->MinValue(), c.min) << c.name;
    EXPECT_EQ(p->MaxValue(), c.max) << c.name;
    EXPECT_EQ(p->ValueNames().size(), c.names) << c.name;
  }
  EXPECT_EQ(info.FindProperty("Mode")->FindValueName("MDAUTO"), 2);
  EXPECT_EQ(info.FindProperty("Mode")->FindValueName("mdNone"), -1);
  EXPECT_EQ(&info.FindProperty("Zoom")->DeclaringClass(), &TCreatorTool::StaticClass());
}

TEST(Properties, AccessorsConvertAndCheckTheirValues) {
  TCreatorTool tool(nullptr);
  const TPublishedInfo& info = PublishedInfo(tool);
  info.FindProperty("Width")->SetOrdinal(tool, 65535);
  EXPECT_EQ(tool.Width, 65535);
  EXPECT_THROW(info.FindProperty("Width")->SetOrdinal(tool, 65536), EConvertError);
  EXPECT_THROW(info.FindProperty("Mode")->SetOrdinal(tool, -1), EConvertError);
  info.FindProperty("Mode")->SetOrdinal(tool, 2);
  EXPECT_EQ(tool.Mode, mdAuto);
  info.FindProperty("Bits")->SetOrdinal(tool, 0x201);
  EXPECT_TRUE(tool.Bits.test(9) && tool.Bits.test(0));
  EXPECT_EQ(info.FindProperty("Bits")->GetOrdinal(tool), 0x201);
  info.FindProperty("Zoom")->SetFloat(tool, 0.5);
  EXPECT_EQ(tool.Zoom, 0.5f);
  EXPECT_EQ(info.FindProperty("Fixed")->GetOrdinal(tool), 5);

  try {
    info.FindProperty("Fixed")->SetOrdinal(tool, 1);
    ADD_FAILURE();
  } catch (const EConvertError& e) {
    EXPECT_EQ(e.Message(), "Property Fixed of TCreatorTool is read-only");
  }
  try {
    info.FindProperty("Zoom")->GetString(tool);
    ADD_FAILURE();
  } catch (const EConvertError& e) {
    EXPECT_EQ(e.Message(), "Property Zoom of TCreatorTool is a float property, not a string property");
  }
}

TEST(Properties, StoredWhenWritableNotDefaultAndItsRuleHolds) {
  TCreatorTool tool(nullptr);
  const TPublishedInfo& info = PublishedInfo(tool);
  auto stored = [&](const char* name) { return info.FindProperty(name)->IsStored(tool); };
  EXPECT_FALSE(stored("Width"));
  EXPECT_FALSE(stored("Zoom"));
  EXPECT_TRUE(stored("Bits"));   // no default
  EXPECT_FALSE(stored("Fixed"));  // read-only
  tool.Width = 9;
  tool.Zoom = 2;
  EXPECT_TRUE(stored("Width"));
  EXPECT_TRUE(stored("Zoom"));
}

}  // namespace
}  // namespace vx::plat

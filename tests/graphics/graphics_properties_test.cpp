// Published properties of pens, brushes, fonts and pictures: a component that
// owns them goes through the text form format and comes back equal.
#include <gtest/gtest.h>

#include <memory>

#include "platform/core/component.h"
#include "platform/core/form_stream.h"
#include "platform/core/properties.h"
#include "platform/graphics/bitmap.h"
#include "platform/graphics/brush.h"
#include "platform/graphics/font.h"
#include "platform/graphics/pen.h"
#include "platform/graphics/picture.h"

namespace vx::plat {
namespace {

// A component holding one of each graphics object, as generators do.
class TLookHolder : public TComponent {
  VX_DECLARE_CLASS(TLookHolder)
public:
  explicit TLookHolder(TComponent* owner) : TComponent(owner) {}
  static void RegisterProperties(TPropertyRegistry<TLookHolder>& r) {
    r.Object("Pen", &TLookHolder::GetPen);
    r.Object("Brush", &TLookHolder::GetBrush);
    r.Object("Font", &TLookHolder::GetFont);
    r.Object("Picture", &TLookHolder::GetPicture);
  }
  TPen* GetPen() const { return FPen.get(); }
  TBrush* GetBrush() const { return FBrush.get(); }
  TFont* GetFont() const { return FFont.get(); }
  TPicture* GetPicture() const { return FPicture.get(); }

private:
  std::unique_ptr<TPen> FPen = std::make_unique<TPen>();
  std::unique_ptr<TBrush> FBrush = std::make_unique<TBrush>();
  std::unique_ptr<TFont> FFont = std::make_unique<TFont>();
  std::unique_ptr<TPicture> FPicture = std::make_unique<TPicture>();
};
VX_DEFINE_CLASS(TLookHolder, TComponent)
VX_PUBLISH(TLookHolder)

TEST(GraphicsProperties, DefaultsAreNotStored) {
  TLookHolder holder(nullptr);
  const std::string text = FormToText(&holder);
  EXPECT_EQ(text.find("Pen."), std::string::npos) << text;
  EXPECT_EQ(text.find("Brush."), std::string::npos) << text;
  EXPECT_EQ(text.find("Picture."), std::string::npos) << text;
  EXPECT_EQ(text.find("Font.Size"), std::string::npos) << text;  // Height carries it
  EXPECT_NE(text.find("Font.Height = -11"), std::string::npos) << text;
  EXPECT_NE(text.find("Font.Name = 'Tahoma'"), std::string::npos) << text;
}

TEST(GraphicsProperties, EveryAttributeSurvivesAFormRoundTrip) {
  TLookHolder holder(nullptr);
  holder.GetPen()->SetColor(clRed);
  holder.GetPen()->SetMode(pmNotXor);
  holder.GetPen()->SetStyle(psDashDot);
  holder.GetPen()->SetWidth(3);
  holder.GetBrush()->SetColor(clGray);
  holder.GetBrush()->SetStyle(bsClear);
  holder.GetFont()->SetName(u"Arial");
  holder.GetFont()->SetHeight(30);
  holder.GetFont()->SetColor(clNavy);
  holder.GetFont()->SetCharset(0);
  holder.GetFont()->SetPitch(fpFixed);
  holder.GetFont()->SetStyle({fsBold, fsStrikeOut});
  holder.GetFont()->SetOrientation(900);
  holder.GetPicture()->GetBitmap().SetSize(2, 2);
  holder.GetPicture()->GetBitmap().SetPixel(1, 0, clLime);

  const std::string text = FormToText(&holder);
  EXPECT_NE(text.find("Pen.Mode = pmNotXor"), std::string::npos) << text;
  EXPECT_NE(text.find("Font.Style = [fsBold, fsStrikeOut]"), std::string::npos) << text;

  TLookHolder copy(nullptr);
  FormFromText(text, &copy);
  EXPECT_EQ(copy.GetPen()->GetColor(), clRed);
  EXPECT_EQ(copy.GetPen()->GetMode(), pmNotXor);
  EXPECT_EQ(copy.GetPen()->GetStyle(), psDashDot);
  EXPECT_EQ(copy.GetPen()->GetWidth(), 3);
  EXPECT_EQ(copy.GetBrush()->GetColor(), clGray);
  EXPECT_EQ(copy.GetBrush()->GetStyle(), bsClear);
  EXPECT_EQ(copy.GetFont()->GetName(), u"Arial");
  EXPECT_EQ(copy.GetFont()->GetHeight(), 30);
  EXPECT_EQ(copy.GetFont()->GetColor(), clNavy);
  EXPECT_EQ(copy.GetFont()->GetCharset(), 0);
  EXPECT_EQ(copy.GetFont()->GetPitch(), fpFixed);
  EXPECT_EQ(copy.GetFont()->GetStyle(), (TFontStyles{fsBold, fsStrikeOut}));
  EXPECT_EQ(copy.GetFont()->GetOrientation(), 900);
  ASSERT_TRUE(copy.GetPicture()->HasGraphic());
  EXPECT_EQ(copy.GetPicture()->GetBitmap().GetPixel(1, 0), clLime);
}

}  // namespace
}  // namespace vx::plat

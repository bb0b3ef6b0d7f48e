// Controls and forms: window creation from CreateParams, bounds and client
// areas, coordinates, alignment, inherited colour and font, the device
// context hook, graphic controls, labels and buttons, closing forms, drag
// and drop, and controls read from a form file.
#include "platform/controls/stdctrls.h"
#include "platform/core/form_stream.h"
#include "tests/controls/controls_test_support.h"

namespace vx::plat::testing {
namespace {

class ControlsTest : public HeadlessTest {};

// A probe whose window gets a border, as a bordered scrolling control's does.
class TBordered : public TProbe {
public:
  using TProbe::TProbe;
  DWORD ExtraStyle = WS_BORDER;
  UINT ClassStyle = CS_DBLCLKS;

protected:
  void CreateParams(TCreateParams& Params) override {
    TProbe::CreateParams(Params);
    Params.Style |= ExtraStyle;
    // Window classes are registered once per name: a name per class style.
    Params.WindowClass.style = ClassStyle;
    Params.WinClassName = u"TBordered" + IntToStr(ClassStyle);
  }
};

TEST_F(ControlsTest, CreateParamsStylesShapeTheClientArea) {
  struct Case {
    DWORD Style;
    TRect Client;
  };
  const Case cases[] = {{0, Rect(0, 0, 100, 80)},
                        {WS_BORDER, Rect(0, 0, 98, 78)},
                        {WS_BORDER | WS_VSCROLL, Rect(0, 0, 81, 78)},
                        {WS_BORDER | WS_HSCROLL | WS_VSCROLL, Rect(0, 0, 81, 61)}};
  for (const Case& c : cases) {
    TForm* form = MakeForm();
    auto* box = new TBordered(form);
    box->ExtraStyle = c.Style;
    box->SetParent(form);
    EXPECT_EQ(box->ClientRect(), c.Client) << std::hex << c.Style;
    EXPECT_EQ(box->BoundsRect(), Rect(20, 20, 120, 100));
    EXPECT_EQ(box->ClientWidth(), c.Client.Right);
    // The border is drawn around the client area.
    if (c.Style & WS_BORDER) {
      const TPoint corner = form->ClientToScreen(TPoint{20, 20});
      EXPECT_EQ(static_cast<COLORREF>(Host.ScreenPixel(corner.x, corner.y)), ColorToRGB(clWindowFrame));
    }
  }
}

TEST_F(ControlsTest, RecreateWndKeepsChildrenAndAppliesNewStyles) {
  TForm* form = MakeForm();
  auto* box = new TBordered(form);
  box->ExtraStyle = 0;
  box->SetParent(form);
  TProbe* child = MakeProbe(box, Rect(5, 5, 25, 25));
  const HWND before = box->Handle();
  box->ExtraStyle = WS_BORDER;
  box->RecreateWnd();
  Host.RunUntilIdle();
  EXPECT_NE(box->Handle(), nullptr);
  EXPECT_TRUE(IsWindow(box->Handle()));
  EXPECT_FALSE(IsWindow(before));
  EXPECT_EQ(box->ClientWidth(), 98);
  EXPECT_TRUE(child->HandleAllocated());
  EXPECT_EQ(GetParent(child->Handle()), box->Handle());
}

TEST_F(ControlsTest, ResizingRepaintsAllOnlyWithRedrawClassStyles) {
  struct Case {
    UINT ClassStyle;
    TRect Painted;
  };
  for (const Case& c : {Case{CS_DBLCLKS, Rect(100, 0, 140, 80)}}) {
    TForm* form = MakeForm();
    auto* box = new TBordered(form);
    box->ExtraStyle = 0;
    box->ClassStyle = c.ClassStyle;
    box->SetParent(form);
    Host.RunUntilIdle();
    box->PaintClips.clear();
    box->SetWidth(140);
    Host.RunUntilIdle();
    ASSERT_EQ(box->PaintClips.size(), 1u);
    EXPECT_EQ(box->PaintClips[0], c.Painted);
  }
  TForm* form = MakeForm();
  TProbe* probe = MakeProbe(form, Rect(20, 20, 120, 100));  // CS_HREDRAW | CS_VREDRAW
  probe->PaintClips.clear();
  probe->SetWidth(140);
  Host.RunUntilIdle();
  ASSERT_EQ(probe->PaintClips.size(), 1u);
  EXPECT_EQ(probe->PaintClips[0], Rect(0, 0, 140, 80));
}

TEST_F(ControlsTest, ClientAndScreenCoordinates) {
  TForm* form = MakeForm(40, 30);
  auto* box = new TBordered(form);
  box->SetParent(form);  // bounds (20, 20, 120, 100) with a one-pixel border
  auto* label = new TLabel(form);
  label->SetParent(box);
  label->SetBounds(7, 9, 30, 15);
  EXPECT_EQ(form->ClientOrigin(), (TPoint{40, 30}));
  EXPECT_EQ(box->ClientOrigin(), (TPoint{61, 51}));
  EXPECT_EQ(label->ClientOrigin(), (TPoint{68, 60}));
  EXPECT_EQ(box->ClientToScreen(TPoint{3, 4}), (TPoint{64, 55}));
  EXPECT_EQ(box->ScreenToClient(TPoint{64, 55}), (TPoint{3, 4}));
  EXPECT_EQ(label->ScreenToClient(TPoint{68, 60}), (TPoint{0, 0}));
}

TEST_F(ControlsTest, AlignedChildrenShareTheClientArea) {
  TForm* form = MakeForm(10, 10, 300, 200);
  auto make = [&](TAlign align, int size) {
    auto* c = new TProbe(form);
    c->SetBounds(0, 0, size, size);
    c->SetAlign(align);
    c->SetParent(form);
    return c;
  };
  TProbe* top = make(alTop, 30);
  TProbe* bottom = make(alBottom, 20);
  TProbe* left = make(alLeft, 40);
  TProbe* right = make(alRight, 50);
  TProbe* client = make(alClient, 10);
  EXPECT_EQ(top->BoundsRect(), Rect(0, 0, 300, 30));
  EXPECT_EQ(bottom->BoundsRect(), Rect(0, 180, 300, 200));
  EXPECT_EQ(left->BoundsRect(), Rect(0, 30, 40, 180));
  EXPECT_EQ(right->BoundsRect(), Rect(250, 30, 300, 180));
  EXPECT_EQ(client->BoundsRect(), Rect(40, 30, 250, 180));
  Host.ResizeWindow(form->Handle(), 400, 300);
  Host.RunUntilIdle();
  EXPECT_EQ(client->BoundsRect(), Rect(40, 30, 350, 280));
  EXPECT_EQ(form->Width(), 400);
}

// A container that never aligns its children, as a scrolling control does.
class TNoAlign : public TProbe {
public:
  using TProbe::TProbe;

protected:
  void AlignControls(TControl*, TRect&) override {}
};

TEST_F(ControlsTest, AlignControlsCanBeOverriddenToDoNothing) {
  TForm* form = MakeForm();
  auto* box = new TNoAlign(form);
  box->SetParent(form);
  TProbe* child = MakeProbe(box, Rect(5, 6, 15, 16));
  child->SetAlign(alClient);
  EXPECT_EQ(child->BoundsRect(), Rect(5, 6, 15, 16));
}

TEST_F(ControlsTest, ColourAndFontComeFromTheParentUntilSet) {
  TForm* form = MakeForm();
  form->SetColor(clTeal);
  TProbe* probe = MakeProbe(form, Rect(10, 10, 50, 50));
  EXPECT_TRUE(probe->ParentColor());
  EXPECT_EQ(probe->Color(), clTeal);
  form->SetColor(clOlive);
  EXPECT_EQ(probe->Color(), clOlive);
  probe->SetColor(clRed);
  EXPECT_FALSE(probe->ParentColor());
  form->SetColor(clNavy);
  EXPECT_EQ(probe->Color(), clRed);
  probe->SetParentColor(true);
  EXPECT_EQ(probe->Color(), clNavy);

  form->Font().SetName(u"Courier New");
  EXPECT_EQ(probe->Font().GetName(), u"Courier New");
  EXPECT_TRUE(probe->ParentFont());
  probe->Font().SetHeight(-20);
  EXPECT_FALSE(probe->ParentFont());
  form->Font().SetName(u"Arial");
  EXPECT_EQ(probe->Font().GetName(), u"Courier New");
}

// A control that maps every context it hands out: logical (0, 0) lies at
// device (10, 20), as a drawing surface applies its mapping.
class TMapped : public TProbe {
public:
  using TProbe::TProbe;
  int ContextsHandedOut = 0;
  HDC GetDeviceContext(HWND& WindowHandle) override {
    const HDC dc = TProbe::GetDeviceContext(WindowHandle);
    SetViewportOrgEx(dc, 10, 20, nullptr);
    ++ContextsHandedOut;
    return dc;
  }
};

TEST_F(ControlsTest, CanvasKeepsTheMappedContextUntilTheNextLoopTurn) {
  TForm* form = MakeForm();
  auto* box = new TMapped(form);
  box->SetParent(form);
  Host.RunUntilIdle();
  TCanvas& canvas = box->Canvas();
  canvas.GetBrush().SetColor(clLime);
  canvas.FillRect(Rect(0, 0, 2, 2));
  canvas.FillRect(Rect(4, 0, 6, 2));  // same context, still mapped
  EXPECT_EQ(box->ContextsHandedOut, 1);
  EXPECT_EQ(Host.ScreenPixel(At(box, 10, 20).x, At(box, 10, 20).y), clLime);
  EXPECT_EQ(Host.ScreenPixel(At(box, 14, 20).x, At(box, 14, 20).y), clLime);
  Host.RunUntilIdle();  // a loop turn lets the context go
  canvas.FillRect(Rect(8, 0, 10, 2));
  EXPECT_EQ(box->ContextsHandedOut, 2);
}

TEST_F(ControlsTest, LabelSizesToItsCaptionAndPaintsText) {
  TForm* form = MakeForm();
  form->SetColor(clWhite);
  auto* label = new TLabel(form);
  label->SetParent(form);
  label->SetBounds(10, 10, 10, 10);
  label->SetCaption(u"Hello world");
  Host.RunUntilIdle();
  EXPECT_GT(label->Width(), 40);
  EXPECT_GE(label->Height(), 11);
  EXPECT_LE(label->Height(), 20);
  int ink = 0;
  for (int y = 0; y < label->Height(); ++y)
    for (int x = 0; x < label->Width(); ++x) {
      const TPoint p = At(label, x, y);
      ink += Host.ScreenPixel(p.x, p.y) != clWhite;
    }
  EXPECT_GT(ink, 20);
  const TPoint beyond = At(label, label->Width() + 3, 3);
  EXPECT_EQ(Host.ScreenPixel(beyond.x, beyond.y), clWhite);
}

TEST_F(ControlsTest, GraphicControlsReceiveTheirParentsMouseMessages) {
  TForm* form = MakeForm();
  auto* label = new TLabel(form);
  label->SetParent(form);
  label->SetBounds(30, 40, 50, 20);
  label->SetAutoSize(false);
  int clicks = 0;
  TPoint down;
  label->OnClick = [&](TObject*) { ++clicks; };
  label->OnMouseDown = [&](TObject*, TMouseButton, TShiftState, int x, int y) { down = TPoint{x, y}; };
  Host.Click(mbLeft, form->ClientToScreen(TPoint{35, 47}));
  Host.RunUntilIdle();
  EXPECT_EQ(clicks, 1);
  EXPECT_EQ(down, (TPoint{5, 7}));
}

TEST_F(ControlsTest, ButtonClicksByMouseSpaceAndShowsPressed) {
  TForm* form = MakeForm();
  auto* button = new TButton(form);
  button->SetParent(form);
  button->SetBounds(10, 10, 75, 25);
  button->SetCaption(u"OK");
  int clicks = 0;
  button->OnClick = [&](TObject*) { ++clicks; };
  Host.PressButton(mbLeft, At(button, 10, 10));
  Host.RunUntilIdle();
  EXPECT_TRUE(button->Pressed());
  EXPECT_TRUE(button->Focused());
  Host.MoveMouse(At(button, 100, 10));  // dragged off: released look, no click
  Host.RunUntilIdle();
  EXPECT_FALSE(button->Pressed());
  Host.ReleaseButton(mbLeft, At(button, 100, 10));
  Host.Click(mbLeft, At(button, 10, 10));
  Host.TypeKey(VK_SPACE, u' ');
  Host.RunUntilIdle();
  EXPECT_EQ(clicks, 2);
}

TEST_F(ControlsTest, CloseAsksAndHidesOrFrees) {
  TForm* form = MakeForm();
  bool allow = false;
  TCloseAction action = caHide;
  form->OnCloseQuery = [&](TObject*, bool& canClose) { canClose = allow; };
  form->OnClose = [&](TObject*, TCloseAction& a) { a = action; };
  form->Close();
  EXPECT_TRUE(form->Visible());
  allow = true;
  action = caNone;
  form->Close();
  EXPECT_TRUE(form->Visible());
  action = caHide;
  Host.CloseWindow(form->Handle());  // the user closes the window
  Host.RunUntilIdle();
  EXPECT_FALSE(form->Visible());

  auto* freed = new TForm(nullptr);
  bool destroyed = false;
  freed->OnDestroy = [&](TObject*) { destroyed = true; };
  freed->OnClose = [](TObject*, TCloseAction& a) { a = caFree; };
  freed->Show();
  freed->Close();
  EXPECT_FALSE(destroyed);  // freed once the current message is done
  Host.RunUntilIdle();
  EXPECT_TRUE(destroyed);
}

TEST_F(ControlsTest, DragOverAndDropGetClientCoordinates) {
  TForm* form = MakeForm();
  TProbe* source = MakeProbe(form, Rect(10, 10, 50, 50));
  TProbe* target = MakeProbe(form, Rect(100, 10, 200, 110));
  source->SetDragMode(dmAutomatic);
  std::vector<TDragState> states;
  TPoint dropped{-1, -1};
  target->OnDragOver = [&](TObject*, TObject* src, int, int, TDragState state, bool& accept) {
    states.push_back(state);
    accept = src == source;
  };
  target->OnDragDrop = [&](TObject*, TObject* src, int x, int y) {
    EXPECT_EQ(src, source);
    dropped = TPoint{x, y};
  };
  Host.Drag(mbLeft, At(source, 5, 5), At(target, 30, 40), 4);
  Host.RunUntilIdle();
  ASSERT_FALSE(states.empty());
  EXPECT_EQ(states.front(), dsDragEnter);
  EXPECT_EQ(dropped, (TPoint{30, 40}));
  EXPECT_FALSE(source->Dragging());
}

TEST_F(ControlsTest, ControlsReadFromAFormFileLandOnTheForm) {
  TForm form(nullptr);
  FormFromText(
      "object Form1: TForm\n"
      "  Caption = 'Plan'\n"
      "  object Ok: TButton\n"
      "    Left = 8\n"
      "    Top = 12\n"
      "    Width = 60\n"
      "    Height = 24\n"
      "    Caption = 'OK'\n"
      "    Default = True\n"
      "  end\n"
      "  object Note: TLabel\n"
      "    Left = 8\n"
      "    Top = 50\n"
      "    Caption = 'Hello'\n"
      "  end\n"
      "end\n",
      &form);
  auto* ok = dynamic_cast<TButton*>(form.FindComponent(u"Ok"));
  auto* note = dynamic_cast<TLabel*>(form.FindComponent(u"Note"));
  ASSERT_NE(ok, nullptr);
  ASSERT_NE(note, nullptr);
  EXPECT_EQ(form.Caption(), u"Plan");
  EXPECT_EQ(ok->Parent(), &form);
  EXPECT_EQ(ok->BoundsRect(), Rect(8, 12, 68, 36));
  EXPECT_TRUE(ok->Default());
  EXPECT_EQ(note->Parent(), &form);
  EXPECT_GT(note->Width(), 0);
  const std::string text = FormToText(&form);
  EXPECT_NE(text.find("Default = True"), std::string::npos) << text;
}

TEST_F(ControlsTest, ScaleByScalesBoundsChildrenAndOwnFonts) {
  TForm* form = MakeForm();
  TProbe* box = MakeProbe(form, Rect(10, 20, 110, 70));
  TProbe* child = MakeProbe(box, Rect(4, 6, 14, 16));
  box->Font().SetHeight(-12);  // its own font scales; the child's follows its parent
  box->ScaleBy(3, 2);
  EXPECT_EQ(box->BoundsRect(), Rect(15, 30, 165, 105));
  EXPECT_EQ(child->BoundsRect(), Rect(6, 9, 21, 24));
  EXPECT_EQ(box->Font().GetSize(), 14);  // 9 pt * 3 / 2 = 13.5 -> 14
  EXPECT_EQ(child->Font().GetSize(), box->Font().GetSize());
}

TEST_F(ControlsTest, GraphicControlCanvasIsMovedAndClippedToTheControl) {
  TForm* form = MakeForm();
  form->SetColor(clWhite);
  auto* label = new TLabel(form);
  label->SetParent(form);
  label->SetAutoSize(false);
  label->SetBounds(40, 30, 20, 10);
  Host.RunUntilIdle();
  label->Canvas().GetBrush().SetColor(clRed);
  label->Canvas().FillRect(Rect(-10, -10, 100, 100));  // clipped to the label
  Host.RunUntilIdle();
  EXPECT_EQ(Host.ScreenPixel(At(label, 0, 0).x, At(label, 0, 0).y), clRed);
  EXPECT_EQ(Host.ScreenPixel(At(label, 19, 9).x, At(label, 19, 9).y), clRed);
  EXPECT_EQ(Host.ScreenPixel(At(label, 20, 5).x, At(label, 20, 5).y), clWhite);
  EXPECT_EQ(Host.ScreenPixel(At(label, -1, 5).x, At(label, -1, 5).y), clWhite);
}

TEST_F(ControlsTest, CreateFormFiresOnCreateAndMakesTheMainForm) {
  class TMainWindow : public TForm {
  public:
    explicit TMainWindow(TComponent* owner) : TForm(owner) {
      OnCreate = [this](TObject*) { Created = Caption().empty() ? 1 : 2; };
      SetCaption(u"ready");
    }
    int Created = 0;
  };
  ASSERT_EQ(Application->MainForm(), nullptr);
  TMainWindow* main = nullptr;
  Application->CreateForm(main);
  EXPECT_EQ(main->Created, 2);  // fired once the form was complete
  EXPECT_EQ(Application->MainForm(), main);
  EXPECT_EQ(main->Owner(), Application);
  delete main;
  EXPECT_EQ(Application->MainForm(), nullptr);
}

TEST_F(ControlsTest, CursorFromASmallBitmap) {
  HBITMAP bitmap = CreateCompatibleBitmap(nullptr, 16, 16);  // black
  int w = 0, h = 0, stride = 0;
  std::uint32_t* pixels = BitmapPixels(bitmap, &w, &h, &stride);
  for (int y = 0; y < 16; ++y)
    for (int x = 0; x < 16; ++x) pixels[y * stride + x] = (x == 8 || y == 8) ? 0x00FF0000u : 0x00FFFFFFu;
  HCURSOR cross = CreateCursorFromBitmap(bitmap, TPoint{8, 8}, clWhite);
  ASSERT_NE(cross, nullptr);
  TCursorImage image;
  ASSERT_TRUE(GetCursorImage(cross, &image));
  EXPECT_EQ(image.Pixels[8 * 16 + 2], 0xFFFF0000u);  // red, opaque
  EXPECT_EQ(image.Pixels[0], 0u);                    // white left out
  EXPECT_EQ(CreateCursorFromBitmap(bitmap, TPoint{16, 0}, clWhite), nullptr);  // hot spot outside
  DestroyCursor(cross);
  DeleteObject(bitmap);
}

}  // namespace
}  // namespace vx::plat::testing

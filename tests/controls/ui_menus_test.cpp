// Menu items: the tree (add, insert, delete, move by MenuIndex), radio
// groups, clicks with the item as Sender, freeing an item, accelerators,
// popups on the headless host and a menu's round trip through a form file.
#include <string>
#include <vector>

#include "platform/controls/dialog_script.h"
#include "platform/controls/menus.h"
#include "platform/core/form_stream.h"
#include "tests/controls/controls_test_support.h"

namespace vx::plat::testing {
namespace {

// The captions of an item's children, in order.
std::vector<String> Captions(const TMenuItem* parent) {
  std::vector<String> out;
  for (std::int32_t i = 0; i < parent->Count(); ++i) out.push_back(parent->Items(i)->Caption());
  return out;
}

TMenuItem* NewItem(TComponent* owner, const char16_t* caption) {
  auto* item = NewComponent<TMenuItem>(owner);
  item->SetCaption(caption);
  return item;
}

// A component that forgets an item when told it is removed, as a layer module does.
class TItemHolder : public TComponent {
public:
  using TComponent::TComponent;
  TMenuItem* Held = nullptr;
  std::vector<TComponent*> Removed;
  std::vector<TComponent*>* Log = nullptr;  // also records here, when set

protected:
  void Notification(TComponent* AComponent, TOperation Operation) override {
    TComponent::Notification(AComponent, Operation);
    if (Operation != opRemove) return;
    Removed.push_back(AComponent);
    if (Log) Log->push_back(AComponent);
    if (AComponent == Held) Held = nullptr;
  }
};

TEST(Menus, AddInsertDeleteAndMove) {
  TComponent owner(nullptr);
  TMainMenu menu(&owner);
  TMenuItem* a = NewItem(&owner, u"A");
  TMenuItem* b = NewItem(&owner, u"B");
  TMenuItem* c = NewItem(&owner, u"C");
  TMenuItem* root = menu.Items();
  root->Add(a);
  root->Add(c);
  root->Insert(1, b);
  EXPECT_EQ(Captions(root), (std::vector<String>{u"A", u"B", u"C"}));
  EXPECT_EQ(b->Parent(), root);
  EXPECT_EQ(b->GetParentMenu(), &menu);
  EXPECT_EQ(root->IndexOf(c), 2);

  struct MoveCase {
    TMenuItem* Item;
    std::int32_t To;
    std::vector<String> Expected;
  };
  const MoveCase moves[] = {
      {c, 0, {u"C", u"A", u"B"}},
      {c, 2, {u"A", u"B", u"C"}},
      {a, 99, {u"B", u"C", u"A"}},  // clamped to the last place
      {a, -5, {u"A", u"B", u"C"}},  // clamped to the first place
  };
  for (const MoveCase& m : moves) {
    m.Item->SetMenuIndex(m.To);
    EXPECT_EQ(Captions(root), m.Expected) << "move to " << m.To;
  }
  EXPECT_EQ(c->MenuIndex(), 2);

  root->Delete(1);  // B leaves the tree but lives on
  EXPECT_EQ(Captions(root), (std::vector<String>{u"A", u"C"}));
  EXPECT_EQ(b->Parent(), nullptr);
  EXPECT_EQ(b->MenuIndex(), -1);
  EXPECT_EQ(owner.ComponentCount(), 4);
  EXPECT_THROW(root->Items(2), EMenuError);
  EXPECT_THROW(root->Insert(5, b), EMenuError);
  EXPECT_THROW(root->Add(a), EMenuError);     // already in the tree
  a->Add(b);
  EXPECT_THROW(b->Add(a), EMenuError);        // would make a loop
  EXPECT_THROW(b->SetParentComponent(b), EMenuError);
  EXPECT_EQ(b->Parent(), a);                  // a refused move leaves it in place
}

TEST(Menus, CheckingARadioItemUnchecksItsGroupOnly) {
  TComponent owner(nullptr);
  TMenuItem parent(&owner);
  struct Spec {
    bool Radio;
    std::uint8_t Group;
  };
  const Spec specs[] = {{true, 9}, {true, 9}, {true, 9}, {true, 1}, {false, 9}};
  std::vector<TMenuItem*> items;
  for (const Spec& s : specs) {
    auto* item = NewComponent<TMenuItem>(&owner);
    item->SetRadioItem(s.Radio);
    item->SetGroupIndex(s.Group);
    item->SetChecked(true);
    parent.Add(item);
    items.push_back(item);
  }
  // Adding each checked radio item turned the earlier one of its group off.
  EXPECT_FALSE(items[0]->Checked());
  EXPECT_FALSE(items[1]->Checked());
  EXPECT_TRUE(items[2]->Checked());
  items[0]->SetChecked(true);
  const bool expected[] = {true, false, false, true, true};
  for (std::size_t i = 0; i < items.size(); ++i) EXPECT_EQ(items[i]->Checked(), expected[i]) << "item " << i;
  // A radio item in another parent is not a sibling.
  TMenuItem other(&owner);
  auto* stranger = NewComponent<TMenuItem>(&owner);
  stranger->SetRadioItem(true);
  stranger->SetGroupIndex(9);
  other.Add(stranger);
  stranger->SetChecked(true);
  EXPECT_TRUE(items[0]->Checked());
}

TEST(Menus, ClickFiresWithTheItemAsSenderWhenEnabled) {
  TComponent owner(nullptr);
  TMenuItem* item = NewItem(&owner, u"&Layer 1");
  std::vector<TObject*> senders;
  item->OnClick = [&](TObject* Sender) { senders.push_back(Sender); };
  item->Click();
  item->SetEnabled(false);
  item->Click();
  ASSERT_EQ(senders.size(), 1u);
  EXPECT_EQ(senders[0], item);
}

TEST(Menus, FreeingAnItemLeavesItsParentAndNotifiesTheOwnersComponents) {
  TComponent owner(nullptr);
  auto* holder = NewComponent<TItemHolder>(&owner);
  TMenuItem* parent = NewItem(&owner, u"Layers");
  TMenuItem* child = NewItem(&owner, u"Roads");
  TMenuItem* grandchild = NewItem(&owner, u"Minor");
  parent->Add(child);
  child->Add(grandchild);
  holder->Held = child;
  Free(child);
  EXPECT_EQ(parent->Count(), 0);
  EXPECT_EQ(holder->Held, nullptr);
  // The child's own children went with it, and the owner heard of both.
  EXPECT_EQ(holder->Removed.size(), 2u);
  EXPECT_EQ(owner.ComponentCount(), 2);
}

TEST(Menus, FreeingTheOwnerFreesItemsInAnyTreeOrder) {
  // Items created before their parents and menus: the owner frees them last
  // first, and each leaves the tree without touching freed items.
  auto* owner = new TComponent(nullptr);
  std::vector<TComponent*> removed;
  auto* holder = NewComponent<TItemHolder>(owner);  // freed last: hears of the others
  holder->Log = &removed;
  TMenuItem* leaf = NewItem(owner, u"Leaf");
  TMenuItem* branch = NewItem(owner, u"Branch");
  auto* menu = NewComponent<TPopupMenu>(owner);
  menu->Items()->Add(branch);
  branch->Add(leaf);
  delete owner;
  // The menu goes first (last created) and takes its tree with it, deepest first.
  EXPECT_EQ(removed, (std::vector<TComponent*>{leaf, branch, menu}));
}

struct HotkeyCase {
  const char16_t* Caption;
  const char16_t* Stripped;
  char16_t Hotkey;
};

TEST(Menus, AcceleratorsInCaptions) {
  const HotkeyCase cases[] = {
      {u"&File", u"File", u'F'},         {u"Save && &quit", u"Save & quit", u'Q'},
      {u"No key", u"No key", 0},          {u"Trailing&", u"Trailing", 0},
      {u"&&Both", u"&Both", 0},
  };
  for (const HotkeyCase& c : cases) {
    EXPECT_EQ(StripHotkey(c.Caption), String(c.Stripped));
    EXPECT_EQ(GetHotkey(c.Caption), c.Hotkey);
  }
  TComponent owner(nullptr);
  TMainMenu menu(&owner);
  menu.Items()->Add(NewItem(&owner, u"&File"));
  TMenuItem* edit = NewItem(&owner, u"&Edit");
  menu.Items()->Add(edit);
  EXPECT_EQ(menu.FindByHotkey(u'e'), edit);
  EXPECT_EQ(menu.Items()->Find(u"edit"), edit);
}

TEST(Menus, HeadlessPopupIsRecordedAndClicksTheScriptedItem) {
  HeadlessHost();
  DialogScript().Reset();
  TComponent owner(nullptr);
  auto* popup = NewComponent<TPopupMenu>(&owner);
  TMenuItem* item = NewItem(&owner, u"Delete");
  popup->Items()->Add(item);
  int popups = 0, clicks = 0;
  popup->OnPopup = [&](TObject*) { ++popups; };
  item->OnClick = [&](TObject*) { ++clicks; };
  popup->Popup(40, 50);  // nothing scripted: nothing picked
  DialogScript().SetPopupChooser([](const TAskedPopup& p) { return p.Menu->Items()->Items(0); });
  popup->Popup(60, 70);
  EXPECT_EQ(popups, 2);
  EXPECT_EQ(clicks, 1);
  ASSERT_EQ(DialogScript().AskedPopups().size(), 2u);
  EXPECT_EQ(DialogScript().AskedPopups()[1].Pos, (TPoint{60, 70}));
  DialogScript().Reset();
}

TEST(Menus, MenuTreeRoundTripsThroughAFormFile) {
  TForm form(nullptr);
  form.SetName(u"Form1");
  auto* menu = NewComponent<TMainMenu>(&form);
  menu->SetName(u"MainMenu1");
  auto make = [&](const char16_t* name, const char16_t* caption) {
    TMenuItem* item = NewItem(&form, caption);
    item->SetName(name);
    return item;
  };
  TMenuItem* layers = make(u"Layers", u"&Layers");
  TMenuItem* roads = make(u"Roads", u"Roads");
  TMenuItem* rivers = make(u"Rivers", u"Rivers");
  TMenuItem* file = make(u"FileMenu", u"&File");
  menu->Items()->Add(layers);
  menu->Items()->Add(file);
  layers->Add(roads);
  layers->Add(rivers);
  file->SetMenuIndex(0);    // the tree order now differs from the component order
  rivers->SetMenuIndex(0);
  rivers->SetRadioItem(true);
  rivers->SetGroupIndex(9);
  rivers->SetChecked(true);
  roads->SetEnabled(false);
  roads->SetTag(3);
  const std::string text = FormToText(&form);

  TForm copy(nullptr);
  FormFromText(text, &copy);
  auto* menu2 = dynamic_cast<TMainMenu*>(copy.FindComponent(u"MainMenu1"));
  ASSERT_NE(menu2, nullptr) << text;
  EXPECT_EQ(Captions(menu2->Items()), (std::vector<String>{u"&File", u"&Layers"})) << text;
  auto* layers2 = dynamic_cast<TMenuItem*>(copy.FindComponent(u"Layers"));
  ASSERT_NE(layers2, nullptr);
  EXPECT_EQ(Captions(layers2), (std::vector<String>{u"Rivers", u"Roads"})) << text;
  const TMenuItem* rivers2 = layers2->Items(0);
  EXPECT_TRUE(rivers2->Checked());
  EXPECT_TRUE(rivers2->RadioItem());
  EXPECT_EQ(rivers2->GroupIndex(), 9);
  EXPECT_FALSE(layers2->Items(1)->Enabled());
  EXPECT_EQ(layers2->Items(1)->Tag(), 3);
  EXPECT_EQ(FormToText(&copy), text);
}

}  // namespace
}  // namespace vx::plat::testing

#include "platform/controls/menus.h"

#include <algorithm>

#include "platform/controls/dialog_forms.h"

namespace vx::plat {

VX_DEFINE_CLASS(TMenuItem, TComponent)
VX_DEFINE_CLASS(TMenu, TComponent)
VX_DEFINE_CLASS(TMainMenu, TMenu)
VX_DEFINE_CLASS(TPopupMenu, TMenu)
VX_PUBLISH(TMenuItem)
VX_PUBLISH(TMainMenu)
VX_PUBLISH(TPopupMenu)

// --- captions -----------------------------------------------------------------------

String StripHotkey(const String& Caption) {
  String out;
  out.reserve(Caption.size());
  for (std::size_t i = 0; i < Caption.size(); ++i) {
    if (Caption[i] != u'&') {
      out += Caption[i];
    } else if (i + 1 < Caption.size() && Caption[i + 1] == u'&') {
      out += u'&';
      ++i;
    }
  }
  return out;
}

char16_t GetHotkey(const String& Caption) {
  for (std::size_t i = 0; i + 1 < Caption.size(); ++i) {
    if (Caption[i] != u'&') continue;
    if (Caption[i + 1] == u'&') {
      ++i;
      continue;
    }
    const char16_t c = Caption[i + 1];
    return (c >= u'a' && c <= u'z') ? static_cast<char16_t>(c - u'a' + u'A') : c;
  }
  return 0;
}

// --- TMenuItem ----------------------------------------------------------------------

void TMenuItem::RegisterProperties(TPropertyRegistry<TMenuItem>& r) {
  r.Str("Caption", &TMenuItem::Caption, &TMenuItem::SetCaption, String());
  r.Bool("Checked", &TMenuItem::Checked, &TMenuItem::SetChecked, false);
  r.Bool("Enabled", &TMenuItem::Enabled, &TMenuItem::SetEnabled, true);
  r.Integer("GroupIndex", &TMenuItem::GroupIndex, &TMenuItem::SetGroupIndex, std::uint8_t{0});
  r.Bool("RadioItem", &TMenuItem::RadioItem, &TMenuItem::SetRadioItem, false);
  r.Bool("Visible", &TMenuItem::Visible, &TMenuItem::SetVisible, true);
  r.Integer("Tag", &TComponent::Tag, &TComponent::SetTag, 0);
  r.Event("OnClick", &TMenuItem::OnClick);
  // The tree: the parent by name, then the position in it. The parent comes
  // back once every component of the form exists; Loaded restores the order.
  r.Component("ParentComponent", &TMenuItem::ParentComponent, &TMenuItem::SetParentComponent);
  r.Integer("MenuIndex", &TMenuItem::MenuIndex, &TMenuItem::SetMenuIndex)
      .Stored([](const TMenuItem& i) { return i.Parent() != nullptr; });
}

TMenuItem::TMenuItem(TComponent* AOwner) : TComponent(AOwner) {}

TMenuItem::~TMenuItem() {
  Destroying();
  Clear();
  if (FParent) FParent->Remove(this);
}

void TMenuItem::Changed() {
  if (TMenu* menu = GetParentMenu()) menu->MenuChanged(this);
}

void TMenuItem::SetCaption(const String& Value) {
  if (Value == FCaption) return;
  FCaption = Value;
  Changed();
}

void TMenuItem::SetChecked(bool Value) {
  if (Value == FChecked) return;
  FChecked = Value;
  if (Value && FRadioItem) TurnSiblingsOff();
  Changed();
}

void TMenuItem::SetRadioItem(bool Value) {
  if (Value == FRadioItem) return;
  FRadioItem = Value;
  if (FRadioItem && FChecked) TurnSiblingsOff();
  Changed();
}

void TMenuItem::SetGroupIndex(std::uint8_t Value) {
  if (Value == FGroupIndex) return;
  FGroupIndex = Value;
  if (FRadioItem && FChecked) TurnSiblingsOff();
  Changed();
}

void TMenuItem::TurnSiblingsOff() {
  // While a form is read the siblings may not be in place yet and their
  // stored check marks are what the form says; leave them.
  if (!FParent || IsLoading()) return;
  for (TMenuItem* sibling : FParent->FItems)
    if (sibling != this && sibling->FRadioItem && sibling->FGroupIndex == FGroupIndex && sibling->FChecked) {
      sibling->FChecked = false;
      sibling->Changed();
    }
}

void TMenuItem::Click() {
  if (FEnabled && OnClick) OnClick(this);
}

TMenu* TMenuItem::GetParentMenu() const {
  const TMenuItem* item = this;
  while (item->FParent) item = item->FParent;
  return item->FMenu;
}

TMenuItem* TMenuItem::Items(std::int32_t Index) const {
  if (Index < 0 || Index >= Count()) throw EMenuError("Menu index out of range");
  return FItems[static_cast<std::size_t>(Index)];
}

std::int32_t TMenuItem::IndexOf(const TMenuItem* Item) const {
  const auto it = std::find(FItems.begin(), FItems.end(), Item);
  return it == FItems.end() ? -1 : static_cast<std::int32_t>(it - FItems.begin());
}

void TMenuItem::Add(TMenuItem* Item) { Insert(Count(), Item); }

void TMenuItem::Insert(std::int32_t Index, TMenuItem* Item) {
  if (!Item) throw EMenuError("Cannot insert a nil menu item");
  if (Item->FParent) throw EMenuError("Menu inserted twice");
  if (Item->FMenu) throw EMenuError("Cannot insert a menu's root item");
  // An item placed below itself would make the tree a loop.
  for (const TMenuItem* p = this; p; p = p->FParent)
    if (p == Item) throw EMenuError("Cannot insert a menu item into itself");
  if (Index < 0 || Index > Count()) throw EMenuError("Menu index out of range");
  FItems.insert(FItems.begin() + Index, Item);
  Item->FParent = this;
  if (Item->FRadioItem && Item->FChecked) Item->TurnSiblingsOff();
  Changed();
}

void TMenuItem::Delete(std::int32_t Index) {
  TMenuItem* item = Items(Index);
  FItems.erase(FItems.begin() + Index);
  item->FParent = nullptr;
  Changed();
}

void TMenuItem::Remove(TMenuItem* Item) {
  const std::int32_t index = IndexOf(Item);
  if (index >= 0) Delete(index);
}

void TMenuItem::Clear() {
  // Each destructor takes its item out of FItems (and out of its owner).
  while (!FItems.empty()) Free(FItems.back());
}

TMenuItem* TMenuItem::Find(const String& ACaption) const {
  const String wanted = StripHotkey(ACaption);
  for (TMenuItem* item : FItems)
    if (SameText(StripHotkey(item->FCaption), wanted)) return item;
  return nullptr;
}

std::int32_t TMenuItem::MenuIndex() const { return FParent ? FParent->IndexOf(this) : -1; }

void TMenuItem::SetMenuIndex(std::int32_t Value) {
  if (IsLoading()) {
    // The parent may not be resolved yet; Loaded puts the item here.
    FLoadedIndex = Value;
    return;
  }
  if (!FParent) return;
  auto& siblings = FParent->FItems;
  const std::int32_t target = std::clamp<std::int32_t>(Value, 0, static_cast<std::int32_t>(siblings.size()) - 1);
  const std::int32_t current = MenuIndex();
  if (target == current) return;
  siblings.erase(siblings.begin() + current);
  siblings.insert(siblings.begin() + target, this);
  Changed();
}

TComponent* TMenuItem::ParentComponent() const {
  if (!FParent) return nullptr;
  if (FParent->FMenu) return FParent->FMenu;
  return FParent;
}

void TMenuItem::SetParentComponent(TComponent* Value) {
  TMenuItem* target = nullptr;
  if (auto* menu = dynamic_cast<TMenu*>(Value))
    target = menu->Items();
  else if (auto* item = dynamic_cast<TMenuItem*>(Value))
    target = item;
  else if (Value)
    throw EMenuError("A menu item's parent must be a menu or a menu item");
  if (target == FParent) return;
  if (target) {
    // Check the move before leaving the old parent, so that a refused move
    // leaves the item where it was.
    for (const TMenuItem* p = target; p; p = p->FParent)
      if (p == this) throw EMenuError("Cannot insert a menu item into itself");
  }
  if (FParent) FParent->Remove(this);
  if (target) target->Add(this);
}

void TMenuItem::ApplyLoadedOrder() {
  // A stable sort on the stored positions; children without one keep theirs.
  std::vector<std::pair<std::int32_t, TMenuItem*>> keyed;
  bool any = false;
  for (std::size_t i = 0; i < FItems.size(); ++i) {
    TMenuItem* child = FItems[i];
    any = any || child->FLoadedIndex >= 0;
    keyed.emplace_back(child->FLoadedIndex >= 0 ? child->FLoadedIndex : static_cast<std::int32_t>(i), child);
    child->FLoadedIndex = -1;
  }
  if (!any) return;
  std::stable_sort(keyed.begin(), keyed.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
  for (std::size_t i = 0; i < keyed.size(); ++i) FItems[i] = keyed[i].second;
  Changed();
}

void TMenuItem::Loaded() {
  TComponent::Loaded();
  ApplyLoadedOrder();
  // The parent's Loaded may have run before this item was placed.
  if (FParent) FParent->ApplyLoadedOrder();
}

// --- TMenu --------------------------------------------------------------------------

TMenu::TMenu(TComponent* AOwner) : TComponent(AOwner), FItems(new TMenuItem(nullptr)) { FItems->FMenu = this; }

TMenu::~TMenu() {
  Destroying();
  FItems->FMenu = nullptr;  // no repaint requests from a menu being freed
  Free(FItems);
}

void TMenu::MenuChanged(TMenuItem* /*Item*/) {}

void TMenu::Loaded() {
  TComponent::Loaded();
  FItems->ApplyLoadedOrder();
}

namespace {
TMenuItem* FindHotkeyIn(const TMenuItem* parent, char16_t key) {
  for (std::int32_t i = 0; i < parent->Count(); ++i) {
    TMenuItem* item = parent->Items(i);
    if (!item->Visible() || !item->Enabled()) continue;
    if (GetHotkey(item->Caption()) == key) return item;
  }
  return nullptr;
}
}  // namespace

TMenuItem* TMenu::FindByHotkey(char16_t Key) const {
  if (Key >= u'a' && Key <= u'z') Key = static_cast<char16_t>(Key - u'a' + u'A');
  return FindHotkeyIn(FItems, Key);
}

// --- TMainMenu and TPopupMenu -------------------------------------------------------

void TMainMenu::RegisterProperties(TPropertyRegistry<TMainMenu>& r) {
  r.Integer("Tag", &TComponent::Tag, &TComponent::SetTag, 0);
}

void TMainMenu::MenuChanged(TMenuItem* /*Item*/) { ++FGeneration; }

void TPopupMenu::RegisterProperties(TPropertyRegistry<TPopupMenu>& r) {
  r.Enum("Alignment", &TPopupMenu::Alignment, &TPopupMenu::SetAlignment, {"paLeft", "paRight", "paCenter"}, paLeft);
  r.Bool("AutoPopup", &TPopupMenu::AutoPopup, &TPopupMenu::SetAutoPopup, true);
  r.Integer("Tag", &TComponent::Tag, &TComponent::SetTag, 0);
  r.Event("OnPopup", &TPopupMenu::OnPopup);
}

void TPopupMenu::Notification(TComponent* AComponent, TOperation Operation) {
  TMenu::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent == FPopupComponent) FPopupComponent = nullptr;
}

void TPopupMenu::Popup(int X, int Y) {
  if (OnPopup) OnPopup(this);
  const TAskedPopup asked{this, TPoint{X, Y}};
  TDialogScript& script = DialogScript();
  script.RecordPopup(asked);
  TMenuItem* chosen = nullptr;
  if (!script.ChoosePopupItem(asked, chosen) && !script.AnswersAlone()) chosen = ShowPopupWindow(*this, asked.Pos);
  if (chosen) chosen->Click();
}

}  // namespace vx::plat

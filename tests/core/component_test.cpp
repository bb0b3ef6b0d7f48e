#include "platform/core/component.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace vx::plat {
namespace {

std::vector<std::string> gLog;

std::string Label(const TComponent* c) { return c->Name().empty() ? "?" : StringToUtf8(c->Name()); }

// Logs every notification it receives, its Loaded and its destruction.
class TProbe : public TComponent {
  VX_DECLARE_CLASS(TProbe)
public:
  explicit TProbe(TComponent* AOwner) : TComponent(AOwner) {}
  TProbe(TComponent* AOwner, const char* name) : TComponent(AOwner) { SetName(Utf8ToString(name)); }
  ~TProbe() override {
    gLog.push_back("free " + Label(this) + (ComponentState().Contains(csDestroying) ? "" : " (not destroying)"));
  }
  bool ThrowOnRemove = false;

protected:
  void Notification(TComponent* AComponent, TOperation Operation) override {
    TComponent::Notification(AComponent, Operation);
    gLog.push_back(Label(this) + (Operation == opInsert ? " +" : " -") + Label(AComponent));
    if (ThrowOnRemove && Operation == opRemove) throw Exception("handler failed");
  }
};
VX_DEFINE_CLASS(TProbe, TComponent)

// A derived class: receivers of opInsert must see it complete.
class TSpecialProbe : public TProbe {
  VX_DECLARE_CLASS(TSpecialProbe)
public:
  explicit TSpecialProbe(TComponent* AOwner) : TProbe(AOwner) {}
};
VX_DEFINE_CLASS(TSpecialProbe, TProbe)

class TTypeWatcher : public TComponent {
public:
  using TComponent::TComponent;
  std::vector<std::string> Seen;

protected:
  void Notification(TComponent* AComponent, TOperation Operation) override {
    if (Operation == opInsert) Seen.push_back(dynamic_cast<TSpecialProbe*>(AComponent) ? "special" : "plain");
  }
};

class ComponentTest : public ::testing::Test {
protected:
  void SetUp() override { gLog.clear(); }
};

std::vector<std::string> Names(const TComponent& owner) {
  std::vector<std::string> r;
  for (std::int32_t i = 0; i < owner.ComponentCount(); ++i) r.push_back(Label(owner.Components(i)));
  return r;
}

TEST_F(ComponentTest, FreeingTheOwnerFreesOwnedComponentsLastFirstAfterMarkingThemDestroying) {
  auto* owner = new TComponent(nullptr);
  auto* a = new TProbe(owner, "A");
  new TProbe(a, "A1");  // owned one level deeper
  new TProbe(owner, "B");
  new TProbe(owner, "C");
  gLog.clear();
  delete owner;
  // Siblings hear of each removal while they still exist.
  // A's own destructor body runs before it frees what it owns.
  std::vector<std::string> expected = {"free C", "A -C", "B -C", "free B", "A -B", "free A", "free A1"};
  EXPECT_EQ(gLog, expected);
}

TEST_F(ComponentTest, FreeingAnOwnedComponentTakesItOutOfItsOwner) {
  TComponent owner(nullptr);
  auto* a = new TProbe(&owner, "A");
  auto* b = new TProbe(&owner, "B");
  new TProbe(&owner, "C");
  delete a;  // plain delete: csDestroying only from the base destructor on
  Free(b);
  Free(static_cast<TProbe*>(nullptr));
  Free(nullptr);  // the plain TObject overload
  EXPECT_EQ(Names(owner), (std::vector<std::string>{"C"}));
  EXPECT_EQ(gLog, (std::vector<std::string>{"free A (not destroying)", "B -A", "C -A", "free B", "C -B"}));
}

TEST_F(ComponentTest, ComponentIndexFollowsTheOwnersListAndSettingItMovesTheComponent) {
  struct Case {
    int component;
    int newIndex;
    std::vector<std::string> order;
  } cases[] = {
      {0, 2, {"B", "C", "A", "D"}},  {3, 0, {"D", "A", "B", "C"}}, {1, 1, {"A", "B", "C", "D"}},
      {1, -5, {"B", "A", "C", "D"}}, {0, 99, {"B", "C", "D", "A"}},
  };
  for (const Case& c : cases) {
    TComponent owner(nullptr);
    for (const char* n : {"A", "B", "C", "D"}) new TProbe(&owner, n);
    TComponent* moved = owner.Components(c.component);
    gLog.clear();
    moved->SetComponentIndex(c.newIndex);
    EXPECT_EQ(Names(owner), c.order) << "move " << c.component << " to " << c.newIndex;
    EXPECT_EQ(owner.Components(moved->ComponentIndex()), moved);
    EXPECT_TRUE(gLog.empty()) << "reordering notifies nobody";
  }
  TComponent orphan(nullptr);
  EXPECT_EQ(orphan.ComponentIndex(), -1);
  orphan.SetComponentIndex(3);  // no owner: nothing to move
  EXPECT_EQ(orphan.ComponentIndex(), -1);
}

TEST_F(ComponentTest, RemoveAndInsertNotifyTheOwnerThenTheOtherComponentsInComponentOrder) {
  TProbe owner(nullptr, "O");
  new TProbe(&owner, "A");
  auto* b = new TProbe(&owner, "B");
  new TProbe(&owner, "C");
  gLog.clear();
  owner.RemoveComponent(b);
  EXPECT_EQ(gLog, (std::vector<std::string>{"O -B", "A -B", "C -B"}));
  EXPECT_EQ(b->Owner(), nullptr);
  EXPECT_EQ(Names(owner), (std::vector<std::string>{"A", "C"}));

  gLog.clear();
  owner.InsertComponent(b);
  EXPECT_EQ(gLog, (std::vector<std::string>{"O +B", "A +B", "C +B"}));
  EXPECT_EQ(b->ComponentIndex(), 2);
}

TEST_F(ComponentTest, InsertComponentMovesAComponentBetweenOwners) {
  TProbe first(nullptr, "First");
  TProbe second(nullptr, "Second");
  auto* x = new TProbe(&first, "X");
  gLog.clear();
  second.InsertComponent(x);
  EXPECT_EQ(gLog, (std::vector<std::string>{"First -X", "Second +X"}));
  EXPECT_EQ(x->Owner(), &second);
  EXPECT_EQ(first.ComponentCount(), 0);
}

TEST_F(ComponentTest, FreeNotificationTellsPartnersAcrossOwnersOnceAndIsMutual) {
  TProbe formA(nullptr, "FormA");
  TProbe formB(nullptr, "FormB");
  auto* a = new TProbe(&formA, "A");
  auto* sibling = new TProbe(&formA, "S");
  auto* x = new TProbe(&formB, "X");
  auto* y = new TProbe(&formB, "Y");
  a->FreeNotification(x);
  a->FreeNotification(sibling);  // a sibling hears it from the owner anyway
  y->FreeNotification(a);
  gLog.clear();
  Free(a);
  std::vector<std::string> expected = {"free A", "Y -A", "X -A", "FormA -A", "S -A"};
  EXPECT_EQ(gLog, expected);
  // The links to A are gone: freeing X and Y tells only their own form.
  gLog.clear();
  Free(x);
  Free(y);
  EXPECT_EQ(gLog, (std::vector<std::string>{"free X", "FormB -X", "Y -X", "free Y", "FormB -Y"}));
}

TEST_F(ComponentTest, RemovedFreeNotificationIsNotSent) {
  TProbe a(nullptr, "A");
  auto* b = new TProbe(nullptr, "B");
  b->FreeNotification(&a);
  b->RemoveFreeNotification(&a);
  gLog.clear();
  Free(b);
  EXPECT_EQ(gLog, (std::vector<std::string>{"free B"}));
}

TEST_F(ComponentTest, InsertionIsAnnouncedOnceTheComponentIsComplete) {
  TComponent form(nullptr);
  auto* watcher = new TTypeWatcher(&form);
  TComponent* viaClass = TSpecialProbe::StaticClass().Create(&form);
  auto* viaHelper = NewComponent<TSpecialProbe>(&form);
  auto* silent = new TSpecialProbe(&form);
  EXPECT_EQ(watcher->Seen, (std::vector<std::string>{"special", "special"}));
  silent->AnnounceInsertion();
  silent->AnnounceInsertion();
  EXPECT_EQ(watcher->Seen, (std::vector<std::string>{"special", "special", "special"}));
  EXPECT_EQ(viaClass->ClassName(), "TSpecialProbe");
  EXPECT_EQ(viaHelper->Owner(), &form);
}

TEST_F(ComponentTest, ANotificationHandlerThatFailsDuringDestructionDoesNotStopTheFreeing) {
  auto* owner = new TProbe(nullptr, "O");
  auto* a = new TProbe(owner, "A");
  a->ThrowOnRemove = true;
  new TProbe(owner, "B");
  gLog.clear();
  delete owner;
  EXPECT_EQ(gLog.back(), "free A");
  EXPECT_EQ(std::count(gLog.begin(), gLog.end(), "free B"), 1);
}

TEST_F(ComponentTest, NamesMustBeIdentifiersUniqueAmongSiblingsIgnoringCase) {
  struct Case {
    const char16_t* name;
    const char* error;  // nullptr: accepted
  } cases[] = {
      {u"Button1", nullptr},
      {u"_private2", nullptr},
      {u"", nullptr},
      {u"btn", nullptr},  // renaming to its own name, other case
      {u"1st", "'1st' is not a valid component name"},
      {u"two words", "'two words' is not a valid component name"},
      {u"Caf\u00e9", "'Caf\xc3\xa9' is not a valid component name"},
      {u"OTHER", "A component named OTHER already exists"},
  };
  for (const Case& c : cases) {
    TComponent owner(nullptr);
    auto* probe = new TProbe(&owner, "Btn");
    new TProbe(&owner, "Other");
    if (!c.error) {
      EXPECT_NO_THROW(probe->SetName(c.name));
      EXPECT_EQ(probe->Name(), c.name);
      continue;
    }
    try {
      probe->SetName(c.name);
      ADD_FAILURE() << c.error;
    } catch (const EComponentError& e) {
      EXPECT_STREQ(e.what(), c.error);
      EXPECT_EQ(probe->Name(), u"Btn") << "a refused name leaves the old one";
    }
  }
  TComponent lonely(nullptr);
  EXPECT_NO_THROW(lonely.SetName(u"Form1"));  // without owner only the syntax counts
}

TEST_F(ComponentTest, FindComponentIgnoresCaseAndNeverMatchesTheEmptyName) {
  TComponent owner(nullptr);
  auto* a = new TProbe(&owner, "DrawBox1");
  new TProbe(&owner);
  EXPECT_EQ(owner.FindComponent(u"drawbox1"), a);
  EXPECT_EQ(owner.FindComponent(u"DRAWBOX1"), a);
  EXPECT_EQ(owner.FindComponent(u""), nullptr);
  EXPECT_EQ(owner.FindComponent(u"DrawBox2"), nullptr);
}

TEST_F(ComponentTest, InsertingAClashingOrCyclicComponentIsRefusedWithoutChange) {
  TComponent form(nullptr);
  new TProbe(&form, "Dup");
  TComponent other(nullptr);
  auto* dup = new TProbe(&other, "DUP");
  EXPECT_THROW(form.InsertComponent(dup), EComponentError);
  EXPECT_EQ(dup->Owner(), &other);
  EXPECT_EQ(form.ComponentCount(), 1);

  auto* child = new TComponent(&form);
  EXPECT_THROW(child->InsertComponent(&form), EComponentError);
  EXPECT_THROW(child->InsertComponent(child), EComponentError);
  EXPECT_EQ(child->Owner(), &form);
}

TEST_F(ComponentTest, ComponentsOutsideTheListRaiseTheListIndexError) {
  TComponent owner(nullptr);
  new TComponent(&owner);
  for (int index : {-1, 1, 7}) {
    try {
      owner.Components(index);
      ADD_FAILURE();
    } catch (const EListError& e) {
      EXPECT_EQ(e.Message(), "List index out of bounds (" + std::to_string(index) + ")");
    }
  }
}

TEST_F(ComponentTest, DesigningSpreadsToOwnedAndLaterInsertedComponents) {
  TComponent form(nullptr);
  auto* a = new TComponent(&form);
  auto* nested = new TComponent(a);
  form.SetDesigning(true);
  EXPECT_TRUE(a->IsDesigning());
  EXPECT_TRUE(nested->IsDesigning());
  auto* late = new TComponent(&form);
  EXPECT_TRUE(late->IsDesigning());
  TComponent stray(nullptr);
  form.InsertComponent(&stray);
  EXPECT_TRUE(stray.IsDesigning());
  form.RemoveComponent(&stray);

  form.SetDesigning(false, dsThisOnly);
  EXPECT_FALSE(form.IsDesigning());
  EXPECT_TRUE(a->IsDesigning());
}

TEST_F(ComponentTest, DesignerModifiedReachesTheNearestDesignerOnlyWhileDesigning) {
  struct TCountingDesigner : IDesigner {
    int Count = 0;
    void Modified() override { ++Count; }
  } formDesigner, frameDesigner;
  TComponent form(nullptr);
  auto* frame = new TComponent(&form);
  auto* inFrame = new TComponent(frame);
  auto* inForm = new TComponent(&form);
  form.SetDesigner(&formDesigner);
  frame->SetDesigner(&frameDesigner);

  inForm->DesignerModified();  // not designing: nobody hears
  EXPECT_EQ(formDesigner.Count, 0);
  form.SetDesigning(true);
  inForm->DesignerModified();
  inFrame->DesignerModified();
  EXPECT_EQ(formDesigner.Count, 1);
  EXPECT_EQ(frameDesigner.Count, 1);
  EXPECT_EQ(inFrame->Designer(), &frameDesigner);
  EXPECT_EQ(TComponent(nullptr).Designer(), nullptr);
}

TEST_F(ComponentTest, TagAndStateStartClear) {
  TComponent c(nullptr);
  EXPECT_EQ(c.Tag(), 0);
  EXPECT_TRUE(c.ComponentState().Empty());
  c.SetTag(-7);
  EXPECT_EQ(c.Tag(), -7);
}

}  // namespace
}  // namespace vx::plat

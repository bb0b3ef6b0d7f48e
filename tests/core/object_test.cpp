// Class references, virtual construction, the class registry, exceptions and
// the default assignment.
#include "platform/core/object.h"

#include <gtest/gtest.h>

#include "platform/core/events.h"
#include "platform/core/exceptions.h"
#include "platform/core/persistent.h"

namespace vx::plat {
namespace {

// A family whose virtual constructor takes an argument, as the library's
// object and layer class references do.
class TShapeBase : public TObject {
public:
  using MetaClass = TMetaClass<TShapeBase, int>;
  VX_DECLARE_CLASS(TShapeBase)
public:
  explicit TShapeBase(int size) : Size(size) {}
  virtual int Area() const = 0;
  int Size;
};
VX_DEFINE_CLASS(TShapeBase, TObject)

class TSquare : public TShapeBase {
  VX_DECLARE_CLASS(TSquare)
public:
  explicit TSquare(int size) : TShapeBase(size) {}
  int Area() const override { return Size * Size; }
};
VX_DEFINE_CLASS(TSquare, TShapeBase)

class TDoubleSquare : public TSquare {
  VX_DECLARE_CLASS(TDoubleSquare)
public:
  using TSquare::TSquare;
  int Area() const override { return 2 * TSquare::Area(); }
};
VX_DEFINE_CLASS(TDoubleSquare, TSquare)

TEST(ClassReference, CreateBuildsExactlyTheReferencedClass) {
  const TShapeBase::MetaClass* classes[] = {&TSquare::StaticClass(), &TDoubleSquare::StaticClass()};
  int areas[] = {9, 18};
  for (int i = 0; i < 2; ++i) {
    std::unique_ptr<TShapeBase> shape(classes[i]->Create(3));
    EXPECT_EQ(&shape->ClassType(), classes[i]);
    EXPECT_EQ(shape->Area(), areas[i]);
  }
  EXPECT_TRUE(TShapeBase::StaticClass().IsAbstract());
  try {
    TShapeBase::StaticClass().Create(1);
    ADD_FAILURE();
  } catch (const Exception& e) {
    EXPECT_EQ(e.Message(), "Cannot create an instance of abstract class TShapeBase");
  }
}

TEST(ClassReference, InheritsFromFollowsTheParentChain) {
  TDoubleSquare shape(1);
  EXPECT_TRUE(shape.InheritsFrom(TSquare::StaticClass()));
  EXPECT_TRUE(shape.InheritsFrom(TObject::StaticClass()));
  EXPECT_FALSE(TSquare::StaticClass().InheritsFrom(TDoubleSquare::StaticClass()));
  EXPECT_EQ(shape.ClassName(), "TDoubleSquare");
  EXPECT_EQ(TDoubleSquare::StaticClass().ClassParent(), &TSquare::StaticClass());
  EXPECT_TRUE(shape.Is<TSquare>());
  EXPECT_FALSE(TSquare(1).Is<TDoubleSquare>());
}

TEST(ClassRegistry, FindsClassesByNameIgnoringCase) {
  EXPECT_EQ(FindClass("TSQUARE"), &TSquare::StaticClass());
  EXPECT_EQ(FindClass("tdoublesquare"), &TDoubleSquare::StaticClass());
  EXPECT_EQ(FindClass("TPersistent"), &TPersistent::StaticClass());
  EXPECT_EQ(FindClass("TNoSuchThing"), nullptr);
  try {
    GetClass("TNoSuchThing");
    ADD_FAILURE();
  } catch (const EConvertError& e) {
    EXPECT_EQ(e.Message(), "Class TNoSuchThing not found");
  }
}

TEST(Exceptions, StandardMessagesCarryTheOffendingValue) {
  struct Case {
    void (*raise)();
    const char* message;
  } cases[] = {
      {[] { ListIndexError(-1); }, "List index out of bounds (-1)"},
      {[] { ListCapacityError(5); }, "List capacity out of bounds (5)"},
      {[] { ListCountError(2147483648LL); }, "List count out of bounds (2147483648)"},
      {[] { throw EReadError(); }, "Stream read error"},
      {[] { throw EOutOfMemory(); }, "Out of memory"},
      {[] { Abort(); }, "Operation aborted"},
  };
  for (const Case& c : cases) {
    try {
      c.raise();
      ADD_FAILURE() << c.message;
    } catch (const Exception& e) {
      EXPECT_EQ(e.Message(), c.message);
    }
  }
  EXPECT_THROW(Abort(), EAbort);
  EInOutError io("Invalid numeric input", 106);
  EXPECT_EQ(io.ErrorCode, 106);
}

class TPoint3 : public TPersistent {
public:
  int X = 0;
  void Assign(const TPersistent* Source) override {
    if (auto* p = dynamic_cast<const TPoint3*>(Source)) {
      X = p->X;
      return;
    }
    TPersistent::Assign(Source);
  }
};

TEST(Persistent, AssignCopiesKnownSourcesAndRefusesOthers) {
  TPoint3 a, b;
  b.X = 5;
  a.Assign(&b);
  EXPECT_EQ(a.X, 5);
  TPersistent other;
  try {
    a.Assign(&other);
    ADD_FAILURE();
  } catch (const EConvertError& e) {
    // TPoint3 declares no class reference of its own, so it reports its ancestor's name.
    EXPECT_EQ(e.Message(), "Cannot assign a TPersistent to a TPersistent");
  }
  try {
    a.Assign(nullptr);
    ADD_FAILURE();
  } catch (const EConvertError& e) {
    EXPECT_EQ(e.Message(), "Cannot assign a nil to a TPersistent");
  }
}

TEST(Events, AnUnassignedEventIsFalseAndABoundOneCallsTheMethod) {
  struct TTarget {
    TObject* Sender = nullptr;
    void Handle(TObject* s) { Sender = s; }
  } target;
  TNotifyEvent event;
  EXPECT_FALSE(event);
  event = TNotifyEvent(&target, &TTarget::Handle, "Handle");
  ASSERT_TRUE(event);
  TObject sender;
  event(&sender);
  EXPECT_EQ(target.Sender, &sender);
  EXPECT_EQ(event.Target(), &target);
  EXPECT_EQ(event.MethodName(), "Handle");
}

}  // namespace
}  // namespace vx::plat

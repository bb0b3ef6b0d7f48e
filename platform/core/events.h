// Method-pointer events: a callable bound to an object's method, empty when
// unassigned ("when assigned" in the design reads `if (OnX) OnX(...)`).
#pragma once

#include <functional>
#include <string>
#include <utility>

namespace vx::plat {

class TObject;

template <class Sig>
class TEvent;

template <class R, class... A>
class TEvent<R(A...)> {
public:
  TEvent() = default;
  TEvent(std::nullptr_t) {}
  // Binds any callable (lambdas in code; no method name for form streaming).
  template <class F, class = std::enable_if_t<std::is_invocable_r_v<R, F&, A...> &&
                                              !std::is_same_v<std::decay_t<F>, TEvent>>>
  TEvent(F f) : FHandler(std::move(f)) {}
  // Binds a method of an object; `name` is what a form file stores for it.
  template <class Obj, class Base>
  TEvent(Obj* self, R (Base::*method)(A...), std::string name = {})
      : FHandler([self, method](A... a) -> R { return (self->*method)(std::forward<A>(a)...); }),
        FTarget(self), FMethodName(std::move(name)) {}

  explicit operator bool() const { return static_cast<bool>(FHandler); }
  R operator()(A... a) const { return FHandler(std::forward<A>(a)...); }

  // The object whose method is bound (nullptr for plain callables).
  const void* Target() const { return FTarget; }
  // The method name written to form files ("" when bound in code only).
  const std::string& MethodName() const { return FMethodName; }
  void SetMethodName(std::string name) { FMethodName = std::move(name); }

private:
  std::function<R(A...)> FHandler;
  const void* FTarget = nullptr;
  std::string FMethodName;
};

// The common event of the platform: (Sender).
using TNotifyEvent = TEvent<void(TObject* Sender)>;

}  // namespace vx::plat

// The message queue: posting and sending, taking messages in the order the
// platform promises (posted messages and input as they arrived, then paint,
// then timers), dispatching, waiting, and timers.
#include <algorithm>
#include <limits>

#include "platform/controls/window_private.h"
#include "platform/host/host.h"

namespace vx::plat::wm {

namespace {

bool InRange(UINT msg, UINT lo, UINT hi) { return (lo == 0 && hi == 0) || (msg >= lo && msg <= hi); }

// Signed distance so that comparisons survive the tick count's wrap-around.
std::int32_t TicksUntil(DWORD due, DWORD now) { return static_cast<std::int32_t>(due - now); }

// The first window (parents before children, bottom to top) that waits for a paint.
Window* FindPaint(Window& w, HWND filter) {
  if (!(w.Style & WS_VISIBLE)) return nullptr;
  if (HasUpdate(w) && (!filter || filter == w.Handle)) return &w;
  for (Window* c : w.Children)
    if (Window* p = FindPaint(*c, filter)) return p;
  return nullptr;
}

Timer* DueTimer(HWND filter, DWORD now) {
  Timer* best = nullptr;
  for (Timer& t : S().Timers) {
    if (filter && t.Window != filter) continue;
    if (TicksUntil(t.Due, now) > 0) continue;
    if (!best || TicksUntil(t.Due, best->Due) < 0) best = &t;
  }
  return best;
}

bool MatchesWindow(HWND target, HWND filter) { return !filter || target == filter; }

// The queue index after the entry with arrival number `seq`; `fallback`
// (the entries after it moved up) when a handler took it meanwhile.
std::size_t IndexAfter(std::uint64_t seq, std::size_t fallback) {
  const auto& q = S().Queue;
  const auto it = std::find_if(q.begin(), q.end(), [&](const QueueEntry& e) { return e.Seq == seq; });
  return it == q.end() ? std::min(fallback, q.size()) : static_cast<std::size_t>(it - q.begin()) + 1;
}

}  // namespace

}  // namespace vx::plat::wm

namespace vx::plat {

using namespace wm;

LRESULT SendMessageW(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  Window* w = Find(hwnd);
  if (!w) return 0;
  return CallProc(*w, msg, wParam, lParam);
}

BOOL PostMessageW(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (hwnd && !Find(hwnd)) return FALSE;
  QueueEntry e;
  e.Msg.hwnd = hwnd;
  e.Msg.message = msg;
  e.Msg.wParam = wParam;
  e.Msg.lParam = lParam;
  e.Msg.time = Now();
  e.Msg.pt = S().Cursor;
  e.Seq = S().NextSeq++;
  S().Queue.push_back(e);
  return TRUE;
}

void PostQuitMessage(int exitCode) {
  S().QuitPosted = true;
  S().QuitCode = exitCode;
}

BOOL PeekMessageW(MSG* out, HWND hwnd, UINT msgMin, UINT msgMax, UINT remove) {
  if (!out) return FALSE;
  Host().PumpEvents();
  State& s = S();
  const bool take = (remove & PM_REMOVE) != 0;
  const bool unfiltered = !hwnd && msgMin == 0 && msgMax == 0;
  // 1. Posted messages and input, in the order they arrived.
  for (std::size_t i = 0; i < s.Queue.size();) {
    QueueEntry& e = s.Queue[i];
    if (!e.IsInput) {
      if (MatchesWindow(e.Msg.hwnd, hwnd) && InRange(e.Msg.message, msgMin, msgMax)) {
        *out = e.Msg;
        if (take) {
          s.Queue.erase(s.Queue.begin() + static_cast<std::ptrdiff_t>(i));
          s.LastMessageTime = out->time;
        }
        return TRUE;
      }
      ++i;
      continue;
    }
    // Previewing sends WM_NCHITTEST, whose handler may change the queue:
    // work on a copy and find the entry again by its arrival number.
    const QueueEntry entry = e;
    MSG preview;
    const Route route = RouteInput(entry.Input, preview, false);
    const bool matches = route == Route::Message ? MatchesWindow(preview.hwnd, hwnd) &&
                                                       InRange(preview.message, msgMin, msgMax)
                                                 : unfiltered;
    if (!matches) {
      i = IndexAfter(entry.Seq, i);
      continue;
    }
    if (!take) {
      if (route != Route::Message) {
        i = IndexAfter(entry.Seq, i);
        continue;
      }
      *out = preview;
      return TRUE;
    }
    const auto at = std::find_if(s.Queue.begin(), s.Queue.end(),
                                 [&](const QueueEntry& q) { return q.Seq == entry.Seq; });
    if (at == s.Queue.end()) continue;  // taken meanwhile: the next entry moved to i
    i = static_cast<std::size_t>(at - s.Queue.begin());
    s.Queue.erase(at);
    MSG msg;
    if (RouteInput(entry.Input, msg, true) == Route::Message) {
      *out = msg;
      s.LastMessageTime = msg.time;
      return TRUE;
    }
    // Input taken by a scroll-bar drag or dropped: keep looking from here.
  }
  // 2. WM_QUIT once nothing else is waiting.
  if (s.QuitPosted && !hwnd && InRange(WM_QUIT, msgMin, msgMax)) {
    *out = MSG{};
    out->message = WM_QUIT;
    out->wParam = static_cast<WPARAM>(s.QuitCode);
    out->time = Now();
    if (take) s.QuitPosted = false;
    return TRUE;
  }
  // 3. A paint (it stays until the window is validated).
  if (InRange(WM_PAINT, msgMin, msgMax)) {
    for (Window* top : s.TopLevels) {
      if (Window* p = FindPaint(*top, hwnd)) {
        *out = MSG{};
        out->hwnd = p->Handle;
        out->message = WM_PAINT;
        out->time = Now();
        out->pt = s.Cursor;
        return TRUE;
      }
    }
  }
  // 4. A due timer.
  if (InRange(WM_TIMER, msgMin, msgMax)) {
    const DWORD now = Now();
    if (Timer* t = DueTimer(hwnd, now)) {
      *out = MSG{};
      out->hwnd = t->Window;
      out->message = WM_TIMER;
      out->wParam = t->Id;
      out->lParam = reinterpret_cast<LPARAM>(t->Proc);
      out->time = now;
      out->pt = s.Cursor;
      if (take) {
        t->Due = now + t->Elapse;
        s.LastMessageTime = now;
      }
      return TRUE;
    }
  }
  return FALSE;
}

BOOL WaitMessage() {
  State& s = S();
  Host().PumpEvents();
  if (!s.Queue.empty() || s.QuitPosted) return TRUE;
  for (Window* top : s.TopLevels)
    if (FindPaint(*top, nullptr)) return TRUE;
  std::uint32_t timeout = kWaitForever;
  const DWORD now = Now();
  for (const Timer& t : s.Timers) {
    const std::int32_t left = TicksUntil(t.Due, now);
    timeout = std::min<std::uint32_t>(timeout, static_cast<std::uint32_t>(std::max(0, left)));
  }
  if (timeout == 0) return TRUE;
  return Host().WaitEvents(timeout) ? TRUE : FALSE;
}

int GetMessageW(MSG* msg, HWND hwnd, UINT msgMin, UINT msgMax) {
  if (!msg) return -1;
  while (!PeekMessageW(msg, hwnd, msgMin, msgMax, PM_REMOVE))
    if (!WaitMessage()) return -1;
  return msg->message == WM_QUIT ? 0 : 1;
}

BOOL TranslateMessage(const MSG* msg) {
  return msg && (msg->message == WM_KEYDOWN || msg->message == WM_SYSKEYDOWN) ? TRUE : FALSE;
}

LRESULT DispatchMessageW(const MSG* msg) {
  if (!msg) return 0;
  if (msg->message == WM_TIMER) {
    auto& timers = S().Timers;
    auto it = std::find_if(timers.begin(), timers.end(),
                           [&](const Timer& t) { return t.Window == msg->hwnd && t.Id == msg->wParam; });
    if (it != timers.end() && it->Callback) {
      auto callback = it->Callback;  // the callback may kill its own timer
      callback();
      return 0;
    }
    if (it != timers.end() && it->Proc) {
      it->Proc(msg->hwnd, WM_TIMER, msg->wParam, msg->time);
      return 0;
    }
  }
  Window* w = Find(msg->hwnd);
  if (!w) return 0;
  if (msg->message != WM_PAINT) return CallProc(*w, msg->message, msg->wParam, msg->lParam);
  w->BeginPaintSeen = false;
  const LRESULT result = CallProc(*w, WM_PAINT, msg->wParam, msg->lParam);
  // A paint handler that never began painting would be asked again forever.
  if (Window* again = Find(msg->hwnd); again && !again->BeginPaintSeen) ValidateRect(msg->hwnd, nullptr);
  return result;
}

DWORD GetMessageTime() { return S().LastMessageTime; }

// --- timers ------------------------------------------------------------------

namespace {

UINT ClampElapse(UINT elapse) {
  return std::clamp<UINT>(elapse, kMinTimerInterval, static_cast<UINT>(std::numeric_limits<std::int32_t>::max()));
}

UINT_PTR AddTimer(HWND hwnd, UINT_PTR id, UINT elapse, TIMERPROC proc, std::function<void()> callback) {
  State& s = S();
  if (hwnd && !Find(hwnd)) return 0;
  if (!hwnd && id == 0) id = ++s.NextTimerId;
  Timer t;
  t.Window = hwnd;
  t.Id = id;
  t.Elapse = ClampElapse(elapse);
  t.Due = Now() + t.Elapse;
  t.Proc = proc;
  t.Callback = std::move(callback);
  auto it = std::find_if(s.Timers.begin(), s.Timers.end(), [&](const Timer& x) { return x.Window == hwnd && x.Id == id; });
  if (it != s.Timers.end())
    *it = std::move(t);
  else
    s.Timers.push_back(std::move(t));
  return id;
}

}  // namespace

UINT_PTR SetTimer(HWND hwnd, UINT_PTR id, UINT elapse, TIMERPROC proc) {
  const UINT_PTR result = AddTimer(hwnd, id, elapse, proc, nullptr);
  return hwnd && result ? (id ? id : 1) : result;
}

UINT_PTR SetTimerCallback(UINT elapse, std::function<void()> callback) {
  return AddTimer(nullptr, 0, elapse, nullptr, std::move(callback));
}

BOOL KillTimer(HWND hwnd, UINT_PTR id) {
  auto& timers = S().Timers;
  auto it = std::find_if(timers.begin(), timers.end(), [&](const Timer& t) { return t.Window == hwnd && t.Id == id; });
  if (it == timers.end()) return FALSE;
  timers.erase(it);
  return TRUE;
}

}  // namespace vx::plat

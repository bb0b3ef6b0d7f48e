// Window scroll bars: their parameters, their geometry in the non-client
// area, and operating them with the mouse (arrows step a line, the trough
// steps a page, the thumb drags through SB_THUMBTRACK to SB_THUMBPOSITION;
// arrows and trough repeat while held).
#include <algorithm>
#include <cstdlib>

#include "platform/controls/window_private.h"

namespace vx::plat::wm {

namespace {

constexpr int kMinThumb = 8;
constexpr UINT kRepeatDelay = 400;  // first repeat of a held arrow or trough
constexpr UINT kRepeatRate = 50;    // later repeats

std::int64_t RoundDiv(std::int64_t a, std::int64_t b) {
  if (b == 0) return 0;
  const std::int64_t q = a / b, r = a % b;
  if (2 * std::llabs(r) >= std::llabs(b)) return q + (((a < 0) != (b < 0)) ? -1 : 1);
  return q;
}

bool HasRange(const ScrollBar& b) { return b.Max > b.Min; }

}  // namespace

int MaxPos(const ScrollBar& b) {
  const std::int64_t page = b.Page > 0 ? std::int64_t{b.Page} - 1 : 0;
  return static_cast<int>(std::max<std::int64_t>(b.Min, std::int64_t{b.Max} - page));
}

BarGeometry BarGeometryOf(const Window& w, int bar, const TRect& barRect, bool shown) {
  BarGeometry g;
  g.Shown = shown;
  g.Horizontal = bar == SB_HORZ;
  g.Rect = barRect;
  if (!shown) return g;
  const ScrollBar& b = w.Bars[static_cast<std::size_t>(bar)];
  g.Length = g.Horizontal ? barRect.Width() : barRect.Height();
  g.Arrow = std::min(kScrollBarThickness, g.Length / 2);
  g.TroughStart = g.Arrow;
  g.TroughLength = std::max(0, g.Length - 2 * g.Arrow);
  g.Enabled = !b.Disabled && HasRange(b) && EnabledChain(w);
  if (!g.Enabled || g.TroughLength <= 0) return g;
  const std::int64_t range = std::int64_t{b.Max} - b.Min + 1;
  std::int64_t thumb = b.Page > 0 ? g.TroughLength * std::int64_t{b.Page} / range : kScrollBarThickness;
  thumb = std::max<std::int64_t>(thumb, kMinThumb);
  if (thumb > g.TroughLength) return g;
  g.HasThumb = true;
  g.ThumbLength = static_cast<int>(thumb);
  const int shownPos = S().Track.Active() && S().Track.Window == w.Handle && S().Track.Bar == bar &&
                               S().Track.Part == BarPart::Thumb
                           ? b.TrackPos
                           : b.Pos;
  const std::int64_t span = std::int64_t{MaxPos(b)} - b.Min;
  const std::int64_t free = g.TroughLength - thumb;
  const std::int64_t offset = span > 0 ? RoundDiv((std::int64_t{std::clamp(shownPos, b.Min, MaxPos(b))} - b.Min) * free, span) : 0;
  g.ThumbStart = g.TroughStart + static_cast<int>(std::clamp<std::int64_t>(offset, 0, free));
  return g;
}

BarPart PartAt(const BarGeometry& g, int along) {
  if (!g.Shown || !g.Enabled || along < 0 || along >= g.Length) return BarPart::None;
  if (along < g.Arrow) return BarPart::LineUp;
  if (along >= g.Length - g.Arrow) return BarPart::LineDown;
  if (!g.HasThumb) return BarPart::None;
  if (along < g.ThumbStart) return BarPart::PageUp;
  if (along >= g.ThumbStart + g.ThumbLength) return BarPart::PageDown;
  return BarPart::Thumb;
}

int PosFromThumb(const ScrollBar& b, const BarGeometry& g, int thumbStart) {
  const std::int64_t free = g.TroughLength - g.ThumbLength;
  const std::int64_t offset = std::clamp<std::int64_t>(std::int64_t{thumbStart} - g.TroughStart, 0, free);
  const std::int64_t span = std::int64_t{MaxPos(b)} - b.Min;
  if (free <= 0) return b.Min;
  return static_cast<int>(b.Min + RoundDiv(offset * span, free));
}

namespace {

UINT ScrollMsg(int bar) { return bar == SB_HORZ ? WM_HSCROLL : WM_VSCROLL; }

int CodeOf(BarPart part) {
  switch (part) {
    case BarPart::LineUp: return SB_LINEUP;
    case BarPart::LineDown: return SB_LINEDOWN;
    case BarPart::PageUp: return SB_PAGEUP;
    case BarPart::PageDown: return SB_PAGEDOWN;
    default: return SB_ENDSCROLL;
  }
}

// The part under the tracked cursor now.
BarPart PartUnderCursor() {
  ScrollTrack& t = S().Track;
  Window* w = Find(t.Window);
  if (!w) return BarPart::None;
  const FrameLayout f = LayoutOf(*w);
  const BarGeometry& g = f.Bars[t.Bar];
  const TRect wr = ScreenRect(*w);
  const TPoint local{t.Mouse.x - wr.Left, t.Mouse.y - wr.Top};
  const bool inside = local.x >= g.Rect.Left && local.x < g.Rect.Right && local.y >= g.Rect.Top && local.y < g.Rect.Bottom;
  return inside ? PartAt(g, g.Along(local)) : BarPart::None;
}

void Repeat() {
  ScrollTrack& t = S().Track;
  if (!t.Active() || t.Part == BarPart::Thumb) return;
  if (t.RepeatTimer) KillTimer(nullptr, t.RepeatTimer);
  t.RepeatTimer = SetTimerCallback(kRepeatRate, Repeat);
  // A page step repeats only while the thumb has not reached the cursor.
  if (PartUnderCursor() != t.Part) return;
  SendMessageW(t.Window, ScrollMsg(t.Bar), MakeScrollWParam(CodeOf(t.Part), 0), 0);
}

}  // namespace

void StartScrollTracking(Window& w, int bar, TPoint screen) {
  State& s = S();
  if (s.Track.Active()) EndScrollTracking();
  const FrameLayout f = LayoutOf(w);
  const BarGeometry& g = f.Bars[bar];
  const TRect wr = ScreenRect(w);
  const TPoint local{screen.x - wr.Left, screen.y - wr.Top};
  const BarPart part = PartAt(g, g.Along(local));
  if (part == BarPart::None) return;
  s.Track.Window = w.Handle;
  s.Track.Bar = bar;
  s.Track.Part = part;
  s.Track.Mouse = screen;
  s.Capture = w.Handle;
  ScrollBar& b = w.Bars[static_cast<std::size_t>(bar)];
  if (part == BarPart::Thumb) {
    s.Track.GrabOffset = g.Along(local) - g.ThumbStart;
    b.TrackPos = b.Pos;
  } else {
    s.Track.RepeatTimer = SetTimerCallback(kRepeatDelay, Repeat);
    SendMessageW(w.Handle, ScrollMsg(bar), MakeScrollWParam(CodeOf(part), 0), 0);
  }
  ScreenChanged();
}

void EndScrollTracking() {
  State& s = S();
  if (!s.Track.Active()) return;
  if (s.Track.RepeatTimer) KillTimer(nullptr, s.Track.RepeatTimer);
  if (s.Capture == s.Track.Window) s.Capture = nullptr;
  s.Track = ScrollTrack{};
  ScreenChanged();
}

void TrackScrollInput(const RawInput& in) {
  State& s = S();
  ScrollTrack& t = s.Track;
  Window* w = Find(t.Window);
  if (!w) {
    EndScrollTracking();
    return;
  }
  t.Mouse = in.Pos;
  const HWND h = w->Handle;
  const int bar = t.Bar;
  if (in.What == RawInput::Kind::MouseMove && t.Part == BarPart::Thumb) {
    const FrameLayout f = LayoutOf(*w);
    const BarGeometry& g = f.Bars[bar];
    const TRect wr = ScreenRect(*w);
    const int along = g.Along(TPoint{in.Pos.x - wr.Left, in.Pos.y - wr.Top});
    ScrollBar& b = w->Bars[static_cast<std::size_t>(bar)];
    const int pos = PosFromThumb(b, g, along - t.GrabOffset);
    if (pos != b.TrackPos) {
      b.TrackPos = pos;
      ScreenChanged();
      SendMessageW(h, ScrollMsg(bar), MakeScrollWParam(SB_THUMBTRACK, pos), 0);
    }
    return;
  }
  if (in.What == RawInput::Kind::ButtonUp && in.Button == mbLeft) {
    const bool thumb = t.Part == BarPart::Thumb;
    const int pos = w->Bars[static_cast<std::size_t>(bar)].TrackPos;
    EndScrollTracking();
    if (thumb) SendMessageW(h, ScrollMsg(bar), MakeScrollWParam(SB_THUMBPOSITION, pos), 0);
    SendMessageW(h, ScrollMsg(bar), MakeScrollWParam(SB_ENDSCROLL, 0), 0);
  }
}

}  // namespace vx::plat::wm

namespace vx::plat {

using namespace wm;

namespace {

ScrollBar* BarOf(HWND hwnd, int bar, Window** window) {
  Window* w = Find(hwnd);
  if (!w || (bar != SB_HORZ && bar != SB_VERT)) return nullptr;
  if (window) *window = w;
  return &w->Bars[static_cast<std::size_t>(bar)];
}

DWORD StyleBit(int bar) { return bar == SB_HORZ ? WS_HSCROLL : WS_VSCROLL; }

void Normalise(ScrollBar& b) {
  if (b.Max < b.Min) std::swap(b.Min, b.Max);
  const std::int64_t range = std::int64_t{b.Max} - b.Min + 1;
  if (std::int64_t{b.Page} > range) b.Page = static_cast<UINT>(range);
  b.Pos = std::clamp(b.Pos, b.Min, MaxPos(b));
  b.TrackPos = std::clamp(b.TrackPos, b.Min, MaxPos(b));
}

// Shows or hides one bar through the window style; the client area follows.
void SetBarShown(Window& w, int bar, bool shown) {
  const DWORD bit = StyleBit(bar);
  const bool now = (w.Style & bit) != 0;
  if (now == shown) return;
  if (shown)
    w.Style |= bit;
  else
    w.Style &= ~bit;
  if (!shown && S().Track.Window == w.Handle && S().Track.Bar == bar) EndScrollTracking();
  RecalcFrame(w);
}

}  // namespace

int SetScrollInfo(HWND hwnd, int bar, const SCROLLINFO* info, BOOL redraw) {
  Window* w = nullptr;
  ScrollBar* b = BarOf(hwnd, bar, &w);
  if (!b || !info) return 0;
  const bool dragging = S().Track.Window == hwnd && S().Track.Bar == bar && S().Track.Part == BarPart::Thumb;
  if (info->fMask & SIF_RANGE) {
    b->Min = info->nMin;
    b->Max = info->nMax;
  }
  if (info->fMask & SIF_PAGE) b->Page = info->nPage;
  if (info->fMask & SIF_POS) {
    b->Pos = info->nPos;
    if (!dragging) b->TrackPos = info->nPos;
  }
  if ((info->fMask & SIF_TRACKPOS) && !dragging) b->TrackPos = info->nTrackPos;
  Normalise(*b);
  const int pos = b->Pos;
  if (info->fMask & (SIF_RANGE | SIF_PAGE | SIF_DISABLENOSCROLL)) {
    const bool needed = HasRange(*b) && std::int64_t{b->Max} - b->Min + 1 > std::int64_t{b->Page};
    const bool keepDisabled = !needed && (info->fMask & SIF_DISABLENOSCROLL);
    b->Disabled = keepDisabled;
    SetBarShown(*w, bar, needed || keepDisabled);
  }
  ScreenChanged();
  return pos;
}

BOOL GetScrollInfo(HWND hwnd, int bar, SCROLLINFO* info) {
  ScrollBar* b = BarOf(hwnd, bar, nullptr);
  if (!b || !info) return FALSE;
  if (info->fMask & SIF_RANGE) {
    info->nMin = b->Min;
    info->nMax = b->Max;
  }
  if (info->fMask & SIF_PAGE) info->nPage = b->Page;
  if (info->fMask & SIF_POS) info->nPos = b->Pos;
  if (info->fMask & SIF_TRACKPOS) info->nTrackPos = b->TrackPos;
  return TRUE;
}

int SetScrollPos(HWND hwnd, int bar, int pos, BOOL redraw) {
  ScrollBar* b = BarOf(hwnd, bar, nullptr);
  if (!b) return 0;
  const int previous = b->Pos;
  SCROLLINFO si;
  si.fMask = SIF_POS;
  si.nPos = pos;
  SetScrollInfo(hwnd, bar, &si, redraw);
  return previous;
}

int GetScrollPos(HWND hwnd, int bar) {
  ScrollBar* b = BarOf(hwnd, bar, nullptr);
  return b ? b->Pos : 0;
}

BOOL SetScrollRange(HWND hwnd, int bar, int minPos, int maxPos, BOOL redraw) {
  if (!BarOf(hwnd, bar, nullptr)) return FALSE;
  SCROLLINFO si;
  si.fMask = SIF_RANGE;
  si.nMin = minPos;
  si.nMax = maxPos;
  SetScrollInfo(hwnd, bar, &si, redraw);
  return TRUE;
}

BOOL GetScrollRange(HWND hwnd, int bar, int* minPos, int* maxPos) {
  ScrollBar* b = BarOf(hwnd, bar, nullptr);
  if (!b) return FALSE;
  if (minPos) *minPos = b->Min;
  if (maxPos) *maxPos = b->Max;
  return TRUE;
}

BOOL ShowScrollBar(HWND hwnd, int bar, BOOL show) {
  Window* w = Find(hwnd);
  if (!w || bar < SB_HORZ || bar > SB_BOTH || bar == SB_CTL) return FALSE;
  if (bar == SB_HORZ || bar == SB_BOTH) SetBarShown(*w, SB_HORZ, show != FALSE);
  if ((bar == SB_VERT || bar == SB_BOTH) && Find(hwnd)) SetBarShown(*Find(hwnd), SB_VERT, show != FALSE);
  ScreenChanged();
  return TRUE;
}

}  // namespace vx::plat

#include "platform/win32/forms/display.h"

#include <optional>

#include "interfaces/os.h"
#include "platform/win32/os/system_functions.h"

namespace hw::win32 {
namespace {

// DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2, a pseudo-handle.
const HANDLE kPerMonitorAwareV2 = reinterpret_cast<HANDLE>(static_cast<INT_PTR>(-4));

std::optional<PixelRect> MonitorWorkArea(POINT point) {
  try {
    HMONITOR monitor = Gui().MonitorFromPoint(point, MONITOR_DEFAULTTONEAREST);
    MONITORINFO info{};
    info.cbSize = sizeof info;
    if (monitor && Gui().GetMonitorInfoW(monitor, &info)) return ToPixelRect(info.rcWork);
  } catch (const MissingFunction&) {
    // Windows 95 and NT 4 know one monitor only
  }
  return std::nullopt;
}

std::optional<PixelRect> DesktopWorkArea() {
  RECT work{};
  try {
    if (Gui().SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0)) return ToPixelRect(work);
  } catch (const MissingFunction&) {
  }
  return std::nullopt;
}

}  // namespace

void UsePerMonitorDpi() {
  static bool asked = false;
  if (asked) return;
  asked = true;
  try {
    Gui().SetThreadDpiAwarenessContext(kPerMonitorAwareV2);  // fails harmlessly where the system lacks v2
  } catch (const MissingFunction&) {
    // before Windows 10 1607: the manifest's per-monitor setting, or one dpi
  }
}

int WindowDpi(HWND window, int screenDpi) {
  std::optional<unsigned> own;
  try {
    own = Gui().GetDpiForWindow(window);
  } catch (const MissingFunction&) {
  }
  return LayoutDpi(own, screenDpi);
}

int SystemMetricAt(int index, int dpi) {
  try {
    if (int scaled = Gui().GetSystemMetricsForDpi(index, static_cast<UINT>(dpi)); scaled > 0) return scaled;
  } catch (const MissingFunction&) {
  }
  return Gui().GetSystemMetrics(index);
}

PixelRect WorkAreaAt(POINT point) {
  PixelRect screen{0, 0, Gui().GetSystemMetrics(SM_CXSCREEN), Gui().GetSystemMetrics(SM_CYSCREEN)};
  return WorkAreaOf(MonitorWorkArea(point), DesktopWorkArea(), screen);
}

bool HighContrastOn() {
  HIGHCONTRASTW contrast{};
  contrast.cbSize = sizeof contrast;
  try {
    return Gui().SystemParametersInfoW(SPI_GETHIGHCONTRAST, sizeof contrast, &contrast, 0) &&
           (contrast.dwFlags & HCF_HIGHCONTRASTON) != 0;
  } catch (const MissingFunction&) {
    return false;
  }
}

PixelRect ToPixelRect(const RECT& r) { return {r.left, r.top, r.right, r.bottom}; }

RECT ToRect(const PixelRect& r) {
  RECT out;
  out.left = r.left;
  out.top = r.top;
  out.right = r.right;
  out.bottom = r.bottom;
  return out;
}

}  // namespace hw::win32

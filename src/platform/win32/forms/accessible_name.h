// A name for MSAA where a control cannot carry one itself: an icon static's
// window text is not what MSAA reports as its name, so the name is given by
// dynamic annotation (IAccPropServices, oleacc). Where the system lacks it
// (no COM, no oleacc 2.0), the control keeps only its window text.
#pragma once

#include <windows.h>

#include <string>

namespace hw::win32 {

// True when the annotation took.
bool AnnotateName(HWND control, const std::wstring& name);
// Called while the control still exists.
void ClearAnnotatedName(HWND control);

}  // namespace hw::win32

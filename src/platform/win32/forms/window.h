// A window of the Win32 forms runtime and its controls. Each control is a
// standard Win32 control (STATIC, EDIT, COMBOBOX, BUTTON), so its text can be
// read with GetWindowTextW from outside; its name from the window data is a
// window property (a global atom named like the control) and its id is 100
// plus its index in the window data, for UI automation.
#pragma once

#include <windows.h>

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "interfaces/forms.h"
#include "platform/win32/forms/pictures.h"

namespace hw::win32 {

inline constexpr wchar_t kControlNameProperty[] = L"HostwardenControl";
// On each top-level window: its name as UI automation knows it
// ("Hostwarden_frm_Info"), which is also the class of a window that is not
// a dialog.
inline constexpr wchar_t kWindowNameProperty[] = L"HostwardenWindow";
inline constexpr int kFirstControlId = 100;  // clear of IDOK and IDCANCEL

// What every window of one runtime shares with it.
class FormsHost {
 public:
  virtual ~FormsHost() = default;
  virtual HINSTANCE Instance() const = 0;
  virtual int Dpi() const = 0;
  // A hidden top-level window that owns the windows kept out of the taskbar.
  virtual HWND HiddenOwner() = 0;
  // Runs a window procedure's work so that nothing is thrown across it; an
  // EndProgram ends the process there.
  virtual LRESULT Dispatch(const std::function<LRESULT()>& work) noexcept = 0;
};

class Win32Window;

class Win32Control : public Control {
 public:
  Win32Control(Win32Window& window, const ControlData& definition, int id);
  std::string Text() const override;
  void SetText(const std::string& text) override;
  bool Visible() const override;
  void SetVisible(bool visible) override;
  bool Enabled() const override;
  void SetEnabled(bool enabled) override;
  void AddItem(const std::string& item) override;
  void SetListIndex(int index) override;
  int ListIndex() const override;
  std::vector<std::string> Items() const override;
  void SetElevationRequired(bool required) override;
  bool ElevationRequired() const override { return elevationRequired_; }

  const ControlData& Definition() const { return definition_; }
  int Id() const { return id_; }
  HWND Handle() const { return hwnd_; }
  void Attach(HWND hwnd, OwnedIcon picture);
  void SetPicture(OwnedIcon picture);
  void Detach();

 private:
  HWND Require(const char* operation) const;
  HWND RequireComboBox(const char* operation) const;

  Win32Window& window_;
  ControlData definition_;
  int id_;
  HWND hwnd_ = nullptr;
  ATOM nameAtom_ = 0;
  OwnedIcon picture_;
  bool elevationRequired_ = false;  // kept across a reload of the window
  bool annotated_ = false;          // named for MSAA by dynamic annotation
};

class Win32Window : public Window {
 public:
  Win32Window(FormsHost& host, const WindowData& definition);
  ~Win32Window() override;
  Win32Window(const Win32Window&) = delete;
  Win32Window& operator=(const Win32Window&) = delete;

  const WindowData& Definition() const override { return definition_; }
  Control& operator[](std::string_view control) override;
  void Show() override;
  void Hide() override;
  void Unload() override;
  bool Loaded() const override { return hwnd_ != nullptr; }
  bool Visible() const override;
  void OnClick(std::string_view control, std::function<void()> handler) override;
  void OnClose(std::function<void()> handler) override { onClose_ = std::move(handler); }
  std::string FocusedControl() const override;

  // Creates the window (invisible) and its controls; FormsError on failure.
  void Create();
  // Destroys the window without raising any event of the program.
  void DestroySilently();
  HWND Handle() const { return hwnd_; }
  FormsHost& Host() { return host_; }
  LRESULT HandleMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

 private:
  void CreateFrame();
  HWND CreateFrameWindow(const std::wstring& className, DWORD style, DWORD exStyle, const RECT& outer, HWND owner);
  void NameFrame();
  void MakeFonts();
  void CreateControls();
  HWND CreateControl(Win32Control& control, std::size_t index);
  int PictureSize() const;
  RECT ClientFrameAt(int dpi) const;
  void FitClientArea();
  void KeepOnWorkArea();
  void ClipCoveredParts();
  void Rescale(int dpi);
  LRESULT OnDpiChanged(HWND hwnd, WPARAM wParam, LPARAM lParam);
  void FocusNextTabStop(WPARAM wParam, LPARAM lParam);
  LRESULT DefaultProcedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
  void AddTooltip(HWND control, const std::string& text);
  void ApplyIcons();
  Win32Control* ControlByHandle(HWND hwnd);
  LRESULT ColourStatic(HDC dc, HWND control);
  void DrawLine(const DRAWITEMSTRUCT& item);
  void RaiseClick(Win32Control& button);
  void RaiseClose();
  void RememberFocus();
  bool RestoreFocus();
  void FocusControl(HWND control);
  LRESULT DefaultButtonId();
  void Detached();

  FormsHost& host_;
  WindowData definition_;
  std::vector<std::unique_ptr<Win32Control>> controls_;  // in the order of the window data
  std::map<std::string, std::function<void()>, std::less<>> onClick_;
  std::function<void()> onClose_;
  HWND hwnd_ = nullptr;
  HWND savedFocus_ = nullptr;
  HFONT font_ = nullptr, boldFont_ = nullptr;
  OwnedIcon bigIcon_, smallIcon_;
  int dpi_ = 96;  // what the window is laid out at: its monitor's
  // A window of the system's dialog class keeps the dialog manager's own
  // procedure here for what only it can release.
  WNDPROC systemDialogProcedure_ = nullptr;
  ATOM windowNameAtom_ = 0;
  bool silent_ = false;  // being destroyed by End: no events any more
};

}  // namespace hw::win32

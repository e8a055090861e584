// A forms runtime with no screen: windows and controls keep their state in
// memory, message boxes are recorded in order. The report mode runs on it, and
// the unit tests drive and inspect the program through it.
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "interfaces/forms.h"

namespace hw {

class HeadlessControl : public Control {
 public:
  explicit HeadlessControl(const ControlData& definition);
  std::string Text() const override { return text_; }
  void SetText(const std::string& text) override { text_ = text; }
  bool Visible() const override { return visible_; }
  void SetVisible(bool visible) override { visible_ = visible; }
  bool Enabled() const override { return enabled_; }
  void SetEnabled(bool enabled) override { enabled_ = enabled; }
  void AddItem(const std::string& item) override;
  void SetListIndex(int index) override;
  int ListIndex() const override { return listIndex_; }
  std::vector<std::string> Items() const override { return items_; }
  void SetElevationRequired(bool required) override { elevationRequired_ = required; }
  bool ElevationRequired() const override { return elevationRequired_; }

  const ControlData& definition() const { return definition_; }

 private:
  ControlData definition_;
  std::string text_;
  bool visible_, enabled_;
  std::vector<std::string> items_;
  int listIndex_ = -1;
  bool elevationRequired_ = false;
};

class HeadlessWindow : public Window {
 public:
  explicit HeadlessWindow(const WindowData& definition) : definition_(definition) { Create(); }
  const WindowData& Definition() const override { return definition_; }
  Control& operator[](std::string_view control) override;
  void Show() override;
  void Hide() override { visible_ = false; }
  void Unload() override;
  bool Loaded() const override { return loaded_; }
  bool Visible() const override { return loaded_ && visible_; }
  void OnClick(std::string_view control, std::function<void()> handler) override;
  void OnClose(std::function<void()> handler) override { onClose_ = std::move(handler); }
  std::string FocusedControl() const override { return focus_; }

  // What a user does: press a button (nothing happens while it is disabled
  // or invisible), close the window through its title bar.
  void Click(std::string_view control);
  void CloseByTitleBar();
  void Create();  // (re)creates the controls from the window data

 private:
  WindowData definition_;
  std::map<std::string, std::unique_ptr<HeadlessControl>, std::less<>> controls_;
  std::map<std::string, std::function<void()>, std::less<>> onClick_;
  std::function<void()> onClose_;
  bool loaded_ = true, visible_ = false;
  std::string focus_;
};

struct ShownMessage {
  std::string text;
  int style;
  std::vector<std::string> visibleWindows;  // windows on screen behind the box
};

class HeadlessForms : public Forms {
 public:
  HeadlessForms() = default;
  explicit HeadlessForms(std::string commandLine, bool prevInstance = false)
      : commandLine_(std::move(commandLine)), prevInstance_(prevInstance) {}

  bool PrevInstance() override { return prevInstance_; }
  std::string Command() override { return commandLine_; }
  void MsgBox(const std::string& text, int style) override;
  Window& Load(const WindowData& definition) override;
  [[noreturn]] void End() override;
  void Run() override {}  // nothing to wait for without a screen

  // Inspection and driving.
  const std::vector<ShownMessage>& Messages() const { return messages_; }
  bool Ended() const { return ended_; }
  HeadlessWindow* Find(std::string_view window);  // null when never loaded
  bool AnyWindowLoaded() const;
  // Runs when a message box is shown (the box is "closed" when it returns).
  std::function<void(const ShownMessage&)> onMessage;

 private:
  std::string commandLine_;
  bool prevInstance_ = false;
  bool ended_ = false;
  std::vector<ShownMessage> messages_;
  std::map<std::string, std::unique_ptr<HeadlessWindow>, std::less<>> windows_;
};

}  // namespace hw

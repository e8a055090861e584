#include "interfaces/headless/headless_forms.h"

namespace hw {

HeadlessControl::HeadlessControl(const ControlData& definition)
    : definition_(definition),
      text_(definition.caption),
      visible_(definition.visible),
      enabled_(definition.enabled) {}

void HeadlessControl::AddItem(const std::string& item) {
  RequireComboBox(definition_, "AddItem");
  items_.push_back(item);
}

void HeadlessControl::SetListIndex(int index) {
  RequireComboBox(definition_, "ListIndex");
  RequireListIndex(definition_, index, items_.size());
  listIndex_ = index;
  if (index >= 0) text_ = items_[static_cast<std::size_t>(index)];
}

void HeadlessWindow::Create() {
  controls_.clear();
  for (const auto& c : definition_.controls) controls_.emplace(c.name, std::make_unique<HeadlessControl>(c));
  loaded_ = true;
  visible_ = false;
  focus_.clear();
}

Control& HeadlessWindow::operator[](std::string_view control) {
  auto it = controls_.find(control);
  if (it == controls_.end()) ThrowNoSuchControl(definition_, control);
  return *it->second;
}

void HeadlessWindow::Show() {
  if (!loaded_) Create();
  visible_ = true;
  focus_ = FirstFocusable(*this);
}

void HeadlessWindow::Unload() {
  loaded_ = false;
  visible_ = false;
  focus_.clear();
}

void HeadlessWindow::OnClick(std::string_view control, std::function<void()> handler) {
  (*this)[control];  // an unknown control fails where the handler is set, not at the click
  onClick_[std::string(control)] = std::move(handler);
}

void HeadlessWindow::Click(std::string_view control) {
  Control& button = (*this)[control];
  if (!Visible() || !button.Visible() || !button.Enabled()) return;
  if (auto it = onClick_.find(control); it != onClick_.end() && it->second) it->second();
}

void HeadlessWindow::CloseByTitleBar() {
  if (!loaded_) return;
  if (onClose_) onClose_();
  Unload();
}

void HeadlessForms::MsgBox(const std::string& text, int style) {
  ShownMessage shown{text, style, {}};
  for (const auto& [name, window] : windows_)
    if (window->Visible()) shown.visibleWindows.push_back(name);
  messages_.push_back(shown);
  if (onMessage) onMessage(messages_.back());
}

Window& HeadlessForms::Load(const WindowData& definition) {
  auto it = windows_.find(definition.name);
  if (it == windows_.end()) {
    it = windows_.emplace(definition.name, std::make_unique<HeadlessWindow>(definition)).first;
  } else if (!it->second->Loaded()) {
    it->second->Create();
  }
  return *it->second;
}

void HeadlessForms::End() {
  ended_ = true;
  for (auto& [name, window] : windows_) window->Unload();
  throw EndProgram{};
}

HeadlessWindow* HeadlessForms::Find(std::string_view window) {
  auto it = windows_.find(window);
  return it == windows_.end() ? nullptr : it->second.get();
}

bool HeadlessForms::AnyWindowLoaded() const { return AnyLoaded(windows_); }

}  // namespace hw

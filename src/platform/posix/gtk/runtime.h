// The GTK forms runtime itself; the program sees it only as Forms.
#pragma once

#include <map>
#include <memory>
#include <optional>
#include <string>

#include "interfaces/forms.h"
#include "platform/posix/gtk/window.h"
#include "platform/posix/program/single_instance.h"

namespace hw::gtk {

class GtkForms : public Forms {
 public:
  // `instanceName` is the lock file a running instance holds (the user's own by
  // default). Needs the display to be open (OpenDisplay).
  explicit GtkForms(std::string commandLine,
                    std::string instanceName = posix::SingleInstance::DefaultLockFile());

  bool PrevInstance() override;
  std::string Command() override { return commandLine_; }
  void MsgBox(const std::string& text, int style) override;
  Window& Load(const WindowData& definition) override;
  [[noreturn]] void End() override;
  void Run() override;

  FormWindow* Find(std::string_view window);  // null when never loaded
  bool AnyWindowLoaded() const;

 private:
  std::string commandLine_;
  std::string instanceName_;
  std::optional<posix::SingleInstance> instance_;  // held for the life of the program
  std::map<std::string, std::unique_ptr<FormWindow>, std::less<>> windows_;
};

}  // namespace hw::gtk

#include "platform/posix/fltk/event_guard.h"

#include <FL/Fl.H>
#include <FL/Fl_Window.H>

#include <cstdio>
#include <cstdlib>
#include <exception>

#include "platform/forms.h"

namespace hw::fltk {

void RunGuarded(const std::function<void()>& handler) noexcept {
  try {
    handler();
  } catch (const EndProgram&) {
    EndProcessNow();
  } catch (const std::exception& error) {
    std::fprintf(stderr, "hostwarden: %s\n", error.what());
  } catch (...) {
    std::fprintf(stderr, "hostwarden: an event handler failed\n");
  }
}

void EndProcessNow() {
  while (Fl_Window* window = Fl::first_window()) window->hide();
  Fl::flush();
  std::fflush(nullptr);
  std::exit(0);
}

}  // namespace hw::fltk

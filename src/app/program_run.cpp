#include "app/program_run.h"

#include <functional>
#include <utility>

#include "report/vocabulary.h"
#include "report/report.h"

namespace hw::app {

using namespace hw::report;

namespace {

// Forms that pass everything on, and say the run's last word before the
// program ends at once: a backend may end the process from inside a
// window's event.
class LastWordForms : public Forms {
 public:
  LastWordForms(Forms& forms, std::function<void()> lastWord) : forms_(forms), lastWord_(std::move(lastWord)) {}

  bool PrevInstance() override { return forms_.PrevInstance(); }
  std::string Command() override { return forms_.Command(); }
  void MsgBox(const std::string& text, int style) override { forms_.MsgBox(text, style); }
  Window& Load(const WindowData& definition) override { return forms_.Load(definition); }
  [[noreturn]] void End() override {
    Finish();
    forms_.End();
    throw EndProgram{};  // for a runtime whose End came back
  }
  void Run() override { forms_.Run(); }

  // Says the last word, once, whichever of End and Finish comes first.
  void Finish() {
    if (auto lastWord = std::exchange(lastWord_, nullptr)) lastWord();
  }

 private:
  Forms& forms_;
  std::function<void()> lastWord_;
};

// What a check found and the policy it ran under, as every entry of the run gives it.
VerdictEntry EntryOfValues(const StartupValues& values, const CampusPolicy& policy, bool nameSet) {
  CheckVerdict verdict = values.verdict == CheckVerdict::Unfinished ? CheckVerdict::Failed : values.verdict;
  // The name the main window shows as the computer name (txt_CN), as the report does.
  VerdictEntry entry{verdict, values.hostName, values.dnsName, values.selectedAddress, values.dnsServer, nameSet};
  AddDetails(entry, values.exemption, values.ptrNames, policy);
  entry.ipv6Verdict = values.ipv6.verdict;
  entry.ipv6Address = values.ipv6.selectedAddress;
  entry.ipv6DnsName = values.ipv6.dnsName;
  return entry;
}

// One program on forms that say its last word: the run's entries.
// `logged`: the verdict is on record already, so only a name set adds one.
class LoggedRun {
 public:
  LoggedRun(Os& os, Forms& forms, VerdictLog* log, bool logged)
      : log_(log), logged_(logged), forms_(forms, [this] { LastWord(); }), program_(os, forms_) {
    // The rename goes on record at once, before its message: a log-off while
    // the message is up ends the process there.
    program_.OnNameSet([this] {
      WriteQuietly(log_, EntryOf(program_, true));
      nameLogged_ = true;
    });
    program_.OnCheckDecided([this] {
      WriteQuietly(log_, EntryOf(program_, false));
      logged_ = true;
    });
  }

  // Runs `work` on the program, then says the last word, however it ended.
  void Run(const std::function<void(Program&, Forms&)>& work) {
    try {
      work(program_, forms_);
    } catch (const EndProgram&) {
      // ended at once: the runtime has closed every window
    }
    forms_.Finish();
  }

  const Program& Ran() const { return program_; }

 private:
  void LastWord() {
    if (nameLogged_) return;
    if (!logged_ || program_.NameSet()) WriteQuietly(log_, EntryOf(program_, program_.NameSet()));
  }

  VerdictLog* log_;
  bool logged_;
  bool nameLogged_ = false;
  LastWordForms forms_;
  Program program_;
};

// The quiet run's screen, noting for the run's entry whether what was due
// could be shown, and putting the verdict on record before the warning
// dialog.
class ScreenOnRecord : public ScreenOnDemand {
 public:
  ScreenOnRecord(ScreenOnDemand& screen, VerdictLog* log) : screen_(screen), log_(log) {}

  bool PrevInstance() override { return screen_.PrevInstance(); }
  void MsgBox(const std::string& text, int style) override {
    try {
      screen_.MsgBox(text, style);
    } catch (const ScreenUnavailable&) {
      shown_ = false;
      throw;
    }
  }
  bool Open() override { return screen_.Open(); }
  int Continue(const ProgramState& state) override {
    shown_ = screen_.Open();
    Write(EntryOfValues(state.values, state.policy, false));
    if (!shown_) return ExitCodeOf(state.values.verdict);
    return screen_.Continue(state);
  }

  void Write(VerdictEntry entry) const {
    entry.shown = shown_;
    WriteQuietly(log_, entry);
  }

 private:
  ScreenOnDemand& screen_;
  VerdictLog* log_;
  bool shown_ = true;
};

}  // namespace

int RunWindowProgram(Os& os, Forms& forms, VerdictLog* log) {
  LoggedRun run(os, forms, log, false);
  run.Run([](Program& program, Forms&) { program.Run(); });
  // The elevated copy ends at once after its one message; whoever started
  // it (a script, say) learns from the status whether the name was set.
  if (run.Ran().IsElevatedCopy()) return run.Ran().NameSet() ? 0 : 1;
  return 0;
}

int ContinueWindowProgram(Os& os, Forms& forms, const ProgramState& state, VerdictLog* log) {
  LoggedRun run(os, forms, log, true);
  run.Run([&](Program& program, Forms& watched) {
    program.Continue(state);
    watched.Run();
  });
  return 0;
}

int RunQuietProgram(Os& os, const std::string& commandLine, ScreenOnDemand& screen, VerdictLog* log) {
  ScreenOnRecord recorded(screen, log);
  return RunQuietMode(os, commandLine, recorded,
                      [&](const Program& program) { recorded.Write(EntryOf(program, false)); });
}

VerdictEntry EntryOf(const Program& program, bool nameSet) {
  VerdictEntry entry = EntryOfValues(program.Values(), program.Policy(), nameSet);
  // The elevated copy checks nothing: it set the name it was given, or failed
  // to; its entry names the name it found and the one it was to set.
  if (program.IsElevatedCopy()) {
    entry.verdict = nameSet ? CheckVerdict::Renamed : CheckVerdict::Failed;
    entry.newName = program.ElevatedCopyName();
  }
  if (program.LastSyncOutcome() == SyncOutcome::AmbiguousPtr) entry.reason = kAmbiguousPtrReason;
  return entry;
}

}  // namespace hw::app

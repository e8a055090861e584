// Where the modes for scripts write their text: an interface of our own
// rather than std::ostream, so that a program carrying the report need not
// carry the stream library too. Each platform writes it to its own handles.
#pragma once

#include <string>
#include <string_view>

namespace hw::report {

class TextWriter {
 public:
  virtual ~TextWriter() = default;
  virtual void Write(std::string_view text) = 0;
  // Hands what was written on to its destination; writers without a buffer
  // of their own need nothing here.
  virtual void Flush() {}
};

// Everything written, kept in one string: for a writer that must wait until
// the run is over, and for the tests.
class StringWriter final : public TextWriter {
 public:
  void Write(std::string_view text) override { text_.append(text); }
  const std::string& Text() const { return text_; }

 private:
  std::string text_;
};

// The status of a run that could not check at all.
inline constexpr int kFatalErrorStatus = 2;

// A failure that ends a run before it has a verdict: "hostwarden: " and
// `what` (unprintable bytes as \xNN) as one line on `err`; returns
// kFatalErrorStatus for the caller to exit with.
int FatalError(TextWriter& err, std::string_view what);

}  // namespace hw::report

// The report's text writer on a C stream (stdout, stderr).
#pragma once

#include <cstdio>
#include <string_view>

#include "report/text_writer.h"

namespace hw::posix {

class StdioWriter final : public report::TextWriter {
 public:
  explicit StdioWriter(std::FILE* stream) : stream_(stream) {}
  void Write(std::string_view text) override { std::fwrite(text.data(), 1, text.size(), stream_); }
  void Flush() override { std::fflush(stream_); }

 private:
  std::FILE* stream_;
};

}  // namespace hw::posix

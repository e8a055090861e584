#include "text/catalogue.h"

#include <atomic>
#include <iterator>

namespace hw {
namespace {

constexpr std::string_view kGerman[] = {
#define HW_TEXT(name, german) german,
#include "text/catalogue.def"
#undef HW_TEXT
};

// Generated from po/en.po at build time; the generator refuses a text
// without its English, and the size test below a text it did not write.
constexpr std::string_view kEnglish[] = {
#include "english_texts.inc"
};

constexpr std::string_view kNames[] = {
#define HW_TEXT(name, german) #name,
#include "text/catalogue.def"
#undef HW_TEXT
};

static_assert(std::size(kGerman) == kMsgCount);
static_assert(std::size(kEnglish) == kMsgCount, "po/en.po and catalogue.def hold different texts");

std::atomic<Language> languageInUse{Language::German};

std::string Filled(std::string_view text, std::initializer_list<std::string_view> values) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '%' && i + 1 < text.size() && text[i + 1] >= '1' && text[i + 1] <= '9') {
      const std::size_t index = static_cast<std::size_t>(text[i + 1] - '1');
      if (index < values.size()) {
        out.append(*(values.begin() + index));
        ++i;
        continue;
      }
    }
    out += c;
  }
  return out;
}

}  // namespace

void UseLanguage(Language language) { languageInUse = language; }
Language LanguageInUse() { return languageInUse; }

std::string_view TextIn(Language language, Msg msg) {
  const auto index = static_cast<std::size_t>(msg);
  return language == Language::English ? kEnglish[index] : kGerman[index];
}

std::string TextIn(Language language, Msg msg, std::initializer_list<std::string_view> values) {
  return Filled(TextIn(language, msg), values);
}

std::string_view Text(Msg msg) { return TextIn(LanguageInUse(), msg); }

std::string Text(Msg msg, std::initializer_list<std::string_view> values) {
  return TextIn(LanguageInUse(), msg, values);
}

std::string_view MsgName(Msg msg) { return kNames[static_cast<std::size_t>(msg)]; }

}  // namespace hw

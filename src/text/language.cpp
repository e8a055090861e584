#include "text/language.h"

#include <utility>

#include "interfaces/os.h"

namespace hw {
namespace {

constexpr uint16_t kSublangDefault = 0x01;

constexpr uint16_t LangId(uint16_t primary) {
  return primary == kLangNeutral ? kLangNeutral : static_cast<uint16_t>((kSublangDefault << 10) | primary);
}

// ISO 639 codes of the commoner languages and their Windows numbers. Only
// German counts for the choice; the others keep a non-German user from
// looking like one the system said nothing about.
constexpr std::pair<std::string_view, uint16_t> kPrimaryLanguages[] = {
    {"de", kLangGerman}, {"en", kLangEnglish}, {"ar", 0x01}, {"zh", 0x04}, {"cs", 0x05}, {"da", 0x06},
    {"el", 0x08},        {"es", 0x0A},         {"fi", 0x0B}, {"fr", 0x0C}, {"hu", 0x0E}, {"it", 0x10},
    {"ja", 0x11},        {"ko", 0x12},         {"nl", 0x13}, {"nb", 0x14}, {"no", 0x14}, {"pl", 0x15},
    {"pt", 0x16},        {"ru", 0x19},         {"sv", 0x1D}, {"tr", 0x1F}, {"uk", 0x22},
};

// "de" of "de_AT.UTF-8@euro", "de" of "de".
std::string_view LanguageCode(std::string_view locale) {
  return locale.substr(0, locale.find_first_of("_.@"));
}

uint16_t PrimaryOfCode(std::string_view code) {
  for (const auto& [known, primary] : kPrimaryLanguages)
    if (code == known) return primary;
  return kLangInvariant;
}

bool IsCLocale(std::string_view locale) {
  return locale == "C" || locale == "POSIX" || LanguageCode(locale) == "C";  // C.UTF-8 too
}

std::string_view FirstSet(std::initializer_list<std::string_view> values) {
  for (std::string_view value : values)
    if (!value.empty()) return value;
  return "";
}

// LANGUAGE is a colon list in order of preference; a language the program
// has no texts in is passed over, as gettext passes over a missing
// catalogue. Empty when the list names no language at all.
std::string_view PreferredCode(std::string_view list) {
  std::string_view first;
  while (!list.empty()) {
    const std::size_t colon = list.find(':');
    const std::string_view code = LanguageCode(list.substr(0, colon));
    if (code == "de" || code == "en") return code;
    if (first.empty()) first = code;
    list = colon == std::string_view::npos ? std::string_view() : list.substr(colon + 1);
  }
  return first;
}

}  // namespace

Language LanguageOfLangId(uint16_t langId) {
  const uint16_t primary = PrimaryLanguageOf(langId);
  return primary == kLangGerman || primary == kLangNeutral ? Language::German : Language::English;
}

uint16_t LangIdOfLocale(const LocaleVariables& variables) {
  const std::string_view locale = FirstSet({variables.lcAll, variables.lcMessages, variables.lang});
  if (locale.empty() || IsCLocale(locale)) return kLangNeutral;
  std::string_view code = PreferredCode(variables.language);
  if (code.empty()) code = LanguageCode(locale);
  return LangId(PrimaryOfCode(code));
}

Language ChooseLanguage(Os& os) {
  Language language = Language::German;
  try {
    language = LanguageOfLangId(os.GetUserDefaultUILanguage());
  } catch (const MissingFunction&) {
    // Windows before 2000 has no such function; its users get German.
  }
  UseLanguage(language);
  return language;
}

}  // namespace hw

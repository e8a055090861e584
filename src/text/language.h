// Which language the program speaks: German to a German user and where the
// system does not say, English to everybody else.
#pragma once

#include <cstdint>
#include <string_view>

#include "text/catalogue.h"

namespace hw {

class Os;

// Primary languages of a LANGID, as Windows numbers them.
inline constexpr uint16_t kLangNeutral = 0x00;  // the system does not say
inline constexpr uint16_t kLangGerman = 0x07;
inline constexpr uint16_t kLangEnglish = 0x09;
inline constexpr uint16_t kLangInvariant = 0x7F;  // stands for a language without a number here

constexpr uint16_t PrimaryLanguageOf(uint16_t langId) { return langId & 0x3FF; }

// German for a German or unknown (neutral) language, English otherwise.
Language LanguageOfLangId(uint16_t langId);

// The locale variables as gettext reads them for messages; "" for unset.
struct LocaleVariables {
  std::string_view language, lcAll, lcMessages, lang;
};

// The LANGID of the messages' language by gettext's rule: the locale is the
// first set of LC_ALL, LC_MESSAGES, LANG; where it is C or POSIX (or none
// is set) nothing is translated and LANGUAGE is ignored; otherwise
// LANGUAGE's first entry in a language the program has (German, English)
// wins, then LANGUAGE's first entry, then the locale's own language.
uint16_t LangIdOfLocale(const LocaleVariables& variables);

// The run's language from the system, put in use for every Text; a system
// without the function counts as German.
Language ChooseLanguage(Os& os);

}  // namespace hw

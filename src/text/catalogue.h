// Every text the program shows people, by name, in German (the original)
// or English. The names and the German are in catalogue.def; the English is
// compiled in from po/en.po, so the program needs no file beside it.
#pragma once

#include <cstddef>
#include <initializer_list>
#include <string>
#include <string_view>

namespace hw {

enum class Language { German, English };

enum class Msg {
#define HW_TEXT(name, german) name,
#include "text/catalogue.def"
#undef HW_TEXT
};

inline constexpr std::size_t kMsgCount = 0
#define HW_TEXT(name, german) +1
#include "text/catalogue.def"
#undef HW_TEXT
    ;

// The language every Text gives from now on; chosen once a run
// (ChooseLanguage in text/language.h). German until then.
void UseLanguage(Language language);
Language LanguageInUse();

// The text in the language in use.
std::string_view Text(Msg msg);
// The same with %1, %2, ... replaced by the values, in one pass: a value
// that holds "%2" itself stays as it is.
std::string Text(Msg msg, std::initializer_list<std::string_view> values);

// The text in a given language, whichever is in use.
std::string_view TextIn(Language language, Msg msg);
std::string TextIn(Language language, Msg msg, std::initializer_list<std::string_view> values);

// The name of the text in the code and the catalogue ("NameSet").
std::string_view MsgName(Msg msg);

}  // namespace hw

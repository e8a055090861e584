#include "text/text.h"

#include <vector>

namespace hw {

std::string TrimAtNul(std::string_view text) {
  return std::string(text.substr(0, text.find('\0')));
}

std::string_view TrimSpaces(std::string_view text) {
  while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
  while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
  return text;
}

std::string ReverseDottedName(std::string_view text) {
  std::vector<std::string_view> parts;
  for (std::size_t start = 0;;) {
    std::size_t dot = text.find('.', start);
    parts.push_back(text.substr(start, dot == std::string_view::npos ? std::string_view::npos : dot - start));
    if (dot == std::string_view::npos) break;
    start = dot + 1;
  }
  std::string reversed;
  for (auto part = parts.rbegin(); part != parts.rend(); ++part) {
    if (part != parts.rbegin()) reversed += '.';
    reversed += *part;
  }
  return reversed;
}

std::string ToLower(std::string_view text) {
  std::string out(text);
  for (std::size_t i = 0; i < out.size(); ++i) {
    unsigned char c = static_cast<unsigned char>(out[i]);
    if (c >= 'A' && c <= 'Z') {
      out[i] = static_cast<char>(c - 'A' + 'a');
    } else if (c == 0xC3 && i + 1 < out.size()) {
      // U+00C0..U+00DE are C3 80..C3 9E; their small letters are 0x20 above.
      unsigned char next = static_cast<unsigned char>(out[i + 1]);
      if (next >= 0x80 && next <= 0x9E && next != 0x97) out[i + 1] = static_cast<char>(next + 0x20);
      ++i;
    }
  }
  return out;
}

std::string ToUpperAscii(std::string_view text) {
  std::string out(text);
  for (char& c : out)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return out;
}

bool EqualsIgnoringAsciiCase(std::string_view a, std::string_view b) {
  return ToUpperAscii(a) == ToUpperAscii(b);
}

std::size_t CharacterCount(std::string_view text) {
  std::size_t count = 0;
  for (unsigned char c : text)
    if ((c & 0xC0) != 0x80) ++count;  // count every byte that starts a character
  return count;
}

std::string FirstCharacters(std::string_view text, std::size_t count) {
  std::size_t end = 0;
  for (std::size_t seen = 0; end < text.size(); ++end) {
    bool startsCharacter = (static_cast<unsigned char>(text[end]) & 0xC0) != 0x80;
    if (startsCharacter && seen++ == count) break;
  }
  return std::string(text.substr(0, end));
}

namespace {
bool IsArgumentBlank(char c) { return c == ' ' || c == '\t'; }
}  // namespace

std::vector<std::string> SplitArguments(std::string_view arguments) {
  std::vector<std::string> words;
  std::size_t i = 0;
  while (true) {
    while (i < arguments.size() && IsArgumentBlank(arguments[i])) ++i;
    if (i >= arguments.size()) return words;
    std::string word;
    bool quoted = false;
    while (i < arguments.size() && (quoted || !IsArgumentBlank(arguments[i]))) {
      std::size_t backslashes = 0;
      while (i < arguments.size() && arguments[i] == '\\') ++backslashes, ++i;
      if (i < arguments.size() && arguments[i] == '"') {
        word.append(backslashes / 2, '\\');
        if (backslashes % 2 == 1) {
          word += '"';
        } else if (quoted && i + 1 < arguments.size() && arguments[i + 1] == '"') {
          word += '"';  // "" inside quotes is a quote
          ++i;
        } else {
          quoted = !quoted;
        }
        ++i;
      } else {
        word.append(backslashes, '\\');
        if (backslashes == 0) word += arguments[i++];
      }
    }
    words.push_back(std::move(word));
  }
}

}  // namespace hw

#include "platform/posix/os/directory_join.h"

#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cctype>
#include <filesystem>
#include <map>
#include <vector>

#include "platform/posix/os/files.h"

namespace hw::posix {
namespace {

std::string Lower(std::string_view text) {
  std::string lower(text);
  for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return lower;
}

std::string_view Trim(std::string_view text) {
  while (!text.empty() && std::isspace(static_cast<unsigned char>(text.front()))) text.remove_prefix(1);
  while (!text.empty() && std::isspace(static_cast<unsigned char>(text.back()))) text.remove_suffix(1);
  return text;
}

// One line of an INI-style file as both sssd and Samba write them: a
// section header, a key = value pair, or nothing (blank, comment, junk).
struct IniLine {
  std::optional<std::string> section;
  std::string key, value;
};

IniLine ParseIniLine(std::string_view line) {
  IniLine parsed;
  line = Trim(line);
  if (line.empty() || line.front() == '#' || line.front() == ';') return parsed;
  if (line.front() == '[') {
    std::size_t close = line.find(']');
    if (close != std::string_view::npos) parsed.section = std::string(Trim(line.substr(1, close - 1)));
    return parsed;
  }
  std::size_t equals = line.find('=');
  if (equals == std::string_view::npos) return parsed;
  parsed.key = std::string(Trim(line.substr(0, equals)));
  parsed.value = std::string(Trim(line.substr(equals + 1)));
  return parsed;
}

template <typename Each>
void ForEachIniLine(std::string_view text, Each each) {
  std::string section;
  while (!text.empty()) {
    std::size_t end = text.find('\n');
    IniLine line = ParseIniLine(text.substr(0, end));
    text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
    if (line.section)
      section = *line.section;
    else if (!line.key.empty())
      each(section, line.key, line.value);
  }
}

// Samba ignores letter case and blanks in its option names: "private dir"
// and "privatedir" are the same option.
std::string SambaKey(std::string_view key) {
  std::string name = Lower(key);
  name.erase(std::remove(name.begin(), name.end(), ' '), name.end());
  return name;
}

bool IsDirectoryProvider(std::string_view value) {
  std::string provider = Lower(value);
  return provider == "ad" || provider == "ipa";
}

std::vector<std::string> SssdFiles(const std::filesystem::path& etc) {
  std::vector<std::string> files{(etc / "sssd" / "sssd.conf").string()};
  std::vector<std::string> parts;
  std::error_code error;
  for (const auto& entry : std::filesystem::directory_iterator(etc / "sssd" / "conf.d", error))
    if (IsSssdSnippetName(entry.path().filename().string())) parts.push_back(entry.path().string());
  std::sort(parts.begin(), parts.end());  // sssd reads them in this order
  files.insert(files.end(), parts.begin(), parts.end());
  return files;
}

// Whether a file is there, or may be there behind a directory this user
// cannot search (Samba's private directory is root's only): a join that
// cannot be ruled out counts, since renaming a member does the harm.
bool ThereOrHidden(const std::filesystem::path& path) {
  struct stat status {};
  if (::stat(path.c_str(), &status) == 0) return S_ISREG(status.st_mode);
  return errno == EACCES;
}

// Samba's secrets database holds the machine account's password once the
// PC has joined; a configuration alone does not make a member.
bool SambaJoined(const std::filesystem::path& root, const SambaMembership& samba) {
  std::vector<std::filesystem::path> places;
  if (!samba.privateDir.empty()) {
    places.push_back(root / std::filesystem::path(samba.privateDir).relative_path() / "secrets.tdb");
  } else {
    places.push_back(root / "var/lib/samba/private/secrets.tdb");
    places.push_back(root / "var/lib/samba/secrets.tdb");
  }
  return std::any_of(places.begin(), places.end(), ThereOrHidden);
}

// sssd reads only files of root's (mode 0600), so a user at log-on may find
// sssd.conf there but unreadable: its domains cannot be ruled out.
std::optional<std::string> SssdDomainIn(const std::vector<std::string>& files) {
  std::vector<std::string> texts;
  for (const auto& file : files) {
    if (auto text = ReadSmallFile(file))
      texts.push_back(std::move(*text));
    else if (ThereOrHidden(file))
      return std::string("sssd");
  }
  return SssdDirectoryDomain(texts);
}

// The values Samba takes for a domain controller's server role (its enum
// also knows the short "dc" and "domain controller"), letter case ignored.
bool IsDomainControllerRole(std::string_view value) {
  std::string role = Lower(Trim(value));
  return role == "active directory domain controller" || role == "domain controller" || role == "dc" ||
         role == "classic primary domain controller" || role == "classic backup domain controller";
}

// The sections of sssd's files merged as sssd merges them.
using IniSections = std::map<std::string, std::map<std::string, std::string>>;

std::vector<std::string> ListOf(std::string_view value) {
  std::vector<std::string> items;
  while (!value.empty()) {
    std::size_t comma = value.find(',');
    std::string_view item = Trim(value.substr(0, comma));
    if (!item.empty()) items.emplace_back(item);
    value.remove_prefix(comma == std::string_view::npos ? value.size() : comma + 1);
  }
  return items;
}

std::optional<std::string> ValueOf(const IniSections& sections, const std::string& section, const std::string& key) {
  auto found = sections.find(section);
  if (found == sections.end()) return std::nullopt;
  auto value = found->second.find(key);
  if (value == found->second.end()) return std::nullopt;
  return value->second;
}

bool IsDirectoryDomain(const IniSections& sections, const std::string& domain) {
  const std::string section = "domain/" + domain;
  auto provider = ValueOf(sections, section, "id_provider");
  auto tags = ValueOf(sections, section, "realmd_tags");
  return (provider && IsDirectoryProvider(*provider)) || (tags && tags->find("joined-with") != std::string::npos);
}

// FreeIPA's client leaves its configuration readable by everyone.
std::optional<std::string> IpaClientDomain(const std::filesystem::path& etc) {
  auto text = ReadSmallFile((etc / "ipa" / "default.conf").string());
  if (!text) return std::nullopt;
  std::string domain = "ipa";
  ForEachIniLine(*text, [&](const std::string& section, const std::string& key, const std::string& value) {
    if (Lower(section) == "global" && key == "domain" && !value.empty()) domain = value;
  });
  return domain;
}

}  // namespace

std::optional<std::string> SssdDirectoryDomain(const std::vector<std::string>& texts) {
  IniSections sections;
  std::vector<std::string> domainSections;  // in the order first seen
  for (const auto& text : texts)
    ForEachIniLine(text, [&](const std::string& section, const std::string& key, const std::string& value) {
      if (section.rfind("domain/", 0) == 0 && !sections.count(section)) domainSections.push_back(section.substr(7));
      sections[section][key] = value;
    });
  auto enabled = [&](const std::string& domain) {
    return Lower(ValueOf(sections, "domain/" + domain, "enabled").value_or(""));
  };
  // A doubtful value never rules a domain out: renaming a member does the harm.
  auto disabled = [&](const std::string& domain) { return enabled(domain) == "false" || enabled(domain) == "no"; };
  auto forced = [&](const std::string& domain) {
    return enabled(domain) == "true" || enabled(domain) == "yes" || enabled(domain) == "1";
  };
  std::vector<std::string> used;
  for (const auto& domain : ListOf(ValueOf(sections, "sssd", "domains").value_or("")))
    if (!disabled(domain)) used.push_back(domain);
  for (const auto& domain : domainSections)
    if (forced(domain)) used.push_back(domain);
  for (const auto& domain : used)
    if (IsDirectoryDomain(sections, domain)) return domain;
  return std::nullopt;
}

std::optional<std::string> SssdDirectoryDomain(std::string_view sssdConf) {
  return SssdDirectoryDomain(std::vector<std::string>{std::string(sssdConf)});
}

bool IsSssdSnippetName(std::string_view fileName) {
  constexpr std::string_view kSuffix = ".conf";
  return !fileName.empty() && fileName.front() != '.' && fileName.size() > kSuffix.size() &&
         fileName.substr(fileName.size() - kSuffix.size()) == kSuffix;
}

SambaMembership ReadSambaMembership(std::string_view smbConf) {
  SambaMembership samba;
  ForEachIniLine(smbConf, [&](const std::string& section, const std::string& key, const std::string& value) {
    if (Lower(section) != "global") return;
    std::string name = SambaKey(key);
    if (name == "security") samba.ads = Lower(value) == "ads";
    if (name == "realm") samba.realm = value;
    if (name == "privatedir") samba.privateDir = value;
    if (name == "serverrole") samba.domainController = IsDomainControllerRole(value);
  });
  return samba;
}

std::optional<std::string> DirectoryDomainUnder(const std::string& root) {
  const std::filesystem::path base(root), etc = base / "etc";
  if (auto domain = SssdDomainIn(SssdFiles(etc))) return domain;
  if (auto domain = IpaClientDomain(etc)) return domain;
  if (auto text = ReadSmallFile((etc / "samba" / "smb.conf").string())) {
    SambaMembership samba = ReadSambaMembership(*text);
    // A domain controller holds its domain's directory itself: renaming it
    // breaks the domain for every member.
    if (samba.domainController) return samba.realm.empty() ? std::string("dc") : samba.realm;
    if (samba.ads && SambaJoined(base, samba)) return samba.realm.empty() ? std::string("ads") : samba.realm;
  }
  return std::nullopt;
}

}  // namespace hw::posix

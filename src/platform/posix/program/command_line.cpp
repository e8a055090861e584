#include "platform/posix/program/command_line.h"

namespace hw::posix {

std::string VersionLine() { return std::string("hostwarden ") + HOSTWARDEN_VERSION; }

std::string UsageText() {
  return "Aufruf: hostwarden [-Q | /Q]\n"
         "       hostwarden --report [--json]\n"
         "       hostwarden --sync\n"
         "       hostwarden --help | --version\n"
         "\n"
         "Prüft, ob der Computername mit dem Namen übereinstimmt, den das DNS\n"
         "der IPv4-Adresse dieses PCs gibt, und kann den DNS-Kurznamen als\n"
         "Computernamen setzen.\n"
         "\n"
         "  -Q, /Q      stiller Modus: eine Warnung nur bei abweichenden Namen\n"
         "  --report    ohne Fenster: was das Hauptfenster zeigen würde, und das\n"
         "              Ergebnis; Exit-Status 0: Namen stimmen überein oder\n"
         "              Prüfung nicht anwendbar, 1: Namen weichen ab, 2: Fehler\n"
         "  --json      der Bericht als ein JSON-Objekt\n"
         "  --sync      ohne Fenster: bei abweichenden Namen den DNS-Kurznamen als\n"
         "              Computernamen setzen; Exit-Status 0: nichts zu tun oder\n"
         "              gesetzt, 1: nicht gesetzt, 2: Fehler\n"
         "  --help      diese Hilfe\n"
         "  --version   die Version\n";
}

std::optional<int> AnswerInformationOption(const std::vector<std::string>& arguments, std::ostream& out) {
  for (const auto& argument : arguments) {
    if (argument == "--help") {
      out << UsageText();
      return 0;
    }
    if (argument == "--version") {
      out << VersionLine() << "\n";
      return 0;
    }
  }
  return std::nullopt;
}

}  // namespace hw::posix

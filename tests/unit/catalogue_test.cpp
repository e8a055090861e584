// The text catalogue: every German text as the program has always shown it,
// an English text for each, the values put in, and the language rule.
#include <gtest/gtest.h>

#include <set>

#include "report/report_mode.h"
#include "support/fake_os.h"
#include "text/catalogue.h"
#include "text/language.h"
#include "ui/window_tables.h"

namespace hw {
namespace {

// Puts the language back for the tests that follow.
std::string CaptionOf(const WindowData& window, std::string_view control) {
  for (const auto& c : window.controls)
    if (c.name == control) return c.caption;
  return "(no control " + std::string(control) + ")";
}

struct LanguageInUseFor {
  explicit LanguageInUseFor(Language language) { UseLanguage(language); }
  ~LanguageInUseFor() { UseLanguage(Language::German); }
};

// The German is the system's own, to the byte (doubled blanks, old spellings
// and all); a change here is a change users see.
TEST(Catalogue, GermanTextsAreTheSystemsOwn) {
  const std::pair<Msg, std::string_view> table[] = {
      {Msg::WindowSystem, "System:"},
      {Msg::WindowIeVersion, "IE-Version:"},
      {Msg::WindowUserName, "Username:"},
      {Msg::WindowConnection, "Verbindung:"},
      {Msg::WindowComputerName, "Computername"},
      {Msg::WindowNetbiosName, "NetBIOS-Name"},
      {Msg::WindowDnsHostName, "DNS-Hostname"},
      {Msg::WindowAddresses, "IP-Addresse(n)"},
      {Msg::WindowSyncButton, "Namen synchronisieren"},
      {Msg::WindowSyncTooltip, "DNS-Kurzname wird Computer- und NetBios-Name"},
      {Msg::WindowWarningPicture, "Warnung: Computername und DNS-Hostname stimmen nicht überein"},
      {Msg::DialogHeading, "Warnung"},
      {Msg::DialogNamesDiffer,
       "Der Computername Ihres PCs stimmt nicht mit dem zugeteilten IP-Hostnamen überein."},
      {Msg::DialogAgainstRules,
       "Sie verstossen damit gegen  die Betriebsregelung für das Datennetz der Universität Falkenau."},
      {Msg::DialogClickOk,
       "Bitte klicken Sie auf die Schaltfläche OK, um Ihren Computernamen zu synchronisieren."},
      {Msg::ButtonOk, "OK"},
      {Msg::DialogDetails, "Details >>"},
      {Msg::SocketsNoAnswer, "Fehler: Keine Antwort von WSOCK32.DLL"},
      {Msg::SocketsVersionRefused, "Fehler: Sockets Ver %1.%2 wird von WSOCK32.DLL nicht unterstützt."},
      {Msg::SocketsTooFew, "Fehler: Diese Anwendung benötigt mindestens %1 Sockets."},
      {Msg::SocketsCleanupFailed, "Fehler bei Socket-Cleanup"},
      {Msg::InvalidAddress, "inet_addr Fehler: Ungültige IP-Adresse"},
      {Msg::GetHostByAddrFailed, "Winsock-Fehler bei gethostbyaddr"},
      {Msg::GetHostnameFailed, "Winsock-Fehler %1bei GetHostname"},
      {Msg::GetHostByNameFailed, "Winsock-Fehler bei GetHostByName"},
      {Msg::NameUnusable,
       "Der DNS-Name %1 kann nicht als Computername verwendet werden\r\n"
       "Bitte wenden Sie sich an den Netzwerkadministrator"},
      {Msg::DomainMember,
       "Dieser PC ist Mitglied einer Windows-Domäne.\r\n"
       "Den Computernamen eines Domänenmitglieds kann nur der Netzwerkadministrator ändern.\r\n"
       "Bitte wenden Sie sich an den Netzwerkadministrator"},
      {Msg::RightsNeeded,
       "Für diese Aktion sind administrative Rechte erforderlich,\r\n"
       "bitte melden sie sich lokal als Administrator an\r\n"
       "oder verständigen Sie Ihren Systemadministrator"},
      {Msg::NameSet,
       "Der lokaler Computername wurde erfolgreich geändert.\r\n"
       "Die Änderung wird erst beim nächsten Neustart wirksam"},
      {Msg::NameNotSet, "Fehler bei SetComputername(Ex), Name nicht geändert."},
      {Msg::NotConfirmed,
       "Der DNS-Eintrag %1 ist nicht bestätigt:\r\n"
       "der Name verweist nicht auf die IP-Adresse %2.\r\n"
       "Der Computername wurde nicht geändert.\r\n"
       "Bitte wenden Sie sich an den Netzwerkadministrator"},
      {Msg::AmbiguousPtr,
       "Das DNS nennt für die IP-Adresse %1 mehrere Namen (%2), von denen nicht genau einer auf diese Adresse "
       "verweist, daher wurde der Computername nicht geändert."},
      {Msg::ReportSystem, "System:"},
      {Msg::ReportIeVersion, "IE-Version:"},
      {Msg::ReportConnection, "Verbindung:"},
      {Msg::ReportUserName, "Username:"},
      {Msg::ReportComputerName, "Computername:"},
      {Msg::ReportNetbiosName, "NetBIOS-Name:"},
      {Msg::ReportDnsHostName, "DNS-Hostname:"},
      {Msg::ReportPtrNames, "PTR-Namen:"},
      {Msg::ReportAddresses, "IP-Adresse(n):"},
      {Msg::ReportSelected, "Gewählt:"},
      {Msg::ReportDnsServer, "DNS-Server:"},
      {Msg::ReportDnsShortName, "DNS-Kurzname:"},
      {Msg::ReportResult, "Ergebnis:"},
      {Msg::ReportConfirmed, "Rückbestätigt:"},
      {Msg::ReportCampusDomains, "Campus-Domänen:"},
      {Msg::ReportPoolPrefixes, "Pool-Präfixe:"},
      {Msg::ReportInvalid, "Ungültig:"},
      {Msg::ReportIpv6Addresses, "IPv6-Adressen:"},
      {Msg::ReportIpv6Selected, "IPv6-Gewählt:"},
      {Msg::ReportIpv6Server, "IPv6-Server:"},
      {Msg::ReportIpv6DnsName, "IPv6-DNS-Name:"},
      {Msg::ReportIpv6PtrNames, "IPv6-PTR-Namen:"},
      {Msg::ReportIpv6Result, "IPv6-Ergebnis:"},
      {Msg::ReportHidden, "(ausgeblendet)"},
      {Msg::ReportYes, "ja"},
      {Msg::ReportNo, "nein"},
      {Msg::ReportNotOneConfirmed, "nein (mehrere Namen, nicht genau einer verweist zurück)"},
      {Msg::VerdictAgree, "Namen stimmen überein"},
      {Msg::VerdictMismatch, "Namen weichen ab"},
      {Msg::VerdictNotApplicable, "Prüfung nicht anwendbar"},
      {Msg::VerdictAlreadyRunning, "läuft bereits"},
      {Msg::VerdictRenamed, "Computername gesetzt"},
      {Msg::VerdictFailed, "Fehler"},
      {Msg::ReasonNoLan, "keine LAN-Verbindung"},
      {Msg::ReasonVpn, "nur Adressen eines VPN-Tunnels"},
      {Msg::ReasonNoDnsServer, "kein DNS-Server eingetragen"},
      {Msg::ReasonNoPtrRecord, "kein PTR-Eintrag im DNS"},
      {Msg::ReasonDnsServerFailure, "Fehler des DNS-Servers"},
      {Msg::ReasonDnsServerUnreachable, "DNS-Server nicht erreichbar"},
      {Msg::ReasonDnsTimeout, "DNS-Server antwortet nicht"},
      {Msg::ReasonNoDnsName, "kein DNS-Name"},
      {Msg::ReasonLoopbackAddress, "Loopback-Adresse"},
      {Msg::ReasonLocalHost, "DNS-Name localhost"},
      {Msg::ReasonDynamicPool, "dynamischer Adressbereich (dhcp) des Campus"},
      {Msg::ReasonOutsideCampus, "DNS-Name außerhalb der Campus-Domäne"},
      {Msg::ReasonNoIpv6Address, "keine globale IPv6-Adresse"},
      {Msg::ReasonNoIpv6DefaultRoute, "keine IPv6-Standardroute"},
      {Msg::Usage,
       "Aufruf: hostwarden [-Q | /Q]\n"
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
       "  --version   die Version\n"},
      {Msg::UnknownSwitch, "hostwarden: unbekannter Schalter %1"},
      {Msg::ReportWithSync,
       "hostwarden: %1 und %2 gehen nicht zusammen: der Bericht ändert nichts, die Synchronisation den Computernamen"},
      {Msg::VersionCompany, "Universität Falkenau, Rechenzentrum"},
      {Msg::VersionDescription, "Hostwarden – Abgleich von Computername und DNS-Name"},
      {Msg::VersionCopyright, "© The Hostwarden authors. MIT-Lizenz"},
      {Msg::NoDisplay, "Die Anzeige lässt sich nicht öffnen (ist DISPLAY gesetzt?)"},
      {Msg::UnexpectedError, "Hostwarden wurde wegen eines unerwarteten Fehlers beendet:\r\n"},
  };
  std::set<Msg> pinned;
  for (const auto& [msg, german] : table) {
    EXPECT_EQ(TextIn(Language::German, msg), german) << MsgName(msg);
    pinned.insert(msg);
  }
  EXPECT_EQ(pinned.size(), kMsgCount) << "a text of the catalogue is not pinned here";
}

// The generator refuses a missing English text already; this guards what it
// wrote: each in its place, with the same values to put in.
TEST(Catalogue, EveryTextHasEnglishWithTheSameValues) {
  for (std::size_t i = 0; i < kMsgCount; ++i) {
    const Msg msg = static_cast<Msg>(i);
    const std::string_view english = TextIn(Language::English, msg), german = TextIn(Language::German, msg);
    EXPECT_FALSE(english.empty()) << MsgName(msg);
    for (char n = '1'; n <= '9'; ++n) {
      const std::string placeholder{'%', n};
      EXPECT_EQ(english.find(placeholder) == std::string_view::npos,
                german.find(placeholder) == std::string_view::npos)
          << MsgName(msg) << " " << placeholder;
    }
    // Message boxes end their lines as Windows does, in either language.
    EXPECT_EQ(german.find("\r\n") == std::string_view::npos, english.find("\r\n") == std::string_view::npos)
        << MsgName(msg);
  }
}

TEST(Catalogue, PutsInEachValueOnce) {
  const struct {
    Msg msg;
    std::vector<std::string> values;
    std::string_view german;
  } table[] = {
      {Msg::GetHostnameFailed, {"10093"}, "Winsock-Fehler 10093bei GetHostname"},
      {Msg::SocketsVersionRefused, {"1", "0"}, "Fehler: Sockets Ver 1.0 wird von WSOCK32.DLL nicht unterstützt."},
      // A value that looks like a placeholder stays as it is.
      {Msg::UnknownSwitch, {"/REPORT%1"}, "hostwarden: unbekannter Schalter /REPORT%1"},
      {Msg::ReportWithSync, {"%2", "--sync"},
       "hostwarden: %2 und --sync gehen nicht zusammen: der Bericht ändert nichts, die Synchronisation den "
       "Computernamen"},
      // A value not given leaves its placeholder.
      {Msg::SocketsVersionRefused, {"1"}, "Fehler: Sockets Ver 1.%2 wird von WSOCK32.DLL nicht unterstützt."},
  };
  for (const auto& row : table) {
    std::string text;
    if (row.values.size() == 1) text = TextIn(Language::German, row.msg, {row.values[0]});
    if (row.values.size() == 2) text = TextIn(Language::German, row.msg, {row.values[0], row.values[1]});
    EXPECT_EQ(text, row.german) << MsgName(row.msg);
  }
}

TEST(Catalogue, TextFollowsTheLanguageInUse) {
  EXPECT_EQ(Text(Msg::DialogHeading), "Warnung");
  {
    LanguageInUseFor english(Language::English);
    EXPECT_EQ(Text(Msg::DialogHeading), "Warning");
    EXPECT_EQ(CaptionOf(FrmInfoWindow(), kInfoHeading), "Warning");
    EXPECT_EQ(CaptionOf(Form1Window(), kCmdSync), "Synchronise names");
  }
  EXPECT_EQ(CaptionOf(FrmInfoWindow(), kInfoHeading), "Warnung");
}

// gettext's rule for the messages' language: LC_ALL, LC_MESSAGES, LANG give
// the locale; C or POSIX ignore LANGUAGE; otherwise LANGUAGE's list comes first.
TEST(Language, LocaleVariablesAsGettextReadsThem) {
  const struct {
    LocaleVariables variables;  // LANGUAGE, LC_ALL, LC_MESSAGES, LANG
    Language expected;
  } table[] = {
      {{"", "", "", ""}, Language::German},                                // nothing set: C
      {{"", "", "", "C"}, Language::German},
      {{"", "", "", "POSIX"}, Language::German},
      {{"", "", "", "C.UTF-8"}, Language::German},
      {{"en", "", "", "C"}, Language::German},                             // LANGUAGE ignored under C
      {{"en_GB:en", "", "", ""}, Language::German},                        // ... and with no locale at all
      {{"", "", "", "de_DE.UTF-8"}, Language::German},
      {{"", "", "", "de_AT.UTF-8@euro"}, Language::German},
      {{"", "", "", "en_US.UTF-8"}, Language::English},
      {{"", "", "", "fr_FR.UTF-8"}, Language::English},
      {{"", "", "", "sw_KE"}, Language::English},                          // a language without a number here
      {{"", "", "en_US.UTF-8", "de_DE.UTF-8"}, Language::English},         // LC_MESSAGES over LANG
      {{"", "de_DE.UTF-8", "en_US.UTF-8", "en_US.UTF-8"}, Language::German},  // LC_ALL over both
      {{"", "C", "en_US.UTF-8", "en_US.UTF-8"}, Language::German},         // LC_ALL=C: untranslated
      {{"en", "", "", "de_DE.UTF-8"}, Language::English},                  // LANGUAGE over the locale
      {{"de", "", "", "en_US.UTF-8"}, Language::German},
      {{"fr:de:en", "", "", "en_US.UTF-8"}, Language::German},             // the first language we have
      {{"fr:en:de", "", "", "de_DE.UTF-8"}, Language::English},
      {{"fr", "", "", "de_DE.UTF-8"}, Language::English},                  // a French user, no French texts
      {{":", "", "", "de_DE.UTF-8"}, Language::German},                    // an empty list: the locale's
  };
  for (const auto& row : table) {
    const auto& v = row.variables;
    EXPECT_EQ(LanguageOfLangId(LangIdOfLocale(v)), row.expected)
        << "LANGUAGE=" << v.language << " LC_ALL=" << v.lcAll << " LC_MESSAGES=" << v.lcMessages
        << " LANG=" << v.lang;
  }
}

TEST(Language, WindowsLangIds) {
  const struct {
    uint16_t langId;
    Language expected;
  } table[] = {
      {0x0407, Language::German},   // Germany
      {0x0C07, Language::German},   // Austria
      {0x0807, Language::German},   // Switzerland
      {0x0000, Language::German},   // neutral: the system does not say
      {0x0409, Language::English},  // United States
      {0x0809, Language::English},  // United Kingdom
      {0x040C, Language::English},  // French
      {0x0411, Language::English},  // Japanese
      {0x0007, Language::German},   // German, no sub-language
  };
  for (const auto& row : table) EXPECT_EQ(LanguageOfLangId(row.langId), row.expected) << std::hex << row.langId;
}

TEST(Language, ChosenOnceFromTheSystem) {
  test::FakeOs os;
  os.uiLanguage = 0x0409;
  LanguageInUseFor restore(Language::German);
  EXPECT_EQ(ChooseLanguage(os), Language::English);
  EXPECT_EQ(LanguageInUse(), Language::English);
  os.missing.insert("GetUserDefaultUILanguage");  // Windows 9x, NT 4
  EXPECT_EQ(ChooseLanguage(os), Language::German);
  EXPECT_EQ(LanguageInUse(), Language::German);
}

// An English user's report: English labels and words, while the JSON and
// the exit status stay as scripts know them.
TEST(Language, EnglishReportKeepsItsMachineWords) {
  test::FakeOs os;
  os.uiLanguage = 0x0809;
  os.dnsAnswer[0].pNameHost = "dslb-1.pools.example-isp.de";
  LanguageInUseFor restore(Language::German);
  ChooseLanguage(os);
  report::StringWriter out, err;
  EXPECT_EQ(report::RunReportMode(os, false, out, err), 0);
  EXPECT_NE(out.Text().find("Result:         check does not apply (DNS name outside the campus domain)\n"),
            std::string::npos)
      << out.Text();
  EXPECT_NE(out.Text().find("NetBIOS name:   "), std::string::npos) << out.Text();
  report::StringWriter json;
  EXPECT_EQ(report::RunReportMode(os, true, json, err), 0);
  EXPECT_NE(json.Text().find(R"("verdict":"not-applicable","notApplicableBecause":"outside-campus")"),
            std::string::npos)
      << json.Text();
}

}  // namespace
}  // namespace hw

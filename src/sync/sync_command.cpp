#include "sync/sync_command.h"

#include "check/name_rules.h"
#include "sync/chk_admin.h"
#include "sync/domain_member.h"
#include "sync/elevated_copy.h"
#include "sync/elevation.h"
#include "text/text.h"

namespace hw {
namespace {

// Tested before anything else, for every caller alike: a name the system
// would refuse, or worse take (a blank, a quote, a line break), never reaches it.
bool UsableName(const std::string& name, SyncCaller caller) {
  if (caller == SyncCaller::ElevatedCopy && !IsValidComputerName(name)) return false;
  return CanBeComputerName(name) && CharacterCount(name) <= kNetbiosNameLength;
}

std::string InvalidName(const std::string& name) {
  return "Der DNS-Name " + name + " kann nicht als Computername verwendet werden\r\n"
         "Bitte wenden Sie sich an den Netzwerkadministrator";
}

constexpr const char* kRightsNeeded =
    "Für diese Aktion sind administrative Rechte erforderlich,\r\n"
    "bitte melden sie sich lokal als Administrator an\r\n"
    "oder verständigen Sie Ihren Systemadministrator";
constexpr const char* kNameSet =
    "Der lokaler Computername wurde erfolgreich geändert.\r\n"
    "Die Änderung wird erst beim nächsten Neustart wirksam";
constexpr const char* kNameNotSet = "Fehler bei SetComputername(Ex), Name nicht geändert.";

std::string NotConfirmed(const ForwardLookup& lookup) {
  return "Der DNS-Eintrag " + lookup.dnsName + " ist nicht bestätigt:\r\n"
         "der Name verweist nicht auf die IP-Adresse " + lookup.address + ".\r\n"
         "Der Computername wurde nicht geändert.\r\n"
         "Bitte wenden Sie sich an den Netzwerkadministrator";
}

// Where SetComputerNameExA is missing, the older call sets the NetBIOS name
// alone. The name goes to the system exactly as stored, letter case kept.
int SetComputerName(Os& os, const ChkVer& chkVer, const std::string& name) {
  if (chkVer.HasSetComputerNameEx()) return os.SetComputerNameExA(kComputerNamePhysicalDnsHostname, name);
  return os.SetComputerNameA(name);
}

// The forward confirmation, asked only once everything else allows the
// rename, so that no query goes out for a rename that could not happen
// anyway. An unconfirmed name ends the program like any attempt: the user
// can do nothing more about it.
void ConfirmOrEnd(Os& os, Forms& forms, const ChkVer& chkVer, const ForwardLookup& lookup) {
  if (!ForwardConfirmed(os, forms, chkVer, lookup)) MsgBoxThenEnd(forms, NotConfirmed(lookup), kMbIconHand);
}

// Windows' copy has shown its own message; a copy that was waited for
// (pkexec's, which has no display) is reported here.
void EndAsTheCopyDid(Os& os, Forms& forms) {
  switch (os.LastElevatedCopyEnd()) {
    case ElevatedCopyEnd::NameSet: MsgBoxThenEnd(forms, kNameSet, kMbIconInformation);
    case ElevatedCopyEnd::NameNotSet: MsgBoxThenEnd(forms, kNameNotSet, kMbOk);
    case ElevatedCopyEnd::ShowsItsOwnMessage: break;
  }
  forms.End();
}

}  // namespace

void cmd_Sync_Click(Os& os, Forms& forms, const ChkVer& chkVer, const std::string& dnsShortName,
                    const ForwardLookup& lookup, SyncCaller caller) {
  if (!UsableName(dnsShortName, caller)) {
    forms.MsgBox(InvalidName(dnsShortName), kMbIconHand);
    return;
  }
  if (IsDomainMember(os)) RefuseDomainMember(forms);
  // UAC: a limited administrator's full rights belong to an elevated copy,
  // which sets the name and reports; this program's part is then done.
  if (caller == SyncCaller::User && chkVer.CanStartElevatedCopy() && HasElevatedTwin(os)) {
    ConfirmOrEnd(os, forms, chkVer, lookup);  // the copy sets what it is given
    if (StartElevatedCopy(os, dnsShortName)) EndAsTheCopyDid(os, forms);
    forms.MsgBox(kRightsNeeded, kMbIconExclamation);
    return;
  }
  // Windows 9x has no administrators to ask for.
  if (chkVer.HasAdministrators() && !IsAdmin(os)) {
    forms.MsgBox(kRightsNeeded, kMbIconExclamation);
    return;
  }
  if (caller != SyncCaller::ElevatedCopy) ConfirmOrEnd(os, forms, chkVer, lookup);
  // After every attempt to set the name, whatever its outcome, the program ends.
  if (SetComputerName(os, chkVer, dnsShortName) != 0) MsgBoxThenEnd(forms, kNameSet, kMbIconInformation);
  // Nothing was changed: the user may still ask an administrator to do it.
  if (os.RenameRefusedForRights()) {
    forms.MsgBox(kRightsNeeded, kMbIconExclamation);
    return;
  }
  MsgBoxThenEnd(forms, kNameNotSet, kMbOk);
}

}  // namespace hw

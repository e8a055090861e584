#include "sync/sync_command.h"

#include <exception>

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

// The outcome stands even when its message cannot be shown (the runtime
// raises FormsError then).
SyncOutcome Tell(Forms& forms, const std::string& text, int style, SyncOutcome outcome) {
  try {
    forms.MsgBox(text, style);
  } catch (const std::exception&) {
  }
  return outcome;
}

// The rename is on record before its message is shown.
SyncOutcome NameWasSet(Forms& forms, const std::function<void()>& nameSet) {
  if (nameSet) nameSet();
  return Tell(forms, kNameSet, kMbIconInformation, SyncOutcome::Renamed);
}

// The forward confirmation is asked only once everything else allows the
// rename, so that no query goes out for a rename that could not happen
// anyway. The user can do nothing more about an unconfirmed name.
SyncOutcome Unconfirmed(Forms& forms, const ForwardLookup& lookup) {
  return Tell(forms, NotConfirmed(lookup), kMbIconHand, SyncOutcome::NotConfirmed);
}

// Windows' copy has shown its own message; a copy that was waited for
// (pkexec's, which has no display) is reported here.
SyncOutcome AsTheCopyEnded(Os& os, Forms& forms, const std::function<void()>& nameSet) {
  switch (os.LastElevatedCopyEnd()) {
    case ElevatedCopyEnd::NameSet: return NameWasSet(forms, nameSet);
    case ElevatedCopyEnd::NameNotSet: return Tell(forms, kNameNotSet, kMbOk, SyncOutcome::RenameFailed);
    case ElevatedCopyEnd::ShowsItsOwnMessage: break;
  }
  return SyncOutcome::HandedToElevatedCopy;
}

}  // namespace

bool EndsTheProgram(SyncOutcome outcome) {
  // The user may still fix a name or ask an administrator to log on.
  return outcome != SyncOutcome::NameUnusable && outcome != SyncOutcome::RightsMissing;
}

SyncOutcome SynchroniseName(Os& os, Forms& forms, const ChkVer& chkVer, const std::string& dnsShortName,
                            const ForwardLookup& lookup, SyncCaller caller, const std::function<void()>& nameSet) {
  if (!UsableName(dnsShortName, caller))
    return Tell(forms, InvalidName(dnsShortName), kMbIconHand, SyncOutcome::NameUnusable);
  if (IsDomainMember(os))
    return Tell(forms, std::string(DomainMemberMessage()), kMbIconHand, SyncOutcome::DomainMember);
  // UAC: a limited administrator's full rights belong to an elevated copy,
  // which sets the name and reports; this program's part is then done.
  if (caller == SyncCaller::User && chkVer.CanStartElevatedCopy() && HasElevatedTwin(os)) {
    if (!ForwardConfirmed(os, forms, chkVer, lookup)) return Unconfirmed(forms, lookup);  // the copy sets what it is given
    if (StartElevatedCopy(os, dnsShortName)) return AsTheCopyEnded(os, forms, nameSet);
    return Tell(forms, kRightsNeeded, kMbIconExclamation, SyncOutcome::RightsMissing);
  }
  // Windows 9x has no administrators to ask for.
  if (chkVer.HasAdministrators() && !IsAdmin(os)) return Tell(forms, kRightsNeeded, kMbIconExclamation, SyncOutcome::RightsMissing);
  if (caller != SyncCaller::ElevatedCopy && !ForwardConfirmed(os, forms, chkVer, lookup))
    return Unconfirmed(forms, lookup);
  if (SetComputerName(os, chkVer, dnsShortName) != 0) return NameWasSet(forms, nameSet);
  // Nothing was changed: the user may still ask an administrator to do it.
  if (os.RenameRefusedForRights()) return Tell(forms, kRightsNeeded, kMbIconExclamation, SyncOutcome::RightsMissing);
  return Tell(forms, kNameNotSet, kMbOk, SyncOutcome::RenameFailed);
}

}  // namespace hw

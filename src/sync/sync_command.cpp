#include "sync/sync_command.h"

#include <exception>

#include "check/name_rules.h"
#include "sync/chk_admin.h"
#include "sync/domain_member.h"
#include "sync/elevated_copy.h"
#include "sync/elevation.h"
#include "text/catalogue.h"
#include "text/text.h"

namespace hw {
namespace {

// Tested before anything else, for every caller alike: a name the system
// would refuse, or worse take (a blank, a quote, a line break), never reaches it.
bool UsableName(const std::string& name, SyncCaller caller) {
  if (caller == SyncCaller::ElevatedCopy && !IsValidComputerName(name)) return false;
  return CanBeComputerName(name) && CharacterCount(name) <= kNetbiosNameLength;
}

std::string InvalidName(const std::string& name) { return Text(Msg::NameUnusable, {name}); }

std::string NotConfirmed(const ForwardLookup& lookup) {
  return Text(Msg::NotConfirmed, {lookup.dnsName, lookup.address});
}

// Where SetComputerNameExA is missing, the older call sets the NetBIOS name
// alone. The name goes to the system exactly as stored, letter case kept.
int SetComputerName(Os& os, const ChkVer& chkVer, const std::string& name) {
  if (chkVer.HasSetComputerNameEx()) return os.SetComputerNameExA(kComputerNamePhysicalDnsHostname, name);
  return os.SetComputerNameA(name);
}

// The outcome stands even when its message cannot be shown (the runtime
// raises FormsError then).
SyncOutcome Tell(Forms& forms, std::string_view text, int style, SyncOutcome outcome) {
  try {
    forms.MsgBox(std::string(text), style);
  } catch (const std::exception&) {
  }
  return outcome;
}

// The forward confirmation is asked only once everything else allows the
// rename, so that no query goes out for a rename that could not happen
// anyway. The user can do nothing more about an unconfirmed name.
SyncOutcome Unconfirmed(Forms& forms, const ForwardLookup& lookup) {
  return Tell(forms, NotConfirmed(lookup), kMbIconHand, SyncOutcome::NotConfirmed);
}

// Windows' copy has shown its own message; a copy that was waited for
// (pkexec's, which has no display) is reported here.
SyncOutcome AsTheCopyEnded(Os& os, Forms& forms) {
  switch (os.LastElevatedCopyEnd()) {
    case ElevatedCopyEnd::NameSet: return Tell(forms, Text(Msg::NameSet), kMbIconInformation, SyncOutcome::Renamed);
    case ElevatedCopyEnd::NameNotSet: return Tell(forms, Text(Msg::NameNotSet), kMbOk, SyncOutcome::RenameFailed);
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
                            const ForwardLookup& lookup, SyncCaller caller) {
  if (!UsableName(dnsShortName, caller))
    return Tell(forms, InvalidName(dnsShortName), kMbIconHand, SyncOutcome::NameUnusable);
  if (IsDomainMember(os))
    return Tell(forms, Text(Msg::DomainMember), kMbIconHand, SyncOutcome::DomainMember);
  // UAC: a limited administrator's full rights belong to an elevated copy,
  // which sets the name and reports; this program's part is then done.
  if (caller == SyncCaller::User && chkVer.CanStartElevatedCopy() && HasElevatedTwin(os)) {
    if (!ForwardConfirmed(os, forms, chkVer, lookup)) return Unconfirmed(forms, lookup);  // the copy sets what it is given
    if (StartElevatedCopy(os, dnsShortName)) return AsTheCopyEnded(os, forms);
    return Tell(forms, Text(Msg::RightsNeeded), kMbIconExclamation, SyncOutcome::RightsMissing);
  }
  // Windows 9x has no administrators to ask for.
  if (chkVer.HasAdministrators() && !IsAdmin(os)) return Tell(forms, Text(Msg::RightsNeeded), kMbIconExclamation, SyncOutcome::RightsMissing);
  if (caller != SyncCaller::ElevatedCopy && !ForwardConfirmed(os, forms, chkVer, lookup))
    return Unconfirmed(forms, lookup);
  if (SetComputerName(os, chkVer, dnsShortName) != 0)
    return Tell(forms, Text(Msg::NameSet), kMbIconInformation, SyncOutcome::Renamed);
  // Nothing was changed: the user may still ask an administrator to do it.
  if (os.RenameRefusedForRights()) return Tell(forms, Text(Msg::RightsNeeded), kMbIconExclamation, SyncOutcome::RightsMissing);
  return Tell(forms, Text(Msg::NameNotSet), kMbOk, SyncOutcome::RenameFailed);
}

}  // namespace hw

#include "sync/sync_command.h"

#include <exception>
#include <variant>

#include "sync/chk_admin.h"
#include "sync/domain_member.h"
#include "sync/elevated_copy.h"
#include "sync/elevation.h"
#include "text/catalogue.h"
#include "text/names.h"
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

std::string Ambiguous(const ForwardLookup& lookup) {
  std::string names;
  for (const auto& name : lookup.campusNames) names += (names.empty() ? "" : ", ") + name;
  return Text(Msg::AmbiguousPtr, {lookup.address, names});
}

// The name to set and the full DNS name it comes from: the full name
// travels with it only when it is that name's, so that no other answer's
// domain can reach the system.
struct NameToSet {
  std::string shortName;
  std::string dnsName;
};

NameToSet NameFrom(const std::string& shortName, const std::string& dnsName) {
  if (!EqualsIgnoringAsciiCase(FirstLabel(dnsName), shortName)) return {shortName, ""};
  return {shortName, dnsName};
}

// Where SetComputerNameExA is missing, the older call sets the NetBIOS name
// alone. The name goes to the system exactly as stored, letter case kept.
int SetComputerName(Os& os, const ChkVer& chkVer, const NameToSet& name) {
  if (chkVer.HasSetComputerNameEx())
    return os.SetComputerNameWithDnsName(kComputerNamePhysicalDnsHostname, name.shortName, name.dnsName);
  return os.SetComputerNameA(name.shortName);
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

// The rename is on record before its message is shown.
SyncOutcome NameWasSet(Forms& forms, const std::function<void()>& nameSet) {
  if (nameSet) nameSet();
  return Tell(forms, Text(Msg::NameSet), kMbIconInformation, SyncOutcome::Renamed);
}

// The forward confirmation is asked only once everything else allows the
// rename, so that no query goes out for a rename that could not happen
// anyway. The user can do nothing more about an unconfirmed name.
SyncOutcome Unconfirmed(Forms& forms, const ForwardLookup& lookup) {
  return Tell(forms, NotConfirmed(lookup), kMbIconHand, SyncOutcome::NotConfirmed);
}

// The confirmed name, or the outcome that refuses the rename. With several
// campus names the name set is the confirmed one's first label, which is
// tested again like the one the check went on with.
std::variant<NameToSet, SyncOutcome> ConfirmedName(Os& os, Forms& forms, const ChkVer& chkVer,
                                                   const std::string& dnsShortName, const ForwardLookup& lookup,
                                                   SyncCaller caller) {
  const RenameBasis basis = ConfirmRenameBasis(os, forms, chkVer, lookup);
  switch (basis.kind) {
    case RenameBasis::Kind::NotConfirmed: return Unconfirmed(forms, lookup);
    case RenameBasis::Kind::Ambiguous:
      return Tell(forms, Ambiguous(lookup), kMbIconHand, SyncOutcome::AmbiguousPtr);
    case RenameBasis::Kind::Confirmed: break;
  }
  if (lookup.campusNames.size() < 2) return NameFrom(dnsShortName, basis.dnsName);
  const std::string shortName = FirstLabel(basis.dnsName);
  if (!UsableName(shortName, caller))
    return Tell(forms, InvalidName(shortName), kMbIconHand, SyncOutcome::NameUnusable);
  return NameToSet{shortName, basis.dnsName};
}

// Windows' copy has shown its own message; a copy that was waited for
// (pkexec's, which has no display) is reported here.
SyncOutcome AsTheCopyEnded(Os& os, Forms& forms, const std::function<void()>& nameSet) {
  switch (os.LastElevatedCopyEnd()) {
    case ElevatedCopyEnd::NameSet: return NameWasSet(forms, nameSet);
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
                            const ForwardLookup& lookup, SyncCaller caller, const std::function<void()>& nameSet) {
  if (!UsableName(dnsShortName, caller))
    return Tell(forms, InvalidName(dnsShortName), kMbIconHand, SyncOutcome::NameUnusable);
  if (IsDomainMember(os))
    return Tell(forms, Text(Msg::DomainMember), kMbIconHand, SyncOutcome::DomainMember);
  // UAC: a limited administrator's full rights belong to an elevated copy,
  // which sets the name and reports; this program's part is then done.
  if (caller == SyncCaller::User && chkVer.CanStartElevatedCopy() && HasElevatedTwin(os)) {
    // The copy sets what it is given: it is given only a confirmed name.
    auto confirmed = ConfirmedName(os, forms, chkVer, dnsShortName, lookup, caller);
    if (auto* refused = std::get_if<SyncOutcome>(&confirmed)) return *refused;
    const auto& name = std::get<NameToSet>(confirmed);
    if (StartElevatedCopy(os, name.shortName, name.dnsName)) return AsTheCopyEnded(os, forms, nameSet);
    return Tell(forms, Text(Msg::RightsNeeded), kMbIconExclamation, SyncOutcome::RightsMissing);
  }
  // Windows 9x has no administrators to ask for.
  if (chkVer.HasAdministrators() && !IsAdmin(os)) return Tell(forms, Text(Msg::RightsNeeded), kMbIconExclamation, SyncOutcome::RightsMissing);
  NameToSet name = NameFrom(dnsShortName, lookup.dnsName);  // the elevated copy's, as it was given
  if (caller != SyncCaller::ElevatedCopy) {
    auto confirmed = ConfirmedName(os, forms, chkVer, dnsShortName, lookup, caller);
    if (auto* refused = std::get_if<SyncOutcome>(&confirmed)) return *refused;
    name = std::get<NameToSet>(confirmed);
  }
  if (SetComputerName(os, chkVer, name) != 0) return NameWasSet(forms, nameSet);
  // Nothing was changed: the user may still ask an administrator to do it.
  if (os.RenameRefusedForRights()) return Tell(forms, Text(Msg::RightsNeeded), kMbIconExclamation, SyncOutcome::RightsMissing);
  return Tell(forms, Text(Msg::NameNotSet), kMbOk, SyncOutcome::RenameFailed);
}

}  // namespace hw

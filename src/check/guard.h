// The startup check's skip-on-error rule. An action is one assignment or one
// test; when it fails, the rest of it is abandoned without a message and the
// sequence goes on. Ending the program (EndProgram) is not a failure: it is
// not a std::exception and passes through. Nor is a control name the window
// lacks (NoSuchControl): that is a fault of the program, which the rule must
// not hide.
#pragma once

#include <exception>
#include <utility>

#include "interfaces/forms.h"

namespace hw {

// Runs one action; an error abandons it.
template <class Action>
void attempt(Action&& action) {
  try {
    std::forward<Action>(action)();
  } catch (const NoSuchControl&) {
    throw;
  } catch (const std::exception&) {
  }
}

// Runs one test; an error counts as passed.
template <class Test>
bool passes(Test&& test) {
  try {
    return std::forward<Test>(test)();
  } catch (const NoSuchControl&) {
    throw;
  } catch (const std::exception&) {
    return true;
  }
}

}  // namespace hw

#pragma once
// The reason an operation failed with, 0 when it succeeded: a test compares the whole
// result in one line.

#include "base/Failure.h"

namespace q7k3::test {

template <class T>
int ReasonOf(const Expected<T>& result) {
    return result ? 0 : result.error().Reason;
}

// What the user reads of the failure; empty when it succeeded.
template <class T>
std::string TextOf(const Expected<T>& result) {
    return result ? std::string() : FailureText(result.error());
}

}  // namespace q7k3::test

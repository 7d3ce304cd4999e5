// Runs an operation and gives the message of the failure it raised, or
// "(no failure)". Lets tests compare messages with EXPECT_EQ.
#pragma once

#include "platform/failure.h"

#include <string>
#include <utility>

namespace orbelune::test {

template <typename F>
std::wstring FailureOf(F&& operation) {
    try {
        std::forward<F>(operation)();
    } catch (const Failure& failure) {
        return failure.Message();
    }
    return L"(no failure)";
}

}  // namespace orbelune::test

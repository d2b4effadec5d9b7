#pragma once

#include <gtest/gtest.h>

#include <string_view>

namespace orva::test {

// Whether `text` holds `part`; a failure shows the whole text.
inline ::testing::AssertionResult contains(std::string_view text, std::string_view part) {
  if (text.find(part) != std::string_view::npos) {
    return ::testing::AssertionSuccess() << "\"" << part << "\" found in:\n" << text;
  }
  return ::testing::AssertionFailure() << "\"" << part << "\" not found in:\n" << text;
}

}  // namespace orva::test

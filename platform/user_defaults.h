#pragma once

#include <memory>
#include <string>
#include <string_view>

namespace platform {

// The Boolean rule for an option stored as text: with white space around it
// trimmed, "true" or "yes" in any case, or a decimal integer other than 0
// with an optional sign ("+7", "-1", "0010"); anything else ("0", "1.5",
// "on", "") is false.
constexpr bool textReadsAsTrue(std::string_view value) {
  constexpr std::string_view kWhiteSpace = " \t\n\r\v\f";
  const std::size_t start = value.find_first_not_of(kWhiteSpace);
  if (start == std::string_view::npos) return false;
  std::string_view text = value.substr(start, value.find_last_not_of(kWhiteSpace) - start + 1);
  const auto is = [&](std::string_view lowercase) {
    if (text.size() != lowercase.size()) return false;
    for (std::size_t i = 0; i < text.size(); ++i) {
      const char c =
          text[i] >= 'A' && text[i] <= 'Z' ? static_cast<char>(text[i] - 'A' + 'a') : text[i];
      if (c != lowercase[i]) return false;
    }
    return true;
  };
  if (is("true") || is("yes")) return true;
  if (text.front() == '+' || text.front() == '-') text.remove_prefix(1);
  bool nonZero = false;
  for (const char c : text) {
    if (c < '0' || c > '9') return false;
    nonZero = nonZero || c != '0';
  }
  return nonZero;
}

class UserDefaults {
 public:
  virtual ~UserDefaults() = default;
  // Picks up what other processes wrote since the last call.
  virtual void synchronize() = 0;
  virtual bool hasObject(const std::string& key) = 0;
  // False for a missing key; a text value follows textReadsAsTrue, other
  // types the backend's own rule.
  virtual bool boolForKey(const std::string& key) = 0;
};

class UserDefaultsStore {
 public:
  virtual ~UserDefaultsStore() = default;
  // nullptr when the suite cannot be opened.
  virtual std::unique_ptr<UserDefaults> openSuite(const std::string& name) = 0;
  virtual std::unique_ptr<UserDefaults> standard() = 0;
};

}  // namespace platform

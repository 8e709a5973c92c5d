#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace platform::fake {

// Every call the fake platform receives, in order, as short readable lines
// such as "button.setToolTip(上传 0 KB/s)". Shared by all fake services so a
// test can assert the order of calls across them.
class CallLog {
 public:
  void add(std::string entry) { entries.push_back(std::move(entry)); }
  void clear() { entries.clear(); }
  const std::vector<std::string>& all() const { return entries; }
  // The entries that start with the prefix, in order.
  std::vector<std::string> withPrefix(std::string_view prefix) const;
  bool contains(std::string_view entry) const;
  // True when every one of these entries was logged, each after the one
  // before it; other entries may come between them.
  bool inOrder(const std::vector<std::string>& expected) const;

 private:
  std::vector<std::string> entries;
};

// The shortest fixed-point text that reads back as the same double ("64",
// "12.5", "-1").
std::string formatNumber(double value);

}  // namespace platform::fake

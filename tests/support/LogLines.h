// Reading MdbSwitch.Log in tests, natively and under Wine alike.
#pragma once

#include <string>
#include <vector>

namespace mdbtest {

// The messages of the log's entries, time stamps and TABs taken off: a line
// that begins with a digit and holds a TAB starts an entry, any other line
// continues the entry before it.
inline std::vector<std::string> LogMessages(const std::string& bytes) {
  std::vector<std::string> messages;
  std::size_t pos = 0;
  while (pos < bytes.size()) {
    std::size_t end = bytes.find("\r\n", pos);
    if (end == std::string::npos) end = bytes.size();
    const std::string line = bytes.substr(pos, end - pos);
    const std::size_t tab = line.find('\t');
    if (tab != std::string::npos && tab > 0 && line[0] >= '0' && line[0] <= '9') {
      messages.push_back(line.substr(tab + 1));
    } else if (!messages.empty()) {
      messages.back() += "\r\n" + line;
    }
    pos = end + 2;
  }
  return messages;
}

}  // namespace mdbtest

#include "startup/mCommand.h"

#include "startup/std_Func.h"

namespace mdb {

const std::wstring& ArgumentAt(const ArgumentList& list, std::size_t index) {
  static const std::wstring empty;
  return index < list.size() ? list[index] : empty;
}

bool SplitQuotedArguments(const std::wstring& text, ArgumentList& list) {
  const wchar_t quote = L'"';
  std::size_t count = 0;
  bool insideQuotes = false;
  for (wchar_t ch : text) {
    if (ch == quote && !insideQuotes) {
      ++count;
      list.resize(count + 2);
      insideQuotes = true;
    } else if (ch == quote) {
      insideQuotes = false;
    } else if (insideQuotes) {
      list[count] += ch;
    }
  }
  return count != 0;
}

bool GetCmdLine(IHost& host, ArgumentList& list) {
  const std::wstring text = host.CommandLineText();
  WriteDebugLog(host, L"CmdL$=" + text, gLogFile);
  return SplitQuotedArguments(text, list);
}

}  // namespace mdb

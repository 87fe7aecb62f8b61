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

std::wstring PickedRelease(const std::wstring& text) {
  const std::wstring prefix = L"/access:";
  std::wstring word;
  bool insideQuotes = false;
  // A blank, a quote or the end closes a word; only words outside quotes
  // count, so that no quoted path can pick anything.
  for (std::size_t i = 0; i <= text.size(); ++i) {
    const wchar_t ch = i < text.size() ? text[i] : L' ';
    if (ch == L'"' || ch == L' ' || ch == L'\t') {
      if (!insideQuotes && word.size() > prefix.size()) {
        std::wstring head = word.substr(0, prefix.size());
        for (wchar_t& c : head) c = (c >= L'A' && c <= L'Z') ? static_cast<wchar_t>(c + 32) : c;
        if (head == prefix) return word.substr(prefix.size());
      }
      word.clear();
      if (ch == L'"') insideQuotes = !insideQuotes;
    } else {
      word += ch;
    }
  }
  return std::wstring();
}

bool GetCmdLine(IHost& host, ArgumentList& list) {
  const std::wstring text = host.CommandLineText();
  WriteDebugLog(host, L"CmdL$=" + text, gLogFile);
  return SplitQuotedArguments(text, list);
}

}  // namespace mdb

// For tests only: never linked into MdbSwitch.exe.
#include "fakes/FakeHost.h"

#include <cwctype>

namespace mdb {

std::wstring FakeHost::Key(const std::wstring& path) {
  std::wstring key;
  for (wchar_t ch : path) key += static_cast<wchar_t>(std::towlower(ch));
  return key;
}

namespace {

// The system's own text for the codes the tests inject, as a Japanese
// Windows words them.
std::wstring SystemText(std::uint32_t code) {
  switch (code) {
    case 3: return L"指定されたパスが見つかりません。";
    case 5: return L"アクセスが拒否されました。";
    case 32: return L"プロセスはファイルにアクセスできません。別のプロセスが使用中です。";
    case 112: return L"ディスクに十分な空き領域がありません。";
    default: return L"エラー " + std::to_wstring(code);
  }
}

}  // namespace

void FakeHost::Check(const char* operation, const std::wstring& path) const {
  auto found = failing.find(operation);
  if (found == failing.end()) return;
  const Failure& failure = found->second;
  if (!failure.path.empty() && Key(failure.path) != Key(path)) return;
  throw HostError(failure.code, SystemText(failure.code));
}

void FakeHost::AddEntry(const std::wstring& path, const std::wstring& name, unsigned attributes) {
  entries_[Key(path)] = Entry{name, attributes};
}

void FakeHost::AddFile(const std::wstring& path, const std::string& bytes, unsigned attributes) {
  const std::size_t slash = path.find_last_of(L'\\');
  AddEntry(path, slash == std::wstring::npos ? path : path.substr(slash + 1), attributes);
  files_[Key(path)] = bytes;
}

bool FakeHost::HasFile(const std::wstring& path) const { return files_.count(Key(path)) != 0; }

const std::string& FakeHost::FileBytes(const std::wstring& path) const {
  static const std::string none;
  auto found = files_.find(Key(path));
  return found == files_.end() ? none : found->second;
}

std::wstring FakeHost::CommandLineText() { return commandLine; }
std::wstring FakeHost::ProgramDirectory() { return programDirectory; }
std::wstring FakeHost::ExecutableBaseName() { return baseName; }
std::wstring FakeHost::ApplicationTitle() { return L"MdbSwitch"; }

std::wstring FakeHost::FindEntry(const std::wstring& path, unsigned mask) {
  events.push_back(L"find:" + path);
  Check("FindEntry", path);
  auto found = entries_.find(Key(path));
  if (found == entries_.end()) return std::wstring();
  const unsigned filtered = kEntryHidden | kEntrySystem | kEntryDirectory;
  if ((found->second.attributes & filtered & ~mask) != 0) return std::wstring();
  return found->second.name;
}

std::wstring FakeHost::FullPath(const std::wstring& path) {
  events.push_back(L"full:" + path);
  Check("FullPath", path);
  const auto separator = [](wchar_t ch) { return ch == L'\\' || ch == L'/'; };
  const bool hasDrive = path.size() >= 2 && path[1] == L':';
  // The current folder's root: its drive, or "\\server\share" on a share.
  const std::size_t rootEnd =
      currentDirectory.rfind(L"\\\\", 0) == 0
          ? currentDirectory.find(L'\\', currentDirectory.find(L'\\', 2) + 1)
          : 2;
  const std::wstring currentRoot = currentDirectory.substr(0, rootEnd);
  const std::wstring drive = hasDrive ? path.substr(0, 2) : currentRoot;
  std::wstring rest = hasDrive ? path.substr(2) : path;
  if (rest.empty() || !separator(rest[0])) {
    const bool currentDrive = Key(drive) == Key(currentRoot);
    rest = (currentDrive ? currentDirectory.substr(currentRoot.size()) : std::wstring()) + L"\\" +
           rest;
  }
  std::vector<std::wstring> parts;
  std::wstring part;
  for (const wchar_t ch : rest + L"\\") {
    if (!separator(ch)) {
      part += ch;
    } else if (part == L"..") {
      if (!parts.empty()) parts.pop_back();
    } else if (!part.empty() && part != L".") {
      parts.push_back(part);
    }
    if (separator(ch)) part.clear();
  }
  std::wstring full = drive;
  for (const std::wstring& name : parts) full += L"\\" + name;
  return parts.empty() ? full + L"\\" : full;
}

std::wstring FakeHost::UniqueStamp() { return L"stamp " + std::to_wstring(++stamps_); }

std::wstring FakeHost::ErrorText(std::uint32_t code) {
  return L"system text " + std::to_wstring(code);
}

void FakeHost::RemoveFile(const std::wstring& path) {
  events.push_back(L"remove:" + path);
  Check("RemoveFile", path);
  entries_.erase(Key(path));
  files_.erase(Key(path));
}

void FakeHost::AppendLine(const std::wstring& path, const std::wstring& text) {
  events.push_back(L"append:" + text);
  Check("AppendLine", path);
  if (files_.count(Key(path)) == 0) AddFile(path, std::string());
  files_[Key(path)] += codec_.ToNarrow(text) + "\r\n";
}

std::wstring FakeHost::CurrentDateTime() {
  Check("CurrentDateTime");
  return dateTime;
}

void FakeHost::ShowMessage(const std::wstring& text, MessageIcon icon, const std::wstring* title) {
  events.push_back(L"message:" + text);
  messages.push_back(Message{text, icon, title != nullptr ? *title : ApplicationTitle()});
}

bool FakeHost::AskYesNo(const std::wstring& text, MessageIcon icon) {
  events.push_back(L"ask:" + text);
  messages.push_back(Message{text, icon, ApplicationTitle()});
  if (answers.empty()) return false;
  const bool yes = answers.front();
  answers.erase(answers.begin());
  return yes;
}

void FakeHost::EndProgram(int status) {
  events.push_back(L"end:" + std::to_wstring(status));
  throw ProgramEnded{status};
}

}  // namespace mdb

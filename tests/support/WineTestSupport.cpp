#include "WineTestSupport.h"

#include <cstdlib>
#include <fstream>
#include <iterator>

#include "MdbTestPaths.h"

namespace mdbtest {

std::wstring BuiltExecutable() { return MDB_TEST_EXE; }

static void RemoveTreeFiles(const std::wstring& dir) {
  WIN32_FIND_DATAW data;
  HANDLE find = FindFirstFileW((dir + L"\\*").c_str(), &data);
  if (find == INVALID_HANDLE_VALUE) return;
  do {
    const std::wstring name = data.cFileName;
    if (name == L"." || name == L"..") continue;
    const std::wstring path = dir + L"\\" + name;
    SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
      RemoveTreeFiles(path);
      RemoveDirectoryW(path.c_str());
    } else {
      DeleteFileW(path.c_str());
    }
  } while (FindNextFileW(find, &data));
  FindClose(find);
}

std::wstring ScratchDir(const std::wstring& name) {
  const std::wstring root = MDB_TEST_SCRATCH;
  CreateDirectoryW(root.c_str(), nullptr);
  const std::wstring dir = root + L"\\" + name;
  RemoveTreeFiles(dir);
  CreateDirectoryW(dir.c_str(), nullptr);
  return dir;
}

std::wstring InstallCopy(const std::wstring& dir, const std::wstring& name) {
  const std::wstring target = dir + L"\\" + name;
  CopyFileW(BuiltExecutable().c_str(), target.c_str(), FALSE);
  return target;
}

std::string ReadFileBytes(const std::wstring& path) {
  HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                            OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return std::string();
  std::string bytes;
  char buffer[4096];
  DWORD got = 0;
  while (ReadFile(file, buffer, sizeof buffer, &got, nullptr) && got > 0) bytes.append(buffer, got);
  CloseHandle(file);
  return bytes;
}

void WriteFileBytes(const std::wstring& path, const std::string& bytes) {
  HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return;
  DWORD written = 0;
  WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
  CloseHandle(file);
}

bool FileExists(const std::wstring& path) {
  return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::wstring DirOf(const std::wstring& path) {
  const std::size_t slash = path.find_last_of(L'\\');
  return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash);
}

static std::string Convert(UINT codePage, const std::wstring& text) {
  if (text.empty()) return std::string();
  const int size = WideCharToMultiByte(codePage, 0, text.data(), static_cast<int>(text.size()),
                                       nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<std::size_t>(size), '\0');
  WideCharToMultiByte(codePage, 0, text.data(), static_cast<int>(text.size()), &out[0], size,
                      nullptr, nullptr);
  return out;
}

std::string ToAnsi(const std::wstring& text) { return Convert(CP_ACP, text); }
std::string Utf8(const std::wstring& text) { return Convert(CP_UTF8, text); }

Process::~Process() {
  if (info_.hProcess) CloseHandle(info_.hProcess);
  if (info_.hThread) CloseHandle(info_.hThread);
}

Process::Process(Process&& other) noexcept : info_(other.info_) { other.info_ = {}; }

Process& Process::operator=(Process&& other) noexcept {
  if (this != &other) {
    this->~Process();
    info_ = other.info_;
    other.info_ = {};
  }
  return *this;
}

bool Process::Wait(DWORD ms, DWORD* exitCode) {
  if (!info_.hProcess) return false;
  if (WaitForSingleObject(info_.hProcess, ms) != WAIT_OBJECT_0) return false;
  if (exitCode) GetExitCodeProcess(info_.hProcess, exitCode);
  return true;
}

void Process::Kill() {
  if (info_.hProcess) {
    TerminateProcess(info_.hProcess, 99);
    WaitForSingleObject(info_.hProcess, 5000);
  }
}

void Process::Resume() {
  if (info_.hThread) ResumeThread(info_.hThread);
}

Process Start(const std::wstring& exe, const std::wstring& arguments, bool suspended) {
  std::wstring line = L"\"" + exe + L"\"";
  if (!arguments.empty()) line += L" " + arguments;
  std::vector<wchar_t> buffer(line.begin(), line.end());
  buffer.push_back(L'\0');
  STARTUPINFOW startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info = {};
  if (!CreateProcessW(exe.c_str(), buffer.data(), nullptr, nullptr, FALSE,
                      suspended ? CREATE_SUSPENDED : 0, nullptr, DirOf(exe).c_str(), &startup,
                      &info)) {
    return Process();
  }
  return Process(info);
}

namespace {

struct Search {
  DWORD pid;
  const std::wstring* caption;  // null: any dialog
  HWND found;
  bool anyWindow = false;
};

std::wstring TextOf(HWND window) {
  const int length = GetWindowTextLengthW(window);
  std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
  GetWindowTextW(window, &text[0], length + 1);
  text.resize(static_cast<std::size_t>(length));
  return text;
}

BOOL CALLBACK Visit(HWND window, LPARAM param) {
  Search* search = reinterpret_cast<Search*>(param);
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  if (owner != search->pid || !IsWindowVisible(window)) return TRUE;
  if (search->anyWindow) {
    // taken as it is
  } else if (search->caption == nullptr) {
    wchar_t cls[64] = L"";
    GetClassNameW(window, cls, 64);
    if (std::wstring(cls) != L"#32770") return TRUE;
  } else if (TextOf(window) != *search->caption) {
    return TRUE;
  }
  search->found = window;
  return FALSE;
}

HWND Poll(DWORD pid, const std::wstring* caption, DWORD ms, bool anyWindow = false) {
  const DWORD start = GetTickCount();
  for (;;) {
    Search search{pid, caption, nullptr, anyWindow};
    EnumWindows(Visit, reinterpret_cast<LPARAM>(&search));
    if (search.found) return search.found;
    if (GetTickCount() - start >= ms) return nullptr;
    Sleep(50);
  }
}

}  // namespace

bool FindMessageBox(DWORD pid, DWORD ms, MessageBoxInfo* box) {
  HWND window = Poll(pid, nullptr, ms);
  if (!window) return false;
  box->window = window;
  box->caption = TextOf(window);
  // The text of a message box is its static control 0xFFFF.
  HWND text = GetDlgItem(window, 0xFFFF);
  box->text = text ? TextOf(text) : std::wstring();
  return true;
}

// Which standard icon a message box of another process shows. Icon handles
// do not cross processes under Wine, so the icon control's pixels on the
// screen are compared with the two candidates drawn here on the same
// background; 0 when the box has no icon control.
static std::vector<COLORREF> Pixels(HDC dc, int width, int height) {
  std::vector<COLORREF> pixels;
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) pixels.push_back(GetPixel(dc, x, y));
  }
  return pixels;
}

static DWORD IconMatching(HWND box) {
  HWND control = nullptr;
  for (int id : {0x14, 0x440}) {
    if ((control = GetDlgItem(box, id)) != nullptr) break;
  }
  if (!control) return 0;
  RECT rect;
  GetWindowRect(control, &rect);
  const int width = GetSystemMetrics(SM_CXICON);
  const int height = GetSystemMetrics(SM_CYICON);
  HDC screen = GetDC(nullptr);
  HDC shown = CreateCompatibleDC(screen);
  HBITMAP shownBitmap = CreateCompatibleBitmap(screen, width, height);
  SelectObject(shown, shownBitmap);
  BitBlt(shown, 0, 0, width, height, screen, rect.left, rect.top, SRCCOPY);
  const std::vector<COLORREF> actual = Pixels(shown, width, height);
  const COLORREF background = actual.empty() ? 0 : actual.front();

  DWORD best = 0;
  std::size_t bestDiff = actual.size() / 4;  // demand a clear match
  for (const auto& candidate :
       {std::make_pair(IDI_HAND, static_cast<DWORD>(MB_ICONERROR)),
        std::make_pair(IDI_ASTERISK, static_cast<DWORD>(MB_ICONINFORMATION))}) {
    HDC drawn = CreateCompatibleDC(screen);
    HBITMAP drawnBitmap = CreateCompatibleBitmap(screen, width, height);
    SelectObject(drawn, drawnBitmap);
    HBRUSH brush = CreateSolidBrush(background);
    RECT all = {0, 0, width, height};
    FillRect(drawn, &all, brush);
    DeleteObject(brush);
    DrawIconEx(drawn, 0, 0, LoadIconW(nullptr, candidate.first), width, height, 0, nullptr,
               DI_NORMAL);
    const std::vector<COLORREF> expected = Pixels(drawn, width, height);
    std::size_t diff = 0;
    for (std::size_t i = 0; i < actual.size(); ++i) diff += actual[i] != expected[i] ? 1 : 0;
    if (diff < bestDiff) {
      bestDiff = diff;
      best = candidate.second;
    }
    DeleteDC(drawn);
    DeleteObject(drawnBitmap);
  }
  DeleteDC(shown);
  DeleteObject(shownBitmap);
  ReleaseDC(nullptr, screen);
  return best;
}

// The box may not have painted itself yet when it is first found.
DWORD ShownIcon(HWND box) {
  DWORD icon = 0;
  for (int attempt = 0; attempt < 20 && icon == 0; ++attempt) {
    Sleep(100);
    icon = IconMatching(box);
  }
  return icon;
}

void PressOk(HWND box) {
  HWND ok = GetDlgItem(box, IDOK);
  if (ok) {
    SendMessageW(ok, BM_CLICK, 0, 0);
  } else {
    PostMessageW(box, WM_COMMAND, IDOK, 0);
  }
}

HWND FindTopWindow(DWORD pid, const std::wstring& caption, DWORD ms) {
  return Poll(pid, &caption, ms);
}

HWND FindAnyTopWindow(DWORD pid, DWORD ms) { return Poll(pid, nullptr, ms, true); }

bool RunToEnd(const std::wstring& exe, const std::wstring& arguments, DWORD ms, DWORD* exitCode,
              std::vector<std::wstring>* boxes) {
  Process process = Start(exe, arguments);
  if (process.id() == 0) return false;
  const DWORD start = GetTickCount();
  while (!process.Wait(100, exitCode)) {
    if (GetTickCount() - start >= ms) {
      process.Kill();
      return false;
    }
    MessageBoxInfo box;
    if (FindMessageBox(process.id(), 0, &box)) {
      if (boxes) boxes->push_back(box.text);
      PressOk(box.window);
      Sleep(200);  // the box must be gone before it is looked for again
    } else if (HWND window = FindAnyTopWindow(process.id(), 0)) {
      PostMessageW(window, WM_CLOSE, 0, 0);
    }
  }
  return true;
}

bool RegWrite(HKEY root, const std::wstring& key, const std::wstring& name,
              const std::wstring& value, DWORD type) {
  const std::string bytes(reinterpret_cast<const char*>(value.c_str()),
                          (value.size() + 1) * sizeof(wchar_t));
  HKEY opened;
  if (RegCreateKeyExW(root, key.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &opened,
                      nullptr) != ERROR_SUCCESS) {
    return false;
  }
  const LONG status =
      RegSetValueExW(opened, name.c_str(), 0, type, reinterpret_cast<const BYTE*>(bytes.data()),
                     static_cast<DWORD>(bytes.size()));
  RegCloseKey(opened);
  return status == ERROR_SUCCESS;
}

bool RegWriteBytes(HKEY root, const std::wstring& key, const std::wstring& name,
                   const std::string& bytes, DWORD type) {
  HKEY opened;
  if (RegCreateKeyExW(root, key.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &opened,
                      nullptr) != ERROR_SUCCESS) {
    return false;
  }
  const LONG status =
      RegSetValueExA(opened, ToAnsi(name).c_str(), 0, type,
                     reinterpret_cast<const BYTE*>(bytes.data()), static_cast<DWORD>(bytes.size()));
  RegCloseKey(opened);
  return status == ERROR_SUCCESS;
}

std::wstring RegRead(HKEY root, const std::wstring& key, const std::wstring& name,
                     const std::wstring& missing) {
  HKEY opened;
  if (RegOpenKeyExW(root, key.c_str(), 0, KEY_READ, &opened) != ERROR_SUCCESS) return missing;
  DWORD type = 0;
  DWORD size = 0;
  LONG status = RegQueryValueExW(opened, name.c_str(), nullptr, &type, nullptr, &size);
  std::wstring value = missing;
  if (status == ERROR_SUCCESS) {
    std::vector<wchar_t> buffer(size / sizeof(wchar_t) + 2, L'\0');
    status = RegQueryValueExW(opened, name.c_str(), nullptr, &type,
                              reinterpret_cast<BYTE*>(buffer.data()), &size);
    if (status == ERROR_SUCCESS) value = buffer.data();
  }
  RegCloseKey(opened);
  return value;
}

bool RegReadRaw(HKEY root, const std::wstring& key, const std::wstring& name, std::string* bytes,
                DWORD* type) {
  HKEY opened;
  if (RegOpenKeyExW(root, key.c_str(), 0, KEY_READ, &opened) != ERROR_SUCCESS) return false;
  DWORD size = 0;
  const std::string narrowName = ToAnsi(name);
  LONG status = RegQueryValueExA(opened, narrowName.c_str(), nullptr, type, nullptr, &size);
  if (status == ERROR_SUCCESS) {
    bytes->assign(size, '\0');
    status = RegQueryValueExA(opened, narrowName.c_str(), nullptr, type,
                              reinterpret_cast<BYTE*>(&(*bytes)[0]), &size);
    bytes->resize(size);
  }
  RegCloseKey(opened);
  return status == ERROR_SUCCESS;
}

void RegRemoveTree(HKEY root, const std::wstring& key) {
  RegDeleteTreeW(root, key.c_str());
  RegDeleteKeyW(root, key.c_str());
}

bool RegKeyExists(HKEY root, const std::wstring& key) {
  HKEY opened;
  if (RegOpenKeyExW(root, key.c_str(), 0, KEY_READ, &opened) != ERROR_SUCCESS) return false;
  RegCloseKey(opened);
  return true;
}

RegistryGuard::RegistryGuard(HKEY root, std::wstring key, std::wstring name)
    : root_(root), key_(std::move(key)), name_(std::move(name)) {
  keyExisted_ = RegKeyExists(root_, key_);
  had_ = RegReadRaw(root_, key_, name_, &bytes_, &type_);
}

RegistryGuard::~RegistryGuard() {
  if (!keyExisted_) {
    RegRemoveTree(root_, key_);
  } else if (had_) {
    RegWriteBytes(root_, key_, name_, bytes_, type_);
  } else {
    HKEY key;
    if (RegOpenKeyExW(root_, key_.c_str(), 0, KEY_SET_VALUE, &key) == ERROR_SUCCESS) {
      RegDeleteValueW(key, name_.c_str());
      RegCloseKey(key);
    }
  }
}

std::string UnixPathOf(const std::wstring& windowsPath) {
  using Converter = char*(CDECL*)(LPCWSTR);
  const auto convert = reinterpret_cast<Converter>(reinterpret_cast<void*>(
      GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name")));
  if (!convert) return std::string();
  char* path = convert(windowsPath.c_str());
  if (!path) return std::string();
  std::string unix = path;
  HeapFree(GetProcessHeap(), 0, path);
  return unix;
}

int RunOnHost(const std::string& command, DWORD ms, std::string* output) {
  static int serial = 0;
  const std::wstring root = MDB_TEST_SCRATCH;
  CreateDirectoryW(root.c_str(), nullptr);
  const std::wstring base =
      root + L"\\host-" + std::to_wstring(GetCurrentProcessId()) + L"-" + std::to_wstring(++serial);
  const std::wstring script = base + L".sh", out = base + L".out", status = base + L".status";
  DeleteFileW(out.c_str());
  DeleteFileW(status.c_str());
  // The status file appears whole, by a rename, once the command has ended.
  const std::string done = UnixPathOf(status);
  WriteFileBytes(script, "(" + command + ") >'" + UnixPathOf(out) + "' 2>&1\n" + "echo $? >'" +
                             done + ".tmp'\n" + "mv '" + done + ".tmp' '" + done + "'\n");
  std::wstring line = L"/bin/sh \"";
  const std::string unixScript = UnixPathOf(script);
  line += std::wstring(unixScript.begin(), unixScript.end()) + L"\"";
  std::vector<wchar_t> buffer(line.begin(), line.end());
  buffer.push_back(L'\0');
  STARTUPINFOW startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info = {};
  int result = -1;
  if (CreateProcessW(nullptr, buffer.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                     &info)) {
    if (info.hProcess) CloseHandle(info.hProcess);
    if (info.hThread) CloseHandle(info.hThread);
    for (DWORD waited = 0; waited < ms; waited += 50) {
      if (FileExists(status)) {
        result = atoi(ReadFileBytes(status).c_str());
        break;
      }
      Sleep(50);
    }
  }
  if (output) *output = ReadFileBytes(out);
  for (const std::wstring& file : {script, out, status}) DeleteFileW(file.c_str());
  return result;
}

ImmutableFolder::ImmutableFolder(std::wstring dir) : dir_(std::move(dir)) {
  unixPath_ = UnixPathOf(dir_);
  if (unixPath_.empty() || unixPath_.find('\'') != std::string::npos) {
    output_ = "no Linux path for the folder that a shell could be given";
    unixPath_.clear();
    return;
  }
  status_ = RunOnHost("chattr +i '" + unixPath_ + "'", 20000, &output_);
  if (status_ != 0 && output_.empty()) {
    output_ = "chattr gave no answer (status " + std::to_string(status_) + ")";
  }
}

ImmutableFolder::~ImmutableFolder() {
  // Also after a time-out: the attribute may have been set after all.
  if (!unixPath_.empty()) RunOnHost("chattr -i '" + unixPath_ + "'", 20000);
}

HeldFile::HeldFile(const std::wstring& path)
    : handle_(CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS,
                          FILE_ATTRIBUTE_NORMAL, nullptr)) {}

HeldFile::~HeldFile() {
  if (handle_ != INVALID_HANDLE_VALUE) CloseHandle(handle_);
}

std::vector<std::string> LogMessages(const std::string& bytes) {
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

#include "launch/mSwitch.h"

#include "association/mAccessReg.h"
#include "launch/JetCatalog.h"
#include "launch/MdbHeader.h"
#include "launch/mWaitShell.h"
#include "startup/std_Func.h"

namespace mdb {

// ---- version probe ---------------------------------------------------------

namespace {

constexpr MdbFormat kUnknown = MdbFormat::Unknown;

MdbFormat FormatOfVersion(const std::wstring& version) {
  if (version == L"4.0") return MdbFormat::Jet4Access2000;
  if (version == L"3.0" || version == L"3.5") return MdbFormat::Jet3;
  return kUnknown;
}

// The Version text that the file's own first page announces; "" when it
// cannot be read or is not a known database. Only the first page is read:
// the prefix that gives its size, then the rest of it, in one opening.
std::wstring VersionFromHeader(IFileReader& files, const std::wstring& path) {
  static_assert(kMdbLargestPage <= kFileStartLimit, "a first page must be readable whole");
  std::wstring version;
  std::string page;
  if (files.ReadFileStart(path, kMdbPrefixSize, MdbFirstPageSize, &page)) {
    MdbVersionFromFirstPage(page, &version);
  }
  return version;
}

// The AccessVersion that a Jet 4 file's catalogue holds, read page by page
// in one opening of the file; "" where it cannot be read.
std::wstring AccessVersionFromCatalog(IFileReader& files, const std::wstring& path) {
  static_assert(kJet4PageSize <= kFileStartLimit, "a page must be readable whole");
  std::wstring version;
  try {
    files.ReadFilePieces(path, [&version](const FileReadAt& readAt) {
      version = ReadJet4AccessVersion([&readAt](std::uint32_t number, std::string* page) {
        return readAt(std::uint64_t{number} * kJet4PageSize, kJet4PageSize, page);
      });
    });
  } catch (...) {
    // The launch goes on with the 2000 format.
  }
  return version;
}

// The engine's answer; false when it cannot tell, for whatever reason.
bool FormatFromEngine(IDatabaseEngine& engine, const std::wstring& path, bool tellJet4Formats,
                      MdbFormat* format) {
  DatabaseReport report;
  try {
    if (!DaoSucceeded(engine.DescribeDatabase(path, tellJet4Formats, &report))) return false;
  } catch (...) {
    return false;
  }
  *format = FormatOfVersion(report.version);
  if (*format == MdbFormat::Jet4Access2000 && tellJet4Formats) {
    *format = Jet4FormatOf(report.accessVersion);
  }
  return true;
}

MdbFormat ReadFormat(IDatabaseEngine& engine, IFileReader& files, const std::wstring& path,
                     bool tellJet4Formats) {
  // What the engine read stands, even a version that is then refused.
  MdbFormat format = kUnknown;
  if (FormatFromEngine(engine, path, tellJet4Formats, &format)) return format;
  format = FormatOfVersion(VersionFromHeader(files, path));
  if (format != MdbFormat::Jet4Access2000 || !tellJet4Formats) return format;
  return Jet4FormatOf(AccessVersionFromCatalog(files, path));
}

}  // namespace

MdbFormat GetMdbFormat(IDatabaseEngine& engine, IFileReader& files, const std::wstring& path,
                       bool tellJet4Formats) {
  try {
    return ReadFormat(engine, files, path, tellJet4Formats);
  } catch (...) {
    // Nothing gets out of the probe.
    return kUnknown;
  }
}

std::wstring GetMdbAccessVersion(Platform& platform, const std::wstring& path) {
  return GetMdbAccessVersion(platform.engine, platform.files, path);
}

std::wstring GetMdbAccessVersion(IDatabaseEngine& engine, IFileReader& files,
                                 const std::wstring& path) {
  const MdbFormat format = GetMdbFormat(engine, files, path, false);
  if (format == MdbFormat::Jet3) return Access97().code;
  if (format == kUnknown) return std::wstring();
  return Access2000().code;
}

// ---- launch ----------------------------------------------------------------

namespace {

// Where the database goes in a registered command: the quoted "%1" that
// ends the usual one, else the first "%1", quoted or not, wherever it
// stands; a command without one takes the database after all of it.
void FindPlaceholder(const std::wstring& command, std::size_t* at, std::size_t* length) {
  const std::wstring quoted = L"\"%1\"";
  *length = quoted.size();
  *at = command.rfind(quoted);
  if (*at != std::wstring::npos && *at + quoted.size() == command.size()) return;
  *at = command.find(quoted);
  if (*at != std::wstring::npos) return;
  *length = 2;
  *at = command.find(L"%1");
  if (*at != std::wstring::npos) return;
  *at = command.size();
  *length = 0;
}

}  // namespace

std::optional<std::wstring> ComposeAccessCommandLine(const std::wstring& registeredCommand,
                                                     const ArgumentList& args) {
  // Too short to name any program.
  if (registeredCommand.size() < 4) return std::nullopt;
  std::size_t at = 0;
  std::size_t length = 0;
  FindPlaceholder(registeredCommand, &at, &length);
  std::wstring commandLine = registeredCommand.substr(0, at);
  for (std::size_t i = 1; i <= 9; ++i) {
    const std::wstring& slot = ArgumentAt(args, i);
    if (slot.empty()) continue;
    // Only the database path is quoted; further arguments go on as given.
    commandLine += i == 1 ? L" \"" + slot + L"\"" : L" " + slot;
  }
  return commandLine + registeredCommand.substr(at + length);
}

int LaunchAccessForFile(Platform& platform, ArgumentList& args) {
  IHost& host = platform.host;
  const std::wstring& path = ArgumentAt(args, 1);
  const GenerationSet installed = InstalledGenerations(platform);
  const MdbFormat format =
      GetMdbFormat(platform.engine, platform.files, path, Jet4FormatMatters(installed));
  // No apartment may be held through the wait: a thread that owns one and
  // never pumps messages stalls broadcasts and DDE for as long as Access runs.
  platform.engine.ReleaseEngine();
  if (format == MdbFormat::Unknown) {
    host.ShowMessage(path + L"はAccess97、または2000のファイルではありません", kIconError);
    return kLaunchRefused;
  }
  const AccessGeneration* generation = ChooseGeneration(installed, format);
  if (generation == nullptr) {
    host.ShowMessage(
        path + L"は" + FormatName(format) +
            L"のデータベースですが、この形式を開けるAccessがインストールされていません",
        kIconError);
    return kLaunchRefused;
  }
  const std::optional<std::wstring> commandLine =
      ComposeAccessCommandLine(GetGenerationOpenCommand(platform, *generation), args);
  if (!commandLine) {
    host.ShowMessage(L"BakReg取得失敗", kIconError);
    return kLaunchRefused;
  }
  WriteDebugLog(host, L"strShell$=" + *commandLine, gLogFile);
  const bool claimed = IsMdbClaimed(platform);
  const int exitCode = ShellAndWait(platform.process, *commandLine);
  // Access may have taken .mdb over while it ran; only that is undone.
  ReclaimMdbAfterAccess(platform, claimed);
  return exitCode;
}

}  // namespace mdb

#include "launch/mSwitch.h"

#include <algorithm>

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

namespace {

// A compiled database (MDE) is told by its name: the file is a Jet file
// like any other.
bool IsCompiledDatabase(const std::wstring& path) {
  if (path.size() < 4) return false;
  std::wstring tail = path.substr(path.size() - 4);
  for (wchar_t& c : tail) c = (c >= L'A' && c <= L'Z') ? static_cast<wchar_t>(c + 32) : c;
  return tail == L".mde";
}

// The one message of a launch that starts nothing.
int Refuse(IHost& host, const std::wstring& text) {
  host.ShowMessage(text, kIconError);
  return kLaunchRefused;
}

std::wstring UnknownPickText(const std::wstring& release) {
  std::wstring known;
  for (const AccessGeneration& generation : AccessGenerations()) {
    known += (known.empty() ? L"" : L"、") + std::wstring(generation.release);
  }
  return L"「/access:" + release + L"」のAccessのバージョンがわかりません。" + known +
         L"のどれかを指定してください";
}

std::wstring NoAccessText(const std::wstring& path, MdbFormat format, bool compiled,
                          const AccessGeneration* picked) {
  const std::wstring what = path + L"は" + FormatName(format) +
                            (compiled ? L"のコンパイル済みデータベース (MDE) " : L"のデータベース");
  const std::wstring why = compiled ? L"。コンパイル済みデータベースは変換できません" : L"";
  if (picked != nullptr)
    return what + L"のため、" + GenerationName(*picked) + L"では開けません" + why;
  return what + L"ですが、この形式を開けるAccessがインストールされていません" + why;
}

}  // namespace

namespace {

// The generation the database at `path` goes to, its format read where the
// choice depends on it; null, with the one message to show, where none does.
const AccessGeneration* ChooseForLaunch(Platform& platform, const std::wstring& path,
                                        const std::wstring& pickedRelease,
                                        const GenerationSet& installed, std::wstring* refusal) {
  const AccessGeneration* picked = nullptr;
  if (!pickedRelease.empty()) {
    picked = FindGenerationByRelease(pickedRelease);
    if (picked == nullptr) {
      *refusal = UnknownPickText(pickedRelease);
      return nullptr;
    }
    if (std::find(installed.begin(), installed.end(), picked) == installed.end()) {
      *refusal = GenerationName(*picked) + L"はインストールされていません";
      return nullptr;
    }
  }
  const bool compiled = IsCompiledDatabase(path);
  const auto choose = [&](MdbFormat format) -> const AccessGeneration* {
    if (picked == nullptr) return ChooseGeneration(installed, format, compiled);
    return Opens(*picked, format, compiled) ? picked : nullptr;
  };
  // The catalogue is read only where the two Jet 4 formats go to different
  // places; a plain file on exactly Access 97 and 2000 goes unread, as ever.
  const bool tellJet4Formats =
      picked == nullptr && !compiled
          ? Jet4FormatMatters(installed)
          : choose(MdbFormat::Jet4Access2000) != choose(MdbFormat::Jet4Access2002);
  const MdbFormat format = GetMdbFormat(platform.engine, platform.files, path, tellJet4Formats);
  // No apartment may be held through the wait: a thread that owns one and
  // never pumps messages stalls broadcasts and DDE for as long as Access runs.
  platform.engine.ReleaseEngine();
  const AccessGeneration* generation = choose(format);
  if (format == MdbFormat::Unknown) {
    *refusal = path + L"はAccess97、または2000のファイルではありません";
  } else if (generation == nullptr) {
    *refusal = NoAccessText(path, format, compiled, picked);
  }
  return generation;
}

}  // namespace

int LaunchAccessForFile(Platform& platform, ArgumentList& args, const std::wstring& pickedRelease) {
  return LaunchAccessForFile(platform, args, pickedRelease, InstalledGenerations(platform));
}

int LaunchAccessForFile(Platform& platform, ArgumentList& args, const std::wstring& pickedRelease,
                        const GenerationSet& installed) {
  IHost& host = platform.host;
  std::wstring refusal;
  const AccessGeneration* generation =
      ChooseForLaunch(platform, ArgumentAt(args, 1), pickedRelease, installed, &refusal);
  if (generation == nullptr) return Refuse(host, refusal);
  bool namedMdbSwitch = false;
  const std::wstring registered = GetLaunchCommand(platform, *generation, &namedMdbSwitch);
  if (registered.empty() && namedMdbSwitch) {
    return Refuse(host, GenerationName(*generation) +
                            L"の開くコマンドがMdbSwitchを指しているため、Accessを起動できません。"
                            L"Accessの登録を修復してください");
  }
  const std::optional<std::wstring> commandLine = ComposeAccessCommandLine(registered, args);
  if (!commandLine) return Refuse(host, L"BakReg取得失敗");
  WriteDebugLog(host, L"strShell$=" + *commandLine, gLogFile);
  const TakeBack before = PrepareTakeBack(platform);
  const int exitCode = ShellAndWait(platform.process, *commandLine, [&platform, &before] {
    try {
      ReclaimAfterAccess(platform, before);
    } catch (...) {
      // The session is ending: nothing can be shown any more.
    }
  });
  // Access may have taken .mdb and .mde over while it ran; only that is undone.
  ReclaimAfterAccess(platform, before);
  return exitCode;
}

}  // namespace mdb

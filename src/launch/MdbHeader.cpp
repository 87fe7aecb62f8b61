#include "launch/MdbHeader.h"

#include <cstdint>

namespace mdb {

namespace {

// The definition page begins with its page type 0, then 01 00 00, then the
// engine name; the format code is a little-endian 32-bit value at 0x14.
const char kMagic[4] = {0x00, 0x01, 0x00, 0x00};
const std::size_t kNameOffset = 4;
const std::size_t kNameSize = 16;  // fifteen letters and their NUL
const char kJetName[kNameSize + 1] = "Standard Jet DB";
const char kAceName[kNameSize + 1] = "Standard ACE DB";
const std::size_t kFormatOffset = 0x14;

const std::size_t kJet3PageSize = 2048;
const std::size_t kJet4PageSize = 4096;

// Access 1.0, 1.1 and 2.0 files share Jet 3's format code 0 and its 2 KB
// page; they are told apart by a generation byte at 0x40A that holds 7, 8 or
// 9 for them.
const std::size_t kOldJetGenerationOffset = 0x40A;

enum class Engine { None, Jet, Ace };

Engine EngineOf(const std::string& bytes) {
  if (bytes.size() < kMdbPrefixSize) return Engine::None;
  if (bytes.compare(0, sizeof kMagic, kMagic, sizeof kMagic) != 0) return Engine::None;
  if (bytes.compare(kNameOffset, kNameSize, kJetName, kNameSize) == 0) return Engine::Jet;
  if (bytes.compare(kNameOffset, kNameSize, kAceName, kNameSize) == 0) return Engine::Ace;
  return Engine::None;
}

std::uint32_t FormatCode(const std::string& bytes) {
  std::uint32_t code = 0;
  for (std::size_t i = 0; i < 4; ++i) {
    code |= static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[kFormatOffset + i]))
            << (8 * i);
  }
  return code;
}

// Version text of a Jet file with a complete first page; "" when unknown.
std::wstring JetVersion(const std::string& bytes, std::uint32_t code) {
  if (code == 1) return L"4.0";
  if (code != 0) return std::wstring();
  switch (bytes[kOldJetGenerationOffset]) {
    case 7: return L"1.0";
    case 8: return L"1.1";
    case 9: return L"2.0";
    default: return L"3.0";
  }
}

// ACE reports its own engine versions; codes past the known ones are not
// guessed at.
std::wstring AceVersion(std::uint32_t code) {
  switch (code) {
    case 2: return L"12.0";
    case 3: return L"14.0";
    case 4: return L"15.0";
    case 5: return L"16.0";
    case 6: return L"17.0";
    default: return std::wstring();
  }
}

}  // namespace

std::size_t MdbFirstPageSize(const std::string& bytes) {
  const Engine engine = EngineOf(bytes);
  if (engine == Engine::None) return 0;
  const std::uint32_t code = FormatCode(bytes);
  if (engine == Engine::Jet && code == 0) return kJet3PageSize;
  if (engine == Engine::Jet && code == 1) return kJet4PageSize;
  if (engine == Engine::Ace && !AceVersion(code).empty()) return kJet4PageSize;
  return 0;
}

bool MdbVersionFromFirstPage(const std::string& bytes, std::wstring* version) {
  const std::size_t pageSize = MdbFirstPageSize(bytes);
  if (pageSize == 0 || bytes.size() < pageSize) return false;
  const std::uint32_t code = FormatCode(bytes);
  const std::wstring text =
      EngineOf(bytes) == Engine::Jet ? JetVersion(bytes, code) : AceVersion(code);
  if (text.empty()) return false;
  *version = text;
  return true;
}

}  // namespace mdb

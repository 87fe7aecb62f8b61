// Database-like files for the probe's tests: a first page with the header
// fields a real Jet or ACE file carries, filled with bytes that look like the
// uninitialised rest of a page. Made here rather than kept as binary files.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace probe_samples {

constexpr std::size_t kJet3Page = 2048;
constexpr std::size_t kJet4Page = 4096;
constexpr std::size_t kOldJetGenerationOffset = 0x40A;

// `pages` pages of `pageSize` bytes, the first one a definition page of
// `engineName` ("Standard Jet DB" or "Standard ACE DB") with `formatCode`.
inline std::string DatabaseFile(const char* engineName, std::uint32_t formatCode,
                                std::size_t pageSize, std::size_t pages = 3) {
  std::string bytes(pageSize * pages, '\0');
  std::uint32_t noise = 0x2545F491u;
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    noise = noise * 1103515245u + 12345u;
    bytes[i] = static_cast<char>(noise >> 24);
  }
  bytes[0] = 0x00;
  bytes[1] = 0x01;
  bytes[2] = 0x00;
  bytes[3] = 0x00;
  const std::string name(engineName);
  for (std::size_t i = 0; i < 16; ++i) bytes[4 + i] = i < name.size() ? name[i] : '\0';
  for (std::size_t i = 0; i < 4; ++i) bytes[0x14 + i] = static_cast<char>(formatCode >> (8 * i));
  // Keep the noise from looking like an Access 1.x or 2.x file.
  if (pageSize == kJet3Page) bytes[kOldJetGenerationOffset] = 0x00;
  return bytes;
}

inline std::string Jet3File() { return DatabaseFile("Standard Jet DB", 0, kJet3Page); }
inline std::string Jet4File() { return DatabaseFile("Standard Jet DB", 1, kJet4Page); }
inline std::string AceFile(std::uint32_t formatCode = 2) {
  return DatabaseFile("Standard ACE DB", formatCode, kJet4Page);
}
// Access 1.0 (7), 1.1 (8) or 2.0 (9).
inline std::string OldJetFile(char generation) {
  std::string bytes = Jet3File();
  bytes[kOldJetGenerationOffset] = generation;
  return bytes;
}

}  // namespace probe_samples

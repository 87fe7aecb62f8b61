// The host services on Win32, wide calls throughout.
#pragma once

#include "platform/Host.h"
#include "platform/TextCodec.h"

namespace mdb {

class Win32Host final : public IHost {
 public:
  explicit Win32Host(ITextCodec& codec) : codec_(codec) {}
  std::wstring CommandLineText() override;
  std::wstring ProgramDirectory() override;
  std::wstring ExecutableBaseName() override;
  std::wstring ApplicationTitle() override;
  std::wstring FindEntry(const std::wstring& path, unsigned mask) override;
  std::wstring FullPath(const std::wstring& path) override;
  void RemoveFile(const std::wstring& path) override;
  void AppendLine(const std::wstring& path, const std::wstring& text) override;
  std::wstring CurrentDateTime() override;
  std::wstring UniqueStamp() override;
  void ShowMessage(const std::wstring& text, MessageIcon icon, const std::wstring* title) override;
  bool AskYesNo(const std::wstring& text, MessageIcon icon) override;
  std::wstring ErrorText(std::uint32_t code) override;
  [[noreturn]] void EndProgram(int status) override;

 private:
  std::wstring ModulePath();
  ITextCodec& codec_;
};

}  // namespace mdb

#include "association/AccessGeneration.h"

namespace mdb {

namespace {

constexpr Opening kYes = Opening::Natively;
constexpr Opening kAsk = Opening::AfterAsking;
constexpr Opening kNo = Opening::Never;

// Access 2000 opens a Jet 3 file only after asking to convert or enable it,
// and not the 2002-2003 format; 2002 to 2010 open both Jet 4 formats and ask
// for Jet 3; 2013 and later refuse Jet 3 outright. From 2007 on .mdb belongs
// to the shared class "Access.MDBFile".
const std::vector<AccessGeneration> kGenerations = {
    {L"8", L"97", false, kYes, kNo, kNo},      {L"9", L"2000", false, kAsk, kYes, kNo},
    {L"10", L"2002", false, kAsk, kYes, kYes}, {L"11", L"2003", false, kAsk, kYes, kYes},
    {L"12", L"2007", true, kAsk, kYes, kYes},  {L"14", L"2010", true, kAsk, kYes, kYes},
    {L"15", L"2013", true, kNo, kYes, kYes},   {L"16", L"2016", true, kNo, kYes, kYes},
};

// The position in the table of the generation that writes `format`.
std::size_t MakerOf(MdbFormat format) {
  switch (format) {
    case MdbFormat::Jet3: return 0;
    case MdbFormat::Jet4Access2000: return 1;
    default: return 2;
  }
}

std::size_t PositionOf(const AccessGeneration* generation) {
  return static_cast<std::size_t>(generation - kGenerations.data());
}

// The first installed generation from the maker on that opens `format` as
// `wanted`; null when there is none.
const AccessGeneration* NearestLater(const GenerationSet& installed, MdbFormat format,
                                     Opening wanted) {
  for (const AccessGeneration* generation : installed) {
    if (PositionOf(generation) >= MakerOf(format) && OpeningOf(*generation, format) == wanted) {
      return generation;
    }
  }
  return nullptr;
}

}  // namespace

const std::vector<AccessGeneration>& AccessGenerations() { return kGenerations; }

const AccessGeneration* FindGeneration(const std::wstring& code) {
  for (const AccessGeneration& generation : kGenerations) {
    if (code == generation.code) return &generation;
  }
  return nullptr;
}

const AccessGeneration* FindGenerationByRelease(const std::wstring& release) {
  for (const AccessGeneration& generation : kGenerations) {
    if (release == generation.release) return &generation;
  }
  return nullptr;
}

const AccessGeneration& Access97() { return kGenerations[0]; }
const AccessGeneration& Access2000() { return kGenerations[1]; }

Opening OpeningOf(const AccessGeneration& generation, MdbFormat format) {
  switch (format) {
    case MdbFormat::Jet3: return generation.jet3;
    case MdbFormat::Jet4Access2000: return generation.jet4Access2000;
    case MdbFormat::Jet4Access2002: return generation.jet4Access2002;
    default: return Opening::Never;
  }
}

std::wstring ClassOf(const AccessGeneration& generation) {
  return std::wstring(L"Access.Application.") + generation.code;
}

std::wstring MdbClassOf(const AccessGeneration& generation) {
  return generation.sharedMdbClass ? L"Access.MDBFile" : ClassOf(generation);
}

std::wstring FormatName(MdbFormat format) {
  switch (format) {
    case MdbFormat::Jet3: return L"Access 97形式 (Jet 3)";
    case MdbFormat::Jet4Access2000: return L"Access 2000形式 (Jet 4)";
    case MdbFormat::Jet4Access2002: return L"Access 2002-2003形式 (Jet 4)";
    default: return L"不明な形式";
  }
}

std::wstring GenerationName(const AccessGeneration& generation) {
  return std::wstring(L"Access ") + generation.release;
}

bool Opens(const AccessGeneration& generation, MdbFormat format, bool compiled) {
  const Opening opening = OpeningOf(generation, format);
  return opening == Opening::Natively || (opening == Opening::AfterAsking && !compiled);
}

const AccessGeneration* ChooseGeneration(const GenerationSet& installed, MdbFormat format,
                                         bool compiled) {
  if (format == MdbFormat::Unknown) return nullptr;
  const AccessGeneration* chosen = NearestLater(installed, format, Opening::Natively);
  // Only Jet 3 is opened after asking, by generations later than its maker;
  // a compiled one cannot be converted, so it runs in Access 97 alone.
  if (chosen != nullptr || compiled) return chosen;
  return NearestLater(installed, format, Opening::AfterAsking);
}

bool Jet4FormatMatters(const GenerationSet& installed) {
  bool has2000 = false;
  for (const AccessGeneration* generation : installed) {
    if (generation == &Access2000()) has2000 = true;
    if (has2000 && PositionOf(generation) > PositionOf(&Access2000())) return true;
  }
  return false;
}

const AccessGeneration* Jet4Generation(const GenerationSet& installed) {
  return ChooseGeneration(installed, MdbFormat::Jet4Access2000);
}

MdbFormat Jet4FormatOf(const std::wstring& accessVersion) {
  // "08.50", "09.50": the two digits before the point are Access's own
  // version; anything unreadable counts as the older format.
  const std::size_t point = accessVersion.find(L'.');
  int major = 0;
  for (std::size_t i = 0; i < point && i < accessVersion.size(); ++i) {
    const wchar_t c = accessVersion[i];
    if (c < L'0' || c > L'9' || major > 99) return MdbFormat::Jet4Access2000;
    major = major * 10 + (c - L'0');
  }
  if (point == std::wstring::npos) return MdbFormat::Jet4Access2000;
  return major >= 9 ? MdbFormat::Jet4Access2002 : MdbFormat::Jet4Access2000;
}

}  // namespace mdb

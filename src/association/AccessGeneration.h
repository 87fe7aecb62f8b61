// The Access generations the program knows, from Access 97 to Microsoft 365,
// which database formats each opens, and which installed generation a file
// goes to. Pure data and choices; nothing here reads the registry or a file.
#pragma once

#include <string>
#include <vector>

namespace mdb {

// What a database file is, as far as the choice of an Access needs to know.
enum class MdbFormat {
  Unknown,         // not a database any of these generations opens
  Jet3,            // Access 97
  Jet4Access2000,  // Jet 4 in the Access 2000 format, or not told apart
  Jet4Access2002,  // Jet 4 in the Access 2002-2003 format
};

// How a generation opens a format: as its own, only after Access asks to
// convert or enable the file, or not at all.
enum class Opening { Natively, AfterAsking, Never };

struct AccessGeneration {
  const wchar_t* code;     // its class is "Access.Application." + code
  const wchar_t* release;  // the release name the window shows ("97", "2003")
  bool sharedMdbClass;     // .mdb belongs to "Access.MDBFile", not its own class
  Opening jet3;
  Opening jet4Access2000;
  Opening jet4Access2002;
};

// Every known generation, oldest first.
const std::vector<AccessGeneration>& AccessGenerations();
// The generation with that code, or null.
const AccessGeneration* FindGeneration(const std::wstring& code);
// The generation with that release name ("97", "2003"), or null.
const AccessGeneration* FindGenerationByRelease(const std::wstring& release);
// Access 97 and Access 2000, whose stored keys and texts the program keeps.
const AccessGeneration& Access97();
const AccessGeneration& Access2000();

Opening OpeningOf(const AccessGeneration& generation, MdbFormat format);
// "Access.Application." + code.
std::wstring ClassOf(const AccessGeneration& generation);
// The class that gives .mdb back to this generation.
std::wstring MdbClassOf(const AccessGeneration& generation);
// How the messages name a format, e.g. "Access 2000形式 (Jet 4)".
std::wstring FormatName(MdbFormat format);
// How the messages and the verbs name a generation, e.g. "Access 97".
std::wstring GenerationName(const AccessGeneration& generation);

// Installed generations, oldest first, each one entry of AccessGenerations().
using GenerationSet = std::vector<const AccessGeneration*>;

// Whether `generation` opens a file of `format`: as its own or, unless the
// file is a compiled database (an MDE, which has no source to convert),
// after asking to convert or enable it.
bool Opens(const AccessGeneration& generation, MdbFormat format, bool compiled);
// The generation a file of `format` goes to: the one that made it, else the
// nearest later one that opens it natively, else, unless `compiled`, the
// nearest one that opens it after asking; never one that refuses it. Null
// when none installed does.
const AccessGeneration* ChooseGeneration(const GenerationSet& installed, MdbFormat format,
                                         bool compiled = false);
// Whether the two Jet 4 formats can go to different generations here: only
// with Access 2000 and a later generation both installed.
bool Jet4FormatMatters(const GenerationSet& installed);
// Where Jet 4 files go unread: the window's second row. Null when nowhere.
const AccessGeneration* Jet4Generation(const GenerationSet& installed);
// The format a Jet 4 file's AccessVersion property stands for: "09.50" and
// later the 2002-2003 format, anything else (none included) the 2000 one.
MdbFormat Jet4FormatOf(const std::wstring& accessVersion);

}  // namespace mdb

// Long path expansion against the in-memory host's directory entries.
#include <gtest/gtest.h>

#include <cwchar>

#include "fakes/FakeTextCodec.h"
#include "fakes/FakeHost.h"
#include "startup/mLongFileName3.h"

namespace mdb {
namespace {

const std::wstring kNotFound = L"ファイルが見つかりません。";

class LongFileName : public ::testing::Test {
 protected:
  LongFileName() {
    host().AddEntry(L"C:\\PROGRA~1", L"Program Files", kEntryDirectory);
    host().AddEntry(L"C:\\PROGRA~1\\SALES~1.MDB", L"Sales 2000.mdb");
    host().AddEntry(L"C:\\DATA", L"Data", kEntryDirectory);
    host().AddEntry(L"C:\\DATA\\KEEP.MDB", L"Keep.mdb");
    host().AddEntry(L"C:\\DATA\\HIDDEN", L"Hidden", kEntryDirectory | kEntryHidden);
    host().AddEntry(L"C:\\DATA\\HIDDEN\\SYS.MDB", L"Sys.mdb", kEntryHidden | kEntrySystem);
    host().AddEntry(L"C:\\DATA\\ÜNÏ✓", L"Ünï ✓", kEntryDirectory);
    host().AddEntry(L"C:\\DATA\\ÜNÏ✓\\Ä.MDB", L"Ä.mdb");
  }
  FakeHost& host() { return host_; }
  std::vector<std::wstring> Lookups() const {
    std::vector<std::wstring> found;
    for (const auto& event : host_.events) {
      if (event.rfind(L"find:", 0) == 0) found.push_back(event.substr(5));
    }
    return found;
  }

 private:
  FakeTextCodec codec_;
  FakeHost host_{codec_};
};

TEST_F(LongFileName, ExpandsEachComponentFromItsUnexpandedPrefix) {
  EXPECT_EQ(GetLongFileName(host(), L"C:\\PROGRA~1\\SALES~1.MDB"),
            L"C:\\Program Files\\Sales 2000.mdb");
  EXPECT_EQ(Lookups(), (std::vector<std::wstring>{L"C:\\PROGRA~1", L"C:\\PROGRA~1\\SALES~1.MDB"}));
}

struct Case {
  const wchar_t* given;
  const wchar_t* expected;
};

void PrintTo(const Case& c, std::ostream* os) { *os << "path #" << std::wcslen(c.given); }

class LongFileNameCases : public LongFileName, public ::testing::WithParamInterface<Case> {};

TEST_P(LongFileNameCases, GivesTheStoredFormOrNotFound) {
  EXPECT_EQ(GetLongFileName(host(), GetParam().given), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Paths, LongFileNameCases,
                         ::testing::Values(
                             // The drive keeps the caller's case; the rest takes the stored case.
                             Case{L"c:\\DATA\\KEEP.MDB", L"c:\\Data\\Keep.mdb"},
                             Case{L"C:\\Data\\Keep.mdb", L"C:\\Data\\Keep.mdb"}, Case{L"", L"\\"},
                             Case{L"C:", L"C:"}, Case{L"C:\\DATA\\GONE.MDB", kNotFound.c_str()},
                             Case{L"C:\\NOWHERE\\KEEP.MDB", kNotFound.c_str()},
                             Case{L"C:\\DATA\\HIDDEN\\SYS.MDB", L"C:\\Data\\Hidden\\Sys.mdb"},
                             Case{L"C:\\DATA\\ÜNÏ✓\\Ä.MDB", L"C:\\Data\\Ünï ✓\\Ä.mdb"},
                             // A wildcard would match some other entry; nothing is stored so.
                             Case{L"C:\\DATA\\*.MDB", kNotFound.c_str()},
                             Case{L"C:\\DAT?\\KEEP.MDB", kNotFound.c_str()},
                             // Windows also matches "<", ">" and '"' as wildcards: KEEP.MD> would
                             // open Keep.mdb, a file the user never named.
                             Case{L"C:\\DATA\\KEEP.MD>", kNotFound.c_str()},
                             Case{L"C:\\DATA\\<.MDB", kNotFound.c_str()},
                             Case{L"C:\\DATA\\KEEP\".MDB", kNotFound.c_str()},
                             Case{L"C:\\DAT>\\KEEP.MDB", kNotFound.c_str()}));

TEST_F(LongFileName, StopsAtTheFirstMissingComponent) {
  EXPECT_EQ(GetLongFileName(host(), L"C:\\NOWHERE\\DEEPER\\X.MDB"), kNotFound);
  EXPECT_EQ(Lookups(), std::vector<std::wstring>{L"C:\\NOWHERE"});
}

// Windows reads "/" as a separator too; taking the whole of C:/DATA/KEEP.MDB
// as one component would drop its directory and name C:\Keep.mdb instead.
TEST_F(LongFileName, ForwardSlashesSeparateComponents) {
  host().AddEntry(L"C:/DATA", L"Data", kEntryDirectory);
  host().AddEntry(L"C:/DATA/KEEP.MDB", L"Keep.mdb");
  host().AddEntry(L"C:\\KEEP.MDB", L"Keep.mdb");
  EXPECT_EQ(GetLongFileName(host(), L"C:/DATA/KEEP.MDB"), L"C:\\Data\\Keep.mdb");
  EXPECT_EQ(Lookups(), (std::vector<std::wstring>{L"C:/DATA", L"C:/DATA/KEEP.MDB"}));
}

TEST_F(LongFileName, WildcardPathIsNeverLookedUp) {
  for (const wchar_t* path : {L"C:\\DATA\\*.MDB", L"C:\\DATA\\KEEP.MD?", L"C:\\DATA\\KEEP.MD>",
                              L"C:\\DATA\\KEEP<", L"C:\\DATA\\KEEP\".MDB"}) {
    EXPECT_EQ(GetLongFileName(host(), path), kNotFound);
  }
  EXPECT_TRUE(Lookups().empty());
}

}  // namespace
}  // namespace mdb

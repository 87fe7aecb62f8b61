// The in-memory code page 932 codec, held to what WideCharToMultiByte and
// MultiByteToWideChar give for code page 932 under Wine.
#include <gtest/gtest.h>

#include "fakes/FakeTextCodec.h"

namespace mdb {
namespace {

struct NarrowCase {
  const char* name;
  std::wstring wide;
  std::string narrow;
};

void PrintTo(const NarrowCase& c, std::ostream* os) { *os << c.name; }

class Cp932ToNarrow : public ::testing::TestWithParam<NarrowCase> {};

TEST_P(Cp932ToNarrow, GivesTheCodePageBytes) {
  FakeTextCodec codec;
  EXPECT_EQ(codec.ToNarrow(GetParam().wide), GetParam().narrow);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, Cp932ToNarrow,
    ::testing::Values(NarrowCase{"Empty", L"", ""}, NarrowCase{"Ascii", L"C:\\A.mdb", "C:\\A.mdb"},
                      NarrowCase{"DoubleByte", L"データ", "\x83\x66\x81\x5B\x83\x5E"},
                      NarrowCase{"HalfWidthKana", L"\xFF8C\xFF67", "\xCC\xA7"},
                      NarrowCase{"EmbeddedZero", std::wstring(L"a\0b", 3), std::string("a\0b", 3)},
                      // No mapping: the default character, one for each character given.
                      NarrowCase{"Unmappable",
                                 L"a\x0E01"
                                 L"b",
                                 "a?b"},
                      NarrowCase{"LoneSurrogate",
                                 L"a\xD800"
                                 L"b",
                                 "a?b"},
                      // Past U+FFFF a character is two UTF-16 units on Windows, and each
                      // gives the default character.
                      NarrowCase{"OutsideTheBasicPlane", L"a\U0001F600b", "a??b"},
                      // Unicode's tag characters have no mapping either; they must not
                      // vanish, or a name that holds one would shrink.
                      NarrowCase{"TagCharacters", L"a\U000E0001\U000E0041\U000E007Fb", "a??????b"},
                      NarrowCase{"TagCharacterAlone", L"\U000E0020", "??"},
                      NarrowCase{"TagsAroundDoubleByte", L"\U000E0000データ\U000E007F",
                                 "??\x83\x66\x81\x5B\x83\x5E??"},
                      NarrowCase{"JustPastTheTags", L"\U000E0080\U000DFFFF", "????"},
                      // The single bytes Windows maps outside iconv's table.
                      NarrowCase{"SingleBytePrivateUse", L"\x0080\xF8F0\xF8F1\xF8F2\xF8F3",
                                 "\x80\xA0\xFD\xFE\xFF"}),
    [](const ::testing::TestParamInfo<NarrowCase>& info) { return std::string(info.param.name); });

class Cp932FromNarrow : public ::testing::TestWithParam<NarrowCase> {};

TEST_P(Cp932FromNarrow, GivesTheUnicodeText) {
  FakeTextCodec codec;
  EXPECT_EQ(codec.FromNarrow(GetParam().narrow), GetParam().wide);
}

INSTANTIATE_TEST_SUITE_P(
    Bytes, Cp932FromNarrow,
    ::testing::Values(NarrowCase{"Empty", L"", ""},
                      NarrowCase{"DoubleByte", L"売上", "\x94\x84\x8F\xE3"},
                      NarrowCase{"EmbeddedZero", std::wstring(L"a\0b", 3), std::string("a\0b", 3)},
                      NarrowCase{"SingleBytePrivateUse", L"\x0080\xF8F0\xF8F1\xF8F2\xF8F3",
                                 "\x80\xA0\xFD\xFE\xFF"},
                      // A lead byte takes the next byte along, whatever it is, but a zero
                      // byte; a pair without a character gives the katakana middle dot.
                      NarrowCase{"UnassignedDoubleByte",
                                 L"a\x30FB"
                                 L"b",
                                 "a\x85\x40"
                                 "b"},
                      NarrowCase{"LeadWithInvalidTrail",
                                 L"a\x30FB"
                                 L"b",
                                 "a\x81\x20"
                                 "b"},
                      NarrowCase{"LeadBeforeZero", std::wstring(L"a\x30FB\0b", 4),
                                 std::string("a\x81\0b", 4)},
                      NarrowCase{"CutDoubleByte", L"a\x30FB", "a\x83"}),
    [](const ::testing::TestParamInfo<NarrowCase>& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace mdb

// Finding names through the index beside the donor table: every lookup must give what a scan of
// the table in order, comparing without regard to ASCII letter case, would give.

#include "ledger/donor_index.hpp"

#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <string>
#include <vector>

#include "ledger/donor_table.hpp"
#include "ledger/name_folding.hpp"
#include "output/message_channel.hpp"
#include "unit/ledger/donor_table_fixture.hpp"

namespace {

using DonorIndexTest = DonorTableTest;

// Upper case of the ASCII letters only, as a treasurer's list may spell a name again.
std::string shouted(std::string name) {
  for (char& ch : name) {
    if (ch >= 'a' && ch <= 'z') {
      ch = static_cast<char>(ch - 'a' + 'A');
    }
  }
  return name;
}

TEST_F(DonorIndexTest, AFullTableFindsEveryNameInAnyCaseAndInTableOrder) {
  // Lengths around the eight-character words the index compares, and names that differ only in
  // their last character or inside a word.
  std::vector<std::string> names;
  for (int i = 0; i < static_cast<int>(kDonorTableSize); ++i) {
    const int length = 1 + i % 40;
    std::string name(static_cast<std::size_t>(length), 'q');
    const std::string number = std::to_string(i);
    name.replace(name.size() >= number.size() ? name.size() - number.size() : 0, number.size(),
                 number);
    names.push_back("d" + name);
  }
  for (std::size_t i = 0; i < names.size(); ++i) {
    ASSERT_EQ(findOrCreateDonor(names[i].c_str(), 1), static_cast<int>(i)) << names[i];
  }
  for (std::size_t i = 0; i < names.size(); ++i) {
    EXPECT_EQ(findOrCreateDonor(shouted(names[i]).c_str(), 2), static_cast<int>(i)) << names[i];
    EXPECT_STREQ(donorTable[i].name.data(), names[i].c_str());  // the first spelling stays
  }
  EXPECT_EQ(donorTable.count, kDonorTableSize);
  EXPECT_EQ(output(), "");
  EXPECT_EQ(findOrCreateDonor("dnew", 9), -1);
  EXPECT_EQ(output(),
            "gifts.txt:9 ? ERROR: No room to create donor dnew\n"
            "gifts.txt:9 ! INFO: The donor table holds 512 names; run again with -n=NUMBER to "
            "hold more\n");
}

TEST_F(DonorIndexTest, ALargeTableFindsEveryNameAsTheIndexGrows) {
  // Past several doublings of the index, of the records and of the blocks of long names (every
  // other name is one); each name is looked up again after every growth, in other letter case.
  constexpr int kNames = 70000;
  ASSERT_TRUE(setDonorTableSize(kNames));
  std::vector<std::string> names;
  for (int i = 0; i < kNames; ++i) {
    names.push_back("Giver " + std::to_string(i * 7919 % kNames) +
                    (i % 2 == 0 ? ", trustee of the family estate" : ""));
    ASSERT_EQ(findOrCreateDonor(names.back().c_str(), 1), i);
    if ((i & (i - 1)) == 0) {  // a power of two: the index has just grown, or is about to
      for (int j = 0; j <= i; j += 1 + i / 64) {
        ASSERT_EQ(findOrCreateDonor(shouted(names[static_cast<std::size_t>(j)]).c_str(), 2), j);
      }
    }
  }
  for (int i = 0; i < kNames; ++i) {
    ASSERT_EQ(findOrCreateDonor(shouted(names[static_cast<std::size_t>(i)]).c_str(), 3), i);
  }
  EXPECT_EQ(donorTable.count, static_cast<std::uint32_t>(kNames));
  EXPECT_EQ(findOrCreateDonor("one too many", 4), -1);
  EXPECT_EQ(output(),
            "gifts.txt:4 ? ERROR: No room to create donor one too many\n"
            "gifts.txt:4 ! INFO: The donor table holds 70000 names; run again with -n=NUMBER to "
            "hold more\n");
}

// Names outside ASCII match after simple case folding and canonical composition, whichever of
// the two spellings comes first; the index must hash both alike.
TEST_F(DonorIndexTest, LettersFoldAsUnicodeFoldsThemAndAccentsCompose) {
  struct Pair {
    const char* first;
    const char* second;
    bool same;
  };
  const Pair pairs[] = {
    { "Baker, Susan", "BAKER, SUSAN", true },
    { "Acme", "aCME", true },
    { "Name@", "Name`", false },              // '@' and '`' lie beside the letters
    { "Name[", "Name{", false },              // so do '[' and '{'
    { "Jos\xc3\xa9", "JOS\xc3\x89", true },         // José, JOSÉ
    { "Jos\xc3\xa9", "Jose\xcc\x81", true },        // é and e with a combining acute
    { "JOSE\xcc\x81", "jos\xc3\xa9", true },
    { "Zo\xc3\xab", "ZO\xc3\x8b", true },           // Zoë, ZOË
    { "Stra\xc3\x9f" "e", "STRASSE", false },       // ß folds to two letters only in full
    { "Stra\xc3\x9f" "e", "STRA\xe1\xba\x9e" "E", true },  // capital sharp s (status S)
    { "\xc5\xbfmith", "Smith", true },               // long s folds to s: an ASCII spelling
    { "Kim", "\xe2\x84\xaaim", true },              // the Kelvin sign is a K
    { "\xc4\xb0pek", "ipek", false },               // İ keeps its dot: no Turkic folding
    { "\xc4\xb0pek", "i\xcc\x87pek", true },
    { "\xed\x95\x9c", "\xe1\x84\x92\xe1\x85\xa1\xe1\x86\xab", true },  // a Hangul syllable
    { "\xea\xb0\x80", "\xe1\x84\x80\xe1\x85\xa1", true },  // and one without a final
    { "\xe1\xbe\x88", "\xce\x91\xcc\x93\xcd\x85", true },  // Greek with ypogegrammeni
    { "a\xcc\xa3\xcc\x81", "A\xcc\x81\xcc\xa3", true },  // marks in either order
    { "\xcc\x81" "a", "\xcc\x81" "A", true },        // a name that starts with a mark
    { "\xe0\xa5\x98", "\xe0\xa4\x95\xe0\xa4\xbc", true },  // excluded from composition
    { "\xc8\xba" "b", "\xe2\xb1\xa5" "B", true },   // a folding that takes another byte
    { "Fund \xf0\x9f\x8c\xb1", "FUND \xf0\x9f\x8c\xb1", true },  // four-byte characters
    { "Fundaci\xc3\xb3n de Castilla y Le\xc3\xb3n", "FUNDACI\xc3\x93N DE CASTILLA Y LE\xc3\x93N",
      true },                                      // a long name, kept apart from its record
    { "Jos\xe9", "JOS\xc9", false },               // not UTF-8: compared as bytes
    { "Jos\xe9", "jos\xe9", true },
    { "Jos\xc3\xa9", "Jos\xe9", false },
    { "Long name of a foundation", "Long name of a foundatioN", true },
    { "Long name of a foundation", "Long name of a foundatio", false },
    { "Eight ch", "EIGHT CH", true },
  };
  for (const Pair& pair : pairs) {
    startAfresh();
    ASSERT_EQ(findOrCreateDonor(pair.first, 1), 0);
    EXPECT_EQ(findOrCreateDonor(pair.second, 2), pair.same ? 0 : 1)
        << pair.first << " / " << pair.second;
  }
}

// The folded form a name outside ASCII is compared and hashed by: simple case folding of its
// canonical decomposition, composed again.
TEST(NameFoldingTest, TheFoldedFormIsTheComposedSimpleFolding) {
  struct Case {
    const char* name;
    const char* folded;  // nullptr: not UTF-8, compared as bytes
  };
  const Case cases[] = {
    { "JOS\xc3\x89 Mart\xc3\xadnez", "jos\xc3\xa9 mart\xc3\xadnez" },
    { "JOSE\xcc\x81", "jos\xc3\xa9" },                          // composed
    { "Stra\xc3\x9f" "e", "stra\xc3\x9f" "e" },                   // ß stays one letter
    { "\xe1\xba\x9e", "\xc3\x9f" },                               // capital sharp s
    { "\xe2\x84\xaa", "k" },                                      // Kelvin sign
    { "\xe2\x84\xab", "\xc3\xa5" },                               // Angstrom sign: å
    { "\xe1\x84\x92\xe1\x85\xa1\xe1\x86\xab", "\xed\x95\x9c" },  // Hangul composed
    { "\xed\x95\x9c", "\xed\x95\x9c" },
    { "\xe1\xbe\x88", "\xe1\xbc\x80\xce\xb9" },                  // ypogegrammeni folds to iota
    { "a\xcc\x81\xcc\xa3", "\xe1\xba\xa1\xcc\x81" },              // marks ordered, then composed
    { "\xcc\x81" "A", "\xcc\x81" "a" },                            // a leading mark stays
    { "\xcc\x81\xcc\xa3", "\xcc\xa3\xcc\x81" },                    // marks alone, ordered
    { "\xe1\x84\x80" "a\xe1\x84\x80\xe1\x86\xa8", "\xe1\x84\x80" "a\xe1\x84\x80\xe1\x86\xa8" },
    { "", nullptr },
    { "\xe0\x80\x80", nullptr },                                  // overlong in three bytes
    { "\xe0\xa5\x98", "\xe0\xa4\x95\xe0\xa4\xbc" },               // not composed again
    { "\xf0\x90\x90\x80", "\xf0\x90\x90\xa8" },                    // Deseret: four bytes
    { "Jos\xe9", nullptr },
    { "\xc0\x80", nullptr },                                      // overlong
    { "\xed\xa0\x80", nullptr },                                  // a surrogate
    { "\xf4\x90\x80\x80", nullptr },                              // past U+10FFFF
    { "\xe2\x84", nullptr },                                      // cut short
  };
  for (const Case& c : cases) {
    std::array<char, kFoldedNameRoom> folded{};
    const std::size_t length = foldName(c.name, std::strlen(c.name), folded.data());
    if (c.folded == nullptr) {
      EXPECT_EQ(length, 0u) << c.name;
    } else {
      EXPECT_EQ(std::string(folded.data(), length), c.folded) << c.name;
    }
  }
}

TEST_F(DonorIndexTest, NamesPastTheStoredLengthFindTheirEntry) {
  const std::string base(255, 'x');
  ASSERT_EQ(findOrCreateDonor((base + "first tail").c_str(), 1), 0);
  EXPECT_EQ(findOrCreateDonor((shouted(base) + "other tail").c_str(), 2), 0);
  EXPECT_EQ(findOrCreateDonor(base.substr(0, 254).c_str(), 3), 1);
}

TEST_F(DonorIndexTest, EntriesWrittenStraightIntoTheTableAreFound) {
  writeEntry("City of Riverside");
  writeEntry("Robert Chen");
  EXPECT_EQ(findOrCreateDonor("ROBERT CHEN", 1), 1);
  EXPECT_EQ(findOrCreateDonor("Maria Garcia", 2), 2);
  writeEntry("Third Entry");
  EXPECT_EQ(findOrCreateDonor("third entry", 3), 3);
  EXPECT_EQ(donorTable.count, 4u);
}

TEST_F(DonorIndexTest, ARepeatedNameInTheTableIsFoundAtItsFirstEntry) {
  writeEntry("Smith");
  writeEntry("Jones");
  writeEntry("SMITH");
  EXPECT_EQ(findOrCreateDonor("smith", 1), 0);
  EXPECT_EQ(findOrCreateDonor("Brown", 2), 3);
  EXPECT_EQ(findOrCreateDonor("brown", 3), 3);
  // The scan that stands in for the untrusted index finds a name spelt another way too.
  EXPECT_EQ(findOrCreateDonor("Zo\xc3\xab", 4), 4);
  EXPECT_EQ(findOrCreateDonor("ZO\xc3\x8b", 5), 4);
  EXPECT_EQ(findOrCreateDonor("Jos\xe9", 6), 5);  // not UTF-8: folds to nothing
  EXPECT_EQ(findOrCreateDonor("M\xc3\xbcll", 7), 6);
  EXPECT_EQ(findOrCreateDonor("M\xc3\x9cLL", 8), 6);
}

TEST_F(DonorIndexTest, AHoleInTheTableIsReportedByTheLookupsThatPassIt) {
  const std::string longName(300, 'x');
  writeEntry("Smith");
  writeEntry(nullptr);  // an empty name inside the used part of the table
  writeEntry("Jones");
  writeEntry(longName.c_str());
  EXPECT_EQ(usedDonorEntries(), 1u);  // walks over the table stop there
  EXPECT_EQ(findOrCreateDonor("Jones", 4), 2);
  EXPECT_EQ(findOrCreateDonor("Smith", 5), 0);
  EXPECT_EQ(findOrCreateDonor(shouted(longName).c_str(), 6), 3);  // compared on what is stored
  EXPECT_EQ(findOrCreateDonor("Brown", 7), 4);
  EXPECT_EQ(output(),
            "gifts.txt:4 ? BUG: Entry 1 in the donor table has an empty donor name\n"
            "gifts.txt:6 ? BUG: Entry 1 in the donor table has an empty donor name\n"
            "gifts.txt:7 ? BUG: Entry 1 in the donor table has an empty donor name\n");
}

TEST_F(DonorIndexTest, ACountLoweredFromOutsideLeavesNoEntryPastItToBeFound) {
  findOrCreateDonor("Smith", 1);
  findOrCreateDonor("Jones", 2);
  findOrCreateDonor("Brown", 3);
  donorTable.count = 1;
  EXPECT_EQ(findOrCreateDonor("Brown", 4), 1);  // made again where the count says, not found
  EXPECT_EQ(donorTable.count, 2u);
  EXPECT_EQ(findOrCreateDonor("smith", 5), 0);
  EXPECT_EQ(
      output(),
      "gifts.txt:4 ? BUG: Poluted donor table, should be all 0s after donor count at index 1\n");
}

TEST_F(DonorIndexTest, LookAheadHintsChangeNoLookup) {
  // Before there is an index, with names of every length, and with an untrusted index.
  const std::string longName(300, 'y');
  prefetchDonor(donorTable, "Smith", 5);
  findOrCreateDonor("Smith", 1);
  for (int i = 0; i < 10; ++i) {
    prefetchDonor(donorTable, "Jones", 5);
    prefetchDonor(donorTable, longName.c_str(), longName.size());
    prefetchDonor(donorTable, "smith", 5);
  }
  EXPECT_EQ(findOrCreateDonor("Jones", 2), 1);
  EXPECT_EQ(findOrCreateDonor(longName.c_str(), 3), 2);
  writeEntry("Jones");  // a repeated name: the index is no longer trusted
  EXPECT_EQ(findOrCreateDonor("Brown", 4), 4);
  prefetchDonor(donorTable, "Brown", 5);
  EXPECT_EQ(findOrCreateDonor("brown", 5), 4);
  EXPECT_EQ(output(), "");
}

TEST_F(DonorIndexTest, TheResetEmptiesTheIndexWithTheTable) {
  findOrCreateDonor("Smith", 1);
  findOrCreateDonor("Jones", 1);
  resetDonorTable();
  EXPECT_EQ(findOrCreateDonor("Jones", 2), 0);
  EXPECT_EQ(donorTable.count, 1u);
}

TEST_F(DonorIndexTest, EveryDayOfElevenYearsBooksUnderItsOwnYear) {
  // More days than the cache of converted days has slots, so days share slots.
  Amount expected[kYearCount] = {};
  for (int year = 2015; year <= 2026; ++year) {
    for (int day = 1; day <= 366; ++day) {
      const std::time_t when = localTime(year, 1, day);
      std::tm local{};
      localtime_r(&when, &local);
      addDonation("Smith", when, day, 1);
      expected[local.tm_year] += day;
    }
  }
  for (int y = 0; y < kYearCount; ++y) {
    EXPECT_EQ(donorTable[0].yearAmounts[static_cast<std::size_t>(y)], expected[y]) << y + 1900;
  }
}

}  // namespace

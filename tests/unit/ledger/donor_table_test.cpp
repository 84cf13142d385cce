#include "ledger/donor_table.hpp"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <limits>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "ledger/donor_groups.hpp"
#include "ledger/donor_index.hpp"
#include "ledger/magnitude_limit.hpp"
#include "ledger/name_match.hpp"
#include "ledger/source_type.hpp"
#include "ledger/year_amounts.hpp"
#include "output/message_channel.hpp"
#include "unit/ledger/donor_table_fixture.hpp"

namespace {

TEST_F(DonorTableTest, NamesMatchWithoutRegardToCaseAndKeepTheFirstSpelling) {
  EXPECT_EQ(findOrCreateDonor("Smith, John", 3), 0);
  EXPECT_EQ(findOrCreateDonor("Jones", 4), 1);
  EXPECT_EQ(findOrCreateDonor("SMITH, john", 5), 0);
  EXPECT_EQ(donorTable.count, 2u);
  EXPECT_STREQ(donorTable[0].name.data(), "Smith, John");
  EXPECT_EQ(output(), "");  // the notes are for verbosity 4 only
}

TEST_F(DonorTableTest, VerbosityFourNotesCreationAndLookup) {
  verbosityLevel = 4;
  findOrCreateDonor("Smith", 3);
  findOrCreateDonor("smith", 4);
  EXPECT_EQ(output(), "!   Create donor[0] 'Smith'\n!    FOUND donor[0] 'Smith'\n");
}

TEST_F(DonorTableTest, BlankNameIsAnInternalFaultAndCreatesNothing) {
  EXPECT_EQ(findOrCreateDonor("", 9), -1);
  EXPECT_EQ(findOrCreateDonor(nullptr, 9), -1);
  addDonation("", localTime(2020, 1, 15), 500, 10);  // no "table full" error after it
  addDonation(nullptr, localTime(2020, 1, 15), 500, 11);
  EXPECT_EQ(donorTable.count, 0u);
  EXPECT_EQ(output(),
            "gifts.txt:9 ? BUG: Donor name must not be blank in findOrCreateDonor\n"
            "gifts.txt:9 ? BUG: Donor name must not be blank in findOrCreateDonor\n"
            "gifts.txt:10 ? BUG: Donor name must not be blank in findOrCreateDonor\n"
            "gifts.txt:11 ? BUG: Donor name must not be blank in findOrCreateDonor\n");
  EXPECT_EQ(errorCount, 0);
}

TEST_F(DonorTableTest, LongNamesAreCutTo255AndStillFindTheirEntry) {
  const std::string longName(300, 'x');
  EXPECT_EQ(findOrCreateDonor(longName.c_str(), 1), 0);
  EXPECT_EQ(std::string(donorTable[0].name.data()), std::string(255, 'x'));
  EXPECT_EQ(findOrCreateDonor(longName.c_str(), 2), 0);
  EXPECT_EQ(donorTable.count, 1u);
}

TEST_F(DonorTableTest, The513thNameFindsNoRoomAndBooksNothing) {
  fillTable();
  output();
  EXPECT_EQ(findOrCreateDonor("donor 511", 2), 511);  // known names are still found
  EXPECT_EQ(findOrCreateDonor("Late", 7), -1);
  addDonation("Later", localTime(2020, 1, 15), 500, 8);
  EXPECT_EQ(donorTable.count, 512u);
  EXPECT_EQ(output(),
            "gifts.txt:7 ? ERROR: No room to create donor Late\n"
            "gifts.txt:7 ! INFO: The donor table holds 512 names; run again with -n=NUMBER to "
            "hold more\n"
            "gifts.txt:8 ? ERROR: No room to create donor Later\n"
            "gifts.txt:8 ? ERROR: Can not create donor Later table full\n");
  EXPECT_EQ(errorCount, 3);
  EXPECT_EQ(infoCount, 1);  // the hint comes once per run
}

TEST_F(DonorTableTest, ALargerTableTakesMoreNamesFromWhenItIsSet) {
  EXPECT_FALSE(setDonorTableSize(511));
  EXPECT_FALSE(setDonorTableSize(1000001));
  EXPECT_EQ(donorTableSize(), kDonorTableSize);
  fillTable();
  EXPECT_EQ(findOrCreateDonor("Late", 2), -1);
  ASSERT_TRUE(setDonorTableSize(514));
  EXPECT_EQ(findOrCreateDonor("Late", 3), 512);
  EXPECT_EQ(findOrCreateDonor("Later", 4), 513);
  EXPECT_EQ(findOrCreateDonor("Too late", 5), -1);
  EXPECT_EQ(output(),
            "gifts.txt:2 ? ERROR: No room to create donor Late\n"
            "gifts.txt:2 ! INFO: The donor table holds 512 names; run again with -n=NUMBER to "
            "hold more\n"
            "gifts.txt:5 ? ERROR: No room to create donor Too late\n");
  EXPECT_EQ(findOrCreateDonor("DONOR 0", 6), 0);
  EXPECT_EQ(findOrCreateDonor("later", 7), 513);
  resetDonorTable();
  EXPECT_EQ(donorTableSize(), kDonorTableSize);  // a run starts from the default
}

TEST_F(DonorTableTest, EachNameKeepsOnlyTheYearsItGaveInInYearOrder) {
  const int years[] = { 2020, 2016, 2024, 2016, 1900, 2155, 2018 };
  for (int year : years) {
    addDonation("Smith", localTime(year, 6, 1), year, 1);
  }
  addDonation("Jones", localTime(2019, 6, 1), 5, 2);
  addDonation("Jones", localTime(2019, 7, 1), -5, 3);  // a year that sums to zero stays a year
  const DonorYears& smith = donorTable[0].yearAmounts;
  std::string seen;
  for (std::size_t k = 0; k < smith.count; ++k) {
    seen +=
        std::to_string(smith.yearAt(k) + kBaseYear) + "=" + std::to_string(smith.amountAt(k)) + " ";
  }
  EXPECT_EQ(seen, "1900=1900 2016=4032 2018=2018 2020=2020 2024=2024 2155=2155 ");
  EXPECT_EQ(smith[116], 4032);
  EXPECT_EQ(smith[117], 0);
  EXPECT_EQ(donorTable[1].yearAmounts.count, 1u);
  EXPECT_EQ(donorTable[1].yearAmounts[119], 0);
  // Forty years, newest first and each given twice: past the years a record holds and through
  // two moves of their run, and past the window of years.
  for (int round = 0; round < 2; ++round) {
    for (int year = 2039; year >= 2000; --year) {
      addDonation("Many", localTime(year, 3, 1), year - 1999, 4);
    }
  }
  // More names past the years a record holds, in turn: a run that one leaves as it grows goes
  // to the next that needs one of its size, beside runs still in use; then enough of them to
  // move the pool itself, with every year in it.
  std::vector<std::string> names = { "First", "Second", "Third" };
  std::vector<std::pair<std::size_t, int>> steps = { { 0, 9 }, { 1, 16 }, { 0, 17 }, { 2, 16 } };
  for (std::size_t n = 3; n < 303; ++n) {
    names.push_back("Giver " + std::to_string(n));
    steps.emplace_back(n, 9);
  }
  std::vector<std::map<int, Amount>> expected(names.size());
  for (const auto& [n, yearsGiven] : steps) {
    for (int year = 2000; year < 2000 + yearsGiven; ++year) {
      addDonation(names[n].c_str(), localTime(year, 3, 1), year - 1999 + static_cast<int>(n), 5);
      expected[n][year - kBaseYear] += year - 1999 + static_cast<int>(n);
    }
  }
  for (std::size_t n = 0; n < names.size(); ++n) {
    const DonorYears& given = donorTable[3 + n].yearAmounts;
    ASSERT_EQ(given.count, expected[n].size()) << names[n];
    std::size_t k = 0;
    for (const auto& [yearIndex, amount] : expected[n]) {
      EXPECT_EQ(given.yearAt(k), yearIndex) << names[n];
      EXPECT_EQ(given.amountAt(k), amount) << names[n] << " " << yearIndex + kBaseYear;
      ++k;
    }
  }
  const DonorYears& many = donorTable[2].yearAmounts;
  ASSERT_EQ(many.count, 40u);
  for (std::size_t k = 0; k < many.count; ++k) {
    EXPECT_EQ(many.yearAt(k), 100 + static_cast<int>(k));
    EXPECT_EQ(many.amountAt(k), 2 * (static_cast<Amount>(k) + 1));
  }
  // A year booked straight into a name whose years spread past the window.
  EXPECT_TRUE(addYearAmount(0, 117, 5));
  EXPECT_TRUE(addYearAmount(0, 117, 5));
  EXPECT_EQ(smith[117], 10);
  EXPECT_TRUE(addYearAmount(1, 200, 7));  // far from its one year: the window closes
  EXPECT_EQ(donorTable[1].yearAmounts[200], 7);
  EXPECT_EQ(donorTable[1].yearAmounts.windowFrom, kNoYearWindow);
  // Booking straight into a year checks the entry and the year all the same.
  EXPECT_FALSE(addYearAmount(306, 120, 5));
  EXPECT_FALSE(addYearAmount(-1, 120, 5));
  EXPECT_FALSE(addYearAmount(0, kYearCount, 5));
  EXPECT_FALSE(addYearAmount(0, -1, 5));
  // Years with a gap inside the window, given again: not where a donor of every year keeps them.
  for (const int year : { 2019, 2021, 2022, 2021, 2022, 2019 }) {
    addDonation("Gaps", localTime(year, 3, 1), year, 6);
  }
  const DonorYears& gaps =
      donorTable[static_cast<std::size_t>(findOrCreateDonor("Gaps", 7))].yearAmounts;
  ASSERT_EQ(gaps.count, 3u);
  EXPECT_EQ(gaps[119], 2 * 2019);
  EXPECT_EQ(gaps[121], 2 * 2021);
  EXPECT_EQ(gaps[122], 2 * 2022);
  EXPECT_EQ(output(), "");
}

TEST_F(DonorTableTest, TypeBindsOnceThenOnlyTheSameTypeIsAccepted) {
  const int smith = findOrCreateDonor("Smith", 1);
  EXPECT_TRUE(bindSourceType(smith, 2, OFFICER));
  EXPECT_TRUE(bindSourceType(smith, 3, OFFICER));
  EXPECT_EQ(output(), "");
  EXPECT_FALSE(bindSourceType(smith, 4, DIRECTOR));
  EXPECT_EQ(donorTable[0].sourceType, OFFICER);
  EXPECT_EQ(
      output(),
      "gifts.txt:4 ? ERROR: Changing the source of funding for a name is not allowed on line 4\n");
  EXPECT_FALSE(bindSourceType(7, 5, CHARITY));  // an index not in use binds nothing
  EXPECT_FALSE(bindSourceType(-1, 6, CHARITY));
}

// Related lines join groups: a name related to one of a group joins the whole group. A name
// bound to a type that cannot be grouped leaves its group, which keeps the names that joined
// through it, and says so only when it was grouped with another name.
TEST_F(DonorTableTest, RelatedNamesJoinGroupsAndLeaveThem) {
  const char* names[] = { "Mary", "John", "Shop", "Emma", "Ann", "Bob" };
  int index[6];
  for (int i = 0; i < 6; ++i) {
    index[i] = findOrCreateDonor(names[i], 1);
  }
  const DonorGroups& groups = donorTable.groups;
  EXPECT_EQ(donorGroupOf(groups, 0), 0u);            // no group yet
  EXPECT_TRUE(relateDonors(index[0], index[1], 2));  // Mary and John
  EXPECT_TRUE(relateDonors(index[2], index[0], 3));  // Shop to Mary: one group of three
  EXPECT_TRUE(relateDonors(index[4], index[5], 4));  // Ann and Bob apart
  EXPECT_TRUE(relateDonors(index[1], index[2], 5));  // already one group
  const std::uint32_t family = donorGroupOf(groups, 0);
  ASSERT_NE(family, 0u);
  EXPECT_EQ(donorGroupOf(groups, 1), family);
  EXPECT_EQ(donorGroupOf(groups, 2), family);
  EXPECT_EQ(donorGroupMembers(groups, family), 3u);
  EXPECT_EQ(donorGroupOf(groups, 3), 0u);
  EXPECT_NE(donorGroupOf(groups, 4), family);
  EXPECT_FALSE(relateDonors(index[0], 99, 6));  // an entry not in use
  EXPECT_EQ(output(), "");

  // Officer can be grouped: Mary stays. Charity cannot: Mary leaves, John and Shop stay one group.
  EXPECT_TRUE(bindSourceType(index[0], 7, OFFICER));
  EXPECT_EQ(output(), "");
  EXPECT_TRUE(bindSourceType(index[1], 8, CHARITY));
  EXPECT_EQ(output(), "gifts.txt:8 ! INFO: John is no longer grouped with related names\n");
  EXPECT_EQ(donorGroupOf(groups, 1), 0u);
  EXPECT_EQ(donorGroupOf(groups, 0), donorGroupOf(groups, 2));
  EXPECT_EQ(donorGroupMembers(groups, donorGroupOf(groups, 0)), 2u);
  // Bob leaves Ann alone; Ann, bound in her turn, was grouped with no other name any more.
  EXPECT_TRUE(bindSourceType(index[5], 9, GOVERNMENT));
  EXPECT_EQ(output(), "gifts.txt:9 ! INFO: Bob is no longer grouped with related names\n");
  EXPECT_EQ(donorGroupOf(groups, 4), 0u);
  EXPECT_TRUE(bindSourceType(index[4], 10, UNUSUAL));
  EXPECT_TRUE(bindSourceType(index[3], 11, TAX));  // never grouped
  EXPECT_EQ(output(), "");
}

TEST_F(DonorTableTest, DonationsBookUnderTheirLocalYear) {
  addDonation("Smith", localTime(2024, 1, 1), 1250, 2);
  addDonation("smith", localTime(2023, 12, 31), -50, 3);
  // A length the caller counted short: the name is still looked up and kept whole; one past
  // what is stored: the name is looked up on what is stored.
  addDonationOfLength("Smithson", 5, localTime(2024, 2, 1), 10, 4);
  const std::string longName(300, 'x');
  ASSERT_EQ(findOrCreateDonor(longName.c_str(), 5), 2);
  addDonationOfLength(longName.c_str(), longName.size(), localTime(2024, 2, 1), 20, 6);
  EXPECT_EQ(donorTable[2].totalAmount, 20);
  const DonorRecord& smith = donorTable[0];
  EXPECT_EQ(smith.yearAmounts[124], 1250);
  EXPECT_EQ(smith.yearAmounts[123], -50);
  EXPECT_EQ(smith.totalAmount, 1200);
  EXPECT_EQ(smith.sourceType, DONOR);
  EXPECT_STREQ(donorTable[1].name.data(), "Smithson");
  EXPECT_EQ(donorTable[1].totalAmount, 10);
  EXPECT_EQ(output(), "");
}

// Row: the month the tax years begin in, 1 to 12; column: the month of a gift dated in 2022,
// January first. 1: booked in 2022, the tax year that begins in 2022; 0: in 2021.
constexpr const char* kBookedInTheDatesYear[] = {
  "111111111111", "011111111111", "001111111111", "000111111111", "000011111111", "000001111111",
  "000000111111", "000000011111", "000000001111", "000000000111", "000000000011", "000000000001",
};

TEST_F(DonorTableTest, DonationsBookUnderTheTaxYearTheirMonthFallsIn) {
  for (int start = 1; start <= 12; ++start) {
    for (int month = 1; month <= 12; ++month) {
      // The first and the last day of the month: the year turns with the month.
      for (const int day : { 1, month == 2 ? 28 : 30 }) {
        startAfresh();
        ASSERT_TRUE(setTaxYearStartMonth(start));
        EXPECT_EQ(taxYearStartMonth(), start);
        addDonation("Smith", localTime(2022, month, day), 1, 2);
        const bool thisYear = kBookedInTheDatesYear[start - 1][month - 1] == '1';
        EXPECT_EQ(donorTable[0].yearAmounts[thisYear ? 122 : 121], 1)
            << "start " << start << ", month " << month << ", day " << day;
      }
    }
  }
  EXPECT_EQ(output(), "");
}

// The years remembered for the days already booked are those of the month they were taken with.
TEST_F(DonorTableTest, ATaxYearStartOutsideTheYearIsRefusedAndAnotherForgetsTheYears) {
  EXPECT_EQ(taxYearStartMonth(), 1);
  for (const long refused : { 0L, 13L, -7L }) {
    EXPECT_FALSE(setTaxYearStartMonth(refused)) << refused;
    EXPECT_EQ(taxYearStartMonth(), 1);
  }
  addDonation("Smith", localTime(2022, 3, 15), 100, 2);
  ASSERT_TRUE(setTaxYearStartMonth(7));
  addDonation("Smith", localTime(2022, 3, 15), 10, 3);
  EXPECT_EQ(donorTable[0].yearAmounts[122], 100);
  EXPECT_EQ(donorTable[0].yearAmounts[121], 10);
  resetDonorTable();
  EXPECT_EQ(taxYearStartMonth(), 1);
}

TEST_F(DonorTableTest, AYearBeyondTheTableKeepsTheAmountInTheTotalOnly) {
  addDonation("Smith", localTime(2156, 3, 1), 700, 6);
  EXPECT_EQ(donorTable[0].totalAmount, 700);
  EXPECT_EQ(donorTable[0].yearAmounts.count, 0u);  // no year holds it
  // A time the platform cannot turn into a year at all.
  addDonation("Jones", std::numeric_limits<std::time_t>::max(), 300, 7);
  EXPECT_EQ(donorTable[1].totalAmount, 300);
  EXPECT_EQ(donorTable[1].yearAmounts.count, 0u);
  EXPECT_EQ(output(),
            "gifts.txt:6 ? ERROR: Invalid year 256 for donor Smith\n"
            "gifts.txt:7 ? ERROR: Invalid year -1 for donor Jones\n");
}

TEST_F(DonorTableTest, TheLedgerRefusesWhatWouldPassItsMagnitudeBound) {
  const std::time_t when = localTime(2020, 6, 1);
  addDonation("Big", when, kLedgerMagnitudeLimit / 2, 2);
  addDonation("Refund", when, -(kLedgerMagnitudeLimit / 2), 3);  // magnitudes add up, not sums
  EXPECT_EQ(output(), "");
  addDonation("Penny", when, 1, 4);
  EXPECT_EQ(output(),
            "gifts.txt:4 ? ERROR: Amount $0.01 for donor Penny exceeds what the ledger can hold\n");
  ASSERT_EQ(donorTable.count, 3u);  // the entry is made before the refusal
  EXPECT_EQ(donorTable[2].totalAmount, 0);
  resetDonorTable();
  addDonation("Penny", when, 1, 5);
  EXPECT_EQ(donorTable[0].totalAmount, 1);  // the reset clears the bound's sum too
  // A single amount past the bound, of either sign, the most negative one included.
  addDonation("Huge", when, kLedgerMagnitudeLimit + 1, 6);
  addDonation("Huge", when, std::numeric_limits<Amount>::min(), 7);
  EXPECT_EQ(donorTable[1].totalAmount, 0);
  EXPECT_EQ(
      output(),
      "gifts.txt:6 ? ERROR: Amount $10000000000000.01 for donor Huge exceeds what the ledger can hold\n"
      "gifts.txt:7 ? ERROR: Amount -$92233720368547758.08 for donor Huge exceeds what the ledger can hold\n");
}

// True when the records from `from` to the end of the first block are all zero bytes.
bool recordsZeroFrom(std::size_t from) {
  static const DonorRecord zeros[kDonorBlockRecords] = {};
  return std::memcmp(&donorTable[from], zeros, (kDonorBlockRecords - from) * sizeof(DonorRecord)) ==
         0;
}

TEST_F(DonorTableTest, AClearedTableKeepsItsRecordsAndIsEmptyAgain) {
  ASSERT_TRUE(setDonorTableSize(600));
  const std::time_t when = localTime(2020, 6, 1);
  for (int year = 2000; year < 2012; ++year) {  // past the years a record holds
    addDonation("Smith", localTime(year, 6, 1), 5, 1);
  }
  addDonation("Trustee of the family estate", when, 7, 2);
  DonorRecord* const records = &donorTable[0];
  // A block comes zeroed, each record on two whole cache lines.
  EXPECT_EQ(reinterpret_cast<std::uintptr_t>(records) % alignof(DonorRecord), 0u);
  EXPECT_TRUE(recordsZeroFrom(2));
  clearDonorTable();
  EXPECT_EQ(donorTable.count, 0u);
  EXPECT_EQ(donorTableSize(), kDonorTableSize);
  EXPECT_EQ(donorTable.bookedMagnitude, 0);
  EXPECT_EQ(&donorTable[0], records);  // the same block, zeroed where it was used
  EXPECT_TRUE(recordsZeroFrom(0));
  addDonation("smith", when, 3, 3);
  addDonation("Trustee of the family estate", when, 4, 4);
  EXPECT_EQ(donorTable.count, 2u);
  EXPECT_STREQ(donorTable[0].name.data(), "smith");
  EXPECT_EQ(donorTable[0].totalAmount, 3);
  EXPECT_EQ(donorTable[1].totalAmount, 4);
  EXPECT_EQ(output(), "");
}

TEST_F(DonorTableTest, ARollBackDropsTheEntriesMadeSinceItsMark) {
  const std::time_t when = localTime(2020, 6, 1);
  addDonation("Smith", when, 100, 1);
  addDonation("Trustee of the family estate", when, 200, 2);
  const DonorTableMark mark = markDonorTable();
  // Since the mark: a larger size, a name with a run of years, a long name, a repeated entry
  // that leaves the index untrusted, and a gift to a name made before the mark.
  ASSERT_TRUE(setDonorTableSize(1000));
  for (int year = 2000; year < 2012; ++year) {
    addDonation("Jones", localTime(year, 6, 1), 5, 3);
  }
  const std::size_t poolUsed = yearPool.used;
  addDonation("Second trustee of the estate", when, 300, 4);
  const char* const droppedName = donorTable[3].name.data();
  addDonation("Smith", when, 50, 5);
  ASSERT_EQ(appendDonorEntry("Jones"), 4);
  EXPECT_EQ(findOrCreateDonor("Brown", 6), 5);
  EXPECT_FALSE(donorIndex.trusted);
  rollBackDonorTable(mark);
  EXPECT_EQ(donorTable.count, 2u);
  EXPECT_EQ(donorTableSize(), kDonorTableSize);
  EXPECT_EQ(donorTable.bookedMagnitude, 300);
  EXPECT_EQ(donorTable[0].totalAmount, 150);  // booked since into an entry before the mark
  EXPECT_TRUE(recordsZeroFrom(2));
  EXPECT_EQ(droppedName[0], '\0');
  EXPECT_TRUE(donorIndex.trusted);
  // The names dropped are new again, in the room they had: the same run, the same name space.
  EXPECT_EQ(findOrCreateDonor("JONES", 7), 2);
  for (int year = 2000; year < 2012; ++year) {
    addDonation("Jones", localTime(year, 6, 1), 5, 8);
  }
  EXPECT_EQ(yearPool.used, poolUsed);
  EXPECT_EQ(findOrCreateDonor("Second trustee of the estate", 9), 3);
  EXPECT_EQ(donorTable[3].name.data(), droppedName);
  EXPECT_EQ(findOrCreateDonor("smith", 10), 0);
  EXPECT_EQ(findOrCreateDonor("Brown", 11), 4);
  EXPECT_EQ(output(), "");
}

TEST_F(DonorTableTest, ARollBackTakesAnyNumberOfEntriesOutOfTheIndex) {
  // From an empty table whose index was never made, from one not yet indexed, past blocks of
  // long names, of a name filed past the slot of another, and of an entry whose name has
  // changed since it was indexed.
  DonorTableMark mark = markDonorTable();
  ASSERT_EQ(appendDonorEntry("Smith"), 0);
  rollBackDonorTable(mark);
  EXPECT_EQ(donorTable.count, 0u);
  ASSERT_EQ(appendDonorEntry("Smith"), 0);
  mark = markDonorTable();
  ASSERT_EQ(appendDonorEntry("Jones"), 1);
  rollBackDonorTable(mark);
  EXPECT_EQ(findOrCreateDonor("Trustee of the family estate", 1), 1);
  mark = markDonorTable();
  for (int i = 0; i < 300; ++i) {
    const std::string name = "Giver " + std::to_string(i) + std::string(240, '-');
    ASSERT_EQ(findOrCreateDonor(name.c_str(), 2), 2 + i);
  }
  ASSERT_GT(donorTable.longNames.count, mark.nameBlocks);
  rollBackDonorTable(mark);
  EXPECT_EQ(donorTable.longNames.count, mark.nameBlocks);
  EXPECT_EQ(findOrCreateDonor("Giver 7", 3), 2);
  // A name whose slot Smith's holds: it is filed in one after it.
  const auto slotOf = [](const std::string& name) {
    return keyOfLength(name.c_str(), name.size()).hash & donorIndex.mask;
  };
  std::string neighbour = "Neighbour 0";
  for (int i = 1; slotOf(neighbour) != slotOf("Smith"); ++i) {
    neighbour = "Neighbour " + std::to_string(i);
  }
  mark = markDonorTable();
  EXPECT_EQ(findOrCreateDonor(neighbour.c_str(), 4), 3);
  rollBackDonorTable(mark);
  EXPECT_EQ(findOrCreateDonor("Brown", 5), 3);
  std::strcpy(donorTable[3].name.data(), "Green");
  rollBackDonorTable(mark);
  EXPECT_EQ(findOrCreateDonor("Brown", 6), 3);
  EXPECT_EQ(findOrCreateDonor("Green", 7), 4);
  EXPECT_EQ(findOrCreateDonor(neighbour.c_str(), 8), 5);
  EXPECT_EQ(findOrCreateDonor("smith", 9), 0);
  EXPECT_EQ(findOrCreateDonor("TRUSTEE of the family estate", 10), 1);
  EXPECT_EQ(findOrCreateDonor("giver 7", 11), 2);
  EXPECT_EQ(output(), "");
}

TEST_F(DonorTableTest, TableCheckReportsHolesWithTheStage) {
  findOrCreateDonor("Smith", 1);
  findOrCreateDonor("Jones", 1);
  checkDonorTable("Pre-analyze");
  EXPECT_EQ(output(), "");
  donorTable[0].name.data()[0] = '\0';
  checkDonorTable("years printed");
  findOrCreateDonor("Brown", 3);
  checkDonorTable(nullptr);
  EXPECT_EQ(output(),
            "? BUG:     Called from years printed\n"
            "? BUG:     entry 0 in the donor table has an empty donor name\n"
            "gifts.txt:3 ? BUG: Entry 0 in the donor table has an empty donor name\n"
            "? BUG:     Called from \n"
            "? BUG:     entry 0 in the donor table has an empty donor name\n");
}

TEST_F(DonorTableTest, CreationOverAUsedEntryIsReportedAndGoesOn) {
  findOrCreateDonor("Smith", 1);
  std::strcpy(donorTable[1].name.data(), "Z");  // the records past the used part exist, zeroed
  EXPECT_EQ(findOrCreateDonor("Jones", 4), 1);
  EXPECT_STREQ(donorTable[1].name.data(), "Jones");
  EXPECT_EQ(
      output(),
      "gifts.txt:4 ? BUG: Poluted donor table, should be all 0s after donor count at index 1\n");
}

}  // namespace

#include "run/banner.hpp"

#include <cstdio>

#include "output/message_channel.hpp"

namespace {

constexpr int kMajorVersion = 2;
constexpr int kMinorVersion = 5;
constexpr int kEditNumber = 7;

constexpr const char* kBannerNotice = "Public support calculator for Form 990 Schedule A";

constexpr const char* kUsageText =
    "Public support calculation for a 501(c)(3) charity is complex. \n"
    "This program analyzes a list of donations to make those calculations and\n"
    "to report the appropriate totals for each field on Form 990 Schedule A.\n"
    "\n"
    "The file of donations can be created in EXCEL with three columns. The file\n"
    "is the exported tab seperated. The first column is the donor name. The second is \n"
    "the date of the donation and the third is the amount. Any tab seperated file will do.\n"
    "If the first lines are not three tab seperated columns they are ignored, the same\n"
    "if these lines are not the right format. Lines starting with ! are ignored. Blank\n"
    "lines are ignored. Once a donation is recognized non-blank lines with incorrect format\n"
    "are considered errors.\n"
    "\n"
    "Usage is: QUORVA [-d#] [-d-] [-h] [-f#] [-i<filename>] [-o<filename>] [-r#] [-v[#]] [-v-]\n"
    "\n"
    "-d[#]\t\t\thigher numbers create more verbose reports (default 1)\n"
    "-d-\t\t\tlowest level of reporting\n"
    "-i<filename>\t\tFile of donations to read, may be repeated\n"
    "-o<filename>\t\tFile for answers (default is stdout)\n"
    "-r#\t\t\t# use this year as most recent year for 990-v[#]\t\t\t(same as -d) higher numbers create more verbose reports (default 1)\n"
    "-v-\t\t\tlowest level of reporting\n"
    "\n"
    "This program is provided as is, without warranty of any kind. Check its figures\n"
    "against your own records before you file; it does not replace a tax adviser.\n";

}  // namespace

void printBanner() {
  message(MessageKind::plain, 0, "QUORVA %d(%d)-%d", kMajorVersion, kMinorVersion, kEditNumber);
  messageMore("   %s", kBannerNotice);
  messageMore("%s", "");
}

void printVersion() {
  std::printf("QUORVA %d(%d)-%d\n", kMajorVersion, kMinorVersion, kEditNumber);
}

void printUsage() { writeConsole(kUsageText); }

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
    "Usage is: QUORVA [options] list...\n"
    "\n"
    "NAME or -i=NAME\t\tread the donation list NAME (tab- or comma-separated)\n"
    "-o=NAME\t\t\twrite the report to NAME (created or emptied)\n"
    "-w=NAME\t\t\talso write the Schedule A worksheet; NAME ends in .csv or .html\n"
    "-r=YEAR\t\t\tuse YEAR as the most recent year for Form 990\n"
    "-y=MONTH\t\tthe tax year begins in MONTH, 1 to 12 (default 1)\n"
    "-b=YEAR\t\t\tthe organization's first tax year as a 501(c)(3)\n"
    "-n=NUMBER\t\troom for NUMBER names, 512 to 1000000 (default 512)\n"
    "-d=N or -v=N\t\tverbosity level N, 0 to 4 (default 0); -d or -v alone is 1\n"
    "-d- or -v-\t\tverbosity level 0\n"
    "-h\t\t\tprint this text; --help or --version alone prints it or the version\n"
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

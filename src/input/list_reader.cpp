#include "input/list_reader.hpp"

#include <array>
#include <cerrno>
#include <cstring>

#include "input/line_parser.hpp"
#include "output/message_channel.hpp"

namespace {

struct ListCounts {
  long lines;
  long keywords;
  long amounts;
  long unexpected;
};

void countResult(LineResult result, ListCounts& counts) {
  switch (result) {
    case LineResult::notDonation:
    case LineResult::emptyFirstField:
    case LineResult::blankDate:
    case LineResult::zeroAmount:
      ++counts.unexpected;
      break;
    case LineResult::keywordBound:
      ++counts.keywords;
      break;
    case LineResult::donationBooked:
      ++counts.amounts;
      break;
    case LineResult::blankLine:
    case LineResult::commentLine:
    case LineResult::badAmount:
    case LineResult::lineRejected:
      break;
  }
}

void printStatistic(const char* text) {
  beginPlain();
  emitText(text);
  endLine();
}

void printStatistics(const ListCounts& counts) {
  if (counts.keywords != 0) {
    printStatistic(
        composeLine("       %ld funding source names associated with a keyword (type of source)",
                    counts.keywords));
  }
  if (counts.amounts != 0) {
    printStatistic(composeLine("       %ld funding amounts seen", counts.amounts));
  }
  if (counts.unexpected != 0) {
    printStatistic(composeLine("       %ld line%s with unexpected format", counts.unexpected,
                               counts.unexpected == 1 ? "" : "s"));
  }
  printStatistic(composeLine("       %ld lines read", counts.lines));
}

}  // namespace

void readDonationList(std::FILE* file) {
  ListCounts counts{};
  if (file != nullptr) {
    std::array<char, kLineLength> buffer{};
    while (std::fgets(buffer.data(), kLineLength, file) != nullptr) {
      const std::size_t length = std::strlen(buffer.data());
      if (length > 0 && buffer[length - 1] == '\n') {
        buffer[length - 1] = '\0';
      }
      ++counts.lines;
      countResult(parseDonationLine(buffer.data(), counts.lines), counts);
    }
    // A list that cannot be read to its end (a directory, a device error) must not pass for a
    // complete one: the totals would silently miss its donations.
    if (std::ferror(file) != 0) {
      const int readError = errno;
      beginError(counts.lines + 1);
      emitText(composeLine("The list could not be read from this line on: %s",
                           std::strerror(readError)));
      endLine();
    }
  }
  printStatistics(counts);
}

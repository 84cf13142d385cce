// Faults of the system a run cannot cause: memory that runs out and a disk that fails while
// the worksheet is written. The program's own calls to the allocators and to fchmod, fdopen and
// fsync go through the wrappers below (the linker's --wrap), which let a test make one chosen
// call fail. Whatever fails, the run must not crash, and it must not change its report without
// an error: a run that lost something ends with status 1.

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "console_capture.hpp"
#include "ledger/donor_table.hpp"
#include "run/replaced_file.hpp"
#include "run/run_sequence.hpp"

namespace {

// Which wrapped call fails: the failing-th call counted since arming (from 0) of the kind, or
// none while disarmed.
enum class Wrapped { allocation, fchmod, fdopen, fsync };
struct Fault {
  bool armed = false;
  Wrapped kind = Wrapped::allocation;
  long failing = -1;
  long seen = 0;
};
Fault fault;

bool failsNow(Wrapped kind) {
  if (!fault.armed || fault.kind != kind) {
    return false;
  }
  return fault.seen++ == fault.failing;
}

}  // namespace

extern "C" {
void* __real_malloc(std::size_t size);
void* __real_calloc(std::size_t count, std::size_t size);
void* __real_realloc(void* pointer, std::size_t size);
int __real_fchmod(int descriptor, mode_t mode);
std::FILE* __real_fdopen(int descriptor, const char* mode);
int __real_fsync(int descriptor);

void* __wrap_malloc(std::size_t size) {
  return failsNow(Wrapped::allocation) ? nullptr : __real_malloc(size);
}
void* __wrap_calloc(std::size_t count, std::size_t size) {
  return failsNow(Wrapped::allocation) ? nullptr : __real_calloc(count, size);
}
void* __wrap_realloc(void* pointer, std::size_t size) {
  return failsNow(Wrapped::allocation) ? nullptr : __real_realloc(pointer, size);
}
int __wrap_fchmod(int descriptor, mode_t mode) {
  if (failsNow(Wrapped::fchmod)) {
    errno = EPERM;
    return -1;
  }
  return __real_fchmod(descriptor, mode);
}
std::FILE* __wrap_fdopen(int descriptor, const char* mode) {
  if (failsNow(Wrapped::fdopen)) {
    errno = EMFILE;
    return nullptr;
  }
  return __real_fdopen(descriptor, mode);
}
int __wrap_fsync(int descriptor) {
  if (failsNow(Wrapped::fsync)) {
    errno = EIO;
    return -1;
  }
  return __real_fsync(descriptor);
}
}

namespace {

// A folder of its own for the lists and files of a run.
class SystemFaultTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/quorva-faults.XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    folder_ = pattern;
  }
  void TearDown() override {
    fault = Fault{};
    for (const std::string& name : written_) {
      std::remove(name.c_str());
    }
    std::remove((folder_ + "/sheet.csv").c_str());
    rmdir(folder_.c_str());
    resetProgramState();
  }
  std::string write(const std::string& name, const std::string& text) {
    const std::string path = folder_ + "/" + name;
    std::FILE* file = std::fopen(path.c_str(), "w");
    std::fputs(text.c_str(), file);
    std::fclose(file);
    written_.push_back(path);
    return path;
  }
  // The console and the status of one run with the fault as armed.
  std::string run(const std::vector<std::string>& arguments, int& status) {
    std::vector<const char*> argv{ "quorva" };
    for (const std::string& argument : arguments) {
      argv.push_back(argument.c_str());
    }
    ConsoleCapture console;
    fault.seen = 0;
    fault.armed = true;
    status = runProgram(static_cast<int>(argv.size()), argv.data());
    fault.armed = false;
    return console.take();
  }
  // Lists that make a run take memory in every way it can: a donor table larger than its first
  // block and a name too long for its record, a donor with years past its record and its first
  // run in the pool, lines with messages, givers over the two percent limit and both detail
  // lists, and more lists than the first set of file identities holds.
  std::vector<std::string> busyRun();

  std::string folder_;
  std::vector<std::string> written_;
};

std::vector<std::string> SystemFaultTest::busyRun() {
  std::string gifts = "Town of Oak\tGovernment\nPat Chair\tOfficer\nGift Shop\tSALES\n";
  for (int year = 1990; year <= 2024; ++year) {
    gifts += "Ann Lee\t3/1/" + std::to_string(year) + "\t100.00\n";
  }
  gifts += "A name much longer than a record holds inside it\t1/5/2024\t25.00\n";
  gifts += "\"Bo Ray\"\t2/1/2024\t7.00\nBo Ray\t12/32/2023\t5.00\n";
  gifts += "Pat Chair\t4/4/2024\t5000.00\nGift Shop\t5/5/2024\t90000.00\n";
  gifts += "Town of Oak\t6/6/2024\t100000.00\n";
  // A group of related names over the limit, one of them a substantial contributor, and an
  // unusual grant.
  gifts += "Ann Lee\tRelated\tAl Lee\nAl Lee\t3/1/2024\t9000.00\n";
  gifts += "Big Gift\tUnusual\nBig Gift\t2/2/2024\t50000.00\n";
  std::vector<std::string> arguments{ "-n=5000", "-w=" + folder_ + "/sheet.csv",
                                      write("gifts.txt", gifts) };
  std::string many;
  for (int name = 0; name < 4200; ++name) {
    many += "Donor " + std::to_string(name) + "\t7/7/2023\t1.00\n";
  }
  arguments.push_back(write("many.txt", many));
  for (int list = 0; list < 34; ++list) {
    arguments.push_back(write("list" + std::to_string(list) + ".txt", "Cy\t1/1/2022\t1\n"));
  }
  return arguments;
}

bool saysWhatWasLost(const std::string& console) {
  return console.find("memory") != std::string::npos ||
         console.find("No room to create donor") != std::string::npos;
}

// Each allocation of the run fails in turn: the run goes on, and either prints what it prints
// with all its memory (a lookup index it can do without) or says what was lost, with status 1.
TEST_F(SystemFaultTest, EachAllocationThatFailsIsSaidOrChangesNothing) {
  const std::vector<std::string> arguments = busyRun();
  int status = 0;
  const std::string whole = run(arguments, status);
  ASSERT_EQ(status, 0) << whole;
  const long allocations = fault.seen;
  ASSERT_GT(allocations, 10);
  long said = 0;
  for (long failing = 0; failing < allocations; ++failing) {
    SCOPED_TRACE(failing);
    fault.failing = failing;
    const std::string console = run(arguments, status);
    if (console != whole) {
      EXPECT_EQ(status, 1);
      EXPECT_TRUE(saysWhatWasLost(console)) << console.substr(0, 2000);
      ++said;
    }
  }
  EXPECT_GT(said, 0);
}

// The ledger's entries for tests are refused, not half made, when memory runs out.
TEST_F(SystemFaultTest, EntriesWrittenForTestsNeedMemoryToo) {
  resetDonorTable();
  fault = Fault{ true, Wrapped::allocation, 0, 0 };
  EXPECT_EQ(appendDonorEntry("Ann"), -1);
  fault = Fault{};
  ASSERT_EQ(appendDonorEntry("Ann"), 0);
  const char* longName = "A name much longer than a record holds inside it";
  for (const long failing : { 0L, 1L }) {  // the room for the name's block, then the block
    fault = Fault{ true, Wrapped::allocation, failing, 0 };
    EXPECT_EQ(appendDonorEntry(longName), -1) << failing;
  }
  // Eight years fit in the record; the ninth needs the pool.
  fault = Fault{};
  for (int year = 100; year < 108; ++year) {
    ASSERT_TRUE(addYearAmount(0, year, 1));
  }
  fault = Fault{ true, Wrapped::allocation, 0, 0 };
  EXPECT_FALSE(addYearAmount(0, 108, 100));
  fault = Fault{};
  EXPECT_TRUE(addYearAmount(0, 108, 100));
  EXPECT_EQ(donorTable[0].totalAmount, 108);
  resetDonorTable();
}

// A worksheet whose file cannot be made or cannot reach the disk is an error, and the file it
// would replace is left as it was.
TEST_F(SystemFaultTest, AWorksheetThatCannotReachTheDiskIsAnErrorAndKeepsTheOldFile) {
  const std::string gifts = write("gifts.txt", "Ann Lee\t3/1/2024\t100.00\n");
  const std::string sheet = write("sheet.csv", "old\n");
  for (const Wrapped kind : { Wrapped::fchmod, Wrapped::fdopen, Wrapped::fsync }) {
    fault = Fault{ false, kind, 0, 0 };
    int status = 0;
    const std::string console = run({ "-w=" + sheet, gifts }, status);
    EXPECT_EQ(status, 1) << static_cast<int>(kind);
    EXPECT_NE(console.find("? ERROR: Writing worksheet file " + sheet + " failed"),
              std::string::npos)
        << console;
    std::FILE* kept = std::fopen(sheet.c_str(), "r");
    ASSERT_NE(kept, nullptr);
    char text[8] = {};
    EXPECT_NE(std::fgets(text, sizeof text, kept), nullptr);
    std::fclose(kept);
    EXPECT_STREQ(text, "old\n");
  }
}

// What the file system itself refuses: names too long to follow or to put a temporary file
// beside, links that never end, a target that turned into a folder before the rename.
TEST_F(SystemFaultTest, ReplacedFilesRefuseWhatTheFileSystemCannotDo) {
  const std::string tooLong(5000, 'x');
  EXPECT_EQ(beginReplacedFile(tooLong.c_str()).error, ENAMETOOLONG);
  const std::string deepFolder = folder_ + "/" + std::string(4090 - folder_.size(), 'd') + "/s";
  EXPECT_EQ(beginReplacedFile(deepFolder.c_str()).error, ENAMETOOLONG);

  const std::string first = folder_ + "/first.csv";
  const std::string second = folder_ + "/second.csv";
  const std::string longLink = folder_ + "/long.csv";
  ASSERT_EQ(symlink(second.c_str(), first.c_str()), 0);
  ASSERT_EQ(symlink(first.c_str(), second.c_str()), 0);
  ASSERT_EQ(symlink(std::string(4090, 'l').c_str(), longLink.c_str()), 0);
  written_.insert(written_.end(), { first, second, longLink });
  EXPECT_EQ(beginReplacedFile(first.c_str()).error, ELOOP);
  EXPECT_EQ(beginReplacedFile(longLink.c_str()).error, ENAMETOOLONG);

  const std::string target = folder_ + "/target.csv";
  ReplacedFile replaced = beginReplacedFile(target.c_str());
  ASSERT_NE(replaced.file, nullptr);
  const std::string temporary = replaced.temporary;
  ASSERT_EQ(mkdir(target.c_str(), 0700), 0);
  EXPECT_FALSE(finishReplacedFile(replaced, true));
  EXPECT_EQ(replaced.error, EISDIR);
  EXPECT_NE(access(temporary.c_str(), F_OK), 0);  // removed
  rmdir(target.c_str());
  EXPECT_FALSE(finishReplacedFile(replaced, true));  // nothing left to finish
}

}  // namespace

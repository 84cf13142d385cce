#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "run/file_identity.hpp"
#include "run/replaced_file.hpp"

namespace {

// A scratch folder of its own for each case.
class RunFilesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char name[] = "/tmp/quorva-files-XXXXXX";
    ASSERT_NE(mkdtemp(name), nullptr);
    folder = name;
  }
  void TearDown() override { ASSERT_EQ(std::system(("rm -rf '" + folder + "'").c_str()), 0); }
  std::string at(const std::string& name) const { return folder + "/" + name; }
  static void write(const std::string& path, const char* text) {
    std::FILE* file = std::fopen(path.c_str(), "w");
    ASSERT_NE(file, nullptr);
    std::fputs(text, file);
    std::fclose(file);
  }
  static std::string read(const std::string& path) {
    std::string text;
    std::FILE* file = std::fopen(path.c_str(), "r");
    for (int c = file != nullptr ? std::fgetc(file) : EOF; c != EOF; c = std::fgetc(file)) {
      text += static_cast<char>(c);
    }
    if (file != nullptr) {
      std::fclose(file);
    }
    return text;
  }
  // Writes text through a replaced file; the result of finishing it.
  static bool replace(const std::string& path, const char* text, int& error) {
    ReplacedFile replaced = beginReplacedFile(path.c_str());
    const bool started = replaced.file != nullptr;
    if (started) {
      std::fputs(text, replaced.file);
    }
    const bool done = finishReplacedFile(replaced, started);
    error = replaced.error;
    return done;
  }
  std::string folder;
};

TEST(IdentitySetTest, HoldsWhatWasAddedThroughEveryGrowth) {
  IdentitySet set;
  EXPECT_FALSE(holdsIdentity(set, FileIdentity{ 1, 1 }));
  for (ino_t inode = 1; inode <= 1000; ++inode) {
    ASSERT_TRUE(addIdentity(set, FileIdentity{ 7, inode }));
  }
  ASSERT_TRUE(addIdentity(set, FileIdentity{ 7, 500 }));  // again: nothing changes
  EXPECT_EQ(set.count, 1000u);
  for (ino_t inode = 1; inode <= 1000; ++inode) {
    EXPECT_TRUE(holdsIdentity(set, FileIdentity{ 7, inode })) << inode;
  }
  EXPECT_FALSE(holdsIdentity(set, FileIdentity{ 8, 500 }));
  EXPECT_FALSE(holdsIdentity(set, FileIdentity{ 7, 1001 }));
  resetIdentitySet(set);
  EXPECT_EQ(set.slots, nullptr);
}

TEST_F(RunFilesTest, TheSameFileByAnyNameHasOneIdentity) {
  write(at("list.txt"), "x");
  ASSERT_EQ(symlink("list.txt", at("link.txt").c_str()), 0);
  FileIdentity byName{};
  FileIdentity byLink{};
  FileIdentity byPath{};
  ASSERT_TRUE(identityOfName(at("list.txt").c_str(), byName));
  ASSERT_TRUE(identityOfName(at("link.txt").c_str(), byLink));
  ASSERT_TRUE(identityOfName(at("./list.txt").c_str(), byPath));
  EXPECT_TRUE(byName.device == byLink.device && byName.inode == byLink.inode);
  EXPECT_TRUE(byName.device == byPath.device && byName.inode == byPath.inode);
  EXPECT_FALSE(identityOfName(at("missing.txt").c_str(), byName));
}

TEST_F(RunFilesTest, ReplacesAWholeFileAndKeepsItsPermissions) {
  write(at("sheet.csv"), "old");
  ASSERT_EQ(chmod(at("sheet.csv").c_str(), 0640), 0);
  int error = 0;
  ASSERT_TRUE(replace(at("sheet.csv"), "new", error));
  EXPECT_EQ(read(at("sheet.csv")), "new");
  struct stat status {};
  ASSERT_EQ(stat(at("sheet.csv").c_str(), &status), 0);
  EXPECT_EQ(status.st_mode & 07777, 0640u);
  ASSERT_TRUE(replace(at("fresh.csv"), "first", error));  // a new file
  EXPECT_EQ(read(at("fresh.csv")), "first");
}

// Every way the writing can fail leaves the target as it was and no temporary file behind.
TEST_F(RunFilesTest, AFailureLeavesTheTargetAsItWas) {
  write(at("sheet.csv"), "good");
  ASSERT_EQ(symlink("loop.csv", at("loop.csv").c_str()), 0);
  ASSERT_EQ(symlink(std::string(4090, 'x').c_str(), at("far.csv").c_str()), 0);
  struct Case {
    std::string name;
    int error;
  };
  const Case cases[] = {
    { at("loop.csv"), ELOOP },                                  // a link to itself
    { at("far.csv"), ENAMETOOLONG },                            // a link too long to follow
    { std::string(5000, 'a'), ENAMETOOLONG },                   // a name too long
    { folder + "/" + std::string(4084 - folder.size(), 'b') + "/s.c", ENAMETOOLONG },  // no room
                                                                                    // beside it
    { at("no-such-folder/sheet.csv"), ENOENT },
    { "/dev/full", ENOSPC },                                    // written in place, and full
  };
  for (const Case& c : cases) {
    int error = 0;
    EXPECT_FALSE(replace(c.name, "text", error)) << c.name.substr(0, 60);
    EXPECT_EQ(error, c.error) << c.name.substr(0, 60);
  }
  // The writer's own failure, and a rename that cannot happen: a folder took the name.
  ReplacedFile failed = beginReplacedFile(at("sheet.csv").c_str());
  errno = ENOSPC;
  EXPECT_FALSE(finishReplacedFile(failed, false));
  EXPECT_EQ(failed.error, ENOSPC);
  ReplacedFile raced = beginReplacedFile(at("taken.csv").c_str());
  ASSERT_EQ(mkdir(at("taken.csv").c_str(), 0755), 0);
  ASSERT_NE(raced.file, nullptr);
  std::fputs("text", raced.file);
  EXPECT_FALSE(finishReplacedFile(raced, true));
  EXPECT_EQ(raced.error, EISDIR);
  EXPECT_EQ(read(at("sheet.csv")), "good");
  EXPECT_EQ(std::system(("ls -A '" + folder + "' | grep -q quorva-").c_str()) != 0, true);
}

}  // namespace

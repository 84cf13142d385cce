#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "run/file_identity.hpp"

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

}  // namespace

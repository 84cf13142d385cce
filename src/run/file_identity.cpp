#include "run/file_identity.hpp"

#include <sys/stat.h>

#include <cstdint>
#include <cstdlib>

namespace {

constexpr std::size_t kFirstSlots = 64;

bool sameIdentity(const FileIdentity& a, const FileIdentity& b) {
  return a.device == b.device && a.inode == b.inode;
}

std::size_t slotOf(const IdentitySet& set, const FileIdentity& identity) {
  const std::uint64_t mixed = (static_cast<std::uint64_t>(identity.inode) * 0x9e3779b97f4a7c15ULL) ^
                              static_cast<std::uint64_t>(identity.device);
  return static_cast<std::size_t>((mixed * 0xff51afd7ed558ccdULL) >> 32) & set.mask;
}

// The slot that holds the identity, or the free slot where it would go.
std::size_t findSlot(const IdentitySet& set, const FileIdentity& identity) {
  std::size_t slot = slotOf(set, identity);
  while (set.used[slot] && !sameIdentity(set.slots[slot], identity)) {
    slot = (slot + 1) & set.mask;
  }
  return slot;
}

// Room for one more identity, keeping at least half the slots free; the held ones are filed
// again in a larger set.
bool reserveSlot(IdentitySet& set) {
  if (set.slots != nullptr && 2 * (set.count + 1) <= set.mask + 1) {
    return true;
  }
  IdentitySet grown;
  const std::size_t slots = set.slots == nullptr ? kFirstSlots : 2 * (set.mask + 1);
  grown.slots = static_cast<FileIdentity*>(std::calloc(slots, sizeof(FileIdentity)));
  grown.used = static_cast<bool*>(std::calloc(slots, sizeof(bool)));
  if (grown.slots == nullptr || grown.used == nullptr) {
    resetIdentitySet(grown);
    return false;
  }
  grown.mask = slots - 1;
  for (std::size_t i = 0; set.slots != nullptr && i <= set.mask; ++i) {
    if (set.used[i]) {
      const std::size_t slot = findSlot(grown, set.slots[i]);
      grown.slots[slot] = set.slots[i];
      grown.used[slot] = true;
      ++grown.count;
    }
  }
  resetIdentitySet(set);
  set = grown;
  return true;
}

}  // namespace

bool identityOfName(const char* name, FileIdentity& identity) {
  struct stat status {};
  if (name == nullptr || stat(name, &status) != 0) {
    return false;
  }
  identity = FileIdentity{ status.st_dev, status.st_ino };
  return true;
}

bool identityOfFile(std::FILE* file, FileIdentity& identity) {
  struct stat status {};
  if (file == nullptr || fstat(fileno(file), &status) != 0) {
    return false;
  }
  identity = FileIdentity{ status.st_dev, status.st_ino };
  return true;
}

bool addIdentity(IdentitySet& set, const FileIdentity& identity) {
  if (holdsIdentity(set, identity)) {
    return true;
  }
  if (!reserveSlot(set)) {
    return false;
  }
  const std::size_t slot = findSlot(set, identity);
  set.slots[slot] = identity;
  set.used[slot] = true;
  ++set.count;
  return true;
}

bool holdsIdentity(const IdentitySet& set, const FileIdentity& identity) {
  return set.slots != nullptr && set.used[findSlot(set, identity)];
}

void resetIdentitySet(IdentitySet& set) {
  std::free(set.slots);
  std::free(set.used);
  set = IdentitySet{};
}

#include "run/file_identity.hpp"

#include <sys/stat.h>

#include <cstdint>
#include <cstdlib>

namespace {

constexpr std::size_t kFirstSlots = 64;

bool sameIdentity(const FileIdentity& a, const FileIdentity& b) {
  return a.device == b.device && a.inode == b.inode;
}

// No file has inode 0, so a slot holding it is free.
bool isFree(const FileIdentity& slot) { return slot.inode == 0; }

// The slot that holds the identity, or the free slot where it would go.
std::size_t findSlot(const IdentitySet& set, const FileIdentity& identity) {
  const std::uint64_t mixed = (static_cast<std::uint64_t>(identity.inode) * 0x9e3779b97f4a7c15ULL) ^
                              static_cast<std::uint64_t>(identity.device);
  std::size_t slot = static_cast<std::size_t>((mixed * 0xff51afd7ed558ccdULL) >> 32) & set.mask;
  while (!isFree(set.slots[slot]) && !sameIdentity(set.slots[slot], identity)) {
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
  const std::size_t slots = set.slots == nullptr ? kFirstSlots : 2 * (set.mask + 1);
  IdentitySet grown{ static_cast<FileIdentity*>(std::calloc(slots, sizeof(FileIdentity))),
                     slots - 1, set.count };
  if (grown.slots == nullptr) {
    return false;
  }
  for (std::size_t i = 0; set.slots != nullptr && i <= set.mask; ++i) {
    if (!isFree(set.slots[i])) {
      grown.slots[findSlot(grown, set.slots[i])] = set.slots[i];
    }
  }
  std::free(set.slots);
  set = grown;
  return true;
}

}  // namespace

bool identityOfName(const char* name, FileIdentity& identity) {
  struct stat status {};
  if (stat(name, &status) != 0) {
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
  set.slots[findSlot(set, identity)] = identity;
  ++set.count;
  return true;
}

bool holdsIdentity(const IdentitySet& set, const FileIdentity& identity) {
  return set.slots != nullptr && !isFree(set.slots[findSlot(set, identity)]);
}

void resetIdentitySet(IdentitySet& set) {
  std::free(set.slots);
  set = IdentitySet{};
}

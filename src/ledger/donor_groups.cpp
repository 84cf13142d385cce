#include "ledger/donor_groups.hpp"

#include <cstdlib>
#include <cstring>

namespace {

// Room for needed items in an array that doubles when full, the new room zeroed; false when no
// memory was left (the array as it was).
template <typename Item>
bool reserveZeroed(Item*& array, std::size_t& room, std::size_t needed) {
  if (needed <= room) {
    return true;
  }
  std::size_t grown = room == 0 ? 16 : room;
  while (grown < needed) {
    grown *= 2;
  }
  // Node numbers are 32 bits: a group never needs more of them than that.
  if (grown > UINT32_MAX) {
    return false;
  }
  void* moved = std::realloc(static_cast<void*>(array), grown * sizeof(Item));
  if (moved == nullptr) {
    return false;
  }
  array = static_cast<Item*>(moved);
  std::memset(static_cast<void*>(array + room), 0, (grown - room) * sizeof(Item));
  room = grown;
  return true;
}

// The root of node's group, halving the path on the way so that later finds are short.
std::uint32_t findRoot(DonorGroups& groups, std::uint32_t node) {
  while (groups.nodes[node].parent != node) {
    const std::uint32_t grandparent = groups.nodes[groups.nodes[node].parent].parent;
    groups.nodes[node].parent = grandparent;
    node = grandparent;
  }
  return node;
}

// The node of entry, a new group of one when it has none; room for it must be there.
std::uint32_t nodeOf(DonorGroups& groups, std::size_t entry) {
  std::uint32_t& node = groups.nodeOfEntry[entry];
  if (node == 0) {
    node = static_cast<std::uint32_t>(groups.nodeCount++);
    groups.nodes[node] = GroupNode{ node, 1 };
  }
  return node;
}

}  // namespace

bool joinDonorGroups(DonorGroups& groups, std::size_t first, std::size_t second) {
  const std::size_t last = first > second ? first : second;
  // Node 0 stands for no node: the first group takes it too.
  const std::size_t nodesNeeded = (groups.nodeCount == 0 ? 1 : groups.nodeCount) + 2;
  if (!reserveZeroed(groups.nodeOfEntry, groups.entryRoom, last + 1) ||
      !reserveZeroed(groups.nodes, groups.nodeRoom, nodesNeeded)) {
    return false;
  }
  if (groups.nodeCount == 0) {
    groups.nodeCount = 1;
  }
  std::uint32_t a = findRoot(groups, nodeOf(groups, first));
  std::uint32_t b = findRoot(groups, nodeOf(groups, second));
  if (a == b) {
    return true;
  }
  // The smaller group hangs under the larger, which keeps every path short.
  if (groups.nodes[a].members < groups.nodes[b].members) {
    const std::uint32_t swapped = a;
    a = b;
    b = swapped;
  }
  groups.nodes[b].parent = a;
  groups.nodes[a].members += groups.nodes[b].members;
  return true;
}

bool leaveDonorGroup(DonorGroups& groups, std::size_t entry) {
  if (entry >= groups.entryRoom || groups.nodeOfEntry[entry] == 0) {
    return false;
  }
  const std::uint32_t root = findRoot(groups, groups.nodeOfEntry[entry]);
  groups.nodeOfEntry[entry] = 0;
  const bool grouped = groups.nodes[root].members > 1;
  --groups.nodes[root].members;
  return grouped;
}

std::uint32_t donorGroupOf(const DonorGroups& groups, std::size_t entry) {
  if (entry >= groups.entryRoom || groups.nodeOfEntry[entry] == 0) {
    return 0;
  }
  std::uint32_t node = groups.nodeOfEntry[entry];
  while (groups.nodes[node].parent != node) {
    node = groups.nodes[node].parent;
  }
  return groups.nodes[node].members > 1 ? node : 0;
}

void releaseDonorGroups(DonorGroups& groups) {
  std::free(groups.nodeOfEntry);
  std::free(groups.nodes);
  groups = DonorGroups{};
}

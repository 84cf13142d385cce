#ifndef QUORVA_LEDGER_DONOR_GROUPS_HPP
#define QUORVA_LEDGER_DONOR_GROUPS_HPP

#include <cstddef>
#include <cstdint>

// The groups of related names that Related lines make: names that count as one giver for the
// two percent limit, and that share a substantial contributor's disqualification. A union-find
// over nodes: a grouped name has a node, and groups join by linking their roots. A name that
// leaves its group gives up its node, which stays as a link between the names that joined
// through it, so that they stay together.

/// One node: a name's place in its group, or a place a name has left.
struct GroupNode {
  std::uint32_t parent;   ///< the node above it; itself at a root
  std::uint32_t members;  ///< at a root: the names its group holds
};

/// The groups of the donor table. The member initialisers are the table without groups.
struct DonorGroups {
  std::uint32_t* nodeOfEntry = nullptr;  ///< by table index: the name's node, 0 for none
  std::size_t entryRoom = 0;             ///< entries nodeOfEntry has room for; later ones have none
  GroupNode* nodes = nullptr;            ///< node 0 is never used
  std::size_t nodeCount = 0;             ///< nodes taken, node 0 included
  std::size_t nodeRoom = 0;
};

/// Makes the entries first and second (table indexes) one group with every name of their
/// groups; false, nothing changed, when no memory was left.
bool joinDonorGroups(DonorGroups& groups, std::size_t first, std::size_t second);
/// Takes entry out of its group; true when it was grouped with another name.
bool leaveDonorGroup(DonorGroups& groups, std::size_t entry);
/// The group of entry, a node below groups.nodeCount, when it is grouped with another name; 0
/// when it is not.
std::uint32_t donorGroupOf(const DonorGroups& groups, std::size_t entry);
/// The names a group (from donorGroupOf) holds.
inline std::uint32_t donorGroupMembers(const DonorGroups& groups, std::uint32_t group) {
  return groups.nodes[group].members;
}
/// Frees the groups and empties them.
void releaseDonorGroups(DonorGroups& groups);

#endif

#ifndef QUORVA_RUN_FILE_IDENTITY_HPP
#define QUORVA_RUN_FILE_IDENTITY_HPP

#include <sys/types.h>

#include <cstddef>

/// What makes two names one file: its device and inode.
struct FileIdentity {
  dev_t device;
  ino_t inode;
};

/// The identity of the file a name leads to (through links); false when it does not exist.
bool identityOfName(const char* name, FileIdentity& identity);

/// A set of file identities: open addressing over their hash, at least half the slots free, so
/// that thousands of lists are each looked up in a probe or two. The initialisers are the
/// empty set; resetIdentitySet frees it.
struct IdentitySet {
  FileIdentity* slots = nullptr;  ///< a free slot holds inode 0, which no file has
  std::size_t mask = 0;           ///< slots - 1; 0 while there are none
  std::size_t count = 0;
};

/// Adds the identity (a second add of the same one changes nothing); false when no memory was
/// left for it.
bool addIdentity(IdentitySet& set, const FileIdentity& identity);
/// True when the set holds the identity.
bool holdsIdentity(const IdentitySet& set, const FileIdentity& identity);
/// Frees the set and empties it.
void resetIdentitySet(IdentitySet& set);

#endif

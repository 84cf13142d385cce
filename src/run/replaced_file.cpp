#include "run/replaced_file.hpp"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

// Links are followed this many times at most, as the system itself does.
constexpr int kMostLinks = 40;
constexpr const char* kTemporaryName = ".quorva-XXXXXX";

// The folder of path, with its last '/': "" for a name in the current folder.
std::size_t folderLength(const char* path) {
  const char* slash = std::strrchr(path, '/');
  return slash == nullptr ? 0 : static_cast<std::size_t>(slash - path) + 1;
}

// Puts folder (its first folderSize characters) and name after it into path; false when the
// whole does not fit.
bool joinPath(char* path, std::size_t size, const char* folder, std::size_t folderSize,
              const char* name) {
  const std::size_t nameLength = std::strlen(name);
  if (folderSize + nameLength + 1 > size) {
    errno = ENAMETOOLONG;
    return false;
  }
  std::memmove(path, folder, folderSize);
  std::memmove(path + folderSize, name, nameLength + 1);
  return true;
}

// The file that name leads to through any symbolic links (which need not exist yet); false
// when the links cannot be followed. What readlink cannot read is no link: the name itself.
bool followLinks(const char* name, char* path, std::size_t size) {
  if (!joinPath(path, size, "", 0, name)) {
    return false;
  }
  for (int links = 0; links < kMostLinks; ++links) {
    char link[4096];
    const ssize_t length = readlink(path, link, sizeof link - 1);
    if (length < 0) {
      return true;
    }
    link[length] = '\0';
    // A relative link is taken from the link's own folder.
    if (!joinPath(path, size, path, link[0] == '/' ? 0 : folderLength(path), link)) {
      return false;
    }
  }
  errno = ELOOP;
  return false;
}

// The permissions a new file gets: those of the target it replaces, or 0666 less the umask.
mode_t permissionsFor(const char* target) {
  struct stat status {};
  if (stat(target, &status) == 0) {
    return status.st_mode & 07777;
  }
  const mode_t mask = umask(0);
  umask(mask);
  return 0666 & ~mask;
}

// Creates the temporary file beside the target and opens it as the writer's stream.
bool openTemporary(ReplacedFile& replaced) {
  if (!joinPath(replaced.temporary, sizeof replaced.temporary, replaced.target,
                folderLength(replaced.target), kTemporaryName)) {
    replaced.temporary[0] = '\0';
    return false;
  }
  const int descriptor = mkstemp(replaced.temporary);
  if (descriptor < 0) {
    replaced.temporary[0] = '\0';
    return false;
  }
  // The file that takes the target's place must take its permissions too.
  if (fchmod(descriptor, permissionsFor(replaced.target)) != 0 ||
      (replaced.file = fdopen(descriptor, "w")) == nullptr) {
    const int error = errno;
    close(descriptor);
    unlink(replaced.temporary);
    replaced.temporary[0] = '\0';
    errno = error;
    return false;
  }
  return true;
}

}  // namespace

ReplacedFile beginReplacedFile(const char* name) {
  ReplacedFile replaced{};
  if (followLinks(name, replaced.target, sizeof replaced.target)) {
    struct stat status {};
    if (stat(replaced.target, &status) == 0 && !S_ISREG(status.st_mode)) {
      replaced.file = std::fopen(replaced.target, "w");
    } else {
      openTemporary(replaced);
    }
  }
  if (replaced.file == nullptr) {
    replaced.error = errno;
  }
  return replaced;
}

bool finishReplacedFile(ReplacedFile& replaced, bool written) {
  int error = 0;
  if (replaced.file == nullptr) {
    error = replaced.error != 0 ? replaced.error : EIO;
  } else if (!written) {
    error = errno != 0 ? errno : EIO;
  }
  if (replaced.file != nullptr) {
    if (std::fflush(replaced.file) != 0 && error == 0) {
      error = errno;
    }
    // Only a regular file is made to reach the disk before it takes the target's place.
    if (error == 0 && replaced.temporary[0] != '\0' && fsync(fileno(replaced.file)) != 0) {
      error = errno;
    }
    if (std::fclose(replaced.file) != 0 && error == 0) {
      error = errno;
    }
  }
  replaced.file = nullptr;
  if (replaced.temporary[0] != '\0') {
    if (error == 0 && std::rename(replaced.temporary, replaced.target) != 0) {
      error = errno;
    }
    if (error != 0) {
      unlink(replaced.temporary);
    }
  }
  replaced.error = error;
  return error == 0;
}

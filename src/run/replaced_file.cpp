#include "run/replaced_file.hpp"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

// Links are followed this many times at most, as the system itself does.
constexpr int kMostLinks = 40;

bool copyPath(char* to, std::size_t size, const char* from) {
  const std::size_t length = std::strlen(from);
  if (length >= size) {
    return false;
  }
  std::memcpy(to, from, length + 1);
  return true;
}

// The folder of path, with its last '/': "" for a name in the current folder.
std::size_t folderLength(const char* path) {
  const char* slash = std::strrchr(path, '/');
  return slash == nullptr ? 0 : static_cast<std::size_t>(slash - path) + 1;
}

// The file that name leads to through any symbolic links (which need not exist yet); false
// when the links cannot be followed.
bool followLinks(const char* name, char* path, std::size_t size) {
  if (!copyPath(path, size, name)) {
    errno = ENAMETOOLONG;
    return false;
  }
  for (int links = 0; links < kMostLinks; ++links) {
    struct stat status {};
    if (lstat(path, &status) != 0 || !S_ISLNK(status.st_mode)) {
      return true;
    }
    char link[4096];
    const ssize_t length = readlink(path, link, sizeof link - 1);
    if (length < 0) {
      return false;
    }
    link[length] = '\0';
    // A relative link is taken from the link's own folder.
    const std::size_t folder = link[0] == '/' ? 0 : folderLength(path);
    if (folder + static_cast<std::size_t>(length) + 1 > size) {
      errno = ENAMETOOLONG;
      return false;
    }
    std::memcpy(path + folder, link, static_cast<std::size_t>(length) + 1);
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
  const std::size_t folder = folderLength(replaced.target);
  const char* pattern = ".quorva-XXXXXX";
  if (folder + std::strlen(pattern) + 1 > sizeof replaced.temporary) {
    errno = ENAMETOOLONG;
    return false;
  }
  std::memcpy(replaced.temporary, replaced.target, folder);
  std::memcpy(replaced.temporary + folder, pattern, std::strlen(pattern) + 1);
  const int descriptor = mkstemp(replaced.temporary);
  if (descriptor < 0) {
    replaced.temporary[0] = '\0';
    return false;
  }
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
  if (!followLinks(name, replaced.target, sizeof replaced.target)) {
    replaced.error = errno;
    return replaced;
  }
  struct stat status {};
  const bool special = stat(replaced.target, &status) == 0 && !S_ISREG(status.st_mode);
  if (special) {
    replaced.file = std::fopen(replaced.target, "w");
  } else if (!openTemporary(replaced)) {
    replaced.file = nullptr;
  }
  if (replaced.file == nullptr) {
    replaced.error = errno;
  }
  return replaced;
}

bool finishReplacedFile(ReplacedFile& replaced, bool written) {
  if (replaced.file == nullptr) {
    return false;
  }
  int error = written ? 0 : (errno != 0 ? errno : EIO);
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

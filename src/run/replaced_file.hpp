#ifndef QUORVA_RUN_REPLACED_FILE_HPP
#define QUORVA_RUN_REPLACED_FILE_HPP

#include <cstdio>

/// Writes a whole file or nothing: the text goes to a new file beside the target, which is
/// renamed over the target only when every write, the flush, the fsync and the close worked.
/// The new file keeps the permissions of the one it replaces (the usual ones for a new file);
/// a symbolic link stays and the file it leads to is replaced. A target that exists and is not
/// a regular file (a device, a pipe) is written directly, as it cannot be replaced.
struct ReplacedFile {
  std::FILE* file;  ///< where the text goes; nullptr when it could not be created
  int error;        ///< errno of the first step that failed, 0 while none has
  char target[4096];
  char temporary[4096];  ///< "" when the target is written directly
};

/// Starts writing name; file is nullptr (and error set) when that is not possible.
ReplacedFile beginReplacedFile(const char* name);
/// Ends writing, whether or not it could start: true when the target now holds the whole
/// text. written says whether the writer itself succeeded (errno then holds why not). On
/// failure the temporary file is removed, the target left as it was, and error holds the
/// reason.
bool finishReplacedFile(ReplacedFile& replaced, bool written);

#endif

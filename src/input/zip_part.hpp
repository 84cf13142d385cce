#ifndef QUORVA_INPUT_ZIP_PART_HPP
#define QUORVA_INPUT_ZIP_PART_HPP

#include <cstddef>
#include <cstdint>
#include <string>

struct zip;
struct WorkbookLibraries;

/// A ZIP archive read from memory; parts are found by name and inflated in pieces, never to a
/// file.
struct ZipArchive {
  /// The functions of the ZIP and XML libraries the archive is read with.
  const WorkbookLibraries* libraries = nullptr;
  zip* archive = nullptr;
  /// The most bytes any one part may inflate to.
  std::uint64_t partLimit = 0;
};

/// What reading a part came to.
enum class PartStatus { read, missing, archive, tooLarge, malformed };

/// Opens the archive held in data (which must outlive it) with these libraries (which must
/// too); false when it cannot be read.
bool openZipArchive(const WorkbookLibraries& libraries, const unsigned char* data,
                    std::size_t size, ZipArchive& archive);
void closeZipArchive(ZipArchive& archive);

/// True when the archive holds a part of that name.
bool hasZipPart(const ZipArchive& archive, const std::string& name);

/// Where the pieces of an inflated part go: room for the next piece (so that it is inflated
/// where it is parsed, not copied there), and what was put into it; a sink whose take returns
/// false stops the reading with PartStatus::malformed.
struct PartSink {
  void* context;
  char* (*room)(void* context, std::size_t count);
  bool (*take)(void* context, std::size_t count, bool last);
};

/// Inflates the part piece by piece into sink, stopping at the size limit.
PartStatus streamZipPart(const ZipArchive& archive, const std::string& name, const PartSink& sink);

/// The limit of one part for an archive of this size: 100 times it, at least 64 MiB and never
/// more than 1 GiB.
std::uint64_t partLimitFor(std::size_t archiveSize);

#endif

#include "input/zip_part.hpp"

#include "input/workbook_libraries.hpp"

namespace {

constexpr std::uint64_t kMebibyte = std::uint64_t{ 1024 } * 1024;
constexpr std::size_t kPieceSize = std::size_t{ 64 } * 1024;

}  // namespace

std::uint64_t partLimitFor(std::size_t archiveSize) {
  const std::uint64_t scaled = std::uint64_t{ archiveSize } * 100;
  const std::uint64_t atLeast = scaled > 64 * kMebibyte ? scaled : 64 * kMebibyte;
  return atLeast < 1024 * kMebibyte ? atLeast : 1024 * kMebibyte;
}

bool openZipArchive(const WorkbookLibraries& libraries, const unsigned char* data,
                    std::size_t size, ZipArchive& archive) {
  archive.libraries = &libraries;
  zip_error_t error;
  libraries.zip_error_init(&error);
  zip_source_t* source = libraries.zip_source_buffer_create(data, size, 0, &error);
  if (source != nullptr) {
    archive.archive = libraries.zip_open_from_source(source, ZIP_RDONLY, &error);
    if (archive.archive == nullptr) {
      libraries.zip_source_free(source);
    }
  }
  libraries.zip_error_fini(&error);
  archive.partLimit = partLimitFor(size);
  return archive.archive != nullptr;
}

void closeZipArchive(ZipArchive& archive) {
  if (archive.archive != nullptr) {
    archive.libraries->zip_discard(archive.archive);
    archive.archive = nullptr;
  }
}

bool hasZipPart(const ZipArchive& archive, const std::string& name) {
  return archive.libraries->zip_name_locate(archive.archive, name.c_str(), 0) >= 0;
}

PartStatus streamZipPart(const ZipArchive& archive, const std::string& name, const PartSink& sink) {
  const WorkbookLibraries& f = *archive.libraries;
  const zip_int64_t index = f.zip_name_locate(archive.archive, name.c_str(), 0);
  if (index < 0) {
    return PartStatus::missing;
  }
  zip_file_t* file = f.zip_fopen_index(archive.archive, static_cast<zip_uint64_t>(index), 0);
  if (file == nullptr) {
    return PartStatus::archive;
  }
  std::uint64_t total = 0;
  PartStatus status = PartStatus::read;
  for (;;) {
    char* room = sink.room(sink.context, kPieceSize);
    const zip_int64_t count = room != nullptr ? f.zip_fread(file, room, kPieceSize) : -1;
    if (count < 0) {
      status = PartStatus::archive;
      break;
    }
    total += static_cast<std::uint64_t>(count);
    if (total > archive.partLimit) {
      status = PartStatus::tooLarge;
      break;
    }
    if (!sink.take(sink.context, static_cast<std::size_t>(count), count == 0)) {
      status = PartStatus::malformed;
      break;
    }
    if (count == 0) {
      break;
    }
  }
  f.zip_fclose(file);
  return status;
}

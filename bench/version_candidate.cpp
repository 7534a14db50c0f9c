// The candidate image reader (bounds-checked walk of the PE resource
// directory with a few small reads), for comparison in bench_version_read.
#include <windows.h>

#include <cstring>
#include <memory>

#include "file_version.h"

namespace candidate {
enum ImageVersionOutcome { kImageVersionFound, kImageVersionNone, kImageVersionUnsure };
}
using candidate::ImageVersionOutcome;
using candidate::kImageVersionFound;
using candidate::kImageVersionNone;
using candidate::kImageVersionUnsure;

namespace {
const DWORD kFixedInfoSignature = 0xFEEF04BD;
}
namespace {

// ---- Reading the fixed record from the image ---------------------------
//
// The version library loads the file as a data file (a mapping of the whole
// file) and looks the record up as FindResource(module, 1, RT_VERSION) does;
// the record then sits behind the key "VS_VERSION_INFO" at the next 4-byte
// boundary. The reader below walks the same resource directory with a few
// reads through a small window. It settles only the plain cases and leaves
// every other one to the library: files that begin like an NE, LE or
// LZ-compressed file, several languages of the version resource, entries out
// of order (the loader searches them by halves), a record cut short or of the
// 16-bit form, anything outside the file or its sections.

const DWORD kWindowSize = 4096;
const WORD kVersionType = 16;    // RT_VERSION
const WORD kVersionName = 1;     // VS_VERSION_INFO
const DWORD kMaxSections = 96;   // the loader's own limit
const DWORD kRecordReadSize = 512;

class WindowReader {
 public:
  explicit WindowReader(HANDLE file) : file_(file), base_(0), length_(0) {}
  // Exactly size bytes at offset, or false.
  bool Read(DWORD offset, void* out, DWORD size) {
    if (size > kWindowSize) return false;
    if (offset < base_ || offset - base_ > length_ || length_ - (offset - base_) < size) {
      if (!Fill(offset)) return false;
      if (length_ < size) return false;
    }
    memcpy(out, window_ + (offset - base_), size);
    return true;
  }
  // Up to size bytes at offset; how many were available.
  DWORD ReadSome(DWORD offset, void* out, DWORD size) {
    if (size > kWindowSize) size = kWindowSize;
    if (offset < base_ || offset - base_ > length_ || length_ - (offset - base_) < size)
      if (!Fill(offset)) return 0;
    DWORD available = length_ - (offset - base_);
    if (available > size) available = size;
    memcpy(out, window_ + (offset - base_), available);
    return available;
  }

 private:
  bool Fill(DWORD offset) {
    OVERLAPPED at = {};
    at.Offset = offset;
    DWORD read = 0;
    base_ = offset;
    length_ = 0;
    if (!ReadFile(file_, window_, kWindowSize, &read, &at)) return false;
    length_ = read;
    return true;
  }

  HANDLE file_;
  DWORD base_;
  DWORD length_;
  BYTE window_[kWindowSize];
};

struct ImageView {
  WindowReader* reader;
  DWORD sectionTable;  // file offset of the first section header
  WORD sectionCount;
};

// File offset of an address of the loaded image, through the first section
// that holds it in its raw data (as the loader maps a data file).
bool RvaToOffset(const ImageView& image, DWORD rva, DWORD* offset) {
  for (WORD i = 0; i < image.sectionCount; ++i) {
    IMAGE_SECTION_HEADER section;
    if (!image.reader->Read(image.sectionTable + i * sizeof(section), &section, sizeof(section)))
      return false;
    if (section.VirtualAddress <= rva && rva - section.VirtualAddress < section.SizeOfRawData) {
      DWORD into = rva - section.VirtualAddress;
      if (section.PointerToRawData > MAXDWORD - into) return false;
      *offset = section.PointerToRawData + into;
      return true;
    }
  }
  return false;
}

// The entry with the given ID of the directory at directoryOffset (relative
// to the resource root). Entries must be in the loader's order; found tells
// whether there is one.
bool FindIdEntry(WindowReader& reader, DWORD root, DWORD directoryOffset, WORD id, bool* found,
                 IMAGE_RESOURCE_DIRECTORY_ENTRY* entry) {
  IMAGE_RESOURCE_DIRECTORY directory;
  if (root > MAXDWORD - directoryOffset ||
      !reader.Read(root + directoryOffset, &directory, sizeof(directory)))
    return false;
  *found = false;
  DWORD first = root + directoryOffset + sizeof(directory) +
                directory.NumberOfNamedEntries * sizeof(IMAGE_RESOURCE_DIRECTORY_ENTRY);
  DWORD previous = 0;
  for (WORD i = 0; i < directory.NumberOfIdEntries; ++i) {
    IMAGE_RESOURCE_DIRECTORY_ENTRY e;
    if (!reader.Read(first + i * sizeof(e), &e, sizeof(e))) return false;
    if (e.Name & 0x80000000) return false;  // a name among the IDs
    DWORD entryId = e.Name & 0xFFFF;
    if (i > 0 && entryId <= previous) return false;  // out of order
    previous = entryId;
    if (entryId == id) {
      *entry = e;
      *found = true;
    }
  }
  return true;
}

}  // namespace

ImageVersionOutcome CandidateReadFromImage(const char* path, FileVersion* version) {
  version->high = 0;
  version->low = 0;
  HANDLE file = CreateFileA(path, GENERIC_READ,
                            FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    DWORD error = GetLastError();
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ? kImageVersionNone
                                                                         : kImageVersionUnsure;
  }
  std::unique_ptr<WindowReader> reader(new (std::nothrow) WindowReader(file));
  ImageVersionOutcome outcome = kImageVersionUnsure;
  do {
    if (!reader) break;
    BYTE magic[2] = {0, 0};
    if (reader->ReadSome(0, magic, 2) < 2) {
      outcome = kImageVersionNone;  // too short for any executable
      break;
    }
    if (magic[0] == 'S' && magic[1] == 'Z') break;  // perhaps LZ-compressed
    if (magic[0] != 'M' || magic[1] != 'Z') {
      outcome = kImageVersionNone;
      break;
    }
    IMAGE_DOS_HEADER dos;
    if (!reader->Read(0, &dos, sizeof(dos)) || dos.e_lfanew <= 0) break;
    DWORD nt = static_cast<DWORD>(dos.e_lfanew);
    DWORD signature = 0;
    IMAGE_FILE_HEADER header;
    WORD optionalMagic = 0;
    if (nt > MAXDWORD - 1024 || !reader->Read(nt, &signature, sizeof(signature)) ||
        signature != IMAGE_NT_SIGNATURE ||
        !reader->Read(nt + sizeof(signature), &header, sizeof(header)))
      break;
    DWORD optional = nt + sizeof(signature) + sizeof(header);
    if (!reader->Read(optional, &optionalMagic, sizeof(optionalMagic))) break;
    DWORD directoryCount = 0;
    IMAGE_DATA_DIRECTORY resources = {0, 0};
    if (optionalMagic == IMAGE_NT_OPTIONAL_HDR32_MAGIC) {
      IMAGE_OPTIONAL_HEADER32 o;
      if (header.SizeOfOptionalHeader < sizeof(o) || !reader->Read(optional, &o, sizeof(o))) break;
      directoryCount = o.NumberOfRvaAndSizes;
      resources = o.DataDirectory[IMAGE_DIRECTORY_ENTRY_RESOURCE];
      if (resources.VirtualAddress != 0 && resources.VirtualAddress < o.SizeOfHeaders) break;
    } else if (optionalMagic == IMAGE_NT_OPTIONAL_HDR64_MAGIC) {
      IMAGE_OPTIONAL_HEADER64 o;
      if (header.SizeOfOptionalHeader < sizeof(o) || !reader->Read(optional, &o, sizeof(o))) break;
      directoryCount = o.NumberOfRvaAndSizes;
      resources = o.DataDirectory[IMAGE_DIRECTORY_ENTRY_RESOURCE];
      if (resources.VirtualAddress != 0 && resources.VirtualAddress < o.SizeOfHeaders) break;
    } else {
      break;
    }
    if (directoryCount <= IMAGE_DIRECTORY_ENTRY_RESOURCE || resources.VirtualAddress == 0) {
      outcome = kImageVersionNone;  // no resources at all
      break;
    }
    if (header.NumberOfSections > kMaxSections) break;
    ImageView image = {reader.get(), optional + header.SizeOfOptionalHeader,
                       header.NumberOfSections};
    DWORD root = 0;
    if (!RvaToOffset(image, resources.VirtualAddress, &root)) break;

    bool found = false;
    IMAGE_RESOURCE_DIRECTORY_ENTRY typeEntry;
    if (!FindIdEntry(*reader, root, 0, kVersionType, &found, &typeEntry)) break;
    if (!found) {
      outcome = kImageVersionNone;
      break;
    }
    if (!(typeEntry.OffsetToData & 0x80000000)) break;
    IMAGE_RESOURCE_DIRECTORY_ENTRY nameEntry;
    if (!FindIdEntry(*reader, root, typeEntry.OffsetToData & 0x7FFFFFFF, kVersionName, &found,
                     &nameEntry))
      break;
    if (!found) {
      outcome = kImageVersionNone;
      break;
    }
    if (!(nameEntry.OffsetToData & 0x80000000)) break;
    // One language only: then every lookup order of the loader ends there.
    DWORD languages = root + (nameEntry.OffsetToData & 0x7FFFFFFF);
    IMAGE_RESOURCE_DIRECTORY languageDirectory;
    IMAGE_RESOURCE_DIRECTORY_ENTRY languageEntry;
    if (languages < root || !reader->Read(languages, &languageDirectory, sizeof(languageDirectory)) ||
        languageDirectory.NumberOfNamedEntries + languageDirectory.NumberOfIdEntries != 1 ||
        !reader->Read(languages + sizeof(languageDirectory), &languageEntry,
                      sizeof(languageEntry)) ||
        (languageEntry.OffsetToData & 0x80000000))
      break;
    IMAGE_RESOURCE_DATA_ENTRY data;
    DWORD dataEntry = root + languageEntry.OffsetToData;
    if (dataEntry < root || !reader->Read(dataEntry, &data, sizeof(data))) break;
    DWORD record = 0;
    if (!RvaToOffset(image, data.OffsetToData, &record)) break;
    BYTE bytes[kRecordReadSize];
    DWORD size = data.Size < kRecordReadSize ? data.Size : kRecordReadSize;
    if (size < 6 || !reader->Read(record, bytes, size)) break;
    // The 16-bit form has its (single-byte) key where the 32-bit form has its
    // type; the library tells them apart by that byte.
    if (bytes[4] >= ' ') break;
    WORD valueLength = static_cast<WORD>(bytes[2] | (bytes[3] << 8));
    DWORD key = 6;
    while (key + 1 < size && (bytes[key] != 0 || bytes[key + 1] != 0)) key += 2;
    if (key + 1 >= size) break;  // key not ended within what was read
    DWORD value = (key + 2 + 3) & ~3u;
    if (valueLength < sizeof(VS_FIXEDFILEINFO)) {
      outcome = kImageVersionNone;  // the library's fixed record is too short
      break;
    }
    if (value + sizeof(VS_FIXEDFILEINFO) > size) break;
    VS_FIXEDFILEINFO fixed;
    memcpy(&fixed, bytes + value, sizeof(fixed));
    outcome = kImageVersionNone;
    if (fixed.dwSignature != kFixedInfoSignature) break;
    version->high = fixed.dwFileVersionMS;
    version->low = fixed.dwFileVersionLS;
    outcome = kImageVersionFound;
  } while (false);
  CloseHandle(file);
  return outcome;
}


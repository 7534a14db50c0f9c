// ReadFileVersion gives what the version library gives (GetFileVersionInfo
// and VerQueryValue of the root block), for the system's own
// programs and libraries, the versioned test DLLs, the installer, files
// without version information and damaged images.
#include <windows.h>

#include <cstring>
#include <string>
#include <vector>

#include "file_version.h"
#include "gtest/gtest.h"
#include "test_support.h"

namespace {

std::string SystemDir() {
  char dir[MAX_PATH] = "";
  GetSystemDirectoryA(dir, sizeof(dir));
  return std::string(dir) + "\\";
}

std::string ReadAll(const std::string& path) {
  std::string text;
  hxtest::ReadTextFile(path, &text);
  return text;
}

void WriteAll(const std::string& path, const std::string& bytes) {
  HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(INVALID_HANDLE_VALUE, file) << path;
  DWORD written = 0;
  if (!bytes.empty()) WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
  CloseHandle(file);
  ASSERT_EQ(bytes.size(), written);
}

// The version library's answer: GetFileVersionInfoSize, GetFileVersionInfo
// and the root block of VerQueryValue, with the record's size and signature.
FileVersion LibraryVersion(const std::string& path) {
  FileVersion version = {0, 0};
  DWORD handle = 0;
  DWORD size = GetFileVersionInfoSizeA(path.c_str(), &handle);
  if (size == 0) return version;
  std::vector<BYTE> buffer(size);
  if (!GetFileVersionInfoA(path.c_str(), 0, size, buffer.data())) return version;
  VS_FIXEDFILEINFO* fixed = nullptr;
  UINT fixedSize = 0;
  if (!VerQueryValueA(buffer.data(), "\\", reinterpret_cast<void**>(&fixed), &fixedSize) ||
      !fixed || fixedSize < sizeof(VS_FIXEDFILEINFO) || fixed->dwSignature != 0xFEEF04BD)
    return version;
  version.high = fixed->dwFileVersionMS;
  version.low = fixed->dwFileVersionLS;
  return version;
}

// ReadFileVersion, and the image reader whenever it settles the case itself,
// agree with the library; returns whether there was a version.
bool ExpectSameAsLibrary(const std::string& path, ImageVersionOutcome* outcome = nullptr) {
  FileVersion read = ReadFileVersion(path.c_str());
  FileVersion library = LibraryVersion(path);
  EXPECT_EQ(library.high, read.high) << path;
  EXPECT_EQ(library.low, read.low) << path;
  FileVersion fromImage = {1, 1};
  ImageVersionOutcome how = ReadFileVersionFromImage(path.c_str(), &fromImage);
  if (how != kImageVersionUnsure) {
    EXPECT_EQ(library.high, fromImage.high) << path;
    EXPECT_EQ(library.low, fromImage.low) << path;
  }
  if (outcome) *outcome = how;
  return !library.IsZero();
}

TEST(FileVersionAsLibrary, TestDllsAndTheInstaller) {
  const FileVersion v1234 = {0x00010002, 0x00030004};
  const FileVersion v1240 = {0x00010002, 0x00040000};
  FileVersion v = ReadFileVersion((hxtest::BinDir() + "hxtest_ver_1234.dll").c_str());
  EXPECT_EQ(v1234.high, v.high);
  EXPECT_EQ(v1234.low, v.low);
  v = ReadFileVersion((hxtest::BinDir() + "hxtest_ver_1240.dll").c_str());
  EXPECT_EQ(v1240.high, v.high);
  EXPECT_EQ(v1240.low, v.low);
  // Plain images are read without the library.
  ImageVersionOutcome how = kImageVersionUnsure;
  EXPECT_TRUE(ExpectSameAsLibrary(hxtest::BinDir() + "hxtest_ver_1234.dll", &how));
  EXPECT_EQ(kImageVersionFound, how);
  EXPECT_TRUE(ExpectSameAsLibrary(hxtest::BinDir() + "hxtest_ver_1240.dll", &how));
  EXPECT_EQ(kImageVersionFound, how);
  for (const char* name : {"hxtest_ver_1234.dll", "hxtest_ver_1240.dll", "hxupd.exe",
                           "hxtest_plugin.dll", "hxupd_core_test.exe"}) {
    std::string path = hxtest::BinDir() + name;
    if (!hxtest::FileExists(path)) continue;
    ExpectSameAsLibrary(path);
  }
}

TEST(FileVersionAsLibrary, SystemProgramsAndLibraries) {
  std::string dir = SystemDir();
  WIN32_FIND_DATAA entry;
  HANDLE find = FindFirstFileA((dir + "*.*").c_str(), &entry);
  ASSERT_NE(INVALID_HANDLE_VALUE, find);
  int files = 0, versioned = 0, settled = 0;
  do {
    if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
    std::string name = entry.cFileName;
    if (name.size() < 4) continue;
    std::string ext = name.substr(name.size() - 4);
    for (char& c : ext) c = static_cast<char>(tolower(c));
    if (ext != ".dll" && ext != ".exe" && ext != ".drv" && ext != ".ocx" && ext != ".nls" &&
        ext != ".txt" && ext != ".ini")
      continue;
    ImageVersionOutcome how = kImageVersionUnsure;
    if (ExpectSameAsLibrary(dir + name, &how)) ++versioned;
    if (how != kImageVersionUnsure) ++settled;
    ++files;
  } while (FindNextFileA(find, &entry) && files < 400);
  FindClose(find);
  EXPECT_GT(files, 50);
  EXPECT_GT(versioned, 50) << versioned << " of " << files;
  // Most are settled without the library.
  EXPECT_GT(settled, files / 2) << settled << " of " << files;
}

TEST(FileVersionAsLibrary, FilesWithoutVersionInformation) {
  hxtest::TempDir dir("hxver");
  WriteAll(dir / "empty.bin", "");
  WriteAll(dir / "one.bin", "M");
  WriteAll(dir / "mz.bin", "MZ");
  WriteAll(dir / "plain.txt", "plain text, no version\r\n");
  WriteAll(dir / "sz.bin", "SZDD\x88\xf0\x27\x33 not really compressed");
  std::string random;
  for (int i = 0; i < 70000; ++i) random.push_back(static_cast<char>((i * 7919 + 13) >> 3));
  WriteAll(dir / "random.bin", random);
  for (const char* name : {"empty.bin", "one.bin", "mz.bin", "plain.txt", "sz.bin", "random.bin"})
    ExpectSameAsLibrary(dir / name);
  ImageVersionOutcome how = kImageVersionUnsure;
  EXPECT_FALSE(ExpectSameAsLibrary(dir / "plain.txt", &how));
  EXPECT_EQ(kImageVersionNone, how);
  EXPECT_FALSE(ExpectSameAsLibrary(dir / "empty.bin", &how));
  EXPECT_EQ(kImageVersionNone, how);
  EXPECT_FALSE(ExpectSameAsLibrary(dir / "missing.dll", &how));
  EXPECT_EQ(kImageVersionNone, how);
  EXPECT_FALSE(ExpectSameAsLibrary(dir / "no-folder\\missing.dll", &how));
  EXPECT_EQ(kImageVersionNone, how);
  // A folder is no file: the library decides.
  ExpectSameAsLibrary(dir.path().substr(0, dir.path().size() - 1));
  EXPECT_TRUE(ReadFileVersion((dir / "plain.txt").c_str()).IsZero());
}

TEST(FileVersionAsLibrary, DamagedImages) {
  hxtest::TempDir dir("hxver");
  std::string image = ReadAll(hxtest::BinDir() + "hxtest_ver_1240.dll");
  ASSERT_GT(image.size(), 1024u);
  // Cut at many lengths, and bytes of the headers and the resource area
  // changed one at a time.
  std::vector<size_t> cuts = {2, 63, 64, 65, 128, 200, 300, 400, 512, 1024};
  for (size_t n = 2048; n < image.size(); n += image.size() / 37) cuts.push_back(n);
  cuts.push_back(image.size() - 1);
  int i = 0;
  for (size_t n : cuts) {
    std::string path = dir / ("cut" + std::to_string(i++) + ".dll");
    WriteAll(path, image.substr(0, n));
    ExpectSameAsLibrary(path);
  }
  IMAGE_DOS_HEADER dos;
  memcpy(&dos, image.data(), sizeof(dos));
  size_t nt = static_cast<size_t>(dos.e_lfanew);
  std::vector<size_t> spots = {0, 1, 0x3c, 0x3d, 0x3f, nt, nt + 1, nt + 2, nt + 6, nt + 7,
                               nt + 20, nt + 21, nt + 24, nt + 25};
  for (size_t at = nt + 24 + 96; at < nt + 24 + 96 + 16 * 8 && at < image.size(); at += 4)
    spots.push_back(at);  // data directories
  size_t rsrc = image.find(".rsrc");
  ASSERT_NE(std::string::npos, rsrc);
  IMAGE_SECTION_HEADER section;
  memcpy(&section, image.data() + rsrc, sizeof(section));
  size_t versionKey = image.find(std::string("V\0S\0_\0V\0E\0R", 11));
  ASSERT_NE(std::string::npos, versionKey);
  for (size_t at = versionKey - 6; at < versionKey + 100 && at < image.size(); at += 2)
    spots.push_back(at);
  // The address and size of the version record in its data entry: changed,
  // they can send the library's copy of the record outside the file (where
  // it faults), so only ReadFileVersion is asked there: the original version
  // or (0, 0), and no fault. Damaged resource directories are left out: the
  // cases the image reader leaves to the library can make Wine's version
  // library itself fault (GetFileVersionInfoSize, in SizeofResource).
  DWORD recordRva = section.VirtualAddress +
                    static_cast<DWORD>(versionKey - 6 - section.PointerToRawData);
  size_t dataEntry = std::string::npos;
  for (size_t at = section.PointerToRawData; at + 8 <= image.size(); at += 4) {
    DWORD value;
    memcpy(&value, image.data() + at, sizeof(value));
    if (value == recordRva) {
      dataEntry = at;
      break;
    }
  }
  ASSERT_NE(std::string::npos, dataEntry);
  for (size_t at = dataEntry; at < dataEntry + 8; ++at) spots.push_back(at);
  for (size_t at : spots) {
    std::string bad = image;
    bad[at] = static_cast<char>(bad[at] ^ 0x5A);
    std::string path = dir / ("bad" + std::to_string(i++) + ".dll");
    WriteAll(path, bad);
    if (at >= dataEntry && at < dataEntry + 8) {
      FileVersion v = ReadFileVersion(path.c_str());
      EXPECT_TRUE(v.IsZero() || (v.high == 0x00010002 && v.low == 0x00040000)) << path;
    } else {
      ExpectSameAsLibrary(path);
    }
  }
}

}  // namespace

// hxupd.exe against a generated corpus of malformed packages, with the
// simulated product installed: a table of mutations of a valid base package
// (missing and duplicated sections and keys, values far beyond their buffers,
// binary bytes, numbers out of range, plug-ins that are missing or no DLL,
// "Files" climbing out of the package, broken custom settings, a 10,000-line
// HOTFIX.INI) and seeded random byte mutations of it.
//
// Every run must end by itself with one of the exit codes 0, 1, 3 and 5,
// leave that code and its description under TVSetup, and change no file
// outside the product's folders and the log it was told to write.
#include <algorithm>
#include <cstdio>
#include <functional>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "gtest/gtest.h"
#include "system_env.h"

namespace {

using hxsys::TreeSnapshot;

const DWORD kRunTimeoutMs = 60000;
const char kScratchKey[] = "Software\\HxRobustScratch";

// A profile file as an ordered list of sections with ordered key lines.
struct Ini {
  struct Section {
    std::string name;
    std::vector<std::pair<std::string, std::string>> lines;
  };
  std::vector<Section> sections;
  std::string tail;  // raw text appended after the sections

  Section* Find(const std::string& name) {
    for (Section& s : sections)
      if (s.name == name) return &s;
    return nullptr;
  }
  Section& Get(const std::string& name) {
    if (Section* s = Find(name)) return *s;
    sections.push_back({name, {}});
    return sections.back();
  }
  // Replaces the key's value, or appends the key.
  void Set(const std::string& section, const std::string& key, const std::string& value) {
    Section& s = Get(section);
    for (auto& line : s.lines)
      if (line.first == key) {
        line.second = value;
        return;
      }
    s.lines.push_back({key, value});
  }
  void Add(const std::string& section, const std::string& key, const std::string& value) {
    Get(section).lines.push_back({key, value});
  }
  void Remove(const std::string& section, const std::string& key) {
    if (Section* s = Find(section))
      for (size_t i = 0; i < s->lines.size(); ++i)
        if (s->lines[i].first == key) s->lines.erase(s->lines.begin() + static_cast<long>(i--));
  }
  void RemoveSection(const std::string& name) {
    for (size_t i = 0; i < sections.size(); ++i)
      if (sections[i].name == name) sections.erase(sections.begin() + static_cast<long>(i--));
  }
  void DuplicateSection(const std::string& name, const std::string& key, const std::string& value) {
    Section copy = Get(name);
    for (auto& line : copy.lines)
      if (line.first == key) line.second = value;
    sections.push_back(copy);
  }
  std::string Text() const {
    std::string text;
    for (const Section& s : sections) {
      text += "[" + s.name + "]\r\n";
      for (const auto& line : s.lines) text += line.first + "=" + line.second + "\r\n";
    }
    return text + tail;
  }
};

struct Mutation {
  const char* name;
  std::function<void(Ini&)> apply;
};

std::string Repeat(const std::string& piece, size_t times) {
  std::string s;
  for (size_t i = 0; i < times; ++i) s += piece;
  return s;
}

class CorpusTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    world_ = new hxtest::TempDir("hxrobust");
    product_root_ = *world_ / "product\\";
    dest_ = product_root_ + "dest\\";
    pkg_ = *world_ / "pkg\\";
    product_ = new hxsys::SimulatedProduct;
    ready_ = hxsys::MakeDirs(pkg_) && hxsys::MakeDirs(*world_ / "outside") &&
             hxtest::WriteTextFile(*world_ / "outside\\keep.txt", "outside the package") &&
             BuildPackage() && product_->Install(product_root_, false) && hxsys::SetupKeyExists();
    if (!ready_) return;
    hxsys::MakeDirs(dest_);
    keys_before_ = RegistryKeys();
    windows_before_ = WindowsFolder();
    baseline_ = WorldSnapshot();
  }
  static void TearDownTestSuite() {
    delete product_;
    product_ = nullptr;
    hxtest::DeleteRegTree(HKEY_LOCAL_MACHINE, kScratchKey);
    hxtest::DeleteRegTree(HKEY_CURRENT_USER, kScratchKey);
    delete world_;
    world_ = nullptr;
  }
  void SetUp() override {
    if (!ready_) GTEST_SKIP() << "package or simulated product could not be set up";
  }

  // The package: the installer, the test plug-in, a text file and a folder
  // that carry DLL names, and files in "Common", "32" and "64".
  static bool BuildPackage() {
    const std::string bin = hxtest::BinDir();
    bool ok = hxtest::CopyFileTo(bin + "hxupd.exe", pkg_ + "hxupd.exe") &&
              hxtest::CopyFileTo(bin + "hxtest_plugin.dll", pkg_ + "main.dll") &&
              hxtest::WriteTextFile(pkg_ + "notdll.dll", "this is not a library\r\n") &&
              hxsys::MakeDirs(pkg_ + "folder.dll");
    const char* files[] = {"Common\\main\\a.txt", "Common\\main\\sub\\b.txt",
                           "Common\\main\\.hidden\\h.txt", "64\\main\\c.txt", "32\\main\\d.txt"};
    for (const char* f : files) {
      std::string path = pkg_ + f;
      ok = ok && hxsys::MakeDirs(path.substr(0, path.find_last_of('\\'))) &&
           hxtest::WriteTextFile(path, f);
    }
    return ok;
  }

  static Ini Base() {
    Ini ini;
    ini.Set("General", "ID", "HF-ROBUST-1");
    ini.Set("General", "Description_ENG", "Robustness base package");
    ini.Set("General", "ReleaseDate", "2024-05-06");
    ini.Set("General", "Log", pkg_ + "hx.log");
    ini.Set("Product", "ProductOID", hxsys::kProductOid);
    ini.Set("Product", "ProductName", "Tarnvale");
    ini.Set("Product", "ProductPlatforms", "*");
    ini.Set("Product", "VerMin", "8.00");
    ini.Set("Product", "VerMax", "8.50");
    ini.Set("Plugins", "PlugIn_1", "Main");
    ini.Set("Main", "Files", "main");
    ini.Set("Main", "PlugIn", "main.dll");
    ini.Set("Main", "TestProductDir", dest_);
    ini.Set("CustomPolicySettings", "SetValue0", "1.3.6.1.4.1.5839.11.90.90.1,robust");
    ini.Set("CustomRegistrySettings", "SetValue0",
            "1,HKEY_LOCAL_MACHINE\\Software\\HxRobustScratch\\\\Root|%TVDIR%");
    ini.Set("CustomRegistrySettings", "DeleteValue0",
            "HKEY_LOCAL_MACHINE\\Software\\HxRobustScratch\\\\Gone");
    return ini;
  }

  // Everything in the scratch world except the product's destination and the
  // two files the installer itself writes into the package.
  static TreeSnapshot WorldSnapshot() {
    return hxsys::SnapshotTree(world_->path(), {"product\\dest", "pkg\\hotfix.ini", "pkg\\hx.log"});
  }
  // The files directly in the Windows folder, where a bare log name goes.
  static TreeSnapshot WindowsFolder() {
    char windows[MAX_PATH] = "";
    GetWindowsDirectoryA(windows, MAX_PATH);
    TreeSnapshot top;
    WIN32_FIND_DATAA data;
    HANDLE find = FindFirstFileA((std::string(windows) + "\\*").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) return top;
    do {
      std::string name = data.cFileName;
      for (char& ch : name) ch = static_cast<char>(tolower(static_cast<unsigned char>(ch)));
      if (name != "." && name != "..") top[name] = "entry";
    } while (FindNextFileA(find, &data));
    FindClose(find);
    return top;
  }
  static std::set<std::string> RegistryKeys() {
    std::set<std::string> keys;
    for (const auto& where : {std::make_pair(HKEY_LOCAL_MACHINE, "Software"),
                              std::make_pair(HKEY_CURRENT_USER, "Software"),
                              std::make_pair(HKEY_LOCAL_MACHINE, ""),
                              std::make_pair(HKEY_CURRENT_USER, "")})
      for (const std::string& name : hxsys::SubKeyNames(where.first, where.second))
        keys.insert((where.first == HKEY_LOCAL_MACHINE ? "HKLM\\" : "HKCU\\") +
                    std::string(where.second) + "\\" + name);
    return keys;
  }

  static bool IsLogFile(const std::string& path) {
    std::string text;
    return hxtest::ReadTextFile(path, &text) && text.find("Log open:") != std::string::npos;
  }

  // Added files that are logs are what the package asked for; they are
  // removed again. Anything else is reported.
  static std::string UnexpectedChanges(const std::string& folder, const TreeSnapshot& before,
                                       const TreeSnapshot& after) {
    std::string report;
    for (const auto& entry : after) {
      if (before.count(entry.first)) continue;
      std::string path = hxsys::NoSlash(folder) + "\\" + entry.first;
      if (entry.second != "dir" && IsLogFile(path)) {
        DeleteFileA(path.c_str());
        continue;
      }
      report += "added " + path + "\n";
    }
    for (const auto& entry : before) {
      auto it = after.find(entry.first);
      if (it == after.end()) report += "removed " + entry.first + "\n";
      else if (it->second != entry.second) report += "changed " + entry.first + "\n";
    }
    return report;
  }

  // Runs one package text and checks the outcome; returns a description of
  // any fault (empty when the run was as documented).
  std::string RunCase(const std::string& ini_text) {
    hxtest::DeleteTree(dest_);
    hxsys::MakeDirs(dest_);
    DeleteFileA((pkg_ + "hx.log").c_str());
    if (!hxtest::WriteTextFile(pkg_ + "HOTFIX.INI", ini_text)) return "cannot write HOTFIX.INI";
    hxsys::ClearSetupResults();

    hxsys::RunOutcome run = hxsys::RunInstaller(pkg_, kRunTimeoutMs);
    std::string fault;
    char line[160];
    if (!run.started) return "hxupd.exe did not start";
    if (run.timed_out) {
      fault += "did not end within 60 s (terminated)\n";
    } else if (!hxsys::IsDocumentedExitCode(run.exit_code)) {
      std::snprintf(line, sizeof(line), "exit code %lu (0x%08lX)%s\n", run.exit_code,
                    run.exit_code, run.exit_code >= 0xC0000000u ? ": crashed" : ": undocumented");
      fault += line;
    } else {
      DWORD code = 0xFFFFFFFF;
      std::string description;
      if (!hxsys::ReadSetupDword("RESULT_CODE", &code) || code != run.exit_code) {
        std::snprintf(line, sizeof(line), "RESULT_CODE %ld does not match exit code %lu\n",
                      static_cast<long>(code), run.exit_code);
        fault += line;
      }
      if (!hxsys::ReadSetupText("DESCRIPTION_RESULT_SETUP", &description) ||
          description != hxsys::DescriptionOf(run.exit_code))
        fault += "DESCRIPTION_RESULT_SETUP \"" + description + "\" does not match\n";
    }
    std::string changes = UnexpectedChanges(world_->path(), baseline_, WorldSnapshot());
    if (!changes.empty()) fault += "files changed outside the product and the log:\n" + changes;
    char windows[MAX_PATH] = "";
    GetWindowsDirectoryA(windows, MAX_PATH);
    std::string windows_changes = UnexpectedChanges(windows, windows_before_, WindowsFolder());
    // The Windows folder changes under Wine's own feet; only additions count.
    for (size_t at = 0; (at = windows_changes.find("added ", at)) != std::string::npos;) {
      size_t end = windows_changes.find('\n', at);
      fault += "outside: " + windows_changes.substr(at, end - at + 1);
      at = end;
    }
    if (!hxsys::SetupKeyExists()) fault += "the TVSetup key is gone\n";
    if (!fault.empty()) {
      std::string log;
      hxtest::ReadTextFile(pkg_ + "hx.log", &log);
      if (log.size() > 1500) log = "..." + log.substr(log.size() - 1500);
      fault += "log tail:\n" + log + "\n";
    }
    return fault;
  }

  // Runs every package and reports the faulty ones together.
  void RunAll(const std::vector<std::pair<std::string, std::string>>& cases) {
    int faulty = 0;
    DWORD start = GetTickCount();
    for (const auto& c : cases) {
      std::string fault = RunCase(c.second);
      if (!fault.empty()) {
        ++faulty;
        ADD_FAILURE() << "package \"" << c.first << "\":\n" << fault;
      }
    }
    std::printf("%zu packages, %d faulty, %lu ms\n", cases.size(), faulty,
                GetTickCount() - start);
  }

  // Registry entries are the package's to ask for, but none may outlive the
  // test: the scratch keys and any key that a mangled path created next to
  // them are removed.
  static void RemoveRegistryLeftovers() {
    hxtest::DeleteRegTree(HKEY_LOCAL_MACHINE, kScratchKey);
    hxtest::DeleteRegTree(HKEY_CURRENT_USER, kScratchKey);
    for (const auto& where : {std::make_pair(HKEY_LOCAL_MACHINE, "Software"),
                              std::make_pair(HKEY_CURRENT_USER, "Software"),
                              std::make_pair(HKEY_LOCAL_MACHINE, ""),
                              std::make_pair(HKEY_CURRENT_USER, "")}) {
      HKEY parent = nullptr;
      if (RegOpenKeyExA(where.first, where.second, 0, KEY_READ | KEY_WRITE, &parent) != ERROR_SUCCESS)
        continue;
      std::vector<std::string> added;
      char name[256];
      for (DWORD i = 0;; ++i) {
        DWORD size = sizeof(name);
        if (RegEnumKeyExA(parent, i, name, &size, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
          break;
        std::string lower = name;
        for (char& ch : lower) ch = static_cast<char>(tolower(static_cast<unsigned char>(ch)));
        std::string full = (where.first == HKEY_LOCAL_MACHINE ? "HKLM\\" : "HKCU\\") +
                           std::string(where.second) + "\\" + lower;
        if (!keys_before_.count(full)) added.push_back(name);
      }
      for (const std::string& key : added) RegDeleteTreeA(parent, key.c_str());
      RegCloseKey(parent);
    }
    for (const std::string& key : RegistryKeys())
      EXPECT_TRUE(keys_before_.count(key)) << "registry key left behind: " << key;
  }

  static hxtest::TempDir* world_;
  static hxsys::SimulatedProduct* product_;
  static std::string product_root_, dest_, pkg_;
  static bool ready_;
  static TreeSnapshot baseline_, windows_before_;
  static std::set<std::string> keys_before_;
};

hxtest::TempDir* CorpusTest::world_ = nullptr;
hxsys::SimulatedProduct* CorpusTest::product_ = nullptr;
std::string CorpusTest::product_root_, CorpusTest::dest_, CorpusTest::pkg_;
bool CorpusTest::ready_ = false;
TreeSnapshot CorpusTest::baseline_, CorpusTest::windows_before_;
std::set<std::string> CorpusTest::keys_before_;

const std::string kScratch = "HKEY_LOCAL_MACHINE\\Software\\HxRobustScratch";
const std::string kLong = Repeat("x", 5000);
const std::string kBinary = std::string("a\x01\x02\x7f\x80\xfe\xff", 7) + std::string(1, '\0') + "z";

// Hand-made mutations of the base package.
std::vector<Mutation> TableMutations(const std::string& pkg, const std::string& dest) {
  std::vector<Mutation> m = {
      {"empty file", [](Ini& i) { i.sections.clear(); }},
      {"only blank lines", [](Ini& i) { i.sections.clear(); i.tail = "\r\n\r\n\n\n"; }},
      {"no section General", [](Ini& i) { i.RemoveSection("General"); }},
      {"no section Product", [](Ini& i) { i.RemoveSection("Product"); }},
      {"no section Plugins", [](Ini& i) { i.RemoveSection("Plugins"); }},
      {"no plug-in section", [](Ini& i) { i.RemoveSection("Main"); }},
      {"no custom sections", [](Ini& i) {
         i.RemoveSection("CustomPolicySettings");
         i.RemoveSection("CustomRegistrySettings");
       }},
      {"no ID", [](Ini& i) { i.Remove("General", "ID"); }},
      {"no Log", [](Ini& i) { i.Remove("General", "Log"); }},
      {"no ProductOID", [](Ini& i) { i.Remove("Product", "ProductOID"); }},
      {"no ProductName", [](Ini& i) { i.Remove("Product", "ProductName"); }},
      {"no VerMin", [](Ini& i) { i.Remove("Product", "VerMin"); }},
      {"no VerMax", [](Ini& i) { i.Remove("Product", "VerMax"); }},
      {"no Files", [](Ini& i) { i.Remove("Main", "Files"); }},
      {"no PlugIn", [](Ini& i) { i.Remove("Main", "PlugIn"); }},
      {"no TestProductDir", [](Ini& i) { i.Remove("Main", "TestProductDir"); }},
      {"General twice", [](Ini& i) { i.DuplicateSection("General", "ID", "HF-OTHER"); }},
      {"Product twice", [](Ini& i) { i.DuplicateSection("Product", "VerMax", "1.00"); }},
      {"Plugins twice", [](Ini& i) { i.DuplicateSection("Plugins", "PlugIn_1", "Nowhere"); }},
      {"plug-in section twice", [](Ini& i) { i.DuplicateSection("Main", "PlugIn", "missing.dll"); }},
      {"ID twice", [](Ini& i) { i.Add("General", "ID", "HF-SECOND"); }},
      {"PlugIn_1 twice", [](Ini& i) { i.Add("Plugins", "PlugIn_1", "Other"); }},
      {"same section under two numbers", [](Ini& i) { i.Add("Plugins", "PlugIn_2", "Main"); }},
      {"all 32 numbers name the section", [](Ini& i) {
         for (int n = 2; n <= 32; ++n) i.Add("Plugins", "PlugIn_" + std::to_string(n), "Main");
       }},
      {"PlugIn_0, _33 and huge numbers only", [](Ini& i) {
         i.RemoveSection("Plugins");
         for (const char* k : {"PlugIn_0", "PlugIn_33", "PlugIn_4294967297", "PlugIn_-1", "PlugIn_01"})
           i.Add("Plugins", k, "Main");
       }},
      {"Plugins names a missing section", [](Ini& i) { i.Set("Plugins", "PlugIn_1", "Nowhere"); }},
      {"section names with brackets", [](Ini& i) {
         i.tail = "[[General]]\r\nID=X\r\n[Main\r\nFiles=x\r\n]\r\n=\r\n==\r\n[]\r\n=empty key\r\n";
       }},
      // Values far beyond their buffers.
      {"ID 5000 chars", [](Ini& i) { i.Set("General", "ID", kLong); }},
      {"ID 32 chars", [](Ini& i) { i.Set("General", "ID", Repeat("I", 32)); }},
      {"Description 5000 chars", [](Ini& i) { i.Set("General", "Description_ENG", kLong); }},
      {"ReleaseDate 5000 chars", [](Ini& i) { i.Set("General", "ReleaseDate", kLong); }},
      {"ReleaseDate 12 chars", [](Ini& i) { i.Set("General", "ReleaseDate", "2024-05-06xx"); }},
      {"ReleaseDate garbage", [](Ini& i) { i.Set("General", "ReleaseDate", "--99999999999-"); }},
      {"Log path 300 chars", [pkg](Ini& i) { i.Set("General", "Log", pkg + Repeat("L", 300) + ".log"); }},
      {"Log path 5000 chars", [pkg](Ini& i) { i.Set("General", "Log", pkg + kLong); }},
      {"Log in a missing folder", [pkg](Ini& i) { i.Set("General", "Log", pkg + "no\\such\\hx.log"); }},
      {"Log is a folder", [pkg](Ini& i) { i.Set("General", "Log", pkg + "Common"); }},
      {"Log is the package file", [pkg](Ini& i) { i.Set("General", "Log", pkg + "HOTFIX.INI"); }},
      {"ProductOID 5000 chars", [](Ini& i) { i.Set("Product", "ProductOID", "1.3.6.1.4.1.5839.11" + Repeat(".1", 2500)); }},
      {"ProductOID 255 chars", [](Ini& i) { i.Set("Product", "ProductOID", "1.3.6.1.4.1.5839.11" + Repeat(".7", 118)); }},
      {"ProductOID garbage", [](Ini& i) { i.Set("Product", "ProductOID", "1..3.-6.x.%s%n%s"); }},
      {"ProductRegKey 5000 chars", [](Ini& i) { i.Set("Product", "ProductRegKey", kLong); }},
      {"ProductRegKey climbing", [](Ini& i) { i.Set("Product", "ProductRegKey", "..\\..\\..\\System"); }},
      {"ProductName 5000 chars", [](Ini& i) { i.Set("Product", "ProductName", kLong); }},
      {"ProductPlatforms 5000 chars", [](Ini& i) { i.Set("Product", "ProductPlatforms", Repeat("nt61-64,", 625)); }},
      {"ProductPlatforms unknown", [](Ini& i) { i.Set("Product", "ProductPlatforms", "os2-16,,,;;"); }},
      {"VerMin 5000 chars", [](Ini& i) { i.Set("Product", "VerMin", Repeat("9", 5000)); }},
      {"VerMax 5000 chars", [](Ini& i) { i.Set("Product", "VerMax", Repeat("9", 5000)); }},
      {"VerMin 7 chars", [](Ini& i) { i.Set("Product", "VerMin", "0.00000"); }},
      {"versions garbage", [](Ini& i) {
         i.Set("Product", "VerMin", "x.y");
         i.Set("Product", "VerMax", "..");
       }},
      {"Files 5000 chars", [](Ini& i) { i.Set("Main", "Files", kLong); }},
      {"Files 255 chars", [](Ini& i) { i.Set("Main", "Files", Repeat("f\\", 127) + "f"); }},
      {"PlugIn 40 chars", [](Ini& i) { i.Set("Main", "PlugIn", Repeat("p", 36) + ".dll"); }},
      {"PlugIn 5000 chars", [](Ini& i) { i.Set("Main", "PlugIn", kLong); }},
      {"plug-in section name 5000 chars", [](Ini& i) {
         i.Get("Main").name = kLong;
         i.Set("Plugins", "PlugIn_1", kLong);
       }},
      {"rename texts 5000 chars", [](Ini& i) {
         i.Set("Main", "RenameFilesWinNT4", kLong);
         i.Set("Main", "RenameFilesWin2000", kLong);
       }},
      {"key name 5000 chars", [](Ini& i) { i.Add("General", kLong, "v"); }},
      {"line of 70000 chars", [](Ini& i) { i.Add("Main", "Huge", Repeat("h", 70000)); }},
      // Binary bytes.
      {"binary ID", [](Ini& i) { i.Set("General", "ID", kBinary); }},
      {"binary ProductOID", [](Ini& i) { i.Set("Product", "ProductOID", std::string("1.3.6\xff\x00.1", 8)); }},
      {"binary Files", [](Ini& i) { i.Set("Main", "Files", kBinary); }},
      {"binary PlugIn", [](Ini& i) { i.Set("Main", "PlugIn", std::string("ma\x01in.dll")); }},
      {"binary Log", [pkg](Ini& i) { i.Set("General", "Log", pkg + "h\x01\x7f\xff.log"); }},
      {"binary versions", [](Ini& i) {
         i.Set("Product", "VerMin", std::string("\x00\x01", 2));
         i.Set("Product", "VerMax", "\xff\xff\xff");
       }},
      {"NUL bytes between lines", [](Ini& i) { i.tail = std::string(64, '\0'); }},
      {"control bytes everywhere", [](Ini& i) {
         for (auto& s : i.sections)
           for (auto& line : s.lines) line.second = "\x1b[2J" + line.second + "\x08\x07";
       }},
      {"UTF-16 file", [](Ini& i) {
         std::string text = i.Text(), wide = "\xff\xfe";
         for (char c : text) wide += std::string(1, c) + std::string(1, '\0');
         i.sections.clear();
         i.tail = wide;
       }},
      {"UTF-8 byte order mark", [](Ini& i) {
         std::string text = i.Text();
         i.sections.clear();
         i.tail = "\xef\xbb\xbf" + text;
       }},
      {"format specifiers", [](Ini& i) {
         i.Set("General", "ID", "%s%s%s%n");
         i.Set("General", "Description_ENG", "%s%x%n%p%999999d");
         i.Set("Main", "Files", "%s%n");
       }},
      // Numbers out of range.
      {"VerMinBuild -1", [](Ini& i) { i.Set("Product", "VerMinBuild", "-1"); }},
      {"VerMinBuild 2^32", [](Ini& i) { i.Set("Product", "VerMinBuild", "4294967296"); }},
      {"VerMaxBuild 20 digits", [](Ini& i) { i.Set("Product", "VerMaxBuild", "99999999999999999999"); }},
      {"builds as text and hex", [](Ini& i) {
         i.Set("Product", "VerMinBuild", "0x10");
         i.Set("Product", "VerMaxBuild", "abc");
       }},
      {"VerMin beyond VerMax", [](Ini& i) {
         i.Set("Product", "VerMin", "9.99");
         i.Set("Product", "VerMax", "0.01");
       }},
      {"flags out of range", [](Ini& i) {
         i.Set("General", "ForceRebootAlways", "-2147483649");
         i.Set("General", "DisableReboot", "abc");
         i.Set("General", "AdvancedReboot", "99999999999999");
         i.Set("General", "AdminRightsRequired", "-1");
         i.Set("Main", "IgnoreInitFailure", "4294967297");
         i.Set("Main", "NewerFilesOnly", "-1");
       }},
      {"reboot forced and advanced", [](Ini& i) {
         i.Set("General", "ForceRebootAlways", "1");
         i.Set("General", "AdvancedReboot", "1");
       }},
      {"MultiVersionSupport without RegKey", [](Ini& i) { i.Set("Main", "MultiVersionSupport", "1"); }},
      {"MultiVersionSupport, missing key", [](Ini& i) {
         i.Set("Main", "MultiVersionSupport", "1");
         i.Set("Main", "RegKey", "NoSuchApplication");
       }},
      {"MultiVersionSupport, key climbing out", [](Ini& i) {
         i.Set("Main", "MultiVersionSupport", "-7");
         i.Set("Main", "RegKey", "..\\..\\..\\..\\Microsoft");
       }},
      {"MultiVersionSupport, key 5000 chars", [](Ini& i) {
         i.Set("Main", "MultiVersionSupport", "1");
         i.Set("Main", "RegKey", kLong);
       }},
      {"plug-in answers out of range", [](Ini& i) {
         i.Set("Main", "TestInit", "-1");
         i.Set("Main", "TestPre", "2147483647");
         i.Set("Main", "TestPost", "-2147483648");
         i.Set("Main", "TestReboot", "-5");
       }},
      {"plug-in vetoes", [](Ini& i) { i.Set("Main", "TestPre", "0"); }},
      {"plug-in post-update fails", [](Ini& i) {
         i.Set("Main", "TestPost", "0");
         i.Set("Main", "TestError", kLong);
       }},
      {"plug-in initialisation fails", [](Ini& i) { i.Set("Main", "TestInit", "0"); }},
      {"plug-in initialisation fails, ignored", [](Ini& i) {
         i.Set("Main", "TestInit", "0");
         i.Set("Main", "IgnoreInitFailure", "1");
       }},
      {"product directory 5000 chars", [](Ini& i) { i.Set("Main", "TestProductDir", kLong); }},
      {"product directory empty", [](Ini& i) { i.Set("Main", "TestProductDir", ""); }},
      {"product directory missing", [dest](Ini& i) { i.Set("Main", "TestProductDir", dest + "no\\such\\"); }},
      {"product directory is a file", [pkg](Ini& i) { i.Set("Main", "TestProductDir", pkg + "notdll.dll"); }},
      {"product directory without backslash", [dest](Ini& i) { i.Set("Main", "TestProductDir", hxsys::NoSlash(dest)); }},
      // Plug-ins that are missing or no DLL.
      {"PlugIn missing", [](Ini& i) { i.Set("Main", "PlugIn", "missing.dll"); }},
      {"PlugIn a text file", [](Ini& i) { i.Set("Main", "PlugIn", "notdll.dll"); }},
      {"PlugIn a folder", [](Ini& i) { i.Set("Main", "PlugIn", "folder.dll"); }},
      {"PlugIn the installer itself", [](Ini& i) { i.Set("Main", "PlugIn", "hxupd.exe"); }},
      {"PlugIn HOTFIX.INI", [](Ini& i) { i.Set("Main", "PlugIn", "HOTFIX.INI"); }},
      {"PlugIn a system DLL without entry points", [](Ini& i) { i.Set("Main", "PlugIn", "C:\\windows\\system32\\kernel32.dll"); }},
      {"PlugIn a device name", [](Ini& i) { i.Set("Main", "PlugIn", "NUL"); }},
      {"PlugIn climbing out", [](Ini& i) { i.Set("Main", "PlugIn", "..\\outside\\keep.txt"); }},
      {"PlugIn blank", [](Ini& i) { i.Set("Main", "PlugIn", "   "); }},
      {"second plug-in missing", [](Ini& i) {
         i.Set("Plugins", "PlugIn_2", "Second");
         i.Set("Second", "Files", "main");
         i.Set("Second", "PlugIn", "second-missing.dll");
       }},
      {"second plug-in a text file, ignored failure", [](Ini& i) {
         i.Set("Plugins", "PlugIn_7", "Second");
         i.Set("Second", "Files", "main");
         i.Set("Second", "PlugIn", "notdll.dll");
         i.Set("Second", "IgnoreInitFailure", "1");
       }},
      // "Files" climbing out of the package.
      {"Files ..", [](Ini& i) { i.Set("Main", "Files", ".."); }},
      {"Files ..\\..\\outside", [](Ini& i) { i.Set("Main", "Files", "..\\..\\outside"); }},
      {"Files main\\..\\..\\..\\outside", [](Ini& i) { i.Set("Main", "Files", "main\\..\\..\\..\\outside"); }},
      {"Files ..\\.. (the product lies below)", [](Ini& i) { i.Set("Main", "Files", "..\\.."); }},
      {"Files ../../outside", [](Ini& i) { i.Set("Main", "Files", "../../outside"); }},
      {"Files absolute", [pkg](Ini& i) { i.Set("Main", "Files", pkg + "Common\\main"); }},
      {"Files root", [](Ini& i) { i.Set("Main", "Files", "\\"); }},
      {"Files wildcard", [](Ini& i) { i.Set("Main", "Files", "*"); }},
      {"Files device", [](Ini& i) { i.Set("Main", "Files", "CON"); }},
      {"Files_ version keys climbing out", [](Ini& i) {
         i.Set("Main", "MultiVersionSupport", "1");
         i.Set("Main", "RegKey", "Management Agent");
         i.Set("Main", "Files_8.00", "..\\..\\outside");
         i.Set("Main", "Files_8.00.1234", "..\\..\\outside");
       }},
      // Custom settings with broken registry paths and OIDs.
      {"registry paths without the double backslash", [](Ini& i) {
         i.Set("CustomRegistrySettings", "DeleteKey0", kScratch);
         i.Set("CustomRegistrySettings", "DeleteValue1", kScratch + "\\Value");
         i.Set("CustomRegistrySettings", "SetValue1", "1," + kScratch + "|data");
       }},
      {"registry paths with unknown roots", [](Ini& i) {
         i.Set("CustomRegistrySettings", "DeleteKey0", "HKEY_NOWHERE\\Software\\\\x");
         i.Set("CustomRegistrySettings", "DeleteValue0", "HKLM\\Software\\\\x");
         i.Set("CustomRegistrySettings", "SetValue1", "1,HKEY_BOGUS\\x\\\\y|z");
       }},
      {"registry paths empty and bare", [](Ini& i) {
         i.Set("CustomRegistrySettings", "DeleteKey0", "");
         i.Set("CustomRegistrySettings", "DeleteKey1", "\\\\");
         i.Set("CustomRegistrySettings", "DeleteKey2", "HKEY_LOCAL_MACHINE\\\\");
         i.Set("CustomRegistrySettings", "DeleteValue3", "HKEY_LOCAL_MACHINE");
         i.Set("CustomRegistrySettings", "DeleteValue4", "\\\\\\\\\\\\");
         i.Set("CustomRegistrySettings", "SetValue1", ",");
         i.Set("CustomRegistrySettings", "SetValue2", "");
         i.Set("CustomRegistrySettings", "SetValue3", "1");
       }},
      {"registry paths 255 and 5000 chars", [](Ini& i) {
         i.Set("CustomRegistrySettings", "DeleteKey0", kScratch + "\\" + Repeat("k\\", 100) + "\\\\v");
         i.Set("CustomRegistrySettings", "DeleteValue1", kScratch + "\\\\" + kLong);
         i.Set("CustomRegistrySettings", "SetValue1", "1," + kScratch + "\\\\" + kLong);
       }},
      {"registry entries with bad types and data", [](Ini& i) {
         i.Set("CustomRegistrySettings", "SetValue1", "abc," + kScratch + "\\\\A|x");
         i.Set("CustomRegistrySettings", "SetValue2", "4," + kScratch + "\\\\D|notanumber");
         i.Set("CustomRegistrySettings", "SetValue3", "3," + kScratch + "\\\\B|zz zz 0");
         i.Set("CustomRegistrySettings", "SetValue4", "-1," + kScratch + "\\\\N|x");
         i.Set("CustomRegistrySettings", "SetValue5", "99999999999," + kScratch + "\\\\N|x");
         i.Set("CustomRegistrySettings", "SetValue6", "7," + kScratch + "\\\\M|a||b|");
         i.Set("CustomRegistrySettings", "SetValue7", "11," + kScratch + "\\\\Q|0xFFFFFFFFFFFFFFFFFF");
       }},
      {"registry %TVDIR% repeated beyond the buffer", [](Ini& i) {
         i.Set("CustomRegistrySettings", "SetValue1", "1," + kScratch + "\\\\T|" + Repeat("%TVDIR%", 30));
         i.Set("CustomRegistrySettings", "SetValue2", "1," + kScratch + "\\\\U|%tvdir%%TvDiR%%TVDIR");
       }},
      {"registry keys numbered out of range", [](Ini& i) {
         i.Set("CustomRegistrySettings", "SetValue32", "1," + kScratch + "\\\\X32|x");
         i.Set("CustomRegistrySettings", "SetValue-1", "1," + kScratch + "\\\\Xm1|x");
         i.Set("CustomRegistrySettings", "DeleteKey4294967296", kScratch + "\\\\x");
         i.Set("CustomRegistrySettings", "SetValue31", "1," + kScratch + "\\\\X31|x");
       }},
      {"registry delete of a missing deep key", [](Ini& i) {
         i.Set("CustomRegistrySettings", "DeleteKey0", kScratch + "\\a\\b\\c\\\\d");
         i.Set("CustomRegistrySettings", "DeleteValue0", kScratch + "\\a\\b\\c\\\\d");
       }},
      {"policy OIDs broken", [](Ini& i) {
         i.Set("CustomPolicySettings", "SetValue0", "not.an.oid,x");
         i.Set("CustomPolicySettings", "SetValue1", ",x");
         i.Set("CustomPolicySettings", "SetValue2", "1..3.6,x");
         i.Set("CustomPolicySettings", "SetValue3", "-1.3.6,x");
         i.Set("CustomPolicySettings", "SetValue4", "");
         i.Set("CustomPolicySettings", "SetValue5", "1.3.6.1.4.1.5839.11" + Repeat(".4294967296", 20) + ",x");
         i.Set("CustomPolicySettings", "ClearTable6", "1.3.6.1.4.1.5839.11.90.90.2");
         i.Set("CustomPolicySettings", "ClearTable7", "garbage");
       }},
      {"policy table cells out of range", [](Ini& i) {
         std::string table = hxsys::kProductTable;
         i.Set("CustomPolicySettings", "SetValueTable0", table + ",0,0,x");
         i.Set("CustomPolicySettings", "SetValueTable1", table + ",-1,-1,x");
         i.Set("CustomPolicySettings", "SetValueTable2", table + ",2147483648,1,x");
         i.Set("CustomPolicySettings", "SetValueTable3", table + ",1,99999,x");
         i.Set("CustomPolicySettings", "SetValueTable4", table + ",abc,def,x");
         i.Set("CustomPolicySettings", "SetValueTable5", table + ",1");
         i.Set("CustomPolicySettings", "SetValueTable6", table);
         i.Set("CustomPolicySettings", "SetValueTable7", "not.an.oid,1,1,x");
         i.Set("CustomPolicySettings", "SetValueTable8", "1.3.6.1.4.1.5839.11.90.90.1,1,1,x");
       }},
      {"policy values 5000 chars", [](Ini& i) {
         i.Set("CustomPolicySettings", "SetValue0", "1.3.6.1.4.1.5839.11.90.90.1," + kLong);
         i.Set("CustomPolicySettings", "SetValueTable1", std::string(hxsys::kProductTable) + ",1,1," + kLong);
       }},
      {"policy value into a table", [](Ini& i) {
         i.Set("CustomPolicySettings", "SetValue0", std::string(hxsys::kProductTable) + ",x");
       }},
      {"custom keys with binary bytes", [](Ini& i) {
         i.Set("CustomPolicySettings", "SetValue0", "1.3.6.1.4.1.5839.11.90.90.1," + kBinary);
         i.Set("CustomRegistrySettings", "SetValue1", "1," + kScratch + "\\\\Bin|" + kBinary);
         i.Set("CustomRegistrySettings", "DeleteKey1", kScratch + "\\\xff\x01\\\\x");
       }},
  };
  return m;
}

TEST_F(CorpusTest, TableOfMutations) {
  std::vector<std::pair<std::string, std::string>> cases;
  cases.push_back({"valid base package", Base().Text()});
  for (const Mutation& m : TableMutations(pkg_, dest_)) {
    Ini ini = Base();
    m.apply(ini);
    cases.push_back({m.name, ini.Text()});
  }
  RunAll(cases);
  RemoveRegistryLeftovers();
}

TEST_F(CorpusTest, TenThousandLinePackages) {
  std::vector<std::pair<std::string, std::string>> cases;
  {
    Ini ini = Base();
    for (int n = 0; n < 10000; ++n) ini.Add("Filler", "Line" + std::to_string(n), Repeat("v", 20));
    cases.push_back({"10,000 filler lines after the package", ini.Text()});
  }
  {
    Ini ini = Base();
    std::string text;
    for (int n = 0; n < 10000; ++n) text += "Noise" + std::to_string(n) + "=" + std::to_string(n) + "\r\n";
    Ini::Section& main = ini.Get("Main");
    main.lines.insert(main.lines.begin(), {"Noise", "x"});
    std::string all = ini.Text();
    all.insert(all.find("[Main]\r\n") + 8, text);  // the plug-in's keys come last
    cases.push_back({"10,000 lines inside the plug-in section", all});
  }
  {
    Ini ini = Base();
    for (int n = 0; n < 10000; ++n) ini.Add("Plugins", "PlugIn_" + std::to_string(n % 40), "Main");
    cases.push_back({"10,000 plug-in lines", ini.Text()});
  }
  {
    Ini ini = Base();
    for (int n = 0; n < 10000; ++n)
      ini.sections.push_back({"S" + std::to_string(n), {{"Files", "main"}}});
    cases.push_back({"10,000 sections", ini.Text()});
  }
  RunAll(cases);
  RemoveRegistryLeftovers();
}

// Seeded byte mutations of the base package: each case flips, inserts,
// deletes or duplicates bytes and lines. The seed of a faulty case is in its
// name, so it can be replayed.
TEST_F(CorpusTest, RandomByteMutations) {
  const std::string base = Base().Text();
  const std::string protect = "\r\nTestProductDir=" + dest_ + "\r\n";
  const std::vector<std::string> interesting = {
      "[", "]", "=", "\r\n", "\n", "\\", "..\\", "%", ",", "\\\\", "|", std::string(1, '\0'),
      "\xff", "PlugIn_", "%TVDIR%"};
  std::vector<std::pair<std::string, std::string>> cases;
  for (unsigned seed = 1; seed <= 100; ++seed) {
    std::mt19937 random(seed);
    std::string text = base;
    int steps = 1 + static_cast<int>(random() % 8);
    for (int s = 0; s < steps && !text.empty(); ++s) {
      size_t at = random() % text.size();
      // The plug-in's product directory stays as it is: where the plug-in
      // sends the files is its own choice, not the installer's.
      size_t keep = text.find(protect);
      if (keep != std::string::npos && at + 1 >= keep && at <= keep + protect.size()) continue;
      size_t room = keep != std::string::npos && at < keep ? keep - 1 - at : std::string::npos;
      switch (random() % 6) {
        case 0:  // flip a byte to any value
          text[at] = static_cast<char>(random() % 256);
          break;
        case 1: {  // insert random bytes
          std::string bytes;
          for (unsigned n = 1 + random() % 16; n > 0; --n) bytes += static_cast<char>(random() % 256);
          text.insert(at, bytes);
          break;
        }
        case 2:  // delete a run of bytes
          text.erase(at, std::min<size_t>(1 + random() % 24, room));
          break;
        case 3: {  // insert a piece that means something to the parsers
          text.insert(at, interesting[random() % interesting.size()]);
          break;
        }
        case 4: {  // duplicate the line at that place, many times
          size_t begin = text.rfind('\n', at);
          begin = begin == std::string::npos ? 0 : begin + 1;
          size_t end = text.find('\n', at);
          std::string line = text.substr(begin, end == std::string::npos ? std::string::npos : end - begin + 1);
          text.insert(begin, Repeat(line, 1 + random() % 50));
          break;
        }
        default:  // stretch the value at that place far beyond any buffer
          text.insert(at, Repeat(std::string(1, static_cast<char>('A' + random() % 26)), 200 + random() % 2000));
          break;
      }
    }
    cases.push_back({"random seed " + std::to_string(seed), text});
  }
  RunAll(cases);
  RemoveRegistryLeftovers();
}

}  // namespace

// Language files: "<file>.<lang>" copied over "<file>" in the product
// directory, with the step's log.
#include "language_files.h"

#include <gtest/gtest.h>

#include <regex>
#include <string>
#include <vector>

#include "test_fixtures.h"
#include "wine_test_env.h"

namespace {

using hxgtest::PackageIni;
using hxgtest::ProductKey;
using hxgtest::ReadCrLfLines;

const char kSection[] = "Generic";

class LanguageFiles : public ::testing::Test {
 protected:
  LanguageFiles()
      : product_("hxgproduct"),
        dir_(product_.path().substr(0, product_.path().size() - 1)),
        key_(dir_),
        logs_("hxglog"),
        log_(logs_ / "tvhxgeneric.log") {
    ini_.Set(kSection, "RegKEy", key_.name());
  }

  void Run() { hxgeneric::CopyLanguageFiles(ini_.path().c_str(), kSection, log_.c_str()); }
  void Put(const std::string& name, const std::string& text) {
    ASSERT_TRUE(hxtest::WriteTextFile(product_ / name, text));
  }
  std::string Content(const std::string& name) {
    std::string text;
    return hxtest::ReadTextFile(product_ / name, &text) ? text : "<missing>";
  }
  std::string Copied(const std::string& name, const std::string& lang, int ok, int error) {
    return "File copy " + dir_ + "\\" + name + "." + lang + "=>" + dir_ + "\\" + name +
           ": success=" + std::to_string(ok) + ", errorcode=" + std::to_string(error);
  }
  static void ExpectHeader(const std::string& line) {
    static const std::regex header(
        "Copying language specific files \\d{4}-\\d{2}-\\d{2} \\d{2}:\\d{2}:\\d{2}\\.\\d{3}");
    EXPECT_TRUE(std::regex_match(line, header)) << line;
  }

  hxtest::TempDir product_;
  std::string dir_;  // the product directory, without a trailing backslash
  ProductKey key_;
  PackageIni ini_;
  hxtest::TempDir logs_;
  std::string log_;
};

TEST_F(LanguageFiles, FirstThreeLettersOfTheLanguageAndTheListEndsAtTheFirstGap) {
  ini_.Set("TVHXUPD", "ProductLanguage", "DEUX");
  ini_.Set(kSection, "LanguageFile1", "a.txt");
  ini_.Set(kSection, "LanguageFile3", "c.txt");
  Put("a.txt", "generic");
  Put("a.txt.DEU", "deutsch");
  Put("a.txt.DEUX", "wrong");
  Put("c.txt.DEU", "deutsch");

  Run();

  EXPECT_EQ("deutsch", Content("a.txt"));
  EXPECT_EQ("<missing>", Content("c.txt"));
  std::vector<std::string> log = ReadCrLfLines(log_);
  ASSERT_EQ(3u, log.size());
  ExpectHeader(log[0]);
  EXPECT_EQ("Copying language file #1: a.txt", log[1]);
  EXPECT_EQ(Copied("a.txt", "DEU", 1, 0), log[2]);
}

TEST_F(LanguageFiles, MissingSourceIsLoggedAndTheNextFileStillCopied) {
  ini_.Set("TVHXUPD", "ProductLanguage", "fr");
  ini_.Set(kSection, "LanguageFile1", "missing.dll");
  ini_.Set(kSection, "LanguageFile2", "sub\\b.txt");
  ASSERT_TRUE(CreateDirectoryA((product_ / "sub").c_str(), nullptr));
  Put("sub\\b.txt.fr", "francais");
  ASSERT_TRUE(hxtest::WriteTextFile(log_, "earlier run\r\n"));

  Run();

  EXPECT_EQ("<missing>", Content("missing.dll"));
  EXPECT_EQ("francais", Content("sub\\b.txt"));
  std::vector<std::string> log = ReadCrLfLines(log_);
  ASSERT_EQ(6u, log.size());
  EXPECT_EQ("earlier run", log[0]);
  ExpectHeader(log[1]);
  EXPECT_EQ("Copying language file #1: missing.dll", log[2]);
  EXPECT_EQ(Copied("missing.dll", "fr", 0, ERROR_FILE_NOT_FOUND), log[3]);
  EXPECT_EQ("Copying language file #2: sub\\b.txt", log[4]);
  EXPECT_EQ(Copied("sub\\b.txt", "fr", 1, 0), log[5]);
}

TEST_F(LanguageFiles, AFileWhosePathWouldNotFitIsSkipped) {
  ini_.Set("TVHXUPD", "ProductLanguage", "ENU");
  // Directory, backslash, name, dot, language and terminator one over 260.
  const std::string long_name(260 - dir_.size() - 3 - 3 + 1, 'x');
  ini_.Set(kSection, "LanguageFile1", long_name);
  ini_.Set(kSection, "LanguageFile2", "b.txt");
  Put("b.txt.ENU", "english");

  Run();

  EXPECT_EQ("english", Content("b.txt"));
  std::vector<std::string> log = ReadCrLfLines(log_);
  ASSERT_EQ(4u, log.size());
  EXPECT_EQ("Copying language file #1: " + long_name, log[1]);
  EXPECT_EQ("Copying language file #2: b.txt", log[2]);
  EXPECT_EQ(Copied("b.txt", "ENU", 1, 0), log[3]);
}

TEST_F(LanguageFiles, NothingHappensWithoutLanguageOrProductDirectory) {
  ini_.Set(kSection, "LanguageFile1", "a.txt");
  Put("a.txt", "generic");
  Put("a.txt.DEU", "deutsch");
  struct Case {
    const char* what;
    const char* language;
    const char* reg_key;  // nullptr: the product key of the fixture
  } cases[] = {
      {"empty language", "", nullptr},
      {"empty RegKEy", "DEU", ""},
      {"missing product key", "DEU", "HxGenericNoSuchProduct"},
  };
  for (const Case& c : cases) {
    ini_.Set("TVHXUPD", "ProductLanguage", c.language);
    ini_.Set(kSection, "RegKEy", c.reg_key ? c.reg_key : key_.name());
    Run();
    EXPECT_EQ("generic", Content("a.txt")) << c.what;
    std::string log;
    EXPECT_TRUE(hxtest::ReadTextFile(log_, &log)) << c.what;
    EXPECT_EQ("", log) << c.what;
  }
}

TEST_F(LanguageFiles, ALogThatCannotBeOpenedOnlyTurnsLoggingOff) {
  ini_.Set("TVHXUPD", "ProductLanguage", "DEU");
  ini_.Set(kSection, "LanguageFile1", "a.txt");
  Put("a.txt.DEU", "deutsch");
  log_ = logs_ / "no\\such\\folder\\tvhxgeneric.log";
  Run();
  EXPECT_EQ("deutsch", Content("a.txt"));
  EXPECT_FALSE(hxtest::FileExists(log_));
}

}  // namespace

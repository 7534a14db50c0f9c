// Package description: parsing rules and the dump of the records.
#include <cstring>

#include "gtest/gtest.h"
#include "package_dump.h"
#include "package_parser.h"
#include "test_support.h"

using coretest::PackageDir;

namespace {

const char kBasePackage[] =
    "[General]\nID=HF-1\nDescription_ENG=Fixes things\nReleaseDate=2024-03-01\n"
    "[Product]\nProductOID=1.3.6.1.4.1.5839.11\nProductName=Tarnvale Client\n"
    "VerMin=8.00\nVerMax=8.50\n";

TEST(PackageParse, MissingFileReadsAsEmptyAndFails) {
  PackageDir dir;
  PackageDescription package;
  EXPECT_FALSE(ParsePackageFile(dir.IniPath().c_str(), &package));
  EXPECT_STREQ("", package.id);
  EXPECT_STREQ("", package.product.productOid);
  EXPECT_STREQ("", package.log);
  EXPECT_EQ(0u, package.plugins.Count());
}

TEST(PackageParse, PluginKeysMayHaveGapsAndIncompleteSectionsAreDropped) {
  PackageDir dir;
  dir.WriteIni(std::string(kBasePackage) +
               "[Plugins]\nPlugIn_2=Second\nPlugIn_5=NoDll\nPlugIn_32=Last\nPlugIn_33=TooFar\n"
               "[Second]\nFiles=second\nPlugIn=second.dll\nNewerFilesOnly=1\n"
               "[NoDll]\nFiles=nodll\n"
               "[Last]\nFiles=last\nPlugIn=last.dll\nIgnoreInitFailure=7\n"
               "[TooFar]\nFiles=far\nPlugIn=far.dll\n");
  PackageDescription package;
  ASSERT_TRUE(ParsePackageFile(dir.IniPath().c_str(), &package));
  ASSERT_EQ(2u, package.plugins.Count());
  PluginEntry* first = package.plugins.First();
  EXPECT_STREQ("Second", first->sectionName);
  EXPECT_STREQ("second", first->files);
  EXPECT_TRUE(first->newerFilesOnly);
  PluginEntry* second = package.plugins.Next();
  EXPECT_STREQ("Last", second->sectionName);
  EXPECT_TRUE(second->ignoreInitFailure);
  EXPECT_EQ(nullptr, package.plugins.Next());
}

TEST(PackageParse, RequiredPartsDecideTheResult) {
  struct Case {
    const char* name;
    const char* ini;
    bool read;
  };
  const Case cases[] = {
      {"complete", "[General]\nID=A\n[Product]\nProductOID=1.2\nProductName=P\n"
                   "[Plugins]\nPlugIn_1=S\n[S]\nFiles=f\nPlugIn=p.dll\n", true},
      {"no id", "[Product]\nProductOID=1.2\nProductName=P\n"
                "[Plugins]\nPlugIn_1=S\n[S]\nFiles=f\nPlugIn=p.dll\n", false},
      {"no product name", "[General]\nID=A\n[Product]\nProductOID=1.2\n"
                          "[Plugins]\nPlugIn_1=S\n[S]\nFiles=f\nPlugIn=p.dll\n", false},
      {"no plug-in left", "[General]\nID=A\n[Product]\nProductOID=1.2\nProductName=P\n"
                          "[Plugins]\nPlugIn_1=S\n[S]\nPlugIn=p.dll\n", false},
  };
  for (const Case& c : cases) {
    PackageDir dir;
    dir.WriteIni(c.ini);
    PackageDescription package;
    EXPECT_EQ(c.read, ParsePackageFile(dir.IniPath().c_str(), &package)) << c.name;
    // All keys are read even when an earlier one is missing.
    EXPECT_STREQ("1.2", package.product.productOid) << c.name;
  }
}

TEST(PackageParse, LongValuesAreCutToTheirBuffers) {
  PackageDir dir;
  std::string dll40(36, 'a');
  dll40 += ".dll";
  dir.WriteIni("[General]\nID=0123456789012345678901234567890123456789\n"
               "[Product]\nVerMin=8.00.1234567\n"
               "[Plugins]\nPlugIn_1=S\n[S]\nFiles=f\nPlugIn=" + dll40 + "\n");
  PackageDescription package;
  ParsePackageFile(dir.IniPath().c_str(), &package);
  EXPECT_STREQ("0123456789012345678901234567890", package.id);
  EXPECT_STREQ("8.00.12", package.product.verMin);
  ASSERT_EQ(1u, package.plugins.Count());
  EXPECT_EQ(dll40.substr(0, 31), package.plugins.First()->plugIn);
}

TEST(PackageParse, VersionTextsCarryTheBuildOnlyWhenNonZero) {
  struct Case {
    const char* keys;
    const char* min;
    const char* max;
  };
  const Case cases[] = {
      {"VerMin=8.00\nVerMax=8.50\n", "8.00", "8.50"},
      {"VerMin=8.00\nVerMinBuild=12\nVerMax=8.50\nVerMaxBuild=0\n", "8.00.12", "8.50"},
      {"VerMin=8.00\nVerMax=8.50\nVerMaxBuild=65535\n", "8.00", "8.50.65535"},
      {"VerMin=1234567\nVerMinBuild=123456789\n", "1234567.1234567", ""},
  };
  for (const Case& c : cases) {
    PackageDir dir;
    dir.WriteIni(std::string("[Product]\n") + c.keys);
    PackageDescription package;
    ParsePackageFile(dir.IniPath().c_str(), &package);
    EXPECT_STREQ(c.min, package.product.minVersionText) << c.keys;
    EXPECT_STREQ(c.max, package.product.maxVersionText) << c.keys;
  }
}

TEST(PackageDump, WritesEachPartInItsExactText) {
  PackageDir dir;
  dir.WriteIni("[General]\nID=HF-1\nDescription_ENG=Fixes things\nReleaseDate=2024-03-01\n"
               "Log=hx.log\n[Product]\nProductOID=1.3.6.1.4.1.5839.11\nProductRegKey=Client\n"
               "ProductName=Tarnvale Client\nProductPlatforms=nt61,nt100\nVerMin=8.00\n"
               "VerMinBuild=12\nVerMax=8.50\n"
               "[Plugins]\nPlugIn_1=Main\nPlugIn_2=Broken\nPlugIn_3=Other\n"
               "[Main]\nFiles=main\nPlugIn=main.dll\nRenameFilesWinNT4=a\nRenameFilesWin2000=b\n"
               "NewerFilesOnly=1\n[Broken]\nFiles=x\n"
               "[Other]\nFiles=other\nPlugIn=other.dll\n");
  PackageDescription package;
  ASSERT_TRUE(ParsePackageFile(dir.IniPath().c_str(), &package));
  coretest::ResetCapture();
  DumpPackageDescription(package, coretest::CaptureSink);
  EXPECT_EQ(
      "HOTFIX PACKAGE DATA:\n  ID=HF-1\n  Description (ENG)=Fixes things\n"
      "  Description (localized)=\n  Release date=2024-03-01\n  Logfile=hx.log\n\n"
      "Hotfix package product data:\n  OID=1.3.6.1.4.1.5839.11\n  RegKey(optional)=Client\n"
      "  Name=Tarnvale Client\n  RequiredPlatforms=nt61,nt100\n"
      "  Required product versions: min=8.00.12, max=8.50.0\n\n"
      "Hotfix package plug-in data:\n  Name=Main\n  Files directory=main\n  Plug-in DLL=main.dll\n"
      "  Renamed files, NT4=a\n  Renamed files, W2K=b\n  Newer files only=true\n\n"
      "Hotfix package plug-in DLL not loaded.\n\n"
      "Hotfix package plug-in data:\n  Name=Other\n  Files directory=other\n"
      "  Plug-in DLL=other.dll\n  Renamed files, NT4=\n  Renamed files, W2K=\n"
      "  Newer files only=false\n\n"
      "Hotfix package plug-in DLL not loaded.\n\n",
      coretest::g_captured);
}

TEST(PackageDump, ShowsTheLoadedDll) {
  PackageDir dir;
  dir.AddBinary("hxtest_plugin.dll", "main.dll");
  dir.WriteIni("[Plugins]\nPlugIn_1=Main\n[Main]\nFiles=main\nPlugIn=main.dll\n"
               "IgnoreInitFailure=1\n");
  PackageDescription package;
  ParsePackageFile(dir.IniPath().c_str(), &package);
  PluginEntry* entry = package.plugins.First();
  entry->module.Reset(LoadLibraryA((dir / "main.dll").c_str()));
  ASSERT_TRUE(entry->IsLoaded());
  snprintf(entry->productDirectory, sizeof(entry->productDirectory), "C:\\Prod");
  entry->initSucceeded = true;
  coretest::ResetCapture();
  DumpPackageDescription(package, coretest::CaptureSink);
  char expected[512];
  snprintf(expected, sizeof(expected),
           "Hotfix package plug-in DLL is loaded:\n  DLL name=main.dll\n  DLL handle=%08x\n"
           "  Product directory=C:\\Prod\n  Reboot required=0\n  Init succeeded=1\n"
           "  Ignore init failure=1\n\n",
           static_cast<unsigned>(reinterpret_cast<uintptr_t>(entry->module.Get())));
  EXPECT_NE(std::string::npos, coretest::g_captured.find(expected)) << coretest::g_captured;
}

}  // namespace

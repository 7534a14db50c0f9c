#include "package_dump.h"

#include <cstdint>

namespace {

const char* TrueFalse(bool value) { return value ? "true" : "false"; }

void DumpPlugin(const PluginEntry& entry, LogSink sink) {
  sink("Hotfix package plug-in data:\n  Name=%s\n  Files directory=%s\n  Plug-in DLL=%s\n"
       "  Renamed files, NT4=%s\n  Renamed files, W2K=%s\n  Newer files only=%s\n",
       entry.sectionName, entry.files, entry.plugIn, entry.renameFilesWinNT4,
       entry.renameFilesWin2000, TrueFalse(entry.newerFilesOnly));
  if (entry.IsLoaded()) {
    // The handle is shown in eight hex digits, its low 32 bits on 64-bit Windows.
    unsigned handle =
        static_cast<unsigned>(reinterpret_cast<uintptr_t>(entry.module.Get()) & 0xFFFFFFFFu);
    sink("Hotfix package plug-in DLL is loaded:\n  DLL name=%s\n  DLL handle=%08x\n"
         "  Product directory=%s\n  Reboot required=%d\n  Init succeeded=%d\n"
         "  Ignore init failure=%d\n",
         entry.plugIn, handle, entry.productDirectory, entry.rebootRequired ? 1 : 0,
         entry.initSucceeded ? 1 : 0, entry.ignoreInitFailure ? 1 : 0);
  } else {
    sink("Hotfix package plug-in DLL not loaded.\n");
  }
}

}  // namespace

void DumpPackageDescription(PackageDescription& package, LogSink sink) {
  if (!sink) return;
  sink("HOTFIX PACKAGE DATA:\n  ID=%s\n  Description (ENG)=%s\n  Description (localized)=%s\n"
       "  Release date=%s\n  Logfile=%s\n",
       package.id, package.descriptionEng, package.descriptionLocalized, package.releaseDate,
       package.log);
  const ProductRequirement& product = package.product;
  sink("Hotfix package product data:\n  OID=%s\n  RegKey(optional)=%s\n  Name=%s\n"
       "  RequiredPlatforms=%s\n  Required product versions: min=%s.%u, max=%s.%u\n",
       product.productOid, product.productRegKey, product.productName, product.productPlatforms,
       product.verMin, product.verMinBuild, product.verMax, product.verMaxBuild);
  for (PluginEntry* entry = package.plugins.First(); entry; entry = package.plugins.Next())
    DumpPlugin(*entry, sink);
}

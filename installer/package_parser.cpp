#include "package_parser.h"

#include <cstdio>

namespace {

const char kGeneral[] = "General";
const char kProduct[] = "Product";
const char kPlugins[] = "Plugins";

bool ReadFlag(const ProfileReader& profile, const char* section, const char* key) {
  return profile.ReadInt(section, key) != 0;
}

void ReadGeneral(const ProfileReader& profile, PackageDescription* package) {
  profile.ReadText(kGeneral, "ID", package->id, sizeof(package->id));
  profile.ReadText(kGeneral, "Description_ENG", package->descriptionEng,
                   sizeof(package->descriptionEng));
  profile.ReadText(kGeneral, "ReleaseDate", package->releaseDate, sizeof(package->releaseDate));
  profile.ReadText(kGeneral, "Log", package->log, sizeof(package->log));
  package->forceRebootAlways = ReadFlag(profile, kGeneral, "ForceRebootAlways");
  package->disableReboot = ReadFlag(profile, kGeneral, "DisableReboot");
  package->adminRightsRequired = ReadFlag(profile, kGeneral, "AdminRightsRequired");
  package->advancedReboot = ReadFlag(profile, kGeneral, "AdvancedReboot");
  package->tvmaUpdate = ReadFlag(profile, kGeneral, "TVMAUpdate");
}

bool ReadProduct(const ProfileReader& profile, ProductRequirement* product) {
  profile.ReadText(kProduct, "ProductOID", product->productOid, sizeof(product->productOid));
  profile.ReadText(kProduct, "ProductRegKey", product->productRegKey,
                   sizeof(product->productRegKey));
  profile.ReadText(kProduct, "ProductName", product->productName, sizeof(product->productName));
  profile.ReadText(kProduct, "ProductPlatforms", product->productPlatforms,
                   sizeof(product->productPlatforms));
  profile.ReadText(kProduct, "VerMin", product->verMin, sizeof(product->verMin));
  product->verMinBuild = static_cast<unsigned>(profile.ReadInt(kProduct, "VerMinBuild"));
  profile.ReadText(kProduct, "VerMax", product->verMax, sizeof(product->verMax));
  product->verMaxBuild = static_cast<unsigned>(profile.ReadInt(kProduct, "VerMaxBuild"));
  FormVersionWithBuild(product->minVersionText, sizeof(product->minVersionText), product->verMin,
                       product->verMinBuild);
  FormVersionWithBuild(product->maxVersionText, sizeof(product->maxVersionText), product->verMax,
                       product->verMaxBuild);
  return product->productOid[0] != '\0' && product->productName[0] != '\0';
}

void ReadPluginSection(const ProfileReader& profile, const char* section, PluginEntry* entry) {
  snprintf(entry->sectionName, sizeof(entry->sectionName), "%s", section);
  profile.ReadText(section, "Files", entry->files, sizeof(entry->files));
  profile.ReadText(section, "PlugIn", entry->plugIn, sizeof(entry->plugIn));
  profile.ReadText(section, "RenameFilesWinNT4", entry->renameFilesWinNT4,
                   sizeof(entry->renameFilesWinNT4));
  profile.ReadText(section, "RenameFilesWin2000", entry->renameFilesWin2000,
                   sizeof(entry->renameFilesWin2000));
  entry->ignoreInitFailure = ReadFlag(profile, section, "IgnoreInitFailure");
  entry->newerFilesOnly = ReadFlag(profile, section, "NewerFilesOnly");
  entry->multiVersionSupport = ReadFlag(profile, section, "MultiVersionSupport");
  profile.ReadText(section, "RegKey", entry->regKey, sizeof(entry->regKey));
}

void ReadPlugins(const ProfileReader& profile, PluginList* plugins) {
  plugins->Clear();
  for (unsigned number = 1; number <= kMaxPluginKeys; ++number) {
    char key[32];
    snprintf(key, sizeof(key), "PlugIn_%u", number);
    char section[256];
    profile.ReadText(kPlugins, key, section, sizeof(section));
    if (section[0] == '\0') continue;  // gaps are allowed
    PluginEntry entry;
    ReadPluginSection(profile, section, &entry);
    if (entry.files[0] == '\0' || entry.plugIn[0] == '\0') continue;
    plugins->Append(std::move(entry));
  }
}

}  // namespace

void FormVersionWithBuild(char* out, size_t size, const char* version, unsigned build) {
  if (size == 0) return;
  if (build != 0)
    snprintf(out, size, "%s.%u", version, build);
  else
    snprintf(out, size, "%s", version);
}

bool ParsePackageDescription(const ProfileReader& profile, PackageDescription* package) {
  ReadGeneral(profile, package);
  bool productRead = ReadProduct(profile, &package->product);
  ReadPlugins(profile, &package->plugins);
  return package->id[0] != '\0' && productRead && package->plugins.Count() > 0;
}

bool ParsePackageFile(const char* packagePath, PackageDescription* package) {
  IniFileReader profile(packagePath);
  return ParsePackageDescription(profile, package);
}

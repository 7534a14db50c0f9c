// Custom policy and registry settings of the package, applied after the
// update in three passes each (sections CustomPolicySettings and
// CustomRegistrySettings, keys numbered 0 to 31).
#include <cstdio>
#include <cstring>

#include "custom_settings_text.h"
#include "hotfix_installer.h"
#include "profile_reader.h"
#include "shared/regpath.h"

namespace {

const int kMaxSettingNumber = 31;
const char kPolicySection[] = "CustomPolicySettings";
const char kRegistrySection[] = "CustomRegistrySettings";
const char kTvDirToken[] = "%TVDIR%";

// Reads "<stem><number>"; false when the key is missing or empty.
bool ReadSetting(const ProfileReader& profile, const char* section, const char* stem, int number,
                 char (&value)[256]) {
  char key[64];
  snprintf(key, sizeof(key), "%s%d", stem, number);
  profile.ReadText(section, key, value, sizeof(value));
  return value[0] != '\0';
}

bool ContainsNoCase(const char* text, const char* token) {
  char scratch[256];
  return ReplaceAll(scratch, sizeof(scratch), text, token, "", true) > 0;
}

}  // namespace

void HotfixInstaller::ApplyCustomPolicySettings() {
  IniFileReader profile(packagePath);
  char value[256];
  for (int number = 0; number <= kMaxSettingNumber; ++number) {
    if (!ReadSetting(profile, kPolicySection, "SetValue", number, value)) continue;
    char oid[256];
    char text[256];
    SplitFirstField(value, oid, sizeof(oid), text, sizeof(text));
    int result = SetCustomPolicyValue(oid, text);
    Print("Setting custom policy setting %s=\"%s\" (result: %d)\n", oid, text, result);
  }
  for (int number = 0; number <= kMaxSettingNumber; ++number) {
    if (!ReadSetting(profile, kPolicySection, "SetValueTable", number, value)) continue;
    TableSetting setting;
    if (!ParseTableSetting(value, &setting)) continue;
    int result = SetCustomPolicyTableValue(setting.oid, setting.row, setting.column, setting.text);
    Print("Setting custom policy setting %s[%d,%d]=\"%s\" (result: %d)\n", setting.oid,
          setting.row, setting.column, setting.text, result);
  }
  for (int number = 0; number <= kMaxSettingNumber; ++number) {
    if (!ReadSetting(profile, kPolicySection, "ClearTable", number, value)) continue;
    char oid[256];
    CopyToLineEnd(value, oid, sizeof(oid));
    int result = ClearCustomPolicyTable(oid);
    Print("ClearPolicyTable %s (result: %d)\n", oid, result);
  }
}

void HotfixInstaller::ApplyCustomRegistrySettings() {
  IniFileReader profile(packagePath);
  char value[256];

  // The installation root for %TVDIR%, read as it is stored.
  char rootPath[256];
  snprintf(rootPath, sizeof(rootPath), "HKEY_LOCAL_MACHINE\\%s\\\\InstallationRootDirectory",
           productRootKey);
  char root[257];
  bool rootRead = false;
  bool rootLookedUp = false;

  for (int number = 0; number <= kMaxSettingNumber; ++number) {
    if (!ReadSetting(profile, kRegistrySection, "SetValue", number, value)) continue;
    char typeText[256];
    char entry[256];
    SplitFirstField(value, typeText, sizeof(typeText), entry, sizeof(entry));
    int type = LeadingInteger(typeText);
    if (ContainsNoCase(entry, kTvDirToken)) {
      if (!rootLookedUp) {
        memset(root, 0, sizeof(root));
        rootRead = hx::ReadRegistryValue(root, 255, rootPath, hx::kRegViewOwn) == hx::kRegPathOk;
        rootLookedUp = true;
      }
      if (rootRead) {
        char replaced[256];
        if (ReplaceAll(replaced, sizeof(replaced), entry, kTvDirToken, root, true) > 0)
          memcpy(entry, replaced, sizeof(entry));
      }
    }
    INT32 result = installSupport.createRegistryEntry(entry, type);
    Print("Setting custom registry setting \"%s\" type=%d (result: %d)\n", entry, type,
          static_cast<int>(result));
  }
  for (int number = 0; number <= kMaxSettingNumber; ++number) {
    if (!ReadSetting(profile, kRegistrySection, "DeleteKey", number, value)) continue;
    unsigned result = hx::DeleteRegistryKey(value, hx::kRegViewOwn);
    Print("Deleting registry key \"%s\" (result: %d)\n", value, static_cast<int>(result));
  }
  for (int number = 0; number <= kMaxSettingNumber; ++number) {
    if (!ReadSetting(profile, kRegistrySection, "DeleteValue", number, value)) continue;
    unsigned result = hx::DeleteRegistryValue(value, hx::kRegViewOwn);
    Print("Deleting registry value \"%s\" (result: %d)\n", value, static_cast<int>(result));
  }
}

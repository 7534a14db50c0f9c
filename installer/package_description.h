// Records of the package description HOTFIX.INI: the hotfix itself, the
// product it applies to, and the ordered list of plug-ins that install its
// files. Text fields are fixed-size buffers; a longer value is cut to
// size - 1 characters when it is read.
#pragma once

#include <windows.h>

#include <memory>

#include "hxplugin.h"
#include "shared/scoped_handle.h"

struct ProductRequirement {
  char productOid[256];
  char productRegKey[64];
  char productName[256];
  char productPlatforms[264];
  char verMin[8];
  unsigned verMinBuild;
  char verMax[8];
  unsigned verMaxBuild;
  // VerMin / VerMax with ".<build>" appended when the build is non-zero.
  char minVersionText[16];
  char maxVersionText[16];

  void Clear();
};

struct PluginEntry {
  // Read from the package.
  char sectionName[256];
  char files[256];
  char plugIn[32];
  char renameFilesWinNT4[256];
  char renameFilesWin2000[256];
  bool ignoreInitFailure;
  bool newerFilesOnly;
  bool multiVersionSupport;
  char regKey[256];

  // Filled while the plug-in is hosted.
  char productDirectory[HX_PRODUCT_DIR_SIZE];
  bool rebootRequired;
  bool initSucceeded;
  bool preUpdateCalled;
  hx::ScopedLibrary module;
  HX_CopyFileCallbackFn copyCallback;

  PluginEntry();
  PluginEntry(PluginEntry&&) = default;
  PluginEntry& operator=(PluginEntry&&) = default;
  bool IsLoaded() const { return module.IsValid(); }
};

// Ordered singly linked list of plug-in entries with an iteration cursor.
// The list owns its entries.
class PluginList {
 public:
  PluginList() = default;
  ~PluginList();
  PluginList(const PluginList&) = delete;
  PluginList& operator=(const PluginList&) = delete;

  void Clear();
  // Takes over the entry's contents as the new last entry.
  void Append(PluginEntry&& entry);
  unsigned Count() const { return count_; }

  // Cursor iteration: First() restarts, Next() advances; null at the end.
  PluginEntry* First();
  PluginEntry* Next();

 private:
  struct Node {
    PluginEntry entry;
    std::unique_ptr<Node> next;
  };
  std::unique_ptr<Node> head_;
  Node* tail_ = nullptr;
  Node* cursor_ = nullptr;
  unsigned count_ = 0;
};

struct PackageDescription {
  // Section General.
  char id[32];
  char descriptionEng[256];
  char descriptionLocalized[256];  // stays empty in the installer
  char releaseDate[12];
  char log[256];
  bool forceRebootAlways;
  bool disableReboot;
  bool adminRightsRequired;
  bool advancedReboot;
  bool tvmaUpdate;

  ProductRequirement product;
  PluginList plugins;

  PackageDescription();
  void Clear();
};

// Highest plug-in key number tried in section Plugins ("PlugIn_1" .. "PlugIn_32").
const unsigned kMaxPluginKeys = 32;

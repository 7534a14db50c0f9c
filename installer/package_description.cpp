#include "package_description.h"

#include <cstring>

void ProductRequirement::Clear() {
  productOid[0] = '\0';
  productRegKey[0] = '\0';
  productName[0] = '\0';
  productPlatforms[0] = '\0';
  verMin[0] = '\0';
  verMinBuild = 0;
  verMax[0] = '\0';
  verMaxBuild = 0;
  minVersionText[0] = '\0';
  maxVersionText[0] = '\0';
}

PluginEntry::PluginEntry()
    : ignoreInitFailure(false),
      newerFilesOnly(false),
      multiVersionSupport(false),
      rebootRequired(false),
      initSucceeded(false),
      preUpdateCalled(false),
      copyCallback(nullptr) {
  sectionName[0] = '\0';
  files[0] = '\0';
  plugIn[0] = '\0';
  renameFilesWinNT4[0] = '\0';
  renameFilesWin2000[0] = '\0';
  regKey[0] = '\0';
  productDirectory[0] = '\0';
}

PluginList::~PluginList() { Clear(); }

void PluginList::Clear() {
  // Unlink iteratively so a long list cannot exhaust the stack.
  std::unique_ptr<Node> node = std::move(head_);
  while (node) node = std::move(node->next);
  tail_ = nullptr;
  cursor_ = nullptr;
  count_ = 0;
}

void PluginList::Append(PluginEntry&& entry) {
  std::unique_ptr<Node> node(new Node{std::move(entry), nullptr});
  Node* raw = node.get();
  if (tail_)
    tail_->next = std::move(node);
  else
    head_ = std::move(node);
  tail_ = raw;
  ++count_;
}

PluginEntry* PluginList::First() {
  cursor_ = head_.get();
  return cursor_ ? &cursor_->entry : nullptr;
}

PluginEntry* PluginList::Next() {
  if (cursor_) cursor_ = cursor_->next.get();
  return cursor_ ? &cursor_->entry : nullptr;
}

PackageDescription::PackageDescription() { Clear(); }

void PackageDescription::Clear() {
  id[0] = '\0';
  descriptionEng[0] = '\0';
  descriptionLocalized[0] = '\0';
  releaseDate[0] = '\0';
  log[0] = '\0';
  forceRebootAlways = false;
  disableReboot = false;
  adminRightsRequired = false;
  advancedReboot = false;
  tvmaUpdate = false;
  product.Clear();
  plugins.Clear();
}

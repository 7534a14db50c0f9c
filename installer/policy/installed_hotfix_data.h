// The two installed-hotfix tables of the policy in memory: the product's own
// table (product OID + ".2.9.10") and the agent's table of all products.
// Both are read whole, changed in memory and written back whole.
#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>
#include <new>

#include "log_sink.h"
#include "policy_adapter.h"

#define HX_AGENT_HOTFIX_TABLE_OID "1.3.6.1.4.1.5839.11.2.27.1"
#define HX_PRODUCT_HOTFIX_TABLE_SUFFIX ".2.9.10"

// Error kinds of a table read or write.
enum HotfixTableError { kHotfixTableOk = 0, kHotfixTableNoMemory = 1, kHotfixTablePolicy = 2 };

struct ProductHotfixEntry {
  char id[32];
  char description[256];
  int64_t releaseDate;
  char productVersion[8];
  char productBuild[16];  // at most 11 characters used
  int64_t installationTime;
};

struct AgentHotfixEntry {
  char id[32];
  char productOid[256];
  char productName[256];
  int64_t installationTime;
  INT32 result;
};

// Ordered singly linked list with its count; find by ID ignores case.
template <typename Entry>
class HotfixList {
 public:
  HotfixList() = default;
  ~HotfixList() { Clear(); }
  HotfixList(const HotfixList&) = delete;
  HotfixList& operator=(const HotfixList&) = delete;

  void Clear() {
    // Unlinked one by one: a recursive destruction of 10,000 nodes could
    // exhaust the stack.
    while (head_) head_ = std::move(head_->next);
    tail_ = nullptr;
    count_ = 0;
  }
  // False when no memory was available.
  bool Append(const Entry& entry) {
    std::unique_ptr<Node> node(new (std::nothrow) Node());
    if (!node) return false;
    node->entry = entry;
    Node* raw = node.get();
    if (tail_)
      tail_->next = std::move(node);
    else
      head_ = std::move(node);
    tail_ = raw;
    ++count_;
    return true;
  }
  Entry* Find(const char* id) {
    for (Node* n = head_.get(); n; n = n->next.get())
      if (lstrcmpiA(n->entry.id, id) == 0) return &n->entry;
    return nullptr;
  }
  // Replaces the entry with the same ID in place, or appends.
  bool Put(const Entry& entry) {
    Entry* found = Find(entry.id);
    if (found) {
      *found = entry;
      return true;
    }
    return Append(entry);
  }
  unsigned Count() const { return count_; }
  template <typename Fn>
  void ForEach(Fn fn) const {
    for (const Node* n = head_.get(); n; n = n->next.get()) fn(n->entry);
  }

 private:
  struct Node {
    Entry entry;
    std::unique_ptr<Node> next;
  };
  std::unique_ptr<Node> head_;
  Node* tail_ = nullptr;
  unsigned count_ = 0;
};

struct HotfixTablePart {
  int errorKind = kHotfixTableOk;
  INT32 policyError = 0;
};

class InstalledHotfixData {
 public:
  // False when the product OID is too long for the product table's OID.
  bool SetProductOid(const char* productOid);
  const char* productOid() const { return productOid_; }

  bool ReadFromPolicy(IPolicyAdapter& wrapper);
  bool WriteToPolicy(IPolicyAdapter& wrapper);
  void PrintEntries(LogSink print) const;
  void Clear();

  bool ReadProductPart(IPolicyAdapter& wrapper);
  bool ReadAgentPart(IPolicyAdapter& wrapper);
  bool WriteProductPart(IPolicyAdapter& wrapper);
  bool WriteAgentPart(IPolicyAdapter& wrapper);

  static void PrintProductEntry(LogSink print, const ProductHotfixEntry& entry);
  static void PrintAgentEntry(LogSink print, const AgentHotfixEntry& entry);

  HotfixList<ProductHotfixEntry> productEntries;
  HotfixTablePart productPart;
  HotfixList<AgentHotfixEntry> agentEntries;
  HotfixTablePart agentPart;

 private:
  // The product table's OID; false when it does not fit its 128 characters.
  bool ProductTableOid(char* out, size_t size) const;
  char productOid_[256] = {};
};

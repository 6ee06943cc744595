// A node the resolver handed out. The node cache owns its nodes and may
// destroy them (the retry after a dead interface, a device list change), so
// a handle remembers the cache's generation when it was made: once the cache
// has dropped any node it handed out, the handle reads as null instead of
// pointing at freed memory. A caller tests it where a drop may have come in
// between, and resolves again only then.
#pragma once

#include <cstddef>
#include <cstdint>

struct StorageNode;

class NodeRef {
 public:
  NodeRef() = default;
  NodeRef(std::nullptr_t) {}  // NOLINT: reads like the pointer it replaces
  NodeRef(StorageNode* node, const uint64_t* generation)
      : node_(node), generation_(generation), issued_(generation ? *generation : 0) {}

  StorageNode* get() const { return node_ && *generation_ == issued_ ? node_ : nullptr; }
  StorageNode* operator->() const { return get(); }
  StorageNode& operator*() const { return *get(); }
  explicit operator bool() const { return get() != nullptr; }

  // The node as it was handed out, whether or not the cache still holds it:
  // only for asking the cache whether it does.
  const StorageNode* Unchecked() const { return node_; }

  friend bool operator==(const NodeRef& a, const NodeRef& b) { return a.get() == b.get(); }
  friend bool operator!=(const NodeRef& a, const NodeRef& b) { return a.get() != b.get(); }
  friend bool operator==(const NodeRef& a, std::nullptr_t) { return !a; }
  friend bool operator!=(const NodeRef& a, std::nullptr_t) { return static_cast<bool>(a); }

 private:
  StorageNode* node_ = nullptr;
  const uint64_t* generation_ = nullptr;
  uint64_t issued_ = 0;
};

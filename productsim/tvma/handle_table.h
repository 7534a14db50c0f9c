// Opaque 32-bit handles for objects shared between threads. Not locked: the
// owner holds its own lock around every call.
#pragma once

#include <cstdint>
#include <map>
#include <memory>

namespace tvsim {

template <typename T>
class HandleTable {
 public:
  uint32_t Add(std::shared_ptr<T> object) {
    if (++next_ == 0) ++next_;
    objects_[next_] = std::move(object);
    return next_;
  }
  std::shared_ptr<T> Get(uint32_t handle) const {
    auto it = objects_.find(handle);
    return it == objects_.end() ? nullptr : it->second;
  }
  std::shared_ptr<T> Take(uint32_t handle) {
    auto it = objects_.find(handle);
    if (it == objects_.end()) return nullptr;
    std::shared_ptr<T> object = std::move(it->second);
    objects_.erase(it);
    return object;
  }
  std::map<uint32_t, std::shared_ptr<T>> TakeAll() {
    std::map<uint32_t, std::shared_ptr<T>> all;
    all.swap(objects_);
    return all;
  }

 private:
  std::map<uint32_t, std::shared_ptr<T>> objects_;
  uint32_t next_ = 0;
};

}  // namespace tvsim

#pragma once
// GDI handles shared by every graphics object of one description: made on
// first use, counted, and deleted when the last user lets go.

#include "win32/Gdi.h"

#include <map>
#include <mutex>

namespace vcl::detail {

template <class Key, class Handle>
class THandleCache {
public:
    template <class Make>
    Handle Acquire(const Key& key, Make&& make)
    {
        std::lock_guard lock(Mutex_);
        auto found = ByKey_.find(key);
        if (found != ByKey_.end()) {
            ++found->second.Users;
            return found->second.Value;
        }
        const Handle made = make();
        if (made) {
            ByKey_.emplace(key, Entry{made, 1});
            ByHandle_.emplace(made, key);
        }
        return made;
    }

    void Release(Handle handle)
    {
        std::lock_guard lock(Mutex_);
        auto key = ByHandle_.find(handle);
        if (key == ByHandle_.end())
            return;
        auto entry = ByKey_.find(key->second);
        if (--entry->second.Users == 0) {
            DeleteObject(handle);
            ByKey_.erase(entry);
            ByHandle_.erase(key);
        }
    }

private:
    struct Entry {
        Handle Value;
        int Users;
    };
    std::mutex Mutex_;
    std::map<Key, Entry> ByKey_;
    std::map<Handle, Key> ByHandle_;
};

} // namespace vcl::detail

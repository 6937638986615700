#include "vcl/core/Resources.h"

#include "win32/Modules.h"

#include <algorithm>
#include <map>
#include <mutex>
#include <shared_mutex>
#include <tuple>

namespace vcl {
namespace {

// The key form of a type or name: "#123" for numbers, the name in upper case
// (the platform keeps names that way, so look-ups ignore case).
std::string KeyOf(const TResourceId& id)
{
    if (id.IsNumber())
        return "#" + std::to_string(id.Number());
    std::string key(id.Name());
    std::transform(key.begin(), key.end(), key.begin(),
                   [](char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; });
    return key;
}

using Key = std::tuple<std::uintptr_t, std::string, std::string>; // module, type, name

struct Entry {
    std::span<const unsigned char> Bytes;
    std::shared_ptr<const void> KeepAlive; // null for bytes compiled into the module
    unsigned long long Order;
};

struct Store {
    std::shared_mutex Lock;
    std::map<Key, Entry> Entries;
    unsigned long long NextOrder = 0;
};

Store& TheStore()
{
    static Store* store = new Store; // never destroyed: look-ups may come late in shut-down
    return *store;
}

std::uintptr_t ModuleKey(HINSTANCE instance)
{
    return reinterpret_cast<std::uintptr_t>(instance ? instance : MainInstance());
}

void Put(HINSTANCE instance, const TResourceId& type, const TResourceId& name,
         std::span<const unsigned char> bytes, std::shared_ptr<const void> keepAlive)
{
    Key key{ModuleKey(instance), KeyOf(type), KeyOf(name)};
    Store& store = TheStore();
    std::unique_lock guard(store.Lock);
    auto [at, inserted] = store.Entries.try_emplace(std::move(key));
    if (inserted)
        at->second.Order = store.NextOrder++;
    at->second.Bytes = bytes;
    at->second.KeepAlive = std::move(keepAlive);
}

} // namespace

std::string TResourceId::ToString() const
{
    return IsNumber_ ? "#" + std::to_string(Number_) : std::string(Name_);
}

bool operator==(const TResourceId& a, const TResourceId& b)
{
    if (a.IsNumber_ || b.IsNumber_)
        return a.IsNumber_ == b.IsNumber_ && a.Number_ == b.Number_;
    return KeyOf(a) == KeyOf(b);
}

HINSTANCE MainInstance()
{
    return GetModuleHandleA(nullptr);
}

HINSTANCE HInstance()
{
    return MainInstance();
}

void RegisterResources(HINSTANCE instance, std::span<const TResourceRecord> records)
{
    for (const TResourceRecord& r : records)
        RegisterResource(instance, r.Type, r.Name, r.Data, r.Size);
}

void RegisterResource(HINSTANCE instance, const TResourceId& type, const TResourceId& name, const void* data,
                      std::size_t size)
{
    Put(instance, type, name, {static_cast<const unsigned char*>(data), data ? size : 0}, nullptr);
}

void RegisterResourceCopy(HINSTANCE instance, const TResourceId& type, const TResourceId& name,
                          std::span<const unsigned char> bytes)
{
    auto copy = std::make_shared<const std::vector<unsigned char>>(bytes.begin(), bytes.end());
    std::span<const unsigned char> view(copy->data(), copy->size());
    Put(instance, type, name, view, std::move(copy));
}

void RegisterStringResource(HINSTANCE instance, UINT id, std::string_view text)
{
    RegisterResourceCopy(instance, RT_STRING, static_cast<int>(id & 0xFFFF),
                         {reinterpret_cast<const unsigned char*>(text.data()), text.size()});
}

bool UnregisterResource(HINSTANCE instance, const TResourceId& type, const TResourceId& name)
{
    const Key key{ModuleKey(instance), KeyOf(type), KeyOf(name)};
    Store& store = TheStore();
    std::unique_lock guard(store.Lock);
    return store.Entries.erase(key) > 0;
}

bool UnregisterResources(HINSTANCE instance)
{
    const std::uintptr_t module = ModuleKey(instance);
    Store& store = TheStore();
    std::unique_lock guard(store.Lock);
    return std::erase_if(store.Entries, [module](const auto& e) { return std::get<0>(e.first) == module; }) >
           0;
}

TResourceData FindResourceData(HINSTANCE instance, const TResourceId& name, const TResourceId& type)
{
    const Key key{ModuleKey(instance), KeyOf(type), KeyOf(name)};
    Store& store = TheStore();
    std::shared_lock guard(store.Lock);
    const auto at = store.Entries.find(key);
    if (at == store.Entries.end())
        return {};
    return {at->second.Bytes, at->second.KeepAlive};
}

std::string LoadResourceString(HINSTANCE instance, UINT id)
{
    const TResourceData data = FindResourceData(instance, static_cast<int>(id & 0xFFFF), RT_STRING);
    return data ? std::string(reinterpret_cast<const char*>(data.Data()), data.Size()) : std::string();
}

std::vector<std::string> ResourceNames(HINSTANCE instance, const TResourceId& type)
{
    const std::uintptr_t module = ModuleKey(instance);
    const std::string typeKey = KeyOf(type);
    std::vector<std::pair<unsigned long long, std::string>> found;
    {
        Store& store = TheStore();
        std::shared_lock guard(store.Lock);
        for (const auto& [key, entry] : store.Entries)
            if (std::get<0>(key) == module && std::get<1>(key) == typeKey)
                found.emplace_back(entry.Order, std::get<2>(key));
    }
    std::sort(found.begin(), found.end());
    std::vector<std::string> names;
    names.reserve(found.size());
    for (auto& f : found)
        names.push_back(std::move(f.second));
    return names;
}

} // namespace vcl

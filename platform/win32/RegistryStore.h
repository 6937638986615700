#pragma once
// The registry's keys and values in memory, and the text form of the store
// file.
//
// The file is UTF-8 text of lines, '\n' ended:
//
//     corvane-registry 2
//     key "HKEY_CURRENT_USER" "Software" "Corvane"
//     value "Title" sz "Shell demo"
//     value "" expand "%HOME%/docs"
//     value "Count" dword 42
//     value "Geometry" data 3 ffffffffffffffff00
//     value "Empty" data 3 -
//     end 7
//
// The first line names the format and its version; the last counts the
// lines before it, so a file cut short (inside a line or between two) is
// refused. Files of version 1, which had no end line, are still read; any
// file must end with its newline. A key line names a key by
// its root and the names below it (the keys above it exist with it); the
// value lines after it belong to it. A value is "sz" or "expand" text (the
// terminating zero is implied), a "dword" in decimal, or "data" of a type
// number with its bytes in hexadecimal ("-" for none). Quoted texts escape
// '"' and '\' with a backslash and any byte below 0x20 or 0x7F as \xHH; other
// bytes are themselves. Empty lines and lines starting with '#' are ignored.
// Anything else makes the whole file malformed: it is refused, never guessed at.

#include "CorvanePlatformExport.h"
#include "win32/WinTypes.h"

#include <array>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace win32::registry {

// Names compare without regard to ASCII case.
CORVANE_PLATFORM_EXPORT bool NamesEqual(std::string_view a, std::string_view b);
struct CORVANE_PLATFORM_EXPORT NameLess {
    bool operator()(std::string_view a, std::string_view b) const;
    using is_transparent = void;
};

// A key name: not empty, at most 255 bytes, no '\' and no zero byte.
CORVANE_PLATFORM_EXPORT bool IsValidKeyName(std::string_view name);

struct CORVANE_PLATFORM_EXPORT Value {
    std::string name;
    DWORD type = 0;
    std::string data; // the bytes as stored (text values end with their zero)
};

class CORVANE_PLATFORM_EXPORT Key {
public:
    Key() = default;
    explicit Key(std::string name) : Name_(std::move(name)) {}

    const std::string& Name() const { return Name_; }

    // Finding, setting and deleting a value by name take constant time (on
    // average) whatever the key holds; deleting moves the later positions.
    const Value* FindValue(std::string_view name) const;
    // Replaces the value of that name, or appends a new one.
    void SetValue(Value value);
    // Appends a value whose name the key does not hold yet; false (and
    // nothing changed) when it does.
    bool AddValue(Value value);
    bool DeleteValue(std::string_view name);
    const std::vector<Value>& Values() const { return Values_; }

    Key* FindSubkey(std::string_view name);
    const Key* FindSubkey(std::string_view name) const;
    // The subkey of that name, made when missing; created says which.
    Key& Subkey(std::string_view name, bool* created = nullptr);
    bool DeleteSubkey(std::string_view name);
    const std::map<std::string, std::unique_ptr<Key>, NameLess>& Subkeys() const { return Subkeys_; }

    bool Empty() const { return Values_.empty() && Subkeys_.empty(); }

private:
    std::string Name_;
    std::vector<Value> Values_;
    // Value* of that name, or its position for AddValue.
    std::size_t PositionOf(std::string_view name) const;
    void IndexValue(std::size_t position);

    // Each value's position in Values_ by its name folded to lower case,
    // once the key holds more values than a walk finds quickly.
    std::unordered_map<std::string, std::size_t> ValueIndex_;
    bool Indexed_ = false;
    std::map<std::string, std::unique_ptr<Key>, NameLess> Subkeys_;
};

// The stored roots, in the order of the predefined handles' low bits.
enum class Root { ClassesRoot = 0, CurrentUser = 1, LocalMachine = 2, Users = 3 };
inline constexpr std::size_t RootCount = 4;
CORVANE_PLATFORM_EXPORT const char* RootName(Root root);
CORVANE_PLATFORM_EXPORT std::optional<Root> RootFromName(std::string_view name);

struct CORVANE_PLATFORM_EXPORT Store {
    std::array<Key, RootCount> roots;
    Key& RootKey(Root root) { return roots[static_cast<std::size_t>(root)]; }
    const Key& RootKey(Root root) const { return roots[static_cast<std::size_t>(root)]; }
};

// The store of a file's text, or nothing with a message naming the line.
CORVANE_PLATFORM_EXPORT std::optional<Store> ParseStore(std::string_view text, std::string* error = nullptr);
CORVANE_PLATFORM_EXPORT std::string FormatStore(const Store& store);

} // namespace win32::registry

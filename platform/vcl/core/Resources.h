#pragma once
// The resources of a module: bytes looked up by type and by name or number,
// as the system finds its forms, pictures, glyphs and texts.
//
// There is no resource section in an ELF file, so each unit that carries
// resources registers them from data compiled into the binary, in its
// start-up (never from a static constructor):
//
//     constexpr unsigned char kAboutForm[] = {...};
//     constexpr vcl::TResourceRecord kResources[] = {
//         {RT_RCDATA, "TKWABOUTFORM", kAboutForm, sizeof kAboutForm},
//         {"RTF", 101, kPage101, sizeof kPage101},
//     };
//     void StartUp() { vcl::RegisterResources(vcl::HInstance(), kResources); }
//
// Records hold literals only, so a table of them is constant data. The bytes
// they point to are not copied: they must stay for as long as the module.
//
// Names compare as the platform compares them, ignoring ASCII case, and a
// name "#123" is the number 123.

#include "vcl/CorvaneVclExport.h"
#include "win32/WinTypes.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

// The platform's numbered resource types.
inline constexpr WORD RT_CURSOR = 1;
inline constexpr WORD RT_BITMAP = 2;
inline constexpr WORD RT_ICON = 3;
inline constexpr WORD RT_MENU = 4;
inline constexpr WORD RT_DIALOG = 5;
inline constexpr WORD RT_STRING = 6;
inline constexpr WORD RT_FONTDIR = 7;
inline constexpr WORD RT_FONT = 8;
inline constexpr WORD RT_ACCELERATOR = 9;
inline constexpr WORD RT_RCDATA = 10;
inline constexpr WORD RT_MESSAGETABLE = 11;
inline constexpr WORD RT_GROUP_CURSOR = 12;
inline constexpr WORD RT_GROUP_ICON = 14;
inline constexpr WORD RT_VERSION = 16;

namespace vcl {

// A resource type or name: a number, or a name. It refers to the name's
// characters and does not copy them: pass it, do not keep it.
class CORVANE_VCL_EXPORT TResourceId {
public:
    // A number, as the platform's integer resources: only the low 16 bits.
    constexpr TResourceId(int number) : Number_(static_cast<WORD>(number)), IsNumber_(true) {}
    // A name; also the platform's integer-resource pointers (values below
    // 0x10000), and "#123" for the number 123.
    constexpr TResourceId(const char* name)
    {
        if (!std::is_constant_evaluated() && reinterpret_cast<std::uintptr_t>(name) < 0x10000) {
            Number_ = static_cast<WORD>(reinterpret_cast<std::uintptr_t>(name));
            IsNumber_ = true;
        } else {
            SetName(name);
        }
    }
    constexpr TResourceId(std::string_view name) { SetName(name); }
    TResourceId(const std::string& name) { SetName(name); }

    constexpr bool IsNumber() const { return IsNumber_; }
    constexpr WORD Number() const { return Number_; }
    constexpr std::string_view Name() const { return Name_; }
    // "#123" for a number, or the name.
    std::string ToString() const;

    // The same resource: equal numbers, or names equal but for ASCII case.
    friend CORVANE_VCL_EXPORT bool operator==(const TResourceId& a, const TResourceId& b);

private:
    constexpr void SetName(std::string_view name)
    {
        if (name.size() > 1 && name.size() <= 6 && name[0] == '#') {
            unsigned value = 0;
            bool digits = true;
            for (char c : name.substr(1)) {
                digits = digits && c >= '0' && c <= '9';
                value = value * 10 + static_cast<unsigned>(c - '0');
            }
            if (digits && value <= 0xFFFF) {
                Number_ = static_cast<WORD>(value);
                IsNumber_ = true;
                return;
            }
        }
        Name_ = name;
    }

    std::string_view Name_;
    WORD Number_ = 0;
    bool IsNumber_ = false;
};

// One resource of a table compiled into a module.
struct CORVANE_VCL_EXPORT TResourceRecord {
    TResourceId Type;
    TResourceId Name;
    const void* Data;
    std::size_t Size;
};

// The bytes of a resource found. They stay valid as long as this object,
// even if the resource is unregistered meanwhile.
class CORVANE_VCL_EXPORT TResourceData {
public:
    TResourceData() = default;
    TResourceData(std::span<const unsigned char> bytes, std::shared_ptr<const void> keepAlive)
        : Bytes_(bytes), KeepAlive_(std::move(keepAlive)), Found_(true)
    {
    }

    explicit operator bool() const { return Found_; }
    const unsigned char* Data() const { return Bytes_.data(); }
    std::size_t Size() const { return Bytes_.size(); }
    std::span<const unsigned char> Bytes() const { return Bytes_; }

private:
    std::span<const unsigned char> Bytes_;
    std::shared_ptr<const void> KeepAlive_;
    bool Found_ = false;
};

// The module of the program, as the platform's module table has it. The
// run-time packages and the component package are not modules of that table,
// so every unit of the process belongs to the program's module, and
// HInstance is the same value.
CORVANE_VCL_EXPORT HINSTANCE MainInstance();
CORVANE_VCL_EXPORT HINSTANCE HInstance();

// Registers the resources of a table; the bytes are not copied. A resource
// registered again (same module, type and name) is replaced. Instance 0 means
// the main instance, here and in every look-up.
CORVANE_VCL_EXPORT void RegisterResources(HINSTANCE instance, std::span<const TResourceRecord> records);
CORVANE_VCL_EXPORT void RegisterResource(HINSTANCE instance, const TResourceId& type, const TResourceId& name,
                                         const void* data, std::size_t size);
// Registers a copy of bytes made at run time.
CORVANE_VCL_EXPORT void RegisterResourceCopy(HINSTANCE instance, const TResourceId& type,
                                             const TResourceId& name, std::span<const unsigned char> bytes);
// The text of string resource id, kept as one resource of type RT_STRING
// named by the id (not in the platform's blocks of sixteen).
CORVANE_VCL_EXPORT void RegisterStringResource(HINSTANCE instance, UINT id, std::string_view text);

// Forgets one resource, or every resource of a module (a package that goes).
// Returns whether there was anything to forget.
CORVANE_VCL_EXPORT bool UnregisterResource(HINSTANCE instance, const TResourceId& type,
                                           const TResourceId& name);
CORVANE_VCL_EXPORT bool UnregisterResources(HINSTANCE instance);

// Finds a resource; the result is false when there is none.
CORVANE_VCL_EXPORT TResourceData FindResourceData(HINSTANCE instance, const TResourceId& name,
                                                  const TResourceId& type);
// The text of string resource id, or empty when there is none.
CORVANE_VCL_EXPORT std::string LoadResourceString(HINSTANCE instance, UINT id);
// The names of the resources of one type ("#123" for numbers, names in upper
// case), in the order they were first registered.
CORVANE_VCL_EXPORT std::vector<std::string> ResourceNames(HINSTANCE instance, const TResourceId& type);

} // namespace vcl

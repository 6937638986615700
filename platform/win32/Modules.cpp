#include "win32/Modules.h"
#include "win32/Errors.h"
#include "win32/HandleTable.h"
#include "win32/Identity.h"
#include "win32/ModuleTesting.h"

#include <climits>
#include <cstring>
#include <map>
#include <mutex>
#include <unistd.h>

namespace {

using win32::ModuleVersion;

// Where a module's version resource comes from. The stand-ins follow the
// identity in force, so a test that changes it sees the matching versions.
enum class VersionSource { None, Fixed, System, CommonControls, Shell };

struct ModuleDefinition {
    VersionSource versionSource = VersionSource::None;
    ModuleVersion fixedVersion;
    std::map<std::string, FARPROC, std::less<>> exports;
};

// One module name. A test may shadow the stand-in's definition with its own
// module or with nothing (a missing library); the stand-in's definition, and
// what the layers exported from it, stay underneath.
struct ModuleSlot {
    std::optional<ModuleDefinition> standIn;
    bool overridden = false;
    std::optional<ModuleDefinition> replacement;
    HMODULE handle = nullptr; // while loaded

    const ModuleDefinition* Effective() const
    {
        const auto& def = overridden ? replacement : standIn;
        return def ? &*def : nullptr;
    }
};

struct ModuleRecord {
    std::string name; // canonical name, or the program's path
    int references = 0;
    bool pinned = false; // the program's own module is never unloaded
};

struct ModuleRegistry {
    std::mutex Mutex;
    std::map<std::string, ModuleSlot, std::less<>> Slots;
    win32::HandleTable<HMODULE, ModuleRecord> Loaded{win32::HandleKind::Module, 4096};
    HMODULE Program = nullptr;

    ModuleRegistry()
    {
        AddStandIns();
        Program = Loaded.Insert(ModuleRecord{ProgramPath(), 1, true});
    }

    void AddStandIns()
    {
        const std::pair<const char*, VersionSource> standIns[] = {
            {"kernel32.dll", VersionSource::System}, {"user32.dll", VersionSource::System},
            {"gdi32.dll", VersionSource::System},    {"comctl32.dll", VersionSource::CommonControls},
            {"shell32.dll", VersionSource::Shell},   {"ole32.dll", VersionSource::System},
            {"version.dll", VersionSource::System},
        };
        for (const auto& [name, source] : standIns) {
            ModuleDefinition def;
            def.versionSource = source;
            Slots[name].standIn = std::move(def);
        }
    }

    static std::string ProgramPath()
    {
        char path[PATH_MAX];
        const ssize_t n = readlink("/proc/self/exe", path, sizeof path);
        return n > 0 ? std::string(path, static_cast<size_t>(n)) : std::string();
    }

    ModuleSlot* FindSlot(std::string_view canonical)
    {
        const auto it = Slots.find(canonical);
        return it == Slots.end() ? nullptr : &it->second;
    }

    // Unloads the module of the slot, whatever its count: its handle goes stale.
    void Unload(ModuleSlot& slot)
    {
        if (slot.handle)
            Loaded.Remove(slot.handle);
        slot.handle = nullptr;
    }

    // The definition behind a loaded module's handle; the caller holds Mutex.
    const ModuleDefinition* DefinitionOf(HMODULE module, bool& valid)
    {
        std::string name;
        valid = Loaded.Read(module, [&](const ModuleRecord& record) { name = record.name; });
        if (!valid)
            return nullptr;
        const ModuleSlot* slot = FindSlot(name);
        return slot ? slot->Effective() : nullptr;
    }
};

ModuleRegistry& Registry()
{
    // Never destroyed, so that a unit shutting down late still finds it.
    static ModuleRegistry& registry = *new ModuleRegistry;
    return registry;
}

ModuleVersion VersionFrom(const ModuleDefinition& def)
{
    const win32::PlatformIdentity& id = win32::CurrentIdentity();
    switch (def.versionSource) {
    case VersionSource::CommonControls:
        return {id.commonControlsMS, id.commonControlsLS};
    case VersionSource::Shell:
        return {id.shellMS, id.shellLS};
    case VersionSource::System:
        return {((id.majorVersion & 0xFFFF) << 16) | (id.minorVersion & 0xFFFF), (id.buildNumber & 0xFFFF)
                                                                                     << 16};
    case VersionSource::Fixed:
    case VersionSource::None:
        break;
    }
    return def.fixedVersion;
}

bool IsOrdinal(LPCSTR procName)
{
    return reinterpret_cast<std::uintptr_t>(procName) < 0x10000;
}

} // namespace

HMODULE LoadLibraryA(LPCSTR fileName)
{
    if (!fileName) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    const std::string name = win32::CanonicalModuleName(fileName);
    ModuleRegistry& reg = Registry();
    std::lock_guard lock(reg.Mutex);
    ModuleSlot* slot = reg.FindSlot(name);
    if (!slot || !slot->Effective()) {
        SetLastError(ERROR_MOD_NOT_FOUND);
        return nullptr;
    }
    if (slot->handle && reg.Loaded.Modify(slot->handle, [](ModuleRecord& record) { ++record.references; }))
        return slot->handle;
    slot->handle = reg.Loaded.Insert(ModuleRecord{name, 1, false});
    if (!slot->handle)
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return slot->handle;
}

HMODULE GetModuleHandleA(LPCSTR moduleName)
{
    ModuleRegistry& reg = Registry();
    std::lock_guard lock(reg.Mutex);
    if (!moduleName)
        return reg.Program;
    const ModuleSlot* slot = reg.FindSlot(win32::CanonicalModuleName(moduleName));
    if (!slot || !slot->handle) {
        SetLastError(ERROR_MOD_NOT_FOUND);
        return nullptr;
    }
    return slot->handle;
}

FARPROC GetProcAddress(HMODULE module, LPCSTR procName)
{
    ModuleRegistry& reg = Registry();
    std::lock_guard lock(reg.Mutex);
    if (!module)
        module = reg.Program;
    bool valid = false;
    const ModuleDefinition* def = reg.DefinitionOf(module, valid);
    if (!valid) {
        SetLastError(ERROR_INVALID_HANDLE);
        return nullptr;
    }
    if (def && !IsOrdinal(procName)) {
        const auto it = def->exports.find(std::string_view(procName));
        if (it != def->exports.end() && it->second)
            return it->second;
    }
    SetLastError(ERROR_PROC_NOT_FOUND);
    return nullptr;
}

BOOL FreeLibrary(HMODULE module)
{
    ModuleRegistry& reg = Registry();
    std::lock_guard lock(reg.Mutex);
    std::string name;
    bool last = false;
    const bool valid = reg.Loaded.Modify(module, [&](ModuleRecord& record) {
        if (record.pinned)
            return;
        last = --record.references == 0;
        name = record.name;
    });
    if (!valid) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    if (last) {
        if (ModuleSlot* slot = reg.FindSlot(name))
            reg.Unload(*slot);
        else
            reg.Loaded.Remove(module);
    }
    return TRUE;
}

DWORD GetModuleFileNameA(HMODULE module, LPSTR buffer, DWORD size)
{
    ModuleRegistry& reg = Registry();
    std::string name;
    {
        std::lock_guard lock(reg.Mutex);
        if (!module)
            module = reg.Program;
        if (!reg.Loaded.Read(module, [&](const ModuleRecord& record) { name = record.name; })) {
            SetLastError(ERROR_INVALID_HANDLE);
            return 0;
        }
    }
    if (!buffer || size == 0) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return 0;
    }
    if (name.size() >= size) {
        std::memcpy(buffer, name.data(), size - 1);
        buffer[size - 1] = '\0';
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return size;
    }
    std::memcpy(buffer, name.c_str(), name.size() + 1);
    SetLastError(ERROR_SUCCESS);
    return static_cast<DWORD>(name.size());
}

namespace win32 {

std::string CanonicalModuleName(std::string_view name)
{
    if (name.empty() || name.find_first_of("/\\") != std::string_view::npos)
        return {};
    std::string canonical(name);
    for (char& c : canonical)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    if (canonical.find('.') == std::string::npos)
        canonical += ".dll";
    return canonical;
}

bool AddModuleExport(std::string_view moduleName, std::string_view procName, FARPROC proc)
{
    if (procName.empty() || !proc)
        return false;
    ModuleRegistry& reg = Registry();
    std::lock_guard lock(reg.Mutex);
    ModuleSlot* slot = reg.FindSlot(CanonicalModuleName(moduleName));
    if (!slot || !slot->standIn)
        return false;
    slot->standIn->exports.insert_or_assign(std::string(procName), proc);
    return true;
}

std::optional<std::string> ModuleNameOf(HMODULE module)
{
    ModuleRegistry& reg = Registry();
    std::lock_guard lock(reg.Mutex);
    std::optional<std::string> name;
    reg.Loaded.Read(module, [&](const ModuleRecord& record) { name = record.name; });
    return name;
}

std::optional<ModuleVersion> ModuleFileVersion(std::string_view fileName)
{
    ModuleRegistry& reg = Registry();
    std::lock_guard lock(reg.Mutex);
    const ModuleSlot* slot = reg.FindSlot(CanonicalModuleName(fileName));
    const ModuleDefinition* def = slot ? slot->Effective() : nullptr;
    if (!def || def->versionSource == VersionSource::None)
        return std::nullopt;
    return VersionFrom(*def);
}

} // namespace win32

namespace win32::testing {

void RegisterModule(std::string_view name, std::optional<ModuleVersion> version,
                    std::vector<ModuleExport> exports)
{
    const std::string canonical = CanonicalModuleName(name);
    if (canonical.empty())
        return;
    ModuleDefinition def;
    if (version) {
        def.versionSource = VersionSource::Fixed;
        def.fixedVersion = *version;
    }
    for (ModuleExport& e : exports)
        def.exports.insert_or_assign(std::move(e.name), e.proc);
    ModuleRegistry& reg = Registry();
    std::lock_guard lock(reg.Mutex);
    ModuleSlot& slot = reg.Slots[canonical];
    reg.Unload(slot);
    slot.overridden = true;
    slot.replacement = std::move(def);
}

void UnregisterModule(std::string_view name)
{
    ModuleRegistry& reg = Registry();
    std::lock_guard lock(reg.Mutex);
    if (ModuleSlot* slot = reg.FindSlot(CanonicalModuleName(name))) {
        reg.Unload(*slot);
        slot->overridden = true;
        slot->replacement.reset();
    }
}

void ResetModules()
{
    ModuleRegistry& reg = Registry();
    std::lock_guard lock(reg.Mutex);
    for (auto it = reg.Slots.begin(); it != reg.Slots.end();) {
        ModuleSlot& slot = it->second;
        // A stand-in nobody replaced keeps its handle: its holders are not the test's.
        if (!slot.overridden) {
            ++it;
            continue;
        }
        reg.Unload(slot);
        slot.overridden = false;
        slot.replacement.reset();
        it = slot.standIn ? std::next(it) : reg.Slots.erase(it);
    }
}

int ModuleReferenceCount(std::string_view name)
{
    ModuleRegistry& reg = Registry();
    std::lock_guard lock(reg.Mutex);
    const ModuleSlot* slot = reg.FindSlot(CanonicalModuleName(name));
    int references = 0;
    if (slot && slot->handle)
        reg.Loaded.Read(slot->handle, [&](const ModuleRecord& record) { references = record.references; });
    return references;
}

} // namespace win32::testing

// Control Panel and Printers: folders whose items are entries of their own
// (a settings application's desktop id, a printer's name).

#include "shell32/Printers.h"
#include "shell32/SettingsApplications.h"
#include "shell32/VirtualFolderProviders.h"

#include <chrono>
#include <mutex>

namespace shell32 {
namespace {

struct NamedEntry {
    std::string Key;
    std::string Name;
};

// Listing is a walk of folders or files: the last one is kept for the names
// asked between two enumerations.
class EntryFolder : public VirtualFolderProvider {
public:
    HRESULT Enumerate(DWORD flags, std::string& items) override
    {
        if (!(flags & SHCONTF_NONFOLDERS))
            return S_OK;
        for (const NamedEntry& entry : Refresh()) {
            // A key the encoding cannot hold cannot be an item.
            AppendVirtualEntry(items, entry.Key);
        }
        return S_OK;
    }

    HRESULT ChildDisplayName(const ItemView& child, DWORD flags, std::string& text) override
    {
        if (child.kind != ItemKind::VirtualEntry || (flags & SHGDN_FORPARSING))
            return E_NOTIMPL;
        const std::optional<NamedEntry> entry = Find(child.text);
        text = entry ? entry->Name : std::string(child.text);
        return S_OK;
    }

    HRESULT ChildAttributes(const ItemView& child, ULONG& attributes) override
    {
        if (child.kind != ItemKind::VirtualEntry)
            return E_NOTIMPL;
        if (!Find(child.text))
            return HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND);
        attributes = SFGAO_CANLINK;
        return S_OK;
    }

    HRESULT ParseChild(std::string_view name, std::string& item) override
    {
        if (!Find(name) || !AppendVirtualEntry(item, name))
            return HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND);
        return S_OK;
    }

protected:
    virtual std::vector<NamedEntry> List() const = 0;

private:
    std::vector<NamedEntry> Refresh()
    {
        std::vector<NamedEntry> entries = List();
        std::lock_guard lock(Lock_);
        Entries_ = entries;
        Listed_ = true;
        LastListing_ = std::chrono::steady_clock::now();
        return entries;
    }

    std::optional<NamedEntry> Lookup(std::string_view key)
    {
        std::lock_guard lock(Lock_);
        for (const NamedEntry& entry : Entries_) {
            if (entry.Key == key)
                return entry;
        }
        return std::nullopt;
    }

    // A key missing from the last listing lists again, at most once a
    // second: a stale item asked for at every paint must not rescan each time.
    std::optional<NamedEntry> Find(std::string_view key)
    {
        if (std::optional<NamedEntry> entry = Lookup(key))
            return entry;
        {
            std::lock_guard lock(Lock_);
            const auto now = std::chrono::steady_clock::now();
            if (Listed_ && now - LastListing_ < std::chrono::seconds(1))
                return std::nullopt;
        }
        Refresh();
        return Lookup(key);
    }

    std::mutex Lock_;
    std::vector<NamedEntry> Entries_;
    bool Listed_ = false;
    std::chrono::steady_clock::time_point LastListing_;
};

class ControlPanelFolder final : public EntryFolder {
public:
    std::string DisplayName() const override { return "Control Panel"; }
    ULONG Attributes() const override { return SFGAO_FOLDER; }
    int SortRank() const override { return 10; }
    GUID ParentFolder() const override { return CLSID_MyComputer; }

protected:
    std::vector<NamedEntry> List() const override
    {
        std::vector<NamedEntry> entries;
        for (SettingsApplication& application : ListSettingsApplications())
            entries.push_back({std::move(application.Id), std::move(application.Name)});
        return entries;
    }
};

class PrintersFolder final : public EntryFolder {
public:
    std::string DisplayName() const override { return "Printers"; }
    ULONG Attributes() const override { return SFGAO_FOLDER; }
    int SortRank() const override { return 11; }
    GUID ParentFolder() const override { return CLSID_MyComputer; }

protected:
    std::vector<NamedEntry> List() const override
    {
        std::vector<NamedEntry> entries;
        for (const std::string& name : ListPrinters())
            entries.push_back({name, name});
        return entries;
    }
};

} // namespace

std::shared_ptr<VirtualFolderProvider> MakeControlPanelFolder()
{
    return std::make_shared<ControlPanelFolder>();
}

std::shared_ptr<VirtualFolderProvider> MakePrintersFolder()
{
    return std::make_shared<PrintersFolder>();
}

} // namespace shell32

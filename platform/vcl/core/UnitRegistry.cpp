#include "vcl/core/UnitRegistry.h"

#include <exception>
#include <mutex>
#include <vector>

namespace vcl {
namespace {

struct UnitState {
    TUnitInfo Info;
    bool Started = false;
};

// Units are registered and started on the loading thread only; the mutex
// keeps a misuse from another thread from corrupting the table.
struct Registry {
    std::mutex Lock;
    std::vector<UnitState> Units;
    std::vector<size_t> StartOrder;
};

Registry& TheRegistry()
{
    static Registry* registry = new Registry; // never destroyed: shut-down may run late
    return *registry;
}

UnitState* Find(Registry& r, std::string_view name)
{
    for (auto& u : r.Units)
        if (name == u.Info.Name)
            return &u;
    return nullptr;
}

} // namespace

void RegisterUnit(const TUnitInfo& unit)
{
    Registry& r = TheRegistry();
    std::lock_guard guard(r.Lock);
    if (!Find(r, unit.Name))
        r.Units.push_back({unit});
}

void InitializeUnits()
{
    Registry& r = TheRegistry();
    for (size_t i = 0;; ++i) {
        TUnitProc init;
        {
            std::lock_guard guard(r.Lock);
            if (i >= r.Units.size())
                return;
            if (r.Units[i].Started)
                continue;
            init = r.Units[i].Info.Initialization;
        }
        if (init)
            init(); // outside the lock: a start-up may register further units
        std::lock_guard guard(r.Lock);
        r.Units[i].Started = true;
        r.StartOrder.push_back(i);
    }
}

void FinalizeUnits()
{
    Registry& r = TheRegistry();
    std::exception_ptr first;
    for (;;) {
        TUnitProc fini;
        {
            std::lock_guard guard(r.Lock);
            if (r.StartOrder.empty())
                break;
            const size_t i = r.StartOrder.back();
            r.StartOrder.pop_back();
            r.Units[i].Started = false;
            fini = r.Units[i].Info.Finalization;
        }
        try {
            if (fini)
                fini();
        } catch (...) {
            if (!first)
                first = std::current_exception();
        }
    }
    if (first)
        std::rethrow_exception(first);
}

bool UnitRegistered(std::string_view name)
{
    Registry& r = TheRegistry();
    std::lock_guard guard(r.Lock);
    return Find(r, name) != nullptr;
}

bool UnitInitialized(std::string_view name)
{
    Registry& r = TheRegistry();
    std::lock_guard guard(r.Lock);
    const UnitState* u = Find(r, name);
    return u && u->Started;
}

} // namespace vcl

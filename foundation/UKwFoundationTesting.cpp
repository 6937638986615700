#include "UKwFoundationTesting.h"
#include "UKwFoundationTesting_p.h"

#include <mutex>

namespace kw {
namespace {

struct Journal {
    std::mutex Lock;
    std::vector<std::string> Events;
};

Journal& TheJournal()
{
    static Journal* journal = new Journal; // never destroyed: shut-down may run late
    return *journal;
}

} // namespace

void detail::RecordUnitEvent(const char* event)
{
    Journal& j = TheJournal();
    std::lock_guard guard(j.Lock);
    j.Events.emplace_back(event);
}

std::vector<std::string> testing::UnitEvents()
{
    Journal& j = TheJournal();
    std::lock_guard guard(j.Lock);
    return j.Events;
}

void testing::ClearUnitEvents()
{
    Journal& j = TheJournal();
    std::lock_guard guard(j.Lock);
    j.Events.clear();
}

} // namespace kw

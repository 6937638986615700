// The component editors' base: verbs, and the double click that goes to the
// default event's handler.

#include "designide/DesignIntf.h"

#include <array>

namespace designide {

using namespace vcl;

TComponentEditor::TComponentEditor(TComponent* component, IDesigner* designer)
    : Component_(component), Designer_(designer)
{
}

TComponentEditor::~TComponentEditor() = default;

void TComponentEditor::Edit()
{
    if (GetVerbCount() > 0)
        ExecuteVerb(0);
}

void TComponentEditor::ExecuteVerb(int) {}

std::string TComponentEditor::GetVerb(int)
{
    return std::string();
}

int TComponentEditor::GetVerbCount()
{
    return 0;
}

void TDefaultEditor::Edit()
{
    TComponent* component = Component();
    if (!component || !Designer())
        return;
    std::vector<const TPropInfo*> events;
    for (const TPropInfo* prop : GetPropList(component->ClassType()))
        if (prop->PropType->Kind == tkMethod)
            events.push_back(prop);
    if (events.empty())
        return;
    const TPropInfo* chosen = events.front();
    static constexpr std::array<const char*, 3> kDefaultEvents{"OnCreate", "OnChange", "OnClick"};
    for (const char* name : kDefaultEvents) {
        const auto it = std::find_if(events.begin(), events.end(),
                                     [&](const TPropInfo* prop) { return SameIdent(prop->Name, name); });
        if (it != events.end()) {
            chosen = *it;
            break;
        }
    }
    // An event already handled keeps its handler; a new one is named after
    // the component and the event (Splitter1Change).
    std::string method;
    if (const TMethod current = GetMethodProp(component, chosen); !current.IsNil() && Designer()->GetRoot())
        method = GetMethodName(Designer()->GetRoot(), current);
    if (method.empty()) {
        const std::string event = chosen->Name.starts_with("On") ? chosen->Name.substr(2) : chosen->Name;
        method = (component == Designer()->GetRoot() ? std::string("Form") : component->Name()) + event;
    }
    Designer()->ShowMethod(component, chosen->Name, method);
}

} // namespace designide

// The explorer's routines that need no form: Boolean properties by tag,
// menu texts, and the command prompt.

#include "FExplorer.h"

#include "vcl/core/SysUtils.h"
#include "vcl/core/TypInfo.h"
#include "vcl/widgets/Menus.h"

namespace demo {

void SetPropByTag(std::initializer_list<vcl::TComponent*> components, const std::string& propName, int tag)
{
    const vcl::TTypeInfo* boolean = vcl::TypeInfoOf(vcl::TTypeTag<bool>());
    for (vcl::TComponent* component : components) {
        if (!component)
            continue;
        const vcl::TPropInfo* prop = vcl::GetPropInfo(component, propName);
        if (!prop || prop->PropType != boolean || !prop->SetOrd)
            continue;
        vcl::SetOrdProp(component, prop, component->Tag() == tag ? 1 : 0);
    }
}

void SetMenuTexts(const std::string& caption, const std::string& hint,
                  std::initializer_list<vcl::TMenuItem*> items)
{
    for (vcl::TMenuItem* item : items) {
        if (!caption.empty())
            item->SetCaption(caption);
        if (!hint.empty())
            item->SetHint(hint);
    }
}

TCommandVerb TreeCommandVerb(const std::string& typed)
{
    const int number = vcl::StrToIntDef(typed, -1);
    if (number >= 0)
        return TCommandVerb{true, number, std::string()};
    return TCommandVerb{false, 0, typed};
}

void RunCommandPrompt(TCommandTargets& targets)
{
    if (targets.TreeFocused()) {
        std::string command;
        if (targets.AskCommand(command))
            targets.RunOnSelectedNode(TreeCommandVerb(command));
        return;
    }
    if (!targets.ListFocused())
        return;
    std::string command;
    if (!targets.AskCommand(command))
        return;
    if (targets.ListSelCount() == 0)
        targets.RunOnListFolder(command);
    else
        targets.RunOnListSelection(command);
}

} // namespace demo

#pragma once
// FExplorer: the demo's mini explorer and its routines that need no form:
// setting a Boolean property by tag, menu texts, and the command prompt
// over whatever tree and list it acts on.

#include "vcl/core/Component.h"

#include <initializer_list>
#include <string>

namespace vcl {
class TMenuItem;
}

namespace demo {

// For each component, its published Boolean property propName becomes
// whether the component's Tag is tag. Components without such a property
// are left alone.
void SetPropByTag(std::initializer_list<vcl::TComponent*> components, const std::string& propName, int tag);

// Sets each item's caption and hint, leaving the stored one where the new
// text is empty.
void SetMenuTexts(const std::string& caption, const std::string& hint,
                  std::initializer_list<vcl::TMenuItem*> items);

// A verb for the tree's selected node: a command number where the person
// typed a number from 0 up, else the text as typed.
struct TCommandVerb {
    bool IsNumber = false;
    int Number = 0;
    std::string Text;
    bool operator==(const TCommandVerb&) const = default;
};
TCommandVerb TreeCommandVerb(const std::string& typed);

// What the command prompt works on: the explorer's tree and list, or test
// doubles of them.
class TCommandTargets {
public:
    virtual ~TCommandTargets() = default;
    virtual bool TreeFocused() const = 0;
    virtual bool ListFocused() const = 0;
    // Asks for the command; false when the person cancels.
    virtual bool AskCommand(std::string& command) = 0;
    virtual void RunOnSelectedNode(const TCommandVerb& verb) = 0;
    virtual int ListSelCount() const = 0;
    virtual void RunOnListFolder(const std::string& verb) = 0;
    virtual void RunOnListSelection(const std::string& verb) = 0;
};

// The prompt of F11: with the tree focused, the command goes to its
// selected node (a number as a command number); with the list focused, to
// its selection, or to its folder when nothing is selected, always as text;
// otherwise nothing is asked.
void RunCommandPrompt(TCommandTargets& targets);

} // namespace demo

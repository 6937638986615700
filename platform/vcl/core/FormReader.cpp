#include "vcl/core/ClassRegistry.h"
#include "vcl/core/Collections.h"
#include "vcl/core/Filer.h"
#include "vcl/core/Resources.h"
#include "vcl/core/Streams.h"
#include "vcl/core/Strings.h"

#include <algorithm>
#include <climits>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <utility>

namespace vcl {

namespace {

// A failure already worded with its line; converted to a plain EReadError
// when it leaves the reader.
VCL_DECLARE_EXCEPTION(ELocatedReadError, EReadError);

[[noreturn]] void Fail(int line, const std::string& message)
{
    throw ELocatedReadError("Line " + std::to_string(line) + ": " + message);
}

// Runs action; a framework exception from it becomes a failure at line.
template <class Action>
void AtLine(int line, const std::string& what, Action&& action)
{
    try {
        action();
    } catch (const ELocatedReadError&) {
        throw;
    } catch (const Exception& e) {
        Fail(line, "error reading " + what + ": " + e.Message());
    }
}

std::string KindName(TFormValueKind kind)
{
    switch (kind) {
    case TFormValueKind::Integer:
        return "an integer";
    case TFormValueKind::Float:
        return "a float";
    case TFormValueKind::String:
        return "a string";
    case TFormValueKind::Ident:
        return "an identifier";
    case TFormValueKind::Set:
        return "a set";
    case TFormValueKind::List:
        return "a list";
    case TFormValueKind::Collection:
        return "a collection";
    case TFormValueKind::Binary:
        return "binary data";
    }
    return "a value";
}

// Watches the components a reading makes, and any other it keeps a pointer
// to for later (a reference to fix up, a component to tell of Loaded). One
// freed on the way (a control freeing its children) leaves the lists, so that
// a failed reading frees every survivor exactly once. Each watch carries a
// number of its own: a component made after another was freed may get the
// freed one's address, never its number, so a pointer kept from before is
// never taken for the newcomer.
class TReadGuard : public TComponent {
    VCL_DECLARE_CLASS(TReadGuard, TComponent)
public:
    // Serial 0 is the root, which lives through the reading.
    struct TWatch {
        TComponent* Component = nullptr;
        std::uint64_t Serial = 0;
    };

    TReadGuard() : TComponent(nullptr) {}

    // The components the reading made and that are still there, in the
    // order they were made.
    std::vector<TWatch> Made;

    TWatch WatchMade(TComponent* component)
    {
        const TWatch watch = Watch(component);
        Made.push_back(watch);
        return watch;
    }
    // A component the reading did not make (one the root owned before).
    TWatch Watch(TComponent* component)
    {
        for (const TWatch& watch : Watched_)
            if (watch.Component == component)
                return watch;
        const TWatch watch{component, ++LastSerial_};
        Watched_.push_back(watch);
        FreeNotification(component);
        return watch;
    }
    bool Alive(const TWatch& watch) const
    {
        return std::any_of(Watched_.begin(), Watched_.end(), [&](const TWatch& w) {
            return w.Component == watch.Component && w.Serial == watch.Serial;
        });
    }
    void UnwatchAll()
    {
        for (const TWatch& watch : Watched_)
            RemoveFreeNotification(watch.Component);
        Watched_.clear();
        Made.clear();
    }
    void FreeAll()
    {
        while (!Made.empty()) {
            TComponent* last = Made.back().Component;
            Forget(last);
            RemoveFreeNotification(last);
            last->Free();
        }
        UnwatchAll();
    }

protected:
    void Notification(TComponent* component, TOperation operation) override
    {
        TComponent::Notification(component, operation);
        if (operation == opRemove)
            Forget(component);
    }

private:
    void Forget(TComponent* component)
    {
        const auto same = [component](const TWatch& w) { return w.Component == component; };
        std::erase_if(Made, same);
        std::erase_if(Watched_, same);
    }

    std::vector<TWatch> Watched_;
    std::uint64_t LastSerial_ = 0;
};

} // namespace

struct TReader::Impl {
    struct Fixup {
        TObject* Instance;
        const TPropInfo* Prop;
        std::string Name;
        int Line;
        // The component whose property it is (Instance may be its
        // sub-object or item): when that goes, so does the fixup.
        TReadGuard::TWatch Anchor;
    };
    struct Cursor {
        const std::vector<TFormValue>* List;
        size_t Index;
        int Line;
    };
    struct Definition {
        bool Binary = false;
        TReaderProc Read;
        TStreamProc ReadStream;
        TWriterProc Write;
        TStreamProc WriteStream;
    };
    // One change to the root, made only once everything else has been read.
    // Apply leaves its target as it found it when it raises; Undo takes back
    // an Apply that succeeded, when a later one fails; Finish ends it once
    // every change is in.
    struct Change {
        std::function<void()> Apply;
        std::function<void()> Undo;
        std::function<void()> Finish;
    };

    TReader* Self = nullptr;
    TComponent* Root = nullptr;
    std::string RootFileName;
    TReadGuard* Guard = nullptr;
    std::vector<Fixup> Fixups;
    std::vector<Cursor> Cursors;
    // The component whose properties are being read.
    TReadGuard::TWatch Reading;
    // Set while the root's own properties are converted: their setting
    // waits, so that a failure anywhere leaves an existing root as it was.
    // Compound values (collections, string lists, defined properties) go
    // first, then the simple ones; each change can be taken back.
    bool Deferring = false;
    std::vector<Change> PendingCompound;
    std::vector<Change> Pending;
    // The root's collections, read ahead into stand-ins of the same item
    // class; their items move over when the root changes.
    std::vector<std::unique_ptr<TCollection>> Staged;
    // The defined property looked for, while DefineProperties runs.
    std::string Wanted;
    bool Found = false;
    Definition FoundDefinition;

    // Sets a published property of target now, or (for the root) later.
    void Act(int line, const std::string& what, TObject* target, const TPropInfo* info,
             std::function<void()> action)
    {
        if (!Deferring) {
            AtLine(line, what, action);
            return;
        }
        auto restore = std::make_shared<std::function<void()>>();
        Change change;
        change.Apply = [line, what, target, info, restore, action = std::move(action)] {
            *restore = Restorer(target, info);
            try {
                AtLine(line, what, action);
            } catch (...) {
                (*restore)();
                throw;
            }
        };
        change.Undo = [restore] { (*restore)(); };
        Pending.push_back(std::move(change));
    }

    // Puts back the value the property has now, through its own setter and
    // without checks (it held that value already).
    static std::function<void()> Restorer(TObject* target, const TPropInfo* info)
    {
        if (info->SetOrd) {
            const std::int64_t value = info->GetOrd(target);
            return [target, info, value] { info->SetOrd(target, value); };
        }
        if (info->SetFloat) {
            const double value = info->GetFloat(target);
            return [target, info, value] { info->SetFloat(target, value); };
        }
        if (info->SetStr) {
            std::string value = info->GetStr(target);
            return [target, info, value = std::move(value)] { info->SetStr(target, value); };
        }
        if (info->SetObject) {
            TObject* value = info->GetObject(target);
            return [target, info, value] { info->SetObject(target, value); };
        }
        if (info->SetMethod) {
            const TMethod value = info->GetMethod(target);
            return [target, info, value] { info->SetMethod(target, value); };
        }
        return [] {};
    }

    // Applies the root's changes: every one, or (when one raises) none.
    static void Commit(std::vector<Change>& changes)
    {
        size_t applied = 0;
        try {
            for (; applied < changes.size(); ++applied)
                changes[applied].Apply();
        } catch (...) {
            while (applied > 0) {
                try {
                    if (changes[--applied].Undo)
                        changes[applied].Undo();
                } catch (...) {
                    // The first failure is the one to report.
                }
            }
            throw;
        }
        for (Change& change : changes)
            if (change.Finish)
                change.Finish();
    }

    void CheckAlive(const TReadGuard::TWatch& component, int line, const std::string& what) const
    {
        if (!Guard->Alive(component))
            Fail(line, what + " was freed while it was read; a component that stays expected");
    }

    TComponent* FindByName(std::string_view name) const
    {
        if (name.empty())
            return nullptr;
        if (SameIdent(name, RootFileName) || SameIdent(name, Root->Name()))
            return Root;
        if (TComponent* owned = Root->FindComponent(name))
            return owned;
        for (const TReadGuard::TWatch& made : Guard->Made)
            if (SameIdent(made.Component->Name(), name))
                return made.Component;
        return nullptr;
    }

    // ---- components ----

    void ReadChild(const TFormObject& object, TComponent* parent)
    {
        const int line = object.Line;
        TClass cls = GetClass(object.ClassName);
        if (!cls)
            Fail(line, "class " + object.ClassName + " not found; a registered class expected");
        auto factory = ClassFactory(cls);
        if (!factory)
            Fail(line, "class " + object.ClassName +
                           " cannot be made by the form reader; a component class expected");
        TComponent* owner = parent->GetChildOwner();
        if (!owner)
            owner = Root;
        if (!object.Name.empty()) {
            if (owner->FindComponent(object.Name) || (owner == Root && SameIdent(object.Name, RootFileName)))
                Fail(line, "a component named " + object.Name + " already exists; a unique name expected");
            if (owner == Root)
                if (const TFieldInfo* field = GetFieldInfo(Root->ClassType(), object.Name);
                    field && !ClassInheritsFrom(cls, field->FieldClass))
                    Fail(line, "field " + object.Name + " of " + Root->ClassName() + " holds a " +
                                   field->FieldClass->Name + "; a " + field->FieldClass->Name +
                                   " expected but " + object.ClassName + " found");
        }
        TComponent* component = nullptr;
        AtLine(line, object.Name.empty() ? object.ClassName : object.Name,
               [&] { component = factory(owner); });
        const TReadGuard::TWatch made = Guard->WatchMade(component);
        component->State_ += TComponentState{csLoading, csReading};
        const std::string what = object.Name.empty() ? object.ClassName : object.Name;
        // A setter may free a component the reading made, this one too: it
        // is looked at again only while it is there.
        AtLine(line, what, [&] { component->SetName(object.Name); });
        CheckAlive(made, line, what);
        if (component->HasParent()) {
            AtLine(line, what, [&] { component->SetParentComponent(parent->GetChildParent()); });
            CheckAlive(made, line, what);
        }
        const TReadGuard::TWatch wasReading = std::exchange(Reading, made);
        for (const TFormProperty& property : object.Properties) {
            SetProperty(component, property, what);
            CheckAlive(made, property.Line, what);
        }
        Reading = wasReading;
        for (const TFormObject& child : object.Children) {
            ReadChild(child, component);
            CheckAlive(made, child.Line, what);
        }
    }

    // ---- properties ----

    void SetProperty(TObject* instance, const TFormProperty& property, const std::string& context)
    {
        const int line = property.Line;
        const std::string what = context + "." + property.Name;
        TObject* target = instance;
        std::string_view path = property.Name;
        for (size_t dot = path.find('.'); dot != std::string_view::npos; dot = path.find('.')) {
            const std::string_view segment = path.substr(0, dot);
            const TPropInfo* info = GetPropInfo(target, segment);
            if (!info || info->PropType->Kind != tkClass)
                Fail(line, "property " + std::string(segment) + " of " + target->ClassName() +
                               " does not exist or holds no object; an object property expected");
            TObject* sub = info->GetObject(target);
            if (!sub)
                Fail(line, "property " + std::string(segment) + " of " + target->ClassName() +
                               " holds no object; an object expected");
            if (Is<TComponent>(sub) &&
                !static_cast<TComponent*>(sub)->ComponentStyle().Contains(csSubComponent))
                Fail(line, "property " + std::string(segment) + " of " + target->ClassName() +
                               " refers to a component; a sub-object expected");
            target = sub;
            path.remove_prefix(dot + 1);
        }
        if (const TPropInfo* info = GetPropInfo(target, path)) {
            SetPublished(target, info, property.Value, line, what);
            return;
        }
        if (auto* strings = dynamic_cast<TStrings*>(target); strings && SameIdent(path, "Strings")) {
            ReadStrings(strings, property.Value, line, what);
            return;
        }
        if (auto* persistent = dynamic_cast<TPersistent*>(target))
            if (ReadDefined(persistent, path, property.Value, line, what))
                return;
        Fail(line, "property " + property.Name + " of " + instance->ClassName() +
                       " does not exist; a published or defined property expected");
    }

    static void RequireWritable(const TPropInfo* info, bool writable, int line)
    {
        if (!writable)
            Fail(line, "property " + info->Name + " is read-only; a writable property expected");
    }

    [[noreturn]] static void WrongKind(const TPropInfo* info, const TFormValue& value,
                                       const std::string& expected)
    {
        Fail(value.Line, "invalid value for " + info->Name + ": " + expected + " expected but " +
                             KindName(value.Kind) + " found");
    }

    void SetPublished(TObject* target, const TPropInfo* info, const TFormValue& value, int line,
                      const std::string& what)
    {
        const TTypeInfo* type = info->PropType;
        switch (type->Kind) {
        case tkInteger:
        case tkInt64: {
            std::int64_t number = 0;
            if (value.Kind == TFormValueKind::Integer) {
                number = value.Int;
                if (value.Hex32 && type->MinValue >= INT32_MIN && type->MaxValue <= INT32_MAX &&
                    number > INT32_MAX)
                    number -= std::int64_t{1} << 32;
            } else if (value.Kind == TFormValueKind::Ident) {
                if (!IdentToInt(type, value.Text, number))
                    Fail(line, "identifier " + value.Text + " is no value of " + type->Name + "; an integer" +
                                   (type->Idents.empty() ? "" : " or one of its identifiers") + " expected");
            } else {
                WrongKind(info, value, "an integer");
            }
            if (number < type->MinValue || number > type->MaxValue)
                Fail(line, "number " + std::to_string(number) + " out of range for " + info->Name + "; " +
                               std::to_string(type->MinValue) + " to " + std::to_string(type->MaxValue) +
                               " expected");
            SetOrdinal(target, info, number, line, what);
            return;
        }
        case tkChar: {
            std::int64_t code = 0;
            if (value.Kind == TFormValueKind::String && value.Text.size() == 1)
                code = static_cast<unsigned char>(value.Text[0]);
            else if (value.Kind == TFormValueKind::Integer && value.Int >= 0 && value.Int <= 255)
                code = value.Int;
            else
                WrongKind(info, value, "one character");
            SetOrdinal(target, info, code, line, what);
            return;
        }
        case tkEnumeration: {
            if (value.Kind != TFormValueKind::Ident)
                WrongKind(info, value, "a member of " + type->Name);
            std::int64_t ordinal = 0;
            if (!GetEnumValue(type, value.Text, ordinal))
                Fail(line, value.Text + " is no member of " + type->Name + "; a member of " + type->Name +
                               " expected");
            SetOrdinal(target, info, ordinal, line, what);
            return;
        }
        case tkSet: {
            if (value.Kind != TFormValueKind::Set)
                WrongKind(info, value, "a set");
            std::uint64_t bits = 0;
            for (const std::string& name : value.Names) {
                std::int64_t ordinal = 0;
                if (!GetEnumValue(type->ElementType, name, ordinal) || ordinal < 0 ||
                    ordinal >= MaxSetMembers)
                    Fail(line, name + " is no member of " + type->ElementType->Name + "; a member of " +
                                   type->ElementType->Name + " expected");
                bits |= std::uint64_t{1} << ordinal;
            }
            SetOrdinal(target, info, static_cast<std::int64_t>(bits), line, what);
            return;
        }
        case tkFloat: {
            double number = 0;
            if (value.Kind == TFormValueKind::Float)
                number = value.Float;
            else if (value.Kind == TFormValueKind::Integer)
                number = static_cast<double>(value.Int);
            else
                WrongKind(info, value, "a number");
            RequireWritable(info, info->SetFloat != nullptr, line);
            Act(line, what, target, info, [target, info, number] { SetFloatProp(target, info, number); });
            return;
        }
        case tkString: {
            if (value.Kind != TFormValueKind::String)
                WrongKind(info, value, "a string");
            RequireWritable(info, info->SetStr != nullptr, line);
            Act(line, what, target, info,
                [target, info, text = value.Text] { SetStrProp(target, info, text); });
            return;
        }
        case tkClass:
            SetClassValue(target, info, value, line, what);
            return;
        case tkMethod: {
            if (value.Kind != TFormValueKind::Ident)
                WrongKind(info, value, "an event handler's name");
            RequireWritable(info, info->SetMethod != nullptr, line);
            if (SameIdent(value.Text, "nil")) {
                Act(line, what, target, info, [target, info] { SetMethodProp(target, info, TMethod{}); });
                return;
            }
            const TMethodInfo* method = GetMethodInfo(Root->ClassType(), value.Text);
            if (!method)
                Fail(line, "method " + value.Text + " not found; a published method of " + Root->ClassName() +
                               " expected");
            if (*method->Signature != *type->Signature)
                Fail(line, "method " + value.Text + " does not fit the event " + info->Name +
                               "; a handler of its signature expected");
            TComponent* root = Root;
            Act(line, what, target, info,
                [target, info, method, root] { SetMethodProp(target, info, method->Bind(root)); });
            return;
        }
        }
    }

    void SetOrdinal(TObject* target, const TPropInfo* info, std::int64_t value, int line,
                    const std::string& what)
    {
        RequireWritable(info, info->SetOrd != nullptr, line);
        Act(line, what, target, info, [target, info, value] { SetOrdProp(target, info, value); });
    }

    void SetClassValue(TObject* target, const TPropInfo* info, const TFormValue& value, int line,
                       const std::string& what)
    {
        const TTypeInfo* type = info->PropType;
        if (value.Kind == TFormValueKind::Collection) {
            auto* collection = dynamic_cast<TCollection*>(info->GetObject(target));
            if (!collection)
                Fail(line, "property " + info->Name + " holds no collection; a collection property expected");
            if (!Deferring) {
                AtLine(line, what, [&] { ReadCollection(collection, value, what); });
                return;
            }
            StageCollection(collection, value, line, what);
            return;
        }
        if (value.Kind != TFormValueKind::Ident)
            WrongKind(info, value, "a component name or nil");
        RequireWritable(info, info->SetObject != nullptr, line);
        if (SameIdent(value.Text, "nil")) {
            Act(line, what, target, info, [target, info] { SetObjectProp(target, info, nullptr); });
            return;
        }
        if (!ClassInheritsFrom(type->ClassType, TComponent::StaticClass()))
            Fail(line, "property " + info->Name + " holds a " + type->Name + "; nil expected but " +
                           value.Text + " found");
        TComponent* component = FindByName(value.Text);
        if (!component) {
            if (Deferring)
                Fail(line, "component " + value.Text + " not found; a component of this form expected");
            Fixups.push_back({target, info, value.Text, line, Reading});
            return;
        }
        if (!component->InheritsFrom(type->ClassType))
            Fail(line, "component " + value.Text + " is a " + component->ClassName() + "; a " + type->Name +
                           " expected");
        Act(line, what, target, info, [target, info, component] { SetObjectProp(target, info, component); });
    }

    void ReadCollection(TCollection* collection, const TFormValue& value, const std::string& what)
    {
        // References noted inside items about to be freed must go with them.
        for (int i = 0; i < collection->Count(); ++i) {
            TObject* item = collection->Items(i);
            std::erase_if(Fixups, [item](const Fixup& fixup) { return fixup.Instance == item; });
        }
        collection->BeginUpdate();
        try {
            collection->Clear();
            for (const TFormItem& item : value.Items) {
                TCollectionItem* made = nullptr;
                AtLine(item.Line, what, [&] { made = collection->Add(); });
                const std::string itemWhat = what + "[" + std::to_string(made->Index()) + "]";
                for (const TFormProperty& property : item.Properties)
                    SetProperty(made, property, itemWhat);
            }
        } catch (...) {
            collection->EndUpdate();
            throw;
        }
        collection->EndUpdate();
    }

    void ReadStrings(TStrings* strings, const TFormValue& value, int line, const std::string& what)
    {
        if (value.Kind != TFormValueKind::List)
            Fail(line, "invalid value for Strings: a list of strings expected but " + KindName(value.Kind) +
                           " found");
        for (const TFormValue& element : value.List)
            if (element.Kind != TFormValueKind::String)
                Fail(element.Line, "a string expected but " + KindName(element.Kind) + " found in " + what);
        auto fill = [strings, &value] {
            strings->BeginUpdate();
            try {
                strings->Clear();
                for (const TFormValue& element : value.List)
                    strings->Add(element.Text);
            } catch (...) {
                strings->EndUpdate();
                throw;
            }
            strings->EndUpdate();
        };
        if (!Deferring) {
            AtLine(line, what, fill);
            return;
        }
        // The root's list: what it held comes back when the root's reading
        // fails. An owning list frees its objects as it is cleared, so only
        // the strings of such a list come back.
        auto saved = std::make_shared<std::vector<std::pair<std::string, TObject*>>>();
        auto restore = [strings, saved] {
            strings->BeginUpdate();
            try {
                strings->Clear();
                for (const auto& [text, object] : *saved)
                    strings->AddObject(text, object);
            } catch (...) {
                strings->EndUpdate();
                throw;
            }
            strings->EndUpdate();
        };
        Change change;
        change.Apply = [strings, saved, restore, fill, line, what] {
            auto* list = dynamic_cast<TStringList*>(strings);
            const bool owning = list && list->OwnsObjects();
            saved->clear();
            for (int i = 0; i < strings->Count(); ++i)
                saved->emplace_back(strings->Strings(i), owning ? nullptr : strings->Objects(i));
            try {
                AtLine(line, what, fill);
            } catch (...) {
                restore();
                throw;
            }
        };
        change.Undo = restore;
        PendingCompound.push_back(std::move(change));
    }

    // Reads the root's collection into a stand-in now, so that what is wrong
    // with its items shows before the root changes; the items move over
    // when the root's changes are made, and the old ones go at the end.
    void StageCollection(TCollection* collection, const TFormValue& value, int line, const std::string& what)
    {
        Staged.push_back(std::make_unique<TCollection>(collection->ItemClass(), collection->Owner()));
        TCollection* staged = Staged.back().get();
        Deferring = false;
        try {
            AtLine(line, what, [&] { ReadCollection(staged, value, what); });
        } catch (...) {
            Deferring = true;
            throw;
        }
        Deferring = true;
        struct State {
            std::vector<int> OldIDs;
            std::vector<TCollectionItem*> Moved;
        };
        auto state = std::make_shared<State>();
        auto moveBack = [collection, staged, state] {
            for (TCollectionItem* item : state->Moved)
                if (item->Collection() == collection)
                    item->SetCollection(staged);
            state->Moved.clear();
            collection->EndUpdate();
        };
        Change change;
        change.Apply = [collection, staged, state, moveBack, line, what] {
            state->OldIDs.clear();
            for (int i = 0; i < collection->Count(); ++i)
                state->OldIDs.push_back(collection->Items(i)->ID());
            collection->BeginUpdate();
            try {
                AtLine(line, what, [&] {
                    while (staged->Count() > 0) {
                        TCollectionItem* item = staged->Items(0);
                        item->SetCollection(collection);
                        state->Moved.push_back(item);
                    }
                });
            } catch (...) {
                moveBack();
                throw;
            }
        };
        change.Undo = moveBack;
        change.Finish = [collection, state] {
            // IDs, not pointers: a later change of the same collection may
            // have removed these items already.
            try {
                for (int id : state->OldIDs)
                    if (TCollectionItem* item = collection->FindItemID(id))
                        collection->Delete(item->Index());
            } catch (...) {
                collection->EndUpdate();
                throw;
            }
            collection->EndUpdate();
        };
        PendingCompound.push_back(std::move(change));
    }

    bool ReadDefined(TPersistent* target, std::string_view name, const TFormValue& value, int line,
                     const std::string& what)
    {
        Wanted = std::string(name);
        Found = false;
        FoundDefinition = {};
        AtLine(line, what, [&] { target->DefineProperties(Self); });
        Wanted.clear();
        if (!Found)
            return false;
        const Definition definition = FoundDefinition;
        if (definition.Binary != (value.Kind == TFormValueKind::Binary))
            Fail(line, "invalid value for " + std::string(name) + ": " +
                           (definition.Binary ? "binary data" : "a value other than binary data") +
                           " expected but " + KindName(value.Kind) + " found");
        if (definition.Binary) {
            if (!definition.ReadStream)
                Fail(line, "property " + std::string(name) + " cannot be read");
            if (value.Text.size() > static_cast<size_t>(INT_MAX))
                Fail(line, "binary data of " + std::string(name) + " too large");
        } else if (!definition.Read) {
            Fail(line, "property " + std::string(name) + " cannot be read");
        }
        if (!Deferring) {
            AtLine(line, what, [&] { ApplyDefined(definition, value, line, name); });
            return true;
        }
        // The root's (or its sub-object's) property: what it holds now is
        // taken through its own writer first, so that it can be read back.
        // The writer is asked even when it has nothing to store: what it
        // writes then is the state a reading must put back.
        auto saved = std::make_shared<std::optional<TFormValue>>();
        auto restore = [this, definition, saved, line, name = std::string(name)] {
            if (saved->has_value())
                ApplyDefined(definition, **saved, line, name);
        };
        Change change;
        change.Apply = [this, definition, saved, restore, &value, line, what, name = std::string(name)] {
            saved->reset();
            try {
                *saved = SaveDefined(definition, name);
            } catch (const Exception&) {
                // A writer that cannot write its present state: nothing to
                // put back.
            }
            try {
                AtLine(line, what, [&] { ApplyDefined(definition, value, line, name); });
            } catch (...) {
                try {
                    restore();
                } catch (...) {
                    // The first failure is the one to report.
                }
                throw;
            }
        };
        change.Undo = restore;
        PendingCompound.push_back(std::move(change));
        return true;
    }

    void ApplyDefined(const Definition& definition, const TFormValue& value, int line, std::string_view name)
    {
        if (definition.Binary) {
            TMemoryStream stream;
            if (!value.Text.empty())
                stream.WriteBuffer(value.Text.data(), static_cast<int>(value.Text.size()));
            stream.SetPosition(0);
            definition.ReadStream(&stream);
            return;
        }
        const std::vector<TFormValue> single{value};
        const size_t depth = Cursors.size();
        Cursors.push_back({&single, 0, line});
        try {
            definition.Read(Self);
        } catch (...) {
            Cursors.resize(depth);
            throw;
        }
        const bool whole = Cursors.size() == depth + 1 && Cursors.back().Index == single.size();
        Cursors.resize(depth);
        if (!whole)
            Fail(line,
                 "the value of " + std::string(name) + " was not read whole; its reader must read one value");
    }

    static TFormValue SaveDefined(const Definition& definition, const std::string& name)
    {
        if (!definition.Binary) {
            if (!definition.Write)
                throw EWriteError("Property " + name + " cannot be written");
            TWriter writer;
            return writer.WriteDefinedValue(name, definition.Write);
        }
        if (!definition.WriteStream)
            throw EWriteError("Property " + name + " cannot be written");
        TMemoryStream stream;
        definition.WriteStream(&stream);
        TFormValue saved;
        saved.Kind = TFormValueKind::Binary;
        saved.Text.assign(static_cast<const char*>(stream.Memory()), static_cast<size_t>(stream.Size()));
        return saved;
    }

    // Sets every waiting reference. Setting one may free components (a
    // property that replaces another component): a reference whose holder
    // or target has gone by then is dropped with it.
    void ResolveFixups()
    {
        struct Resolved {
            Fixup Ref;
            TReadGuard::TWatch Target;
        };
        std::vector<Resolved> resolved;
        const auto gone = [this](const TReadGuard::TWatch& watch) {
            return watch.Serial != 0 && !Guard->Alive(watch);
        };
        std::erase_if(Fixups, [&](const Fixup& fixup) { return gone(fixup.Anchor); });
        for (const Fixup& fixup : Fixups) {
            TComponent* component = FindByName(fixup.Name);
            if (!component)
                Fail(fixup.Line, "component " + fixup.Name + " not found; a component of this form expected");
            if (!component->InheritsFrom(fixup.Prop->PropType->ClassType))
                Fail(fixup.Line, "component " + fixup.Name + " is a " + component->ClassName() + "; a " +
                                     fixup.Prop->PropType->Name + " expected");
            resolved.push_back(
                {fixup, component == Root ? TReadGuard::TWatch{Root, 0} : Guard->Watch(component)});
        }
        Fixups.clear();
        for (const Resolved& entry : resolved) {
            if (gone(entry.Ref.Anchor) || gone(entry.Target))
                continue;
            const Fixup& fixup = entry.Ref;
            TComponent* component = entry.Target.Component;
            AtLine(fixup.Line, fixup.Prop->Name,
                   [&fixup, component] { SetObjectProp(fixup.Instance, fixup.Prop, component); });
        }
    }

    // ---- values of defined properties ----

    const TFormValue& Current() const
    {
        if (Cursors.empty())
            throw EReadError("No property value is being read");
        const Cursor& cursor = Cursors.back();
        if (cursor.Index >= cursor.List->size())
            Fail(cursor.Line, "a value expected but the end of the value found");
        return (*cursor.List)[cursor.Index];
    }

    const TFormValue& Take(TFormValueKind kind, const char* expected)
    {
        const TFormValue& value = Current();
        if (value.Kind != kind)
            Fail(value.Line, std::string(expected) + " expected but " + KindName(value.Kind) + " found");
        ++Cursors.back().Index;
        return value;
    }
};

// ---- TReader ----

TReader::TReader() : Impl_(std::make_unique<Impl>())
{
    Impl_->Self = this;
}

TReader::~TReader() = default;

TComponent* TReader::ReadRootComponent(const TFormObject& tree, TComponent* root, TComponent* owner)
{
    Impl& impl = *Impl_;
    bool madeRoot = false;
    TReadGuard* guard = nullptr;
    try {
        if (!root) {
            TClass cls = GetClass(tree.ClassName);
            if (!cls)
                Fail(tree.Line, "class " + tree.ClassName + " not found; a registered class expected");
            auto factory = ClassFactory(cls);
            if (!factory)
                Fail(tree.Line, "class " + tree.ClassName + " cannot be made by the form reader");
            AtLine(tree.Line, tree.ClassName, [&] { root = factory(owner); });
            madeRoot = true;
        } else if (!SameIdent(tree.ClassName, root->ClassName())) {
            Fail(tree.Line,
                 "class " + tree.ClassName + " found; the form of a " + root->ClassName() + " expected");
        }
        guard = Create<TReadGuard>();
        impl.Guard = guard;
        impl.Root = root;
        Root_ = root;
        impl.RootFileName = tree.Name;
        root->State_ += TComponentState{csLoading, csReading};

        impl.Deferring = false;
        for (const TFormObject& child : tree.Children)
            impl.ReadChild(child, root);
        const std::string rootWhat = tree.Name.empty() ? tree.ClassName : tree.Name;
        impl.Reading = {root, 0};
        impl.Deferring = true;
        for (const TFormProperty& property : tree.Properties)
            impl.SetProperty(root, property, rootWhat);
        impl.Deferring = false;
        impl.ResolveFixups();

        // From here on the root changes: compound values first, then the
        // simple ones, the name last; a failure takes back what was done.
        std::vector<Impl::Change> changes = std::move(impl.PendingCompound);
        for (Impl::Change& change : impl.Pending)
            changes.push_back(std::move(change));
        impl.Pending.clear();
        if (!tree.Name.empty() && root->Name() != tree.Name) {
            auto oldName = std::make_shared<std::string>();
            Impl::Change rename;
            rename.Apply = [root, oldName, &tree, &rootWhat] {
                *oldName = root->Name();
                AtLine(tree.Line, rootWhat, [&] { root->SetName(tree.Name); });
            };
            rename.Undo = [root, oldName] { root->SetName(*oldName); };
            changes.push_back(std::move(rename));
        }
        Impl::Commit(changes);
        impl.Staged.clear();
        impl.ResolveFixups();

        // Loaded may free components, or make new ones: each is told while
        // it is there, once, in the order of the file.
        const std::vector<TReadGuard::TWatch> loaded = guard->Made;
        root->State_ -= TComponentState{csReading};
        for (const TReadGuard::TWatch& made : loaded)
            if (guard->Alive(made))
                made.Component->State_ -= TComponentState{csReading};
        root->Loaded();
        for (const TReadGuard::TWatch& made : loaded)
            if (guard->Alive(made))
                made.Component->Loaded();
    } catch (...) {
        if (guard) {
            guard->FreeAll();
            guard->Free();
        }
        impl.Guard = nullptr;
        impl.Fixups.clear();
        impl.Pending.clear();
        impl.PendingCompound.clear();
        impl.Staged.clear();
        impl.Reading = {};
        if (root) {
            if (madeRoot)
                root->Free();
            else
                root->State_ -= TComponentState{csLoading, csReading};
        }
        Root_ = nullptr;
        try {
            throw;
        } catch (const ELocatedReadError& e) {
            throw EReadError(e.Message());
        }
    }
    guard->UnwatchAll();
    guard->Free();
    impl.Guard = nullptr;
    impl.Reading = {};
    Root_ = nullptr;
    return root;
}

void TReader::DefineProperty(const std::string& name, TReaderProc readData, TWriterProc writeData, bool)
{
    Impl& impl = *Impl_;
    if (impl.Found || impl.Wanted.empty() || !SameIdent(name, impl.Wanted))
        return;
    impl.Found = true;
    impl.FoundDefinition.Binary = false;
    impl.FoundDefinition.Read = readData;
    impl.FoundDefinition.Write = writeData;
}

void TReader::DefineBinaryProperty(const std::string& name, TStreamProc readData, TStreamProc writeData, bool)
{
    Impl& impl = *Impl_;
    if (impl.Found || impl.Wanted.empty() || !SameIdent(name, impl.Wanted))
        return;
    impl.Found = true;
    impl.FoundDefinition.Binary = true;
    impl.FoundDefinition.ReadStream = readData;
    impl.FoundDefinition.WriteStream = writeData;
}

TFormValueKind TReader::NextValue() const
{
    return Impl_->Current().Kind;
}

bool TReader::EndOfList() const
{
    const Impl& impl = *Impl_;
    if (impl.Cursors.empty())
        throw EReadError("No property value is being read");
    return impl.Cursors.back().Index >= impl.Cursors.back().List->size();
}

void TReader::ReadListBegin()
{
    Impl& impl = *Impl_;
    const TFormValue& list = impl.Take(TFormValueKind::List, "a list");
    if (impl.Cursors.size() > static_cast<size_t>(MaxFormNesting))
        Fail(list.Line, "lists nested too deep");
    impl.Cursors.push_back({&list.List, 0, list.Line});
}

void TReader::ReadListEnd()
{
    Impl& impl = *Impl_;
    if (impl.Cursors.size() < 2)
        throw EReadError("No list is being read");
    const Impl::Cursor& cursor = impl.Cursors.back();
    if (cursor.Index < cursor.List->size())
        Fail((*cursor.List)[cursor.Index].Line,
             "the end of the list expected but " + KindName((*cursor.List)[cursor.Index].Kind) + " found");
    impl.Cursors.pop_back();
}

std::int64_t TReader::ReadInt64()
{
    return Impl_->Take(TFormValueKind::Integer, "an integer").Int;
}

int TReader::ReadInteger()
{
    const TFormValue& value = Impl_->Current();
    if (value.Kind == TFormValueKind::Integer && (value.Int < INT_MIN || value.Int > INT_MAX))
        Fail(value.Line, "number out of range; a 32-bit integer expected");
    return static_cast<int>(ReadInt64());
}

double TReader::ReadFloat()
{
    const TFormValue& value = Impl_->Current();
    if (value.Kind == TFormValueKind::Integer)
        return static_cast<double>(ReadInt64());
    return Impl_->Take(TFormValueKind::Float, "a float").Float;
}

std::string TReader::ReadString()
{
    return Impl_->Take(TFormValueKind::String, "a string").Text;
}

std::string TReader::ReadIdent()
{
    return Impl_->Take(TFormValueKind::Ident, "an identifier").Text;
}

bool TReader::ReadBoolean()
{
    const TFormValue& value = Impl_->Current();
    if (value.Kind == TFormValueKind::Ident && SameIdent(value.Text, "True")) {
        ++Impl_->Cursors.back().Index;
        return true;
    }
    if (value.Kind == TFormValueKind::Ident && SameIdent(value.Text, "False")) {
        ++Impl_->Cursors.back().Index;
        return false;
    }
    Fail(value.Line, "True or False expected");
}

char TReader::ReadChar()
{
    const TFormValue& value = Impl_->Current();
    if (value.Kind != TFormValueKind::String || value.Text.size() != 1)
        Fail(value.Line, "one character expected");
    ++Impl_->Cursors.back().Index;
    return value.Text[0];
}

// ---- entry points ----

TComponent* ReadComponentFromText(std::string_view text, TComponent* root, TComponent* owner)
{
    const TFormObject tree = ParseFormText(text);
    TReader reader;
    return reader.ReadRootComponent(tree, root, owner);
}

TComponent* ReadComponentFromStream(TStream& stream, TComponent* root, TComponent* owner)
{
    const std::int64_t left = stream.Size() - stream.Position();
    if (left < 0 || left > INT_MAX)
        throw EReadError("Form data too large to read");
    std::string text(static_cast<size_t>(left), '\0');
    if (left > 0)
        stream.ReadBuffer(text.data(), static_cast<int>(left));
    return ReadComponentFromText(text, root, owner);
}

bool ReadComponentRes(HINSTANCE instance, std::string_view resName, TComponent* root)
{
    const std::string name(resName);
    const TResourceData data = FindResourceData(instance, name.c_str(), RT_RCDATA);
    if (!data)
        return false;
    ReadComponentFromText(std::string_view(reinterpret_cast<const char*>(data.Data()), data.Size()), root);
    return true;
}

} // namespace vcl

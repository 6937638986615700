#include "vcl/core/Component.h"

#include "vcl/core/Exceptions.h"
#include "vcl/core/Filer.h"
#include "vcl/core/Publish.h"

#include <algorithm>

namespace vcl {

const TClassRtti& TComponent::PublishedTable()
{
    // Name is written in the object's header, never as a property.
    static const TClassRtti table = Publish<TComponent>()
                                        .Property<&TComponent::Name, &TComponent::SetName>("Name")
                                        .Stored(false)
                                        .Property<&TComponent::Tag, &TComponent::SetTag>("Tag")
                                        .Default(0);
    return table;
}

TComponent::TComponent(TComponent* owner)
{
    // Owned from the start, so that an owner frees what it holds even while
    // it is made; the owner hears of it once the component is whole.
    if (owner) {
        owner->ValidateInsert(this);
        owner->Insert(this);
        if (owner->State_.Contains(csDesigning))
            State_.Include(csDesigning);
    }
}

void TComponent::AfterConstruction()
{
    TPersistent::AfterConstruction();
    if (Owner_)
        Owner_->Notification(this, opInsert);
}

TComponent::~TComponent()
{
    // Free has done the work with the component whole. What is left is for a
    // constructor that raised: its component still sits in its owner and
    // partners, and must not stay there dangling.
    for (TComponent* partner : FreeNotifies_)
        partner->FreeNotifies_.erase(
            std::remove(partner->FreeNotifies_.begin(), partner->FreeNotifies_.end(), this),
            partner->FreeNotifies_.end());
    FreeNotifies_.clear();
    while (!Components_.empty()) {
        TComponent* child = Components_.back();
        Remove(child);
        try {
            child->Free();
        } catch (...) {
            HandleCurrentException();
        }
    }
    if (Owner_)
        Owner_->Remove(this);
}

void TComponent::PrepareDestruction()
{
    TPersistent::PrepareDestruction();
    Destroying();
}

void TComponent::BeforeDestruction()
{
    if (!State_.Contains(csDestroying))
        Destroying();
    // Partners are told while this component is whole; each link is undone
    // before the partner hears of it, so a partner that frees this
    // component's partners in turn finds consistent lists.
    while (!FreeNotifies_.empty()) {
        TComponent* partner = FreeNotifies_.back();
        FreeNotifies_.pop_back();
        auto& theirs = partner->FreeNotifies_;
        theirs.erase(std::remove(theirs.begin(), theirs.end(), this), theirs.end());
        partner->Notification(this, opRemove);
    }
    DestroyComponents();
    if (Owner_)
        Owner_->RemoveComponent(this);
}

TComponent* TComponent::Components(int index) const
{
    if (index < 0 || index >= ComponentCount())
        throw EListError("List index out of bounds (" + std::to_string(index) + ")");
    return Components_[static_cast<size_t>(index)];
}

int TComponent::ComponentIndex() const
{
    if (!Owner_)
        return -1;
    const auto& list = Owner_->Components_;
    const auto it = std::find(list.begin(), list.end(), this);
    return it == list.end() ? -1 : static_cast<int>(it - list.begin());
}

void TComponent::SetComponentIndex(int index)
{
    if (!Owner_)
        return;
    auto& list = Owner_->Components_;
    const int current = ComponentIndex();
    if (current < 0)
        return;
    index = std::clamp(index, 0, static_cast<int>(list.size()) - 1);
    if (index == current)
        return;
    list.erase(list.begin() + current);
    list.insert(list.begin() + index, this);
}

TComponent* TComponent::FindComponent(std::string_view name) const
{
    if (name.empty())
        return nullptr;
    for (TComponent* component : Components_)
        if (SameIdent(component->Name_, name))
            return component;
    return nullptr;
}

void TComponent::SetName(const std::string& newName)
{
    if (Name_ == newName)
        return;
    if (!newName.empty() && !IsValidIdent(newName))
        throw EComponentError("'" + newName + "' is not a valid component name");
    if (Owner_)
        Owner_->ValidateRename(this, Name_, newName);
    else
        ValidateRename(nullptr, Name_, newName);
    SetReference(false);
    ChangeName(newName);
    SetReference(true);
}

void TComponent::ChangeName(const std::string& newName)
{
    Name_ = newName;
}

void TComponent::ValidateRename(TComponent* component, const std::string& curName, const std::string& newName)
{
    if (component && !SameIdent(curName, newName) && FindComponent(newName))
        throw EComponentError("A component named " + newName + " already exists");
}

void TComponent::ValidateInsert(TComponent*) {}

void TComponent::SetReference(bool enable)
{
    if (!Owner_ || Name_.empty())
        return;
    const TFieldInfo* field = GetFieldInfo(Owner_->ClassType(), Name_);
    if (!field)
        return;
    if (!enable) {
        if (field->Get(Owner_) == this)
            field->Set(Owner_, nullptr);
        return;
    }
    // A field of another class is left alone: pointing it at this component
    // would give its users an object of the wrong class.
    if (InheritsFrom(field->FieldClass))
        field->Set(Owner_, this);
}

void TComponent::FreeNotification(TComponent* component)
{
    if (!component || component == this)
        return;
    if (Owner_ == nullptr || component->Owner_ != Owner_) {
        if (std::find(FreeNotifies_.begin(), FreeNotifies_.end(), component) == FreeNotifies_.end())
            FreeNotifies_.push_back(component);
        auto& theirs = component->FreeNotifies_;
        if (std::find(theirs.begin(), theirs.end(), this) == theirs.end())
            theirs.push_back(this);
    }
    State_.Include(csFreeNotification);
}

void TComponent::RemoveFreeNotification(TComponent* component)
{
    if (!component)
        return;
    RemoveNotification(component);
    component->RemoveNotification(this);
}

void TComponent::RemoveNotification(TComponent* component)
{
    FreeNotifies_.erase(std::remove(FreeNotifies_.begin(), FreeNotifies_.end(), component),
                        FreeNotifies_.end());
}

void TComponent::InsertComponent(TComponent* component)
{
    if (!component)
        return;
    if (component->Owner_ == this)
        return;
    ValidateInsert(component);
    if (!component->Name_.empty() && FindComponent(component->Name_))
        throw EComponentError("A component named " + component->Name_ + " already exists");
    if (component->Owner_)
        component->Owner_->RemoveComponent(component);
    Insert(component);
    component->SetReference(true);
    if (State_.Contains(csDesigning))
        component->SetDesigning(true);
    Notification(component, opInsert);
}

void TComponent::RemoveComponent(TComponent* component)
{
    if (!component || component->Owner_ != this)
        return;
    Notification(component, opRemove);
    component->SetReference(false);
    Remove(component);
}

void TComponent::Insert(TComponent* component)
{
    Components_.push_back(component);
    component->Owner_ = this;
}

void TComponent::Remove(TComponent* component)
{
    Components_.erase(std::remove(Components_.begin(), Components_.end(), component), Components_.end());
    component->Owner_ = nullptr;
}

void TComponent::DestroyComponents()
{
    while (!Components_.empty()) {
        TComponent* child = Components_.back();
        // A child that siblings asked to watch (free notification within one
        // owner is no link, only this flag) leaves through the owner, which
        // tells them. Any other is unlinked quietly, so that its leaving
        // does not notify an owner that is going anyway; its field is
        // cleared all the same.
        if (child->State_.Contains(csFreeNotification)) {
            RemoveComponent(child);
        } else {
            child->SetReference(false);
            Remove(child);
        }
        child->Free();
    }
}

void TComponent::Destroying()
{
    if (State_.Contains(csDestroying))
        return;
    State_.Include(csDestroying);
    for (TComponent* child : Components_)
        child->Destroying();
}

void TComponent::Notification(TComponent* component, TOperation operation)
{
    if (operation == opRemove && component)
        RemoveFreeNotification(component);
    // A copy: a component told of a removal may free others.
    const std::vector<TComponent*> children = Components_;
    for (TComponent* child : children)
        if (std::find(Components_.begin(), Components_.end(), child) != Components_.end())
            child->Notification(component, operation);
}

void TComponent::Loaded()
{
    State_.Exclude(csLoading);
}

void TComponent::GetChildren(TGetChildProc proc, TComponent* root)
{
    if (root != this)
        return;
    for (TComponent* child : std::vector<TComponent*>(Components_))
        if (!child->HasParent() || !child->GetParentComponent())
            proc(child);
}

TComponent* TComponent::GetChildOwner()
{
    return nullptr;
}

TComponent* TComponent::GetChildParent()
{
    return this;
}

bool TComponent::HasParent() const
{
    return false;
}

TComponent* TComponent::GetParentComponent() const
{
    return nullptr;
}

void TComponent::SetParentComponent(TComponent*) {}

std::string TComponent::GetNamePath() const
{
    return Name_;
}

void TComponent::SetDesigning(bool value, bool setChildren)
{
    if (value)
        State_.Include(csDesigning);
    else
        State_.Exclude(csDesigning);
    if (setChildren)
        for (TComponent* child : Components_)
            child->SetDesigning(value);
}

void TComponent::SetSubComponent(bool value)
{
    if (value)
        Style_.Include(csSubComponent);
    else
        Style_.Exclude(csSubComponent);
}

namespace {

std::int16_t LowHalf(std::int32_t value)
{
    return static_cast<std::int16_t>(static_cast<std::uint32_t>(value) & 0xFFFF);
}

std::int16_t HighHalf(std::int32_t value)
{
    return static_cast<std::int16_t>(static_cast<std::uint32_t>(value) >> 16);
}

std::int32_t Halves(int low, int high)
{
    return static_cast<std::int32_t>((static_cast<std::uint32_t>(static_cast<std::uint16_t>(high)) << 16) |
                                     static_cast<std::uint16_t>(low));
}

// A design position is two 16-bit halves: anything else in the file is a
// fault of the file, not a place to wrap around to.
int ReadHalf(TReader* reader)
{
    const std::int64_t value = reader->ReadInt64();
    if (value < INT16_MIN || value > INT16_MAX)
        throw EReadError("Invalid property value");
    return static_cast<int>(value);
}

} // namespace

void TComponent::DefineProperties(TFiler* filer)
{
    TPersistent::DefineProperties(filer);
    // A control publishes its own Left and Top.
    if (GetPropInfo(this, "Left"))
        return;
    filer->DefineProperty("Left", TReaderProc(this, &TComponent::ReadLeft),
                          TWriterProc(this, &TComponent::WriteLeft), LowHalf(DesignInfo_) != 0);
    filer->DefineProperty("Top", TReaderProc(this, &TComponent::ReadTop),
                          TWriterProc(this, &TComponent::WriteTop), HighHalf(DesignInfo_) != 0);
}

void TComponent::ReadLeft(TReader* reader)
{
    DesignInfo_ = Halves(ReadHalf(reader), HighHalf(DesignInfo_));
}

void TComponent::WriteLeft(TWriter* writer)
{
    writer->WriteInteger(LowHalf(DesignInfo_));
}

void TComponent::ReadTop(TReader* reader)
{
    DesignInfo_ = Halves(LowHalf(DesignInfo_), ReadHalf(reader));
}

void TComponent::WriteTop(TWriter* writer)
{
    writer->WriteInteger(HighHalf(DesignInfo_));
}

} // namespace vcl

#pragma once
// TComponent: the framework's component, with an owner that frees it, a name
// unique among its owner's components, and notifications when components
// come and go.
//
// Components are made with vcl::Create<T>(owner) and ended with Free(); the
// destructor is protected. The constructor puts the component among its
// owner's; AfterConstruction tells the owner (Notification opInsert), so that
// the notification sees the whole component. Free runs BeforeDestruction while the component is
// whole: it enters the destroying state, tells the components that asked for
// free notification, frees the owned components (last made first) and leaves
// its owner, which tells its own components (Notification opRemove).

#include "vcl/CorvaneVclExport.h"
#include "vcl/core/Classes.h"
#include "vcl/core/Events.h"
#include "vcl/core/Sets.h"

#include <cstdint>
#include <string>
#include <vector>

namespace vcl {

class TComponent;
class TReader;
class TWriter;

enum TComponentStateFlag {
    csLoading,
    csReading,
    csWriting,
    csDestroying,
    csDesigning,
    csAncestor,
    csUpdating,
    csFixups,
    csFreeNotification,
    csInline,
    csDesignInstance
};
using TComponentState = TSet<TComponentStateFlag>;

enum TComponentStyleFlag { csInheritable, csCheckPropAvail, csSubComponent };
using TComponentStyle = TSet<TComponentStyleFlag>;

enum TOperation { opInsert, opRemove };

using TGetChildProc = TEvent<void(TComponent* child)>;

class CORVANE_VCL_EXPORT TComponent : public TPersistent {
    VCL_DECLARE_PUBLISHED_CLASS(TComponent, TPersistent)
public:
    // Inserts the component into owner's components, when there is one.
    explicit TComponent(TComponent* owner);

    TComponent* Owner() const { return Owner_; }
    int ComponentCount() const { return static_cast<int>(Components_.size()); }
    // Raises EListError for an index out of range.
    TComponent* Components(int index) const;
    // The place among the owner's components; -1 without an owner.
    int ComponentIndex() const;
    void SetComponentIndex(int index);
    // The owned component of that name (ASCII case ignored), or null.
    TComponent* FindComponent(std::string_view name) const;

    const std::string& Name() const { return Name_; }
    // Raises EComponentError for a name that is not an identifier
    // ("'%s' is not a valid component name") or that another component of
    // the owner has ("A component named %s already exists").
    virtual void SetName(const std::string& newName);
    std::intptr_t Tag() const { return Tag_; }
    void SetTag(std::intptr_t tag) { Tag_ = tag; }
    TComponentState ComponentState() const { return State_; }
    TComponentStyle ComponentStyle() const { return Style_; }
    bool IsDestroying() const { return State_.Contains(csDestroying); }

    // Links this component and component both ways: whichever is freed
    // first tells the other (Notification opRemove).
    void FreeNotification(TComponent* component);
    void RemoveFreeNotification(TComponent* component);

    // Takes component into the owned ones (leaving its previous owner) /
    // lets it go without freeing it.
    void InsertComponent(TComponent* component);
    void RemoveComponent(TComponent* component);
    // Frees the owned components, the last made first.
    void DestroyComponents();
    // Enters the destroying state, here and in every owned component.
    void Destroying();

    // The components a form file stores inside this one. root is the
    // component being written; the base gives, for the root itself, the
    // owned components that have no parent.
    virtual void GetChildren(TGetChildProc proc, TComponent* root);
    // The owner of components read inside this one (null: the root), and
    // their parent.
    virtual TComponent* GetChildOwner();
    virtual TComponent* GetChildParent();
    // True for a component that sits inside a parent (a control).
    virtual bool HasParent() const;
    virtual TComponent* GetParentComponent() const;
    virtual void SetParentComponent(TComponent* value);

    std::string GetNamePath() const override;
    // Tells the owner (and its components) of the new component.
    void AfterConstruction() override;
    void BeforeDestruction() override;

    // Where the designer shows a component that is not a control: Left in
    // the low 16 bits, Top in the high ones. Form files keep it as the
    // properties Left and Top.
    std::int32_t DesignInfo() const { return DesignInfo_; }
    void SetDesignInfo(std::int32_t value) { DesignInfo_ = value; }

    // Sets or clears csDesigning here and (by default) in owned components.
    void SetDesigning(bool value, bool setChildren = true);
    void SetSubComponent(bool value);

protected:
    ~TComponent() override;
    // Enters the destroying state before any BeforeDestruction runs.
    void PrepareDestruction() override;

    // component is being inserted into or removed from this component's
    // owner tree, or (opRemove) a free-notification partner is going. The
    // base passes it on to the owned components.
    virtual void Notification(TComponent* component, TOperation operation);
    // Called once a form file is read whole: the base leaves csLoading.
    virtual void Loaded();
    // The design position (Left, Top) of a component that publishes none.
    void DefineProperties(TFiler* filer) override;
    virtual void ChangeName(const std::string& newName);
    // Checks that newName can be given to component (one of this
    // component's); raises EComponentError when another has it.
    virtual void ValidateRename(TComponent* component, const std::string& curName,
                                const std::string& newName);
    // Lets an owner refuse a component.
    virtual void ValidateInsert(TComponent* component);
    // Points the owner's published field of this name at this component
    // (enable), or clears it.
    void SetReference(bool enable);

private:
    friend class TReader;
    friend class TWriter;
    void ReadLeft(TReader* reader);
    void WriteLeft(TWriter* writer);
    void ReadTop(TReader* reader);
    void WriteTop(TWriter* writer);
    void Insert(TComponent* component);
    void Remove(TComponent* component);
    void RemoveNotification(TComponent* component);

    TComponent* Owner_ = nullptr;
    std::string Name_;
    std::intptr_t Tag_ = 0;
    std::int32_t DesignInfo_ = 0;
    TComponentState State_;
    TComponentStyle Style_{csInheritable};
    std::vector<TComponent*> Components_;
    std::vector<TComponent*> FreeNotifies_;
};

} // namespace vcl

#pragma once
// A small component hierarchy that publishes every kind of property, for the
// form-file tests and the form-file fuzzer: controls with parents that free
// their children (as windowed controls do), a form with fields and handlers,
// a non-visual component, a sub-object, a collection, a string list and
// defined properties (binary and listed).

#include "vcl/core/ClassRegistry.h"
#include "vcl/core/Collections.h"
#include "vcl/core/Colors.h"
#include "vcl/core/Cursors.h"
#include "vcl/core/Filer.h"
#include "vcl/core/Publish.h"
#include "vcl/core/Streams.h"
#include "vcl/core/Strings.h"

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

namespace formtest {

enum TTestAlign { taNone, taLeft, taRight, taClient };
VCL_ENUM_TYPE(TTestAlign, taNone, taLeft, taRight, taClient)

enum TTestOption { toFirst, toSecond, toThird, toFourth };
VCL_ENUM_TYPE(TTestOption, toFirst, toSecond, toThird, toFourth)
using TTestOptions = vcl::TSet<TTestOption>;

// What happened, in order: Loaded calls, notifications, destruction.
inline std::vector<std::string>& Log()
{
    static std::vector<std::string> log;
    return log;
}

// A font-like sub-object: read in place through dotted names.
class TTestFont : public vcl::TPersistent {
    VCL_DECLARE_PUBLISHED_CLASS(TTestFont, vcl::TPersistent)
public:
    std::string Name() const { return Name_; }
    void SetName(const std::string& name) { Name_ = name; }
    int Size() const { return Size_; }
    void SetSize(int size) { Size_ = size; }
    vcl::TColor Color() const { return Color_; }
    void SetColor(vcl::TColor color) { Color_ = color; }

    void Assign(vcl::TPersistent* source) override
    {
        if (auto* font = dynamic_cast<TTestFont*>(source)) {
            Name_ = font->Name_;
            Size_ = font->Size_;
            Color_ = font->Color_;
            return;
        }
        TPersistent::Assign(source);
    }

private:
    std::string Name_;
    int Size_ = 8;
    vcl::TColor Color_ = vcl::clWindowText;
};

inline const vcl::TClassRtti& TTestFont::PublishedTable()
{
    static const vcl::TClassRtti table = vcl::Publish<TTestFont>()
                                             .Property<&TTestFont::Name, &TTestFont::SetName>("Name")
                                             .Property<&TTestFont::Size, &TTestFont::SetSize>("Size")
                                             .Default(8)
                                             .Property<&TTestFont::Color, &TTestFont::SetColor>("Color")
                                             .Type(vcl::ColorTypeInfo())
                                             .Default(vcl::clWindowText);
    return table;
}

// A location-like sub-object stored as one binary property "Pidl": a mode
// byte, then a 32-bit length and that many bytes.
class TTestLocator : public vcl::TPersistent {
    VCL_DECLARE_CLASS(TTestLocator, vcl::TPersistent)
public:
    std::string Data;

    void DefineProperties(vcl::TFiler* filer) override
    {
        TPersistent::DefineProperties(filer);
        filer->DefineBinaryProperty("Pidl", {this, &TTestLocator::ReadData}, {this, &TTestLocator::WriteData},
                                    !Data.empty());
    }

private:
    void ReadData(vcl::TStream* stream)
    {
        unsigned char mode = 0;
        stream->ReadBuffer(&mode, 1);
        std::uint32_t length = 0;
        stream->ReadBuffer(&length, 4);
        if (length > 1u << 20)
            throw vcl::EReadError("Stream read error");
        std::string data(length, '\0');
        if (length)
            stream->ReadBuffer(data.data(), static_cast<int>(length));
        Data = std::move(data);
    }
    void WriteData(vcl::TStream* stream)
    {
        const unsigned char mode = 0;
        stream->WriteBuffer(&mode, 1);
        const auto length = static_cast<std::uint32_t>(Data.size());
        stream->WriteBuffer(&length, 4);
        stream->WriteBuffer(Data.data(), static_cast<int>(Data.size()));
    }
};

class TTestColumn : public vcl::TCollectionItem {
    VCL_DECLARE_PUBLISHED_CLASS(TTestColumn, vcl::TCollectionItem)
public:
    using TCollectionItem::TCollectionItem;
    std::string Caption;
    int Width = 50;
    TTestAlign Alignment = taLeft;
};

inline const vcl::TClassRtti& TTestColumn::PublishedTable()
{
    static const vcl::TClassRtti table = vcl::Publish<TTestColumn>()
                                             .Property<&TTestColumn::Caption>("Caption")
                                             .Property<&TTestColumn::Width>("Width")
                                             .Default(50)
                                             .Property<&TTestColumn::Alignment>("Alignment")
                                             .Default(taLeft);
    return table;
}

class TTestControl;
using TTestChangingEvent = vcl::TEvent<void(vcl::TObject* aSender, bool& aAllow)>;

// A control: it sits in a parent, which frees it with itself.
class TTestControl : public vcl::TComponent {
    VCL_DECLARE_PUBLISHED_CLASS(TTestControl, vcl::TComponent)
public:
    explicit TTestControl(vcl::TComponent* owner)
        : TComponent(owner), Font_(std::make_unique<TTestFont>()),
          Items_(std::make_unique<vcl::TStringList>()),
          Columns_(std::make_unique<vcl::TCollection>(vcl::CollectionItemClass<TTestColumn>(), this)),
          Folder_(std::make_unique<TTestLocator>())
    {
    }

    // Published state.
    int Left = 0;
    int Top = 0;
    std::string Caption;
    vcl::TColor Color = vcl::clBtnFace;
    vcl::TCursor Cursor = vcl::crDefault;
    TTestAlign Align = taNone;
    bool Visible = true;
    double Ratio = 0;
    char Letter = 'A';
    std::int64_t Big = 0;
    TTestOptions Options{toFirst};
    vcl::TNotifyEvent OnClick;
    TTestChangingEvent OnChanging;
    std::vector<std::pair<int, std::string>> Extra; // the defined property "Extra"

    TTestFont* Font() const { return Font_.get(); }
    vcl::TStringList* Items() const { return Items_.get(); }
    vcl::TCollection* Columns() const { return Columns_.get(); }
    TTestLocator* Folder() const { return Folder_.get(); }
    TTestControl* Buddy() const { return Buddy_; }
    void SetBuddy(TTestControl* buddy)
    {
        if (Buddy_)
            Buddy_->RemoveFreeNotification(this);
        Buddy_ = buddy;
        if (Buddy_)
            Buddy_->FreeNotification(this);
    }
    vcl::TComponent* Link() const { return Link_; }
    void SetLink(vcl::TComponent* link)
    {
        if (Link_)
            Link_->RemoveFreeNotification(this);
        Link_ = link;
        if (Link_)
            Link_->FreeNotification(this);
    }

    TTestControl* Parent() const { return Parent_; }
    void SetParent(TTestControl* parent)
    {
        if (Parent_ == parent)
            return;
        if (Parent_)
            std::erase(Parent_->Controls_, this);
        Parent_ = parent;
        if (Parent_)
            Parent_->Controls_.push_back(this);
    }
    const std::vector<TTestControl*>& Controls() const { return Controls_; }

    bool HasParent() const override { return true; }
    vcl::TComponent* GetParentComponent() const override { return Parent_; }
    void SetParentComponent(vcl::TComponent* value) override { SetParent(vcl::As<TTestControl>(value)); }
    void GetChildren(vcl::TGetChildProc proc, vcl::TComponent* root) override
    {
        for (TTestControl* child : std::vector<TTestControl*>(Controls_))
            if (child->Owner() == root)
                proc(child);
    }

    void DefineProperties(vcl::TFiler* filer) override
    {
        TComponent::DefineProperties(filer);
        filer->DefineProperty("Extra", {this, &TTestControl::ReadExtra}, {this, &TTestControl::WriteExtra},
                              !Extra.empty());
    }

    void BeforeDestruction() override
    {
        Log().push_back("destroying " + Name());
        // Children go with their parent, whoever owns them.
        while (!Controls_.empty())
            Controls_.back()->Free();
        SetParent(nullptr);
        TComponent::BeforeDestruction();
    }

protected:
    ~TTestControl() override = default;

    void Loaded() override
    {
        TComponent::Loaded();
        Log().push_back("loaded " + Name());
    }
    void Notification(vcl::TComponent* component, vcl::TOperation operation) override
    {
        TComponent::Notification(component, operation);
        if (operation != vcl::opRemove)
            return;
        if (component == Buddy_)
            Buddy_ = nullptr;
        if (component == Link_)
            Link_ = nullptr;
    }

private:
    void ReadExtra(vcl::TReader* reader)
    {
        std::vector<std::pair<int, std::string>> extra;
        reader->ReadListBegin();
        while (!reader->EndOfList()) {
            const int number = reader->ReadInteger();
            extra.emplace_back(number, reader->ReadString());
        }
        reader->ReadListEnd();
        Extra = std::move(extra);
    }
    void WriteExtra(vcl::TWriter* writer)
    {
        writer->WriteListBegin();
        for (const auto& [number, text] : Extra) {
            writer->WriteInteger(number);
            writer->WriteString(text);
        }
        writer->WriteListEnd();
    }

    std::unique_ptr<TTestFont> Font_;
    std::unique_ptr<vcl::TStringList> Items_;
    std::unique_ptr<vcl::TCollection> Columns_;
    std::unique_ptr<TTestLocator> Folder_;
    TTestControl* Buddy_ = nullptr;
    vcl::TComponent* Link_ = nullptr;
    TTestControl* Parent_ = nullptr;
    std::vector<TTestControl*> Controls_;
};

inline const vcl::TClassRtti& TTestControl::PublishedTable()
{
    using C = TTestControl;
    static const vcl::TClassRtti table = vcl::Publish<C>()
                                             .Property<&C::Left>("Left")
                                             .Default(0)
                                             .Property<&C::Top>("Top")
                                             .Default(0)
                                             .Property<&C::Caption>("Caption")
                                             .Property<&C::Color>("Color")
                                             .Type(vcl::ColorTypeInfo())
                                             .Default(vcl::clBtnFace)
                                             .Property<&C::Cursor>("Cursor")
                                             .Type(vcl::CursorTypeInfo())
                                             .Default(vcl::crDefault)
                                             .Property<&C::Align>("Align")
                                             .Default(taNone)
                                             .Property<&C::Visible>("Visible")
                                             .Default(true)
                                             .Property<&C::Ratio>("Ratio")
                                             .Property<&C::Letter>("Letter")
                                             .Default('A')
                                             .Property<&C::Big>("Big")
                                             .Default(0)
                                             .Property<&C::Options>("Options")
                                             .Default(TTestOptions{toFirst})
                                             .Property<&C::Font>("Font")
                                             .Property<&C::Items>("Items")
                                             .Property<&C::Columns>("Columns")
                                             .Property<&C::Folder>("Folder")
                                             .Property<&C::Buddy, &C::SetBuddy>("Buddy")
                                             .Property<&C::Link, &C::SetLink>("Link")
                                             .Property<&C::OnClick>("OnClick")
                                             .Property<&C::OnChanging>("OnChanging");
    return table;
}

class TTestButton : public TTestControl {
    VCL_DECLARE_PUBLISHED_CLASS(TTestButton, TTestControl)
public:
    using TTestControl::TTestControl;
    bool Default = false;
    // Stored only when it is a cancel button: an unstored published property.
    int ModalResult = 0;
    bool IsModalResultStored() const { return ModalResult != 0 && Default; }

protected:
    ~TTestButton() override = default;
};

inline const vcl::TClassRtti& TTestButton::PublishedTable()
{
    static const vcl::TClassRtti table = vcl::Publish<TTestButton>()
                                             .Property<&TTestButton::Default>("Default")
                                             .Default(false)
                                             .Property<&TTestButton::ModalResult>("ModalResult")
                                             .Default(0)
                                             .StoredIf<&TTestButton::IsModalResultStored>();
    return table;
}

// A non-visual component: no parent.
class TTestTimer : public vcl::TComponent {
    VCL_DECLARE_PUBLISHED_CLASS(TTestTimer, vcl::TComponent)
public:
    using TComponent::TComponent;
    int Interval = 1000;
    bool Enabled = true;
    vcl::TNotifyEvent OnTimer;

protected:
    ~TTestTimer() override = default;
    void Loaded() override
    {
        TComponent::Loaded();
        Log().push_back("loaded " + Name());
    }
};

inline const vcl::TClassRtti& TTestTimer::PublishedTable()
{
    static const vcl::TClassRtti table = vcl::Publish<TTestTimer>()
                                             .Property<&TTestTimer::Interval>("Interval")
                                             .Default(1000)
                                             .Property<&TTestTimer::Enabled>("Enabled")
                                             .Default(true)
                                             .Property<&TTestTimer::OnTimer>("OnTimer");
    return table;
}

// The root: fields for its controls, handlers for their events.
class TTestForm : public TTestControl {
    VCL_DECLARE_PUBLISHED_CLASS(TTestForm, TTestControl)
public:
    using TTestControl::TTestControl;

    TTestControl* Panel1 = nullptr;
    TTestButton* OkBtn = nullptr;
    TTestTimer* Timer1 = nullptr;
    int Clicks = 0;

    void OkBtnClick(vcl::TObject*) { ++Clicks; }
    void FormChanging(vcl::TObject*, bool& allow) { allow = false; }
    void TimerTick(vcl::TObject*) {}

    bool HasParent() const override { return false; }
    void GetChildren(vcl::TGetChildProc proc, vcl::TComponent* root) override
    {
        for (int i = 0; i < ComponentCount(); ++i)
            if (!Components(i)->GetParentComponent())
                proc(Components(i));
        TTestControl::GetChildren(proc, root);
    }

protected:
    ~TTestForm() override = default;
};

inline const vcl::TClassRtti& TTestForm::PublishedTable()
{
    static const vcl::TClassRtti table = vcl::Publish<TTestForm>()
                                             .Field<&TTestForm::Panel1>("Panel1")
                                             .Field<&TTestForm::OkBtn>("OkBtn")
                                             .Field<&TTestForm::Timer1>("Timer1")
                                             .Method<&TTestForm::OkBtnClick>("OkBtnClick")
                                             .Method<&TTestForm::FormChanging>("FormChanging")
                                             .Method<&TTestForm::TimerTick>("TimerTick");
    return table;
}

// Registers the classes for the life of the object.
class TTestClassesRegistration {
public:
    TTestClassesRegistration()
    {
        vcl::RegisterClasses({TTestControl::StaticClass(), TTestButton::StaticClass(),
                              TTestTimer::StaticClass(), TTestForm::StaticClass()});
    }
    ~TTestClassesRegistration()
    {
        vcl::UnRegisterClasses({TTestControl::StaticClass(), TTestButton::StaticClass(),
                                TTestTimer::StaticClass(), TTestForm::StaticClass()});
    }
    TTestClassesRegistration(const TTestClassesRegistration&) = delete;
    TTestClassesRegistration& operator=(const TTestClassesRegistration&) = delete;
};

} // namespace formtest

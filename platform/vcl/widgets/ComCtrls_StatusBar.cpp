// TStatusBar: panels of text at the foot of a form, or one simple text.

#include "vcl/core/Publish.h"
#include "vcl/widgets/ComCtrls.h"
#include "vcl/widgets/ControlPublish_p.h"
#include "win32/Gdi.h"

namespace vcl {

// ---- TStatusPanel ----

const TClassRtti& TStatusPanel::PublishedTable()
{
    static const TClassRtti table =
        Publish<TStatusPanel>()
            .Property<&TStatusPanel::Alignment, &TStatusPanel::SetAlignment>("Alignment")
            .Default(taLeftJustify)
            .Property<&TStatusPanel::Bevel, &TStatusPanel::SetBevel>("Bevel")
            .Default(pbLowered)
            .Property<&TStatusPanel::Text, &TStatusPanel::SetText>("Text")
            .Property<&TStatusPanel::Width, &TStatusPanel::SetWidth>("Width")
            .Default(50);
    return table;
}

void TStatusPanel::SetText(const std::string& value)
{
    if (value != Text_) {
        Text_ = value;
        Changed(false);
    }
}

void TStatusPanel::SetWidth(int value)
{
    value = std::max(0, value);
    if (value != Width_) {
        Width_ = value;
        Changed(true);
    }
}

void TStatusPanel::SetAlignment(TAlignment value)
{
    if (value != Alignment_) {
        Alignment_ = value;
        Changed(false);
    }
}

void TStatusPanel::SetBevel(TStatusPanelBevel value)
{
    if (value != Bevel_) {
        Bevel_ = value;
        Changed(false);
    }
}

std::string TStatusPanel::DisplayName() const
{
    return Text_.empty() ? TCollectionItem::DisplayName() : Text_;
}

void TStatusPanel::Assign(TPersistent* source)
{
    if (auto* panel = dynamic_cast<TStatusPanel*>(source)) {
        Text_ = panel->Text_;
        Width_ = panel->Width_;
        Alignment_ = panel->Alignment_;
        Bevel_ = panel->Bevel_;
        Changed(true);
        return;
    }
    TCollectionItem::Assign(source);
}

// ---- TStatusPanels ----

TStatusPanels::TStatusPanels(TStatusBar* owner) : TOwnedCollection(owner, CollectionItemClass<TStatusPanel>())
{
}

void TStatusPanels::Update(TCollectionItem* /*item*/)
{
    if (auto* bar = static_cast<TStatusBar*>(Owner()))
        bar->Invalidate();
}

// ---- TStatusBar ----

const TClassRtti& TStatusBar::PublishedTable()
{
    static const TClassRtti table =
        PublishWinControl(Publish<TStatusBar>(), clBtnFace, false)
            .Property<&TStatusBar::Panels, &TStatusBar::SetPanels>("Panels")
            .Property<&TStatusBar::SimplePanel, &TStatusBar::SetSimplePanel>("SimplePanel")
            .Default(false)
            .Property<&TStatusBar::SimpleText, &TStatusBar::SetSimpleText>("SimpleText");
    return table;
}

TStatusBar::TStatusBar(TComponent* owner) : TCustomControl(owner), Panels_(Create<TStatusPanels>(this))
{
    ControlStyle_ = TControlStyle{csCaptureMouse, csClickEvents, csDoubleClicks, csOpaque};
    SetColor(clBtnFace);
    SetBounds(0, 0, 150, 19);
    SetAlign(alBottom);
}

TStatusBar::~TStatusBar()
{
    Panels_->Free();
}

void TStatusBar::SetSimplePanel(bool value)
{
    if (value != SimplePanel_) {
        SimplePanel_ = value;
        Invalidate();
    }
}

void TStatusBar::SetSimpleText(const std::string& value)
{
    if (value != SimpleText_) {
        SimpleText_ = value;
        if (SimplePanel_)
            Invalidate();
    }
}

TRect TStatusBar::PanelRect(int index) const
{
    const TRect client = ClientRect();
    if (index < 0 || index >= Panels_->Count())
        return TRect{0, 0, 0, 0};
    int left = client.left;
    for (int i = 0; i < index; ++i)
        left += Panels_->Items(i)->Width();
    const bool last = index == Panels_->Count() - 1;
    const int right = last ? std::max(left, client.right) : left + Panels_->Items(index)->Width();
    // A two-pixel gap above the panels, as the bar's top edge.
    return TRect{left, client.top + 2, right, client.bottom};
}

void TStatusBar::DrawPanelText(const TRect& rect, const std::string& text, TAlignment alignment)
{
    static constexpr UINT kAlign[] = {DT_LEFT, DT_RIGHT, DT_CENTER};
    RECT inner{rect.left + 2, rect.top + 1, rect.right - 2, rect.bottom - 1};
    TCanvas* canvas = Canvas();
    canvas->Brush()->SetStyle(bsClear);
    DrawTextA(canvas->Handle(), text.c_str(), -1, &inner,
              DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_END_ELLIPSIS | kAlign[alignment]);
    canvas->Brush()->SetStyle(bsSolid);
}

void TStatusBar::Paint()
{
    TCanvas* canvas = Canvas();
    canvas->Brush()->SetColor(Color());
    canvas->Brush()->SetStyle(bsSolid);
    canvas->FillRect(ClientRect());
    canvas->Font()->Assign(Font());
    if (SimplePanel_) {
        const TRect client = ClientRect();
        DrawPanelText(TRect{client.left, client.top + 2, client.right, client.bottom}, SimpleText_,
                      taLeftJustify);
        return;
    }
    for (int i = 0; i < Panels_->Count(); ++i) {
        TStatusPanel* panel = Panels_->Items(i);
        const TRect rect = PanelRect(i);
        if (rect.right <= rect.left)
            continue;
        // Panels sit two pixels apart.
        RECT edge{rect.left, rect.top, rect.right - 2, rect.bottom};
        if (panel->Bevel() != pbNone)
            DrawEdge(canvas->Handle(), &edge, panel->Bevel() == pbLowered ? BDR_SUNKENOUTER : BDR_RAISEDINNER,
                     BF_RECT);
        DrawPanelText(TRect{edge.left, edge.top, edge.right, edge.bottom}, panel->Text(), panel->Alignment());
    }
}

} // namespace vcl

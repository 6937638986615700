// Speed buttons and check boxes.

#include "vcl/widgets/Buttons.h"

#include "vcl/core/Publish.h"
#include "vcl/widgets/ControlPublish_p.h"
#include "win32/DeviceContext.h"
#include "win32/WindowManager.h"

#include <QApplication>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionToolButton>

#include <algorithm>

namespace vcl {

// ---- TSpeedButton ----

const TClassRtti& TSpeedButton::PublishedTable()
{
    using C = TSpeedButton;
    static const TClassRtti table = PublishControl(Publish<C>(), clBtnFace, true)
                                        .Property<&C::AllowAllUp, &C::SetAllowAllUp>("AllowAllUp")
                                        .Default(false)
                                        .Property<&C::GroupIndex, &C::SetGroupIndex>("GroupIndex")
                                        .Default(0)
                                        .Property<&C::Down, &C::SetDown>("Down")
                                        .Default(false)
                                        .Property<&C::Caption, &C::SetCaption>("Caption")
                                        .Property<&C::Flat, &C::SetFlat>("Flat")
                                        .Default(false)
                                        .Property<&C::Glyph, &C::SetGlyph>("Glyph")
                                        .Property<&C::NumGlyphs, &C::SetNumGlyphs>("NumGlyphs")
                                        .Default(1)
                                        .Property<&C::Spacing, &C::SetSpacing>("Spacing")
                                        .Default(4);
    return table;
}

TSpeedButton::TSpeedButton(TComponent* owner) : TGraphicControl(owner), Glyph_(Create<TBitmap>())
{
    // The button clicks itself once the release has settled its state.
    ControlStyle_ -= csClickEvents;
    ControlStyle_ -= csSetCaption;
    SetBounds(0, 0, 23, 22);
    Glyph_->OnChange = {this, &TSpeedButton::GlyphChanged};
}

TSpeedButton::~TSpeedButton()
{
    Glyph_->Free();
}

void TSpeedButton::GlyphChanged(TObject*)
{
    Invalidate();
}

void TSpeedButton::SetDown(bool value)
{
    if (GroupIndex_ == 0)
        value = false;
    if (value == Down_)
        return;
    // The one down button of a group without AllowAllUp stays down until
    // another goes down.
    if (Down_ && !AllowAllUp_)
        return;
    Down_ = value;
    State_ = value ? bsExclusive : bsUp;
    Invalidate();
    if (value)
        UpdateExclusive();
}

void TSpeedButton::SetGroupIndex(int value)
{
    if (value == GroupIndex_)
        return;
    GroupIndex_ = value;
    UpdateExclusive();
}

void TSpeedButton::SetAllowAllUp(bool value)
{
    if (value == AllowAllUp_)
        return;
    AllowAllUp_ = value;
    UpdateExclusive();
}

void TSpeedButton::SetNumGlyphs(int value)
{
    if (value < 1 || value > 4 || value == NumGlyphs_)
        return;
    NumGlyphs_ = value;
    Invalidate();
}

void TSpeedButton::SetFlat(bool value)
{
    if (value == Flat_)
        return;
    Flat_ = value;
    Invalidate();
}

void TSpeedButton::SetSpacing(int value)
{
    if (value == Spacing_)
        return;
    Spacing_ = value;
    Invalidate();
}

void TSpeedButton::UpdateExclusive()
{
    if (GroupIndex_ == 0 || !Parent())
        return;
    TMessage message{CM_BUTTONPRESSED, static_cast<WPARAM>(GroupIndex_), reinterpret_cast<LPARAM>(this), 0};
    Parent()->Broadcast(message);
}

void TSpeedButton::CMButtonPressed(TMessage& message)
{
    auto* sender = reinterpret_cast<TSpeedButton*>(message.LParam);
    if (static_cast<int>(message.WParam) != GroupIndex_ || sender == this)
        return;
    if (sender->Down_ && Down_) {
        Down_ = false;
        State_ = bsUp;
        Invalidate();
    }
    AllowAllUp_ = sender->AllowAllUp_;
}

void TSpeedButton::Dispatch(TMessage& message)
{
    switch (message.Msg) {
    case CM_BUTTONPRESSED:
        return CMButtonPressed(message);
    case CM_MOUSEENTER:
    case CM_MOUSELEAVE:
        MouseInside_ = message.Msg == CM_MOUSEENTER;
        if (Flat_)
            Invalidate();
        break;
    case CM_ENABLEDCHANGED:
    case CM_TEXTCHANGED:
    case CM_FONTCHANGED:
        Invalidate();
        break;
    default:
        break;
    }
    TGraphicControl::Dispatch(message);
}

void TSpeedButton::MouseDown(TMouseButton button, TShiftState shift, int x, int y)
{
    TGraphicControl::MouseDown(button, shift, x, y);
    if (button == mbLeft && Enabled()) {
        if (!Down_) {
            State_ = bsDown;
            Invalidate();
        }
        Dragging_ = true;
    }
}

void TSpeedButton::MouseMove(TShiftState shift, int x, int y)
{
    TGraphicControl::MouseMove(shift, x, y);
    if (!Dragging_)
        return;
    const bool inside = x >= 0 && x < Width() && y >= 0 && y < Height();
    const TState state = inside ? bsDown : (Down_ ? bsExclusive : bsUp);
    if (state != State_) {
        State_ = state;
        Invalidate();
    }
}

void TSpeedButton::MouseUp(TMouseButton button, TShiftState shift, int x, int y)
{
    TGraphicControl::MouseUp(button, shift, x, y);
    if (!Dragging_ || button != mbLeft)
        return;
    Dragging_ = false;
    const bool inside = x >= 0 && x < Width() && y >= 0 && y < Height();
    if (GroupIndex_ == 0) {
        State_ = bsUp;
        Invalidate();
    } else if (inside) {
        SetDown(!Down_);
        State_ = Down_ ? bsExclusive : bsUp;
        Invalidate();
    } else {
        State_ = Down_ ? bsExclusive : bsUp;
        Invalidate();
    }
    if (inside)
        Click();
}

void TSpeedButton::Click()
{
    TGraphicControl::Click();
}

int TSpeedButton::ShownGlyph() const
{
    if (!Enabled())
        return bsDisabled;
    if (State_ == bsDown)
        return bsDown;
    return Down_ ? bsExclusive : bsUp;
}

QImage TSpeedButton::GlyphImage(int index) const
{
    if (Glyph_->Empty())
        return {};
    QImage whole = Glyph_->ToImage();
    const int width = whole.width() / NumGlyphs_;
    if (width <= 0)
        return {};
    const bool has = index >= 0 && index < NumGlyphs_;
    QImage image = whole.copy((has ? index : 0) * width, 0, width, whole.height());
    if (!whole.hasAlphaChannel() || whole.pixelColor(0, whole.height() - 1).alpha() == 255) {
        // The bottom-left pixel's colour is the background of a glyph
        // without alpha.
        const QRgb clear = whole.pixel(0, whole.height() - 1);
        image = image.convertToFormat(QImage::Format_ARGB32);
        for (int y = 0; y < image.height(); ++y) {
            auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
            for (int x = 0; x < image.width(); ++x) {
                if (line[x] == clear)
                    line[x] = qRgba(0, 0, 0, 0);
            }
        }
    }
    if (index == bsDisabled && !has) {
        // No disabled image of its own: the up image greyed.
        for (int y = 0; y < image.height(); ++y) {
            auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
            for (int x = 0; x < image.width(); ++x) {
                const int grey = 128 + qGray(line[x]) / 2;
                line[x] = qRgba(grey, grey, grey, qAlpha(line[x]));
            }
        }
    }
    return image;
}

void TSpeedButton::Paint()
{
    const TPaintContext* context = PaintContext();
    if (!context)
        return;
    QPainter& painter = context->Painter();
    painter.save();
    const QRect bounds(0, 0, Width(), Height());
    painter.fillRect(bounds, ColorToQColor(Color()));
    const bool pressed = State_ == bsDown || State_ == bsExclusive;
    if (!Flat_ || pressed || (MouseInside_ && Enabled())) {
        QStyleOptionToolButton option;
        option.rect = bounds;
        option.state = QStyle::State_AutoRaise;
        if (Enabled())
            option.state |= QStyle::State_Enabled;
        option.state |= pressed ? QStyle::State_Sunken : QStyle::State_Raised;
        if (Down_)
            option.state |= QStyle::State_On;
        if (MouseInside_)
            option.state |= QStyle::State_MouseOver;
        QApplication::style()->drawPrimitive(Flat_ ? QStyle::PE_PanelButtonTool : QStyle::PE_PanelButtonBevel,
                                             &option, &painter);
    }
    const QImage glyph = GlyphImage(ShownGlyph());
    const std::string caption = Caption();
    QFont font = Font()->ToQFont();
    const QFontMetrics metrics(font);
    const QString text = QString::fromStdString(caption).remove(QLatin1Char('&'));
    const int textWidth = caption.empty() ? 0 : metrics.horizontalAdvance(text);
    const int glyphWidth = glyph.isNull() ? 0 : glyph.width();
    const int gap = glyphWidth > 0 && textWidth > 0 ? Spacing_ : 0;
    const int shift = pressed ? 1 : 0;
    int x = (Width() - (glyphWidth + gap + textWidth)) / 2 + shift;
    if (!glyph.isNull()) {
        painter.drawImage(QPoint(x, (Height() - glyph.height()) / 2 + shift), glyph);
        x += glyphWidth + gap;
    }
    if (textWidth > 0) {
        painter.setFont(font);
        painter.setPen(Enabled() ? ColorToQColor(Font()->Color()) : ColorToQColor(clGrayText));
        painter.drawText(QRect(x, shift, textWidth + 1, Height()),
                         Qt::AlignLeft | Qt::AlignVCenter | Qt::TextShowMnemonic,
                         QString::fromStdString(caption));
    }
    painter.restore();
}

// ---- TCheckBox ----

const TClassRtti& TCheckBox::PublishedTable()
{
    using C = TCheckBox;
    static const TClassRtti table = PublishWinControl(Publish<C>(), clBtnFace, true)
                                        .Property<&C::Caption, &C::SetCaption>("Caption")
                                        .Property<&C::Checked, &C::SetChecked>("Checked")
                                        .Default(false);
    return table;
}

TCheckBox::TCheckBox(TComponent* owner) : TButtonControl(owner, QStyle::CE_CheckBox)
{
    ControlStyle_ -= csSetCaption;
    SetBounds(0, 0, 97, 17);
    SetTabStop(true);
}

void TCheckBox::SetChecked(bool value)
{
    if (value == Checked_)
        return;
    Checked_ = value;
    Invalidate();
    // Every change of Checked clicks, the person's and the program's.
    Click();
}

} // namespace vcl

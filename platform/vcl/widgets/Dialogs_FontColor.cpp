// The font and colour dialogs: the desktop's dialogs, unless a replacement
// answers.

#include "vcl/core/Publish.h"
#include "vcl/widgets/Dialogs.h"
#include "vcl/widgets/Graphics.h"
#include "vcl/widgets/WidgetPeer_p.h"

#include <QApplication>
#include <QColorDialog>
#include <QFontDialog>

#include <atomic>
#include <cmath>

namespace vcl {

namespace {

std::atomic<TFontDialogHook> g_fontDialog{nullptr};
std::atomic<TColorDialogHook> g_colorDialog{nullptr};

// The desktop's font dialog, starting from font.
bool AskForFont(TFont* font)
{
    EndPaintsBeforeNestedLoop();
    bool ok = false;
    const QFont chosen = QFontDialog::getFont(&ok, font->ToQFont(), QApplication::activeWindow());
    if (!ok)
        return false;
    font->SetName(chosen.family().toStdString());
    if (chosen.pixelSize() > 0)
        font->SetHeight(-chosen.pixelSize());
    else
        font->SetSize(static_cast<int>(std::lround(chosen.pointSizeF())));
    TFontStyles style;
    if (chosen.bold())
        style += fsBold;
    if (chosen.italic())
        style += fsItalic;
    if (chosen.underline())
        style += fsUnderline;
    if (chosen.strikeOut())
        style += fsStrikeOut;
    font->SetStyle(style);
    return true;
}

bool AskForColor(TColor& color)
{
    EndPaintsBeforeNestedLoop();
    const QColor chosen = QColorDialog::getColor(ColorToQColor(color), QApplication::activeWindow());
    if (!chosen.isValid())
        return false;
    color = static_cast<TColor>(RGB(static_cast<BYTE>(chosen.red()), static_cast<BYTE>(chosen.green()),
                                    static_cast<BYTE>(chosen.blue())));
    return true;
}

} // namespace

TFontDialogHook SetFontDialogHook(TFontDialogHook hook)
{
    return g_fontDialog.exchange(hook);
}

TColorDialogHook SetColorDialogHook(TColorDialogHook hook)
{
    return g_colorDialog.exchange(hook);
}

// ---- TFontDialog ----

const TClassRtti& TFontDialog::PublishedTable()
{
    static const TClassRtti table =
        Publish<TFontDialog>().Property<&TFontDialog::Font, &TFontDialog::SetFont>("Font");
    return table;
}

TFontDialog::TFontDialog(TComponent* owner) : TComponent(owner), Font_(Create<TFont>()) {}

TFontDialog::~TFontDialog()
{
    Font_->Free();
}

void TFontDialog::SetFont(TFont* value)
{
    Font_->Assign(value);
}

bool TFontDialog::Execute()
{
    // The choice lands on a copy, so that a cancelled dialog changes nothing.
    TFont* choice = Create<TFont>();
    choice->Assign(Font_);
    const TFontDialogHook hook = g_fontDialog.load();
    bool ok = false;
    try {
        ok = hook ? hook(choice) : AskForFont(choice);
    } catch (...) {
        choice->Free();
        throw;
    }
    if (ok)
        Font_->Assign(choice);
    choice->Free();
    return ok;
}

// ---- TColorDialog ----

const TClassRtti& TColorDialog::PublishedTable()
{
    static const TClassRtti table = Publish<TColorDialog>()
                                        .Property<&TColorDialog::Color, &TColorDialog::SetColor>("Color")
                                        .Type(ColorTypeInfo())
                                        .Default(0);
    return table;
}

bool TColorDialog::Execute()
{
    TColor choice = Color_;
    const TColorDialogHook hook = g_colorDialog.load();
    if (!(hook ? hook(choice) : AskForColor(choice)))
        return false;
    Color_ = choice;
    return true;
}

} // namespace vcl

// TRichEdit: rich text in the toolkit's HTML subset, shown by a text
// browser that mirrors the control's lines.

#include "vcl/core/Publish.h"
#include "vcl/widgets/ComCtrls.h"
#include "vcl/widgets/ControlMessages.h"
#include "vcl/widgets/ControlPublish_p.h"
#include "win32/WindowMessages.h"

#include <QTextBrowser>
#include <QTextDocument>

namespace vcl {

namespace {

QTextBrowser* BrowserOf(const TRichEdit* edit)
{
    return edit->HandleAllocated() ? qobject_cast<QTextBrowser*>(edit->Peer()) : nullptr;
}

} // namespace

const TClassRtti& TRichEdit::PublishedTable()
{
    static const TClassRtti table =
        PublishWinControl(Publish<TRichEdit>(), clWindow, true)
            .Property<&TRichEdit::BorderStyle, &TRichEdit::SetBorderStyle>("BorderStyle")
            .Default(bsSingle)
            .Property<&TRichEdit::Lines, &TRichEdit::SetLines>("Lines")
            .Property<&TRichEdit::ReadOnly, &TRichEdit::SetReadOnly>("ReadOnly")
            .Default(false);
    return table;
}

TRichEdit::TRichEdit(TComponent* owner) : TWinControl(owner), Lines_(Create<TStringList>())
{
    ControlStyle_ = TControlStyle{csClickEvents, csSetCaption, csDoubleClicks};
    Lines_->OnChange = TNotifyEvent(this, &TRichEdit::LinesChanged);
    SetColor(clWindow);
    SetTabStop(true);
    SetBounds(0, 0, 185, 89);
}

TRichEdit::~TRichEdit()
{
    Lines_->OnChange = TNotifyEvent();
    Lines_->Free();
}

void TRichEdit::CreateParams(TCreateParams& params)
{
    TWinControl::CreateParams(params);
    if (BorderStyle_ == bsSingle)
        params.ExStyle |= WS_EX_CLIENTEDGE;
}

QWidget* TRichEdit::CreatePeerWidget(QWidget* parentWidget)
{
    auto* browser = new QTextBrowser(parentWidget);
    // Links are the program's business, never opened by the window.
    browser->setOpenLinks(false);
    browser->setOpenExternalLinks(false);
    return browser;
}

void TRichEdit::CreateWnd()
{
    TWinControl::CreateWnd();
    ApplyDocument();
}

void TRichEdit::Dispatch(TMessage& message)
{
    switch (message.Msg) {
    case WM_PAINT:
        // The browser paints itself.
        return DefaultHandler(message);
    case CM_FONTCHANGED:
    case CM_COLORCHANGED:
        TWinControl::Dispatch(message);
        ApplyDocument();
        return;
    default:
        return TWinControl::Dispatch(message);
    }
}

void TRichEdit::SetReadOnly(bool value)
{
    if (value != ReadOnly_) {
        ReadOnly_ = value;
        ApplyDocument();
    }
}

void TRichEdit::SetBorderStyle(TBorderStyle value)
{
    if (value != BorderStyle_) {
        BorderStyle_ = value;
        RecreateWnd();
    }
}

void TRichEdit::LinesChanged(TObject* /*sender*/)
{
    ApplyDocument();
}

void TRichEdit::ApplyDocument()
{
    QTextBrowser* browser = BrowserOf(this);
    if (!browser)
        return;
    browser->setReadOnly(ReadOnly_);
    browser->setFrameShape(BorderStyle_ == bsSingle ? QFrame::StyledPanel : QFrame::NoFrame);
    browser->document()->setDefaultFont(Font()->ToQFont());
    QPalette palette = browser->palette();
    palette.setColor(QPalette::Base, ColorToQColor(Color()));
    palette.setColor(QPalette::Text, ColorToQColor(Font()->Color()));
    browser->setPalette(palette);
    browser->viewport()->setAutoFillBackground(true);
    // The lines joined, without the break after the last one that Text
    // adds: it would end the document in a blank.
    std::string source;
    for (int i = 0; i < Lines_->Count(); ++i) {
        if (i > 0)
            source += '\n';
        source += (*Lines_)[i];
    }
    browser->setHtml(QString::fromUtf8(source.data(), static_cast<qsizetype>(source.size())));
}

std::string TRichEdit::PlainText() const
{
    QTextBrowser* browser = BrowserOf(this);
    return browser ? browser->toPlainText().toStdString() : std::string();
}

} // namespace vcl

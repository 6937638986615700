// The edit window over a QLineEdit.

#include "vcl/widgets/EditControl_p.h"

#include "vcl/widgets/QtKeys.h"
#include "win32/EditControls.h"
#include "win32/MessageBox.h"
#include "win32/VirtualKeys.h"
#include "win32/WideText.h"
#include "win32/WindowManager.h"

#include <QClipboard>
#include <QEvent>
#include <QGuiApplication>
#include <QProxyStyle>

#include <algorithm>
#include <cstring>
#include <limits>
#include <string>
#include <string_view>

namespace vcl {

namespace {

// The window's text is bytes, kept in the widget through the lossless codec
// (win32/WideText.h): a name that is not UTF-8 comes back as it went in.
QString FromBytes(std::string_view bytes)
{
    return QString::fromStdU16String(win32::BytesToWide(bytes));
}

std::string ToBytes(const QString& text)
{
    return win32::WideToBytes(std::u16string_view(reinterpret_cast<const char16_t*>(text.utf16()),
                                                  static_cast<std::size_t>(text.size())));
}

// The bytes before a position of the edit's UTF-16 text.
int BytesBefore(const QString& text, int position)
{
    return static_cast<int>(ToBytes(text.left(position)).size());
}

// The position of the character a byte offset falls into (its start).
int PositionOfByte(const QString& text, int bytes)
{
    int position = 0;
    int counted = 0;
    while (position < text.size()) {
        // The character's units and bytes, as ToBytes writes it.
        int units = 1;
        int width = 0;
        const char16_t unit = text.at(position).unicode();
        if (text.at(position).isHighSurrogate() && position + 1 < text.size() &&
            text.at(position + 1).isLowSurrogate()) {
            units = 2;
            width = 4;
        } else if (unit >= 0xDC80 && unit <= 0xDCFF) {
            width = 1; // an escaped byte
        } else if (unit >= 0xD800 && unit <= 0xDFFF) {
            width = 3; // a lone surrogate goes out as U+FFFD
        } else {
            width = unit < 0x80 ? 1 : unit < 0x800 ? 2 : 3;
        }
        if (counted + width > bytes)
            break;
        counted += width;
        position += units;
    }
    return position;
}

// A key or character the edit refuses sounds as the platform's does.
void Refuse()
{
    MessageBeep(MB_OK);
}

int SignedParam(WPARAM value)
{
    return static_cast<int>(static_cast<std::int32_t>(static_cast<std::uint32_t>(value)));
}

} // namespace

// Shows the window's own password character.
class TEditWidget::PasswordStyle final : public QProxyStyle {
public:
    QChar Character = u'*';
    int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                  QStyleHintReturn* data) const override
    {
        if (hint == SH_LineEdit_PasswordCharacter)
            return Character.unicode();
        if (hint == SH_LineEdit_PasswordMaskDelay)
            return 0;
        return QProxyStyle::styleHint(hint, option, widget, data);
    }
};

TEditWidget::TEditWidget(QWidget* parent, const std::string& text, DWORD style, DWORD exStyle)
    : QLineEdit(parent), Style_(style), Limit_(EDIT_DEFAULT_LIMIT)
{
    // The limit is the window's, for what is typed; set texts are whole.
    setMaxLength(std::numeric_limits<int>::max());
    setFrame((exStyle & WS_EX_CLIENTEDGE) != 0 || (style & WS_BORDER) != 0);
    setReadOnly((style & ES_READONLY) != 0);
    setAcceptDrops(false);
    setContextMenuPolicy(Qt::NoContextMenu);
    if (style & ES_CENTER)
        setAlignment(Qt::AlignHCenter | Qt::AlignVCenter);
    else if (style & ES_RIGHT)
        setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    SetText(text.c_str());
    if (style & ES_PASSWORD)
        SetPasswordChar('*');
    connect(this, &QLineEdit::textChanged, this, [this] {
        if (Depth_ > 0)
            Changed_ = true;
        else if (Window_)
            Notify(Window_, EN_CHANGE);
    });
}

TEditWidget::~TEditWidget()
{
    // The widget lets go of the style before the style goes.
    if (Password_)
        setStyle(nullptr);
}

void TEditWidget::Notify(HWND window, WORD code)
{
    if (!IsWindow(window))
        return;
    if (const HWND parent = GetParent(window))
        SendMessageA(parent, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(window), code),
                     reinterpret_cast<LPARAM>(window));
}

bool TEditWidget::Handle(HWND window, TMessage& message)
{
    Window_ = window;
    ++Depth_;
    bool handled = true;
    try {
        switch (message.Msg) {
        case WM_GETTEXTLENGTH:
            message.Result = static_cast<LRESULT>(ToBytes(text()).size());
            break;
        case WM_GETTEXT: {
            const std::size_t room = message.WParam;
            auto* buffer = reinterpret_cast<char*>(message.LParam);
            message.Result = 0;
            if (!buffer || room == 0)
                break;
            const std::string bytes = ToBytes(text());
            const auto n = std::min(bytes.size(), room - 1);
            std::memcpy(buffer, bytes.data(), n);
            buffer[n] = '\0';
            message.Result = static_cast<LRESULT>(n);
            break;
        }
        case WM_SETTEXT:
            SetText(reinterpret_cast<const char*>(message.LParam));
            message.Result = TRUE;
            break;
        case WM_GETDLGCODE:
            message.Result = DLGC_WANTCHARS | DLGC_HASSETSEL | DLGC_WANTARROWS;
            break;
        case WM_KEYDOWN:
            // Characters come as WM_CHAR; a key down only moves or deletes.
            KeyDown(static_cast<WORD>(message.WParam));
            break;
        case WM_CHAR:
            Char(static_cast<char16_t>(message.WParam));
            break;
        case WM_KEYUP:
        case WM_SYSKEYDOWN:
        case WM_SYSKEYUP:
        case WM_SYSCHAR:
            // Not the widget's: it would take Alt and a letter as typing.
            message.Result = DefWindowProcA(window, message.Msg, message.WParam, message.LParam);
            break;
        case WM_LBUTTONDOWN:
            // A click gives the edit the focus; the widget places the caret.
            if (GetFocus() != window)
                SetFocus(window);
            handled = false;
            break;
        case WM_CUT:
            Cut();
            break;
        case WM_COPY:
            Copy();
            break;
        case WM_PASTE:
            Paste();
            break;
        case WM_CLEAR:
            Clear();
            break;
        case WM_UNDO:
        case EM_UNDO:
            message.Result = isUndoAvailable() ? TRUE : FALSE;
            if (message.Result) {
                undo();
                Modified_ = true;
            }
            break;
        case EM_CANUNDO:
            message.Result = isUndoAvailable() ? TRUE : FALSE;
            break;
        case EM_GETSEL:
            message.Result = GetSelection(message);
            break;
        case EM_SETSEL:
            SetSelection(SignedParam(message.WParam), SignedParam(static_cast<WPARAM>(message.LParam)));
            break;
        case EM_REPLACESEL:
            if (message.LParam && Insert(FromBytes(reinterpret_cast<const char*>(message.LParam))))
                Modified_ = true;
            break;
        case EM_LIMITTEXT:
            Limit_ = message.WParam == 0 || message.WParam > EDIT_DEFAULT_LIMIT
                         ? EDIT_DEFAULT_LIMIT
                         : static_cast<UINT>(message.WParam);
            break;
        case EM_GETLIMITTEXT:
            message.Result = static_cast<LRESULT>(Limit_);
            break;
        case EM_GETMODIFY:
            message.Result = Modified_ ? TRUE : FALSE;
            break;
        case EM_SETMODIFY:
            Modified_ = message.WParam != 0;
            break;
        case EM_SETREADONLY: {
            Style_ = message.WParam ? (Style_ | ES_READONLY) : (Style_ & ~ES_READONLY);
            setReadOnly(message.WParam != 0);
            LONG_PTR style = GetWindowLongPtrA(window, GWL_STYLE);
            style = message.WParam ? (style | ES_READONLY) : (style & ~static_cast<LONG_PTR>(ES_READONLY));
            SetWindowLongPtrA(window, GWL_STYLE, style);
            message.Result = TRUE;
            break;
        }
        case EM_SETPASSWORDCHAR:
            SetPasswordChar(static_cast<char>(message.WParam));
            break;
        case EM_GETPASSWORDCHAR:
            message.Result = static_cast<unsigned char>(PasswordChar_);
            break;
        case EM_GETLINECOUNT:
            message.Result = 1;
            break;
        default:
            handled = false;
            break;
        }
    } catch (...) {
        --Depth_;
        throw;
    }
    --Depth_;
    // Told once the edit is done with the message: the parent's handler may
    // free the edit.
    if (Depth_ == 0 && (Changed_ || Full_)) {
        const bool changed = std::exchange(Changed_, false);
        const bool full = std::exchange(Full_, false);
        if (full)
            Notify(window, EN_MAXTEXT);
        if (changed)
            Notify(window, EN_CHANGE);
    }
    return handled;
}

void TEditWidget::SetText(const char* text)
{
    QString value = FromBytes(text ? text : "");
    if (Style_ & ES_UPPERCASE)
        value = value.toUpper();
    else if (Style_ & ES_LOWERCASE)
        value = value.toLower();
    setText(value);
    Modified_ = false;
}

bool TEditWidget::Insert(QString value)
{
    if (Style_ & ES_UPPERCASE)
        value = value.toUpper();
    else if (Style_ & ES_LOWERCASE)
        value = value.toLower();
    // The limit counts bytes of the text, as the window's lengths do; a
    // character goes in whole or not at all.
    const QString now = text();
    const auto kept = static_cast<qsizetype>(ToBytes(now).size() - ToBytes(selectedText()).size());
    const qsizetype room = std::max<qsizetype>(0, static_cast<qsizetype>(Limit_) - kept);
    if (static_cast<qsizetype>(ToBytes(value).size()) > room) {
        value.truncate(PositionOfByte(value, static_cast<int>(room)));
        Full_ = true;
    }
    if (value.isEmpty() && !hasSelectedText())
        return false;
    // The widget refuses a read-only edit's changes; the caller has checked.
    const bool readOnly = isReadOnly();
    setReadOnly(false);
    insert(value);
    setReadOnly(readOnly);
    return text() != now;
}

void TEditWidget::KeyDown(WORD key)
{
    const bool shift = GetKeyState(VK_SHIFT) < 0;
    const bool ctrl = GetKeyState(VK_CONTROL) < 0;
    switch (key) {
    case VK_LEFT:
    case VK_UP:
        if (ctrl)
            cursorWordBackward(shift);
        else
            cursorBackward(shift, 1);
        return;
    case VK_RIGHT:
    case VK_DOWN:
        if (ctrl)
            cursorWordForward(shift);
        else
            cursorForward(shift, 1);
        return;
    case VK_HOME:
        home(shift);
        return;
    case VK_END:
        end(shift);
        return;
    case VK_DELETE:
        if (shift) {
            Cut();
        } else if (!(Style_ & ES_READONLY)) {
            if (hasSelectedText()) {
                Clear();
            } else if (cursorPosition() < text().size()) {
                del();
                Modified_ = true;
            }
        }
        return;
    case VK_INSERT:
        if (ctrl)
            Copy();
        else if (shift)
            Paste();
        return;
    default:
        return;
    }
}

void TEditWidget::Char(char16_t unit)
{
    // A character beyond the first plane comes as two units.
    if (QChar::isHighSurrogate(unit)) {
        PendingHigh_ = unit;
        return;
    }
    const char16_t high = std::exchange(PendingHigh_, 0);
    switch (unit) {
    case 0x01: // Ctrl+A
        selectAll();
        return;
    case 0x03: // Ctrl+C
        Copy();
        return;
    case 0x16: // Ctrl+V
        Paste();
        return;
    case 0x18: // Ctrl+X
        Cut();
        return;
    case 0x1A: // Ctrl+Z
        if (!(Style_ & ES_READONLY) && isUndoAvailable()) {
            undo();
            Modified_ = true;
        }
        return;
    case u'\b':
        if (Style_ & ES_READONLY) {
            Refuse();
            return;
        }
        if (hasSelectedText())
            Clear();
        else if (cursorPosition() > 0) {
            backspace();
            Modified_ = true;
        }
        return;
    default:
        break;
    }
    if (unit < 0x20 || unit == 0x7F || (QChar::isLowSurrogate(unit) && !high))
        return;
    if (Style_ & ES_READONLY) {
        Refuse();
        return;
    }
    QString typed;
    if (high)
        typed.append(QChar(high));
    typed.append(QChar(unit));
    if (Insert(typed))
        Modified_ = true;
    if (Full_)
        Refuse(); // no room for it
}

void TEditWidget::Cut()
{
    if ((Style_ & ES_READONLY) || !hasSelectedText())
        return;
    Copy();
    // A password never leaves the edit.
    if (PasswordChar_ == 0)
        Clear();
}

void TEditWidget::Copy()
{
    if (PasswordChar_ == 0 && hasSelectedText())
        QGuiApplication::clipboard()->setText(selectedText());
}

void TEditWidget::Paste()
{
    if (Style_ & ES_READONLY) {
        Refuse();
        return;
    }
    // A one-line edit takes the clipboard's first line.
    QString value = QGuiApplication::clipboard()->text();
    const auto lineEnd =
        std::find_if(value.begin(), value.end(), [](QChar c) { return c == u'\r' || c == u'\n'; });
    value.truncate(lineEnd - value.begin());
    if (Insert(value))
        Modified_ = true;
}

void TEditWidget::Clear()
{
    if ((Style_ & ES_READONLY) || !hasSelectedText())
        return;
    Insert(QString());
    Modified_ = true;
}

void TEditWidget::SetPasswordChar(char ch)
{
    PasswordChar_ = ch;
    if (ch == 0) {
        setEchoMode(QLineEdit::Normal);
        return;
    }
    if (!Password_) {
        Password_ = std::make_unique<PasswordStyle>();
        setStyle(Password_.get());
    }
    Password_->Character = QChar::fromLatin1(ch);
    // The widget reads the character from its style when the style changes.
    QEvent change(QEvent::StyleChange);
    changeEvent(&change);
    setEchoMode(QLineEdit::Password);
    update();
}

void TEditWidget::SetSelection(int start, int end)
{
    const QString now = text();
    if (start < 0) {
        deselect();
        return;
    }
    const int length = static_cast<int>(ToBytes(now).size());
    if (end < 0 || end > length)
        end = length;
    start = std::min(start, length);
    const int from = PositionOfByte(now, start);
    const int to = PositionOfByte(now, end);
    // The caret goes to the end given, as the platform's edit puts it.
    setSelection(from, to - from);
}

LRESULT TEditWidget::GetSelection(TMessage& message) const
{
    const QString now = text();
    int from = cursorPosition();
    int to = from;
    if (hasSelectedText()) {
        from = selectionStart();
        to = selectionEnd();
    }
    const DWORD start = static_cast<DWORD>(BytesBefore(now, from));
    const DWORD end = static_cast<DWORD>(BytesBefore(now, to));
    if (auto* out = reinterpret_cast<DWORD*>(message.WParam))
        *out = start;
    if (auto* out = reinterpret_cast<DWORD*>(message.LParam))
        *out = end;
    return start > 0xFFFF || end > 0xFFFF ? -1 : static_cast<LRESULT>(MAKELONG(start, end));
}

} // namespace vcl

#include "vcl/core/FormText.h"

#include "vcl/core/Exceptions.h"
#include "win32/HexDigits.h"
#include "win32/WideText.h"

#include <charconv>
#include <cmath>
#include <cstdio>

namespace vcl {

bool operator==(const TFormValue& a, const TFormValue& b)
{
    if (a.Kind != b.Kind)
        return false;
    switch (a.Kind) {
    case TFormValueKind::Integer:
        return a.Int == b.Int && a.Hex32 == b.Hex32;
    case TFormValueKind::Float:
        return a.Float == b.Float;
    case TFormValueKind::String:
    case TFormValueKind::Ident:
    case TFormValueKind::Binary:
        return a.Text == b.Text;
    case TFormValueKind::Set:
        return a.Names == b.Names;
    case TFormValueKind::List:
        return a.List == b.List;
    case TFormValueKind::Collection:
        return a.Items == b.Items;
    }
    return false;
}

namespace {

// ---- the parser ----

enum class TokenKind { End, Symbol, String, Integer, Float, Char };

struct Token {
    TokenKind Kind = TokenKind::End;
    std::string Text;    // Symbol: the identifier; Char: the character
    std::u16string Wide; // String: its UTF-16 units
    std::int64_t Int = 0;
    bool Hex32 = false;
    double Float = 0;
    int Line = 1;
};

bool IsIdentStart(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_';
}

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

bool SameWord(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i) {
        char x = a[i], y = b[i];
        if (x >= 'A' && x <= 'Z')
            x = static_cast<char>(x + 32);
        if (y >= 'A' && y <= 'Z')
            y = static_cast<char>(y + 32);
        if (x != y)
            return false;
    }
    return true;
}

class Parser {
public:
    explicit Parser(std::string_view text) : Text_(text) { Next(); }

    TFormObject ParseRoot()
    {
        TFormObject root = ParseObject();
        if (Token_.Kind != TokenKind::End)
            Error(Token_.Line, "end of file expected after the last 'end'");
        return root;
    }

private:
    [[noreturn]] static void Error(int line, const std::string& message)
    {
        throw EReadError("Line " + std::to_string(line) + ": " + message);
    }

    [[noreturn]] void Expected(const std::string& what) const
    {
        Error(Token_.Line, what + " expected but " + Describe() + " found");
    }

    std::string Describe() const
    {
        switch (Token_.Kind) {
        case TokenKind::End:
            return "end of file";
        case TokenKind::Symbol:
            return "'" + Token_.Text + "'";
        case TokenKind::String:
            return "a string";
        case TokenKind::Integer:
            return "a number";
        case TokenKind::Float:
            return "a float";
        case TokenKind::Char:
            return "'" + Token_.Text + "'";
        }
        return "?";
    }

    void Enter(int line)
    {
        if (++Depth_ > MaxFormNesting)
            Error(line, "nested more than " + std::to_string(MaxFormNesting) + " levels deep");
    }
    void Leave() { --Depth_; }

    bool IsSymbol(std::string_view word) const
    {
        return Token_.Kind == TokenKind::Symbol && SameWord(Token_.Text, word);
    }
    bool IsChar(char c) const { return Token_.Kind == TokenKind::Char && Token_.Text[0] == c; }

    void ExpectChar(char c)
    {
        if (!IsChar(c))
            Expected(std::string("'") + c + "'");
        Next();
    }

    std::string ExpectIdent(const std::string& what)
    {
        if (Token_.Kind != TokenKind::Symbol)
            Expected(what);
        std::string ident = Token_.Text;
        Next();
        return ident;
    }

    // An identifier with dotted parts: Font.Name, Form1.Button1.
    std::string ExpectDottedIdent(const std::string& what)
    {
        std::string ident = ExpectIdent(what);
        while (IsChar('.')) {
            Next();
            ident += '.';
            ident += ExpectIdent("identifier after '.'");
        }
        return ident;
    }

    TFormObject ParseObject()
    {
        TFormObject object;
        object.Line = Token_.Line;
        if (IsSymbol("inherited") || IsSymbol("inline"))
            Error(Token_.Line,
                  "'" + Token_.Text + "' found, but form inheritance is not supported; 'object' expected");
        if (!IsSymbol("object"))
            Expected("'object'");
        Enter(Token_.Line);
        Next();
        std::string first = ExpectIdent("component name or class name");
        if (IsChar(':')) {
            Next();
            object.Name = std::move(first);
            object.ClassName = ExpectIdent("class name");
        } else {
            object.ClassName = std::move(first);
        }
        if (IsChar('['))
            Error(Token_.Line, "a child order index is not supported; a property expected");
        while (!IsSymbol("end") && !IsSymbol("object") && !IsSymbol("inherited") && !IsSymbol("inline"))
            object.Properties.push_back(ParseProperty());
        while (!IsSymbol("end"))
            object.Children.push_back(ParseObject());
        Next();
        Leave();
        return object;
    }

    TFormProperty ParseProperty()
    {
        TFormProperty property;
        property.Line = Token_.Line;
        if (Token_.Kind != TokenKind::Symbol)
            Expected("property name, 'object' or 'end'");
        property.Name = ExpectDottedIdent("property name");
        ExpectChar('=');
        property.Value = ParseValue();
        return property;
    }

    TFormValue ParseValue()
    {
        TFormValue value;
        value.Line = Token_.Line;
        switch (Token_.Kind) {
        case TokenKind::Integer:
            value.Kind = TFormValueKind::Integer;
            value.Int = Token_.Int;
            value.Hex32 = Token_.Hex32;
            Next();
            return value;
        case TokenKind::Float:
            value.Kind = TFormValueKind::Float;
            value.Float = Token_.Float;
            Next();
            return value;
        case TokenKind::String: {
            // Joined as UTF-16, so that a surrogate pair cut by '+' is whole.
            value.Kind = TFormValueKind::String;
            std::u16string wide = std::move(Token_.Wide);
            Next();
            while (IsChar('+')) {
                Next();
                if (Token_.Kind != TokenKind::String)
                    Expected("string after '+'");
                wide += Token_.Wide;
                Next();
            }
            value.Text = win32::WideToBytes(wide);
            return value;
        }
        case TokenKind::Symbol:
            value.Kind = TFormValueKind::Ident;
            value.Text = ExpectDottedIdent("identifier");
            return value;
        case TokenKind::Char:
            break;
        case TokenKind::End:
            Expected("property value");
        }
        switch (Token_.Text[0]) {
        case '[':
            value.Kind = TFormValueKind::Set;
            Next();
            if (!IsChar(']')) {
                value.Names.push_back(ExpectIdent("set member"));
                while (IsChar(',')) {
                    Next();
                    value.Names.push_back(ExpectIdent("set member"));
                }
            }
            ExpectChar(']');
            return value;
        case '(':
            value.Kind = TFormValueKind::List;
            Enter(Token_.Line);
            Next();
            while (!IsChar(')'))
                value.List.push_back(ParseValue());
            Next();
            Leave();
            return value;
        case '<':
            value.Kind = TFormValueKind::Collection;
            Enter(Token_.Line);
            Next();
            while (!IsChar('>')) {
                TFormItem item;
                item.Line = Token_.Line;
                if (!IsSymbol("item"))
                    Expected("'item' or '>'");
                Enter(Token_.Line);
                Next();
                while (!IsSymbol("end"))
                    item.Properties.push_back(ParseProperty());
                Next();
                Leave();
                value.Items.push_back(std::move(item));
            }
            Next();
            Leave();
            return value;
        case '{':
            value.Kind = TFormValueKind::Binary;
            value.Text = ReadBinary();
            Next();
            return value;
        default:
            Expected("property value");
        }
    }

    // The hexadecimal digits after '{' up to '}', as bytes.
    std::string ReadBinary()
    {
        std::string bytes;
        int high = -1;
        for (;;) {
            if (Pos_ >= Text_.size())
                Error(Line_, "'}' expected but end of file found in binary data");
            const char c = Text_[Pos_++];
            if (c == '}')
                break;
            if (c == '\n') {
                ++Line_;
                continue;
            }
            if (c == ' ' || c == '\t' || c == '\r')
                continue;
            const int digit = win32::HexDigitValue(c);
            if (digit < 0)
                Error(Line_, "hexadecimal digit expected in binary data");
            if (high < 0) {
                high = digit;
            } else {
                bytes += static_cast<char>((high << 4) | digit);
                high = -1;
            }
        }
        if (high >= 0)
            Error(Line_, "binary data of odd length; an even number of hexadecimal digits expected");
        return bytes;
    }

    // ---- tokens ----

    void Next()
    {
        SkipBlanks();
        Token_ = Token{};
        Token_.Line = Line_;
        if (Pos_ >= Text_.size())
            return;
        const char c = Text_[Pos_];
        if (IsIdentStart(c)) {
            const size_t start = Pos_;
            while (Pos_ < Text_.size() && (IsIdentStart(Text_[Pos_]) || IsDigit(Text_[Pos_])))
                ++Pos_;
            Token_.Kind = TokenKind::Symbol;
            Token_.Text = std::string(Text_.substr(start, Pos_ - start));
        } else if (c == '\'' || c == '#') {
            ReadString();
        } else if (IsDigit(c) || c == '$' ||
                   ((c == '-' || c == '+') && Pos_ + 1 < Text_.size() &&
                    (IsDigit(Text_[Pos_ + 1]) || Text_[Pos_ + 1] == '$'))) {
            ReadNumber();
        } else if (c == '=' || c == ':' || c == '.' || c == ',' || c == '+' || c == '[' || c == ']' ||
                   c == '(' || c == ')' || c == '<' || c == '>' || c == '{' || c == '}') {
            Token_.Kind = TokenKind::Char;
            Token_.Text = std::string(1, c);
            ++Pos_;
        } else {
            char code[8];
            std::snprintf(code, sizeof code, "#%d", static_cast<unsigned char>(c));
            Error(Line_, std::string("invalid character ") + code + " found");
        }
    }

    void SkipBlanks()
    {
        while (Pos_ < Text_.size()) {
            const char c = Text_[Pos_];
            if (c == '\n')
                ++Line_;
            else if (c != ' ' && c != '\t' && c != '\r')
                break;
            ++Pos_;
        }
    }

    // Quoted pieces and #codes side by side make one string. Codes are
    // UTF-16 units, which the lossless codec turns back into bytes.
    void ReadString()
    {
        std::u16string wide;
        while (Pos_ < Text_.size() && (Text_[Pos_] == '\'' || Text_[Pos_] == '#')) {
            if (Text_[Pos_] == '\'') {
                ++Pos_;
                std::string piece;
                for (;;) {
                    if (Pos_ >= Text_.size() || Text_[Pos_] == '\n' || Text_[Pos_] == '\r')
                        Error(Line_, "unterminated string; a closing quote expected");
                    const char c = Text_[Pos_++];
                    if (c == '\'') {
                        if (Pos_ < Text_.size() && Text_[Pos_] == '\'') {
                            piece += '\'';
                            ++Pos_;
                            continue;
                        }
                        break;
                    }
                    piece += c;
                }
                wide += win32::BytesToWide(piece);
            } else {
                ++Pos_;
                std::uint32_t code = 0;
                int base = 10;
                if (Pos_ < Text_.size() && Text_[Pos_] == '$') {
                    base = 16;
                    ++Pos_;
                }
                const size_t start = Pos_;
                while (Pos_ < Text_.size() &&
                       (base == 16 ? win32::HexDigitValue(Text_[Pos_]) >= 0 : IsDigit(Text_[Pos_]))) {
                    code = code * static_cast<std::uint32_t>(base) +
                           static_cast<std::uint32_t>(base == 16 ? win32::HexDigitValue(Text_[Pos_])
                                                                 : Text_[Pos_] - '0');
                    if (code > 0xFFFF)
                        Error(Line_, "character code out of range; a code from 0 to 65535 expected");
                    ++Pos_;
                }
                if (Pos_ == start)
                    Error(Line_, "character code expected after '#'");
                wide += static_cast<char16_t>(code);
            }
        }
        Token_.Kind = TokenKind::String;
        Token_.Wide = std::move(wide);
    }

    void ReadNumber()
    {
        bool negative = false;
        if (Text_[Pos_] == '-' || Text_[Pos_] == '+') {
            negative = Text_[Pos_] == '-';
            ++Pos_;
        }
        if (Text_[Pos_] == '$') {
            ++Pos_;
            const size_t start = Pos_;
            std::uint64_t value = 0;
            while (Pos_ < Text_.size() && win32::HexDigitValue(Text_[Pos_]) >= 0) {
                if (Pos_ - start >= 16)
                    Error(Line_, "number out of range; at most 16 hexadecimal digits expected");
                value = value * 16 + static_cast<std::uint64_t>(win32::HexDigitValue(Text_[Pos_]));
                ++Pos_;
            }
            if (Pos_ == start)
                Error(Line_, "hexadecimal digit expected after '$'");
            Token_.Kind = TokenKind::Integer;
            Token_.Hex32 = !negative && Pos_ - start <= 8;
            Token_.Int = static_cast<std::int64_t>(negative ? 0 - value : value);
            return;
        }
        const size_t start = Pos_;
        while (Pos_ < Text_.size() && IsDigit(Text_[Pos_]))
            ++Pos_;
        bool isFloat = false;
        if (Pos_ + 1 < Text_.size() && Text_[Pos_] == '.' && IsDigit(Text_[Pos_ + 1])) {
            isFloat = true;
            ++Pos_;
            while (Pos_ < Text_.size() && IsDigit(Text_[Pos_]))
                ++Pos_;
        }
        if (Pos_ < Text_.size() && (Text_[Pos_] == 'e' || Text_[Pos_] == 'E')) {
            size_t exponent = Pos_ + 1;
            if (exponent < Text_.size() && (Text_[exponent] == '+' || Text_[exponent] == '-'))
                ++exponent;
            if (exponent < Text_.size() && IsDigit(Text_[exponent])) {
                isFloat = true;
                Pos_ = exponent;
                while (Pos_ < Text_.size() && IsDigit(Text_[Pos_]))
                    ++Pos_;
            }
        }
        const std::string digits = (negative ? "-" : "") + std::string(Text_.substr(start, Pos_ - start));
        if (isFloat) {
            double value = 0;
            auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
            if (error != std::errc() || end != digits.data() + digits.size() || !std::isfinite(value))
                Error(Line_, "number out of range; a finite float expected");
            Token_.Kind = TokenKind::Float;
            Token_.Float = value;
        } else {
            std::int64_t value = 0;
            auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
            if (error != std::errc() || end != digits.data() + digits.size())
                Error(Line_, "number out of range; a 64-bit integer expected");
            Token_.Kind = TokenKind::Integer;
            Token_.Int = value;
        }
        if (Pos_ < Text_.size() && (IsIdentStart(Text_[Pos_]) || Text_[Pos_] == '$')) {
            size_t end = Pos_;
            while (end < Text_.size() && (IsIdentStart(Text_[end]) || IsDigit(Text_[end])))
                ++end;
            Error(Line_, "'" + std::string(Text_.substr(start, end - start)) +
                             "' is neither a number nor an identifier; a blank or a delimiter expected after "
                             "the digits");
        }
    }

    std::string_view Text_;
    size_t Pos_ = 0;
    int Line_ = 1;
    int Depth_ = 0;
    Token Token_;
};

// ---- the printer ----

constexpr size_t kStringPieceUnits = 64;
constexpr size_t kBinaryLineBytes = 32; // 64 hexadecimal digits

void Indent(std::string& out, int level)
{
    out.append(static_cast<size_t>(level) * 2, ' ');
}

void PrintString(std::string& out, const std::string& bytes, int level)
{
    const std::u16string wide = win32::BytesToWide(bytes);
    if (wide.empty()) {
        out += "''";
        return;
    }
    for (size_t start = 0, end = 0; start < wide.size(); start = end) {
        if (start > 0) {
            out += " +\n";
            Indent(out, level + 1);
        }
        end = std::min(wide.size(), start + kStringPieceUnits);
        // A surrogate pair stays in one piece.
        if (end < wide.size() && wide[end - 1] >= 0xD800 && wide[end - 1] <= 0xDBFF && wide[end] >= 0xDC00 &&
            wide[end] <= 0xDFFF)
            ++end;
        bool quoted = false;
        for (size_t i = start; i < end; ++i) {
            const char16_t unit = wide[i];
            if (unit >= 32 && unit < 127) {
                if (!quoted) {
                    out += '\'';
                    quoted = true;
                }
                if (unit == '\'')
                    out += '\'';
                out += static_cast<char>(unit);
            } else {
                if (quoted) {
                    out += '\'';
                    quoted = false;
                }
                out += '#';
                out += std::to_string(static_cast<unsigned>(unit));
            }
        }
        if (quoted)
            out += '\'';
    }
}

void PrintFloat(std::string& out, double value)
{
    if (!std::isfinite(value))
        throw EWriteError("A float that is not finite cannot be written to a form file");
    char text[64];
    auto [end, error] = std::to_chars(text, text + sizeof text, value);
    std::string printed(text, end);
    if (printed.find_first_of(".eE") == std::string::npos)
        printed += ".0";
    out += printed;
}

void PrintProperty(std::string& out, const TFormProperty& property, int level);

void PrintValue(std::string& out, const TFormValue& value, int level)
{
    switch (value.Kind) {
    case TFormValueKind::Integer:
        if (value.Hex32) {
            char text[16];
            std::snprintf(text, sizeof text, "$%08X", static_cast<unsigned>(value.Int & 0xFFFFFFFF));
            out += text;
        } else {
            out += std::to_string(value.Int);
        }
        return;
    case TFormValueKind::Float:
        PrintFloat(out, value.Float);
        return;
    case TFormValueKind::String:
        PrintString(out, value.Text, level);
        return;
    case TFormValueKind::Ident:
        out += value.Text;
        return;
    case TFormValueKind::Set:
        out += '[';
        for (size_t i = 0; i < value.Names.size(); ++i) {
            if (i > 0)
                out += ", ";
            out += value.Names[i];
        }
        out += ']';
        return;
    case TFormValueKind::List:
        out += '(';
        for (const TFormValue& element : value.List) {
            out += '\n';
            Indent(out, level + 1);
            PrintValue(out, element, level + 1);
        }
        out += ')';
        return;
    case TFormValueKind::Collection:
        out += '<';
        for (const TFormItem& item : value.Items) {
            out += '\n';
            Indent(out, level + 1);
            out += "item\n";
            for (const TFormProperty& property : item.Properties)
                PrintProperty(out, property, level + 2);
            Indent(out, level + 1);
            out += "end";
        }
        out += '>';
        return;
    case TFormValueKind::Binary: {
        static const char digits[] = "0123456789ABCDEF";
        out += '{';
        for (size_t start = 0; start < value.Text.size(); start += kBinaryLineBytes) {
            out += '\n';
            Indent(out, level + 1);
            const size_t end = std::min(value.Text.size(), start + kBinaryLineBytes);
            for (size_t i = start; i < end; ++i) {
                const auto byte = static_cast<unsigned char>(value.Text[i]);
                out += digits[byte >> 4];
                out += digits[byte & 15];
            }
        }
        out += '}';
        return;
    }
    }
}

void PrintProperty(std::string& out, const TFormProperty& property, int level)
{
    Indent(out, level);
    out += property.Name;
    out += " = ";
    PrintValue(out, property.Value, level);
    out += '\n';
}

void PrintObject(std::string& out, const TFormObject& object, int level)
{
    Indent(out, level);
    out += "object ";
    if (!object.Name.empty()) {
        out += object.Name;
        out += ": ";
    }
    out += object.ClassName;
    out += '\n';
    for (const TFormProperty& property : object.Properties)
        PrintProperty(out, property, level + 1);
    for (const TFormObject& child : object.Children)
        PrintObject(out, child, level + 1);
    Indent(out, level);
    out += "end\n";
}

} // namespace

TFormObject ParseFormText(std::string_view text)
{
    // A byte-order mark of UTF-8 is not part of the form.
    if (text.starts_with("\xEF\xBB\xBF"))
        text.remove_prefix(3);
    Parser parser(text);
    return parser.ParseRoot();
}

std::string PrintFormText(const TFormObject& root)
{
    std::string out;
    PrintObject(out, root, 0);
    return out;
}

} // namespace vcl

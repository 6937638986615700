// The dialog base: one run at a time, and the stored form geometry.

#include "FKwOpenDlg.h"
#include "FKwOpenDlg_p.h"

#include "vcl/core/Exceptions.h"
#include "vcl/core/Registry.h"
#include "vcl/core/Streams.h"

#include <cstdint>

namespace kw {

namespace detail {

std::int32_t ReadInt32(vcl::TStream& stream)
{
    unsigned char bytes[4];
    stream.ReadBuffer(bytes, 4);
    const std::uint32_t value = std::uint32_t{bytes[0]} | std::uint32_t{bytes[1]} << 8 |
                                std::uint32_t{bytes[2]} << 16 | std::uint32_t{bytes[3]} << 24;
    return static_cast<std::int32_t>(value);
}

std::uint8_t ReadByte(vcl::TStream& stream)
{
    std::uint8_t byte = 0;
    stream.ReadBuffer(&byte, 1);
    return byte;
}

void WriteInt32(vcl::TStream& stream, std::int32_t value)
{
    const auto bits = static_cast<std::uint32_t>(value);
    const unsigned char bytes[4] = {static_cast<unsigned char>(bits), static_cast<unsigned char>(bits >> 8),
                                    static_cast<unsigned char>(bits >> 16),
                                    static_cast<unsigned char>(bits >> 24)};
    stream.WriteBuffer(bytes, 4);
}

void WriteByte(vcl::TStream& stream, std::uint8_t value)
{
    stream.WriteBuffer(&value, 1);
}

} // namespace detail

TKwDialog::TKwDialog(vcl::TComponent* owner) : vcl::TComponent(owner) {}

bool TKwDialog::Execute()
{
    if (Executing_)
        throw vcl::Exception(ClassName() + " already executing");
    Executing_ = true;
    struct Idle {
        bool& Flag;
        ~Idle() { Flag = false; }
    } idle{Executing_};
    return DoExecute();
}

void TKwDialog::DoInitialized()
{
    if (OnInitialized)
        OnInitialized(this);
}

void TKwDialog::WriteStateToRegistry(HKEY rootKey, const std::string& key, const std::string& valueName)
{
    vcl::TRegistry registry;
    vcl::TMemoryStream stream;
    registry.SetRootKey(rootKey);
    registry.OpenKey(key, true);
    WriteStateToStream(stream);
    registry.WriteBinaryData(valueName, stream.Memory(), static_cast<int>(stream.Size()));
    registry.CloseKey();
}

void TKwDialog::ReadStateFromRegistry(HKEY rootKey, const std::string& key, const std::string& valueName)
{
    constexpr int kMaxState = 128;
    vcl::TRegistry registry;
    vcl::TMemoryStream stream;
    stream.SetSize(kMaxState);
    registry.SetRootKey(rootKey);
    registry.OpenKey(key, false);
    const int count = registry.ReadBinaryData(valueName, stream.Memory(), kMaxState);
    stream.SetSize(count);
    stream.SetPosition(0);
    ReadStateFromStream(stream);
    registry.CloseKey();
}

void TKwDialog::ReadStateFromStream(vcl::TStream& stream)
{
    FormWidth_ = detail::ReadInt32(stream);
    FormHeight_ = detail::ReadInt32(stream);
    // A state the framework has no member for is a damaged value, never a
    // window state.
    const std::uint8_t state = detail::ReadByte(stream);
    if (state > vcl::wsMaximized)
        throw vcl::EReadError("Stream read error");
    FormWindowState_ = static_cast<vcl::TWindowState>(state);
}

void TKwDialog::WriteStateToStream(vcl::TStream& stream)
{
    detail::WriteInt32(stream, FormWidth_);
    detail::WriteInt32(stream, FormHeight_);
    detail::WriteByte(stream, static_cast<std::uint8_t>(FormWindowState_));
}

} // namespace kw

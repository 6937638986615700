#pragma once
// FKwOpenDlg's own helpers: the fields of the stored state value and the
// form resource.

#include <cstdint>

namespace vcl {
class TStream;
}

namespace kw::detail {

// Little-endian, each read whole or raising the stream read error.
std::int32_t ReadInt32(vcl::TStream& stream);
std::uint8_t ReadByte(vcl::TStream& stream);
void WriteInt32(vcl::TStream& stream, std::int32_t value);
void WriteByte(vcl::TStream& stream, std::uint8_t value);

// The form resource of the open and save dialogs, TKWFRMOPENDLG.
void RegisterOpenDialogForm();
void UnregisterOpenDialogForm();

} // namespace kw::detail

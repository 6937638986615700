// The nodes of a tree view in form files (Items.Data).
//
// The block is ours, little-endian: the number of top-level nodes, then
// each node as its image, selected image, state image and overlay indexes,
// its number of children, the length of its text and the text (UTF-8),
// followed by its children in the same form.

#include "vcl/core/Filer.h"
#include "vcl/widgets/ComCtrls.h"

#include <cstdint>
#include <memory>
#include <vector>

namespace vcl {

namespace {

// Nodes nested deeper than this are refused as a malformed block.
constexpr int kMaxDepth = 256;

struct StoredNode {
    std::int32_t Image = -1;
    std::int32_t Selected = -1;
    std::int32_t State = -1;
    std::int32_t Overlay = -1;
    std::string Text;
    std::vector<StoredNode> Children;
};

std::int32_t ReadInt(TStream* stream)
{
    unsigned char bytes[4];
    stream->ReadBuffer(bytes, 4);
    return static_cast<std::int32_t>(
        static_cast<std::uint32_t>(bytes[0]) | static_cast<std::uint32_t>(bytes[1]) << 8 |
        static_cast<std::uint32_t>(bytes[2]) << 16 | static_cast<std::uint32_t>(bytes[3]) << 24);
}

void WriteInt(TStream* stream, std::int32_t value)
{
    const auto bits = static_cast<std::uint32_t>(value);
    const unsigned char bytes[4] = {static_cast<unsigned char>(bits), static_cast<unsigned char>(bits >> 8),
                                    static_cast<unsigned char>(bits >> 16),
                                    static_cast<unsigned char>(bits >> 24)};
    stream->WriteBuffer(bytes, 4);
}

// A count that the rest of the block can hold (every node takes at least
// 24 bytes).
std::int32_t ReadCount(TStream* stream)
{
    const std::int32_t count = ReadInt(stream);
    if (count < 0 || count > (stream->Size() - stream->Position()) / 24)
        throw EReadError("Invalid tree node data");
    return count;
}

StoredNode ReadNode(TStream* stream, int depth)
{
    if (depth > kMaxDepth)
        throw EReadError("Invalid tree node data");
    StoredNode node;
    node.Image = ReadInt(stream);
    node.Selected = ReadInt(stream);
    node.State = ReadInt(stream);
    node.Overlay = ReadInt(stream);
    const std::int32_t children = ReadInt(stream);
    const std::int32_t length = ReadInt(stream);
    if (children < 0 || length < 0 || length > stream->Size() - stream->Position())
        throw EReadError("Invalid tree node data");
    node.Text.resize(static_cast<std::size_t>(length));
    if (length > 0)
        stream->ReadBuffer(node.Text.data(), length);
    if (children > (stream->Size() - stream->Position()) / 24)
        throw EReadError("Invalid tree node data");
    for (std::int32_t i = 0; i < children; ++i)
        node.Children.push_back(ReadNode(stream, depth + 1));
    return node;
}

void WriteNode(TStream* stream, const TTreeNode* node)
{
    WriteInt(stream, node->ImageIndex());
    WriteInt(stream, node->SelectedIndex());
    WriteInt(stream, node->StateIndex());
    WriteInt(stream, node->OverlayIndex());
    WriteInt(stream, node->Count());
    WriteInt(stream, static_cast<std::int32_t>(node->Text().size()));
    stream->WriteBuffer(node->Text().data(), static_cast<int>(node->Text().size()));
    for (const TTreeNode* child = node->GetFirstChild(); child; child = child->GetNextSibling())
        WriteNode(stream, child);
}

} // namespace

TTreeNode* TTreeNodes::AddWithoutWindow(TTreeNode* parent, const std::string& text)
{
    TTreeNode* node = Owner_->CreateNode();
    Owner_->Nodes_.insert(node);
    node->Text_ = text;
    node->Parent_ = parent;
    SiblingsOf(parent).push_back(node);
    if (parent)
        parent->HasChildren_ = true;
    return node;
}

void TTreeNodes::DefineProperties(TFiler* filer)
{
    TPersistent::DefineProperties(filer);
    filer->DefineBinaryProperty("Data", {this, &TTreeNodes::ReadData}, {this, &TTreeNodes::WriteData},
                                GetFirstNode() != nullptr);
}

void TTreeNodes::ReadData(TStream* stream)
{
    // The whole block is read first: a malformed one leaves the nodes alone.
    std::vector<StoredNode> roots;
    const std::int32_t count = ReadCount(stream);
    for (std::int32_t i = 0; i < count; ++i)
        roots.push_back(ReadNode(stream, 0));
    if (stream->Position() != stream->Size())
        throw EReadError("Invalid tree node data");
    // A tree read before it has a window (and perhaps before it has a
    // parent) keeps its nodes until it gets one.
    const auto add = [this](const auto& self, TTreeNode* parent, const StoredNode& stored) -> void {
        TTreeNode* node =
            Owner_->HandleAllocated() ? AddChild(parent, stored.Text) : AddWithoutWindow(parent, stored.Text);
        node->SetImageIndex(stored.Image);
        node->SetSelectedIndex(stored.Selected);
        node->SetStateIndex(stored.State);
        node->SetOverlayIndex(stored.Overlay);
        for (const StoredNode& child : stored.Children)
            self(self, node, child);
    };
    BeginUpdate();
    try {
        Clear();
        for (const StoredNode& root : roots)
            add(add, nullptr, root);
    } catch (...) {
        EndUpdate();
        throw;
    }
    EndUpdate();
}

void TTreeNodes::WriteData(TStream* stream)
{
    WriteInt(stream, static_cast<std::int32_t>(Roots_.size()));
    for (const TTreeNode* root : Roots_)
        WriteNode(stream, root);
}

} // namespace vcl

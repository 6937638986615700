#pragma once
// The framework's streams: the abstract TStream and its file, memory, string
// and resource descendants.
//
// Read and Write move up to count bytes and return how many they moved;
// ReadBuffer and WriteBuffer insist on all of them (EReadError "Stream read
// error", EWriteError "Stream write error"). Positions and sizes are 64-bit;
// the 32-bit Seek with the soFrom... origins is kept for code written
// against it.
//
// A descendant overrides the 64-bit Seek; because that hides the 32-bit
// overload, it says `using TStream::Seek;` to keep both visible.

#include "vcl/CorvaneVclExport.h"
#include "vcl/core/Object.h"
#include "vcl/core/Resources.h"
#include "win32/WinTypes.h"

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

namespace vcl {

enum class TSeekOrigin { soBeginning, soCurrent, soEnd };
inline constexpr TSeekOrigin soBeginning = TSeekOrigin::soBeginning;
inline constexpr TSeekOrigin soCurrent = TSeekOrigin::soCurrent;
inline constexpr TSeekOrigin soEnd = TSeekOrigin::soEnd;

// Origins of the 32-bit Seek.
inline constexpr WORD soFromBeginning = 0;
inline constexpr WORD soFromCurrent = 1;
inline constexpr WORD soFromEnd = 2;

// File open modes: one access mode or'ed with one share mode, or fmCreate.
inline constexpr WORD fmCreate = 0xFFFF;
inline constexpr WORD fmOpenRead = 0x0000;
inline constexpr WORD fmOpenWrite = 0x0001;
inline constexpr WORD fmOpenReadWrite = 0x0002;
inline constexpr WORD fmShareCompat = 0x0000;
inline constexpr WORD fmShareExclusive = 0x0010;
inline constexpr WORD fmShareDenyWrite = 0x0020;
inline constexpr WORD fmShareDenyRead = 0x0030;
inline constexpr WORD fmShareDenyNone = 0x0040;

class CORVANE_VCL_EXPORT TStream : public TObject {
    VCL_DECLARE_CLASS(TStream, TObject)
public:
    virtual int Read(void* buffer, int count) = 0;
    virtual int Write(const void* buffer, int count) = 0;
    // Returns the new position, or -1 when the stream cannot go there.
    virtual std::int64_t Seek(std::int64_t offset, TSeekOrigin origin) = 0;
    int Seek(int offset, WORD origin);
    // A 64-bit offset with a 32-bit origin would be cut silently.
    int Seek(std::int64_t offset, WORD origin) = delete;

    void ReadBuffer(void* buffer, int count);
    void WriteBuffer(const void* buffer, int count);
    // Copies count bytes from source's position; count 0 copies all of source
    // from its beginning. Returns the bytes copied.
    std::int64_t CopyFrom(TStream& source, std::int64_t count);
    std::int64_t CopyFrom(TStream* source, std::int64_t count);

    std::int64_t Position() { return Seek(std::int64_t{0}, soCurrent); }
    void SetPosition(std::int64_t position) { Seek(position, soBeginning); }
    virtual std::int64_t Size();
    // The base class cannot change its size and ignores the call.
    virtual void SetSize(std::int64_t newSize);
};

// A stream over an open POSIX file descriptor, which it does not own.
class CORVANE_VCL_EXPORT THandleStream : public TStream {
    VCL_DECLARE_CLASS(THandleStream, TStream)
public:
    explicit THandleStream(int handle) : Handle_(handle) {}

    using TStream::Seek;
    int Read(void* buffer, int count) override;
    int Write(const void* buffer, int count) override;
    std::int64_t Seek(std::int64_t offset, TSeekOrigin origin) override;
    // Moves to newSize and ends the file there; raises EStreamError when the
    // file cannot be resized.
    void SetSize(std::int64_t newSize) override;

    int Handle() const { return Handle_; }

protected:
    int Handle_;
};

// A stream over a named file, which it opens and closes.
//
// The name is used byte for byte. fmCreate makes the file (or empties it);
// failing raises EFCreateError. Otherwise the access mode chooses read, write
// or both; failing raises EFOpenError, and so does a name that is a folder.
// Share modes work between the streams of every process on the machine that
// open the same file this way: fmShareExclusive and fmCreate hold an
// exclusive lock, the deny modes and fmShareDenyNone a shared one,
// fmShareCompat none (plain POSIX opens ignore the locks). A file held
// exclusively by another stream is never emptied by fmCreate.
class CORVANE_VCL_EXPORT TFileStream : public THandleStream {
    VCL_DECLARE_CLASS(TFileStream, THandleStream)
public:
    TFileStream(const std::string& fileName, WORD mode);
    // rights: the permission bits of a file that fmCreate makes.
    TFileStream(const std::string& fileName, WORD mode, unsigned rights);
    ~TFileStream() override;
    TFileStream(const TFileStream&) = delete;
    TFileStream& operator=(const TFileStream&) = delete;

    const std::string& FileName() const { return FileName_; }

private:
    std::string FileName_;
};

// A stream over a block of memory it does not manage; it reads and seeks.
class CORVANE_VCL_EXPORT TCustomMemoryStream : public TStream {
    VCL_DECLARE_CLASS(TCustomMemoryStream, TStream)
public:
    using TStream::Seek;
    int Read(void* buffer, int count) override;
    // Any position from 0 on may be set, even past the end, where reading
    // reads nothing; a negative one fails (-1) and the position stays.
    std::int64_t Seek(std::int64_t offset, TSeekOrigin origin) override;
    std::int64_t Size() override { return Size_; }

    void SaveToStream(TStream& stream);
    void SaveToStream(TStream* stream);
    void SaveToFile(const std::string& fileName);

    void* Memory() const { return Memory_; }

protected:
    void SetPointer(void* memory, std::int64_t size);
    std::int64_t Position_ = 0;

private:
    void* Memory_ = nullptr;
    std::int64_t Size_ = 0;
};

// A stream over a block of memory of its own, grown as it is written. Writing
// past the end fills the gap with zeros.
class CORVANE_VCL_EXPORT TMemoryStream : public TCustomMemoryStream {
    VCL_DECLARE_CLASS(TMemoryStream, TCustomMemoryStream)
public:
    TMemoryStream() = default;
    ~TMemoryStream() override;
    TMemoryStream(const TMemoryStream&) = delete;
    TMemoryStream& operator=(const TMemoryStream&) = delete;

    int Write(const void* buffer, int count) override;
    void SetSize(std::int64_t newSize) override;
    void Clear();
    // Replaces the contents with all of stream, read from its beginning; the
    // position stays, within the new size.
    void LoadFromStream(TStream& stream);
    void LoadFromStream(TStream* stream);
    void LoadFromFile(const std::string& fileName);

    std::int64_t Capacity() const { return static_cast<std::int64_t>(Storage_.size()); }

private:
    void SetCapacity(std::int64_t newCapacity);

    std::vector<unsigned char> Storage_;
};

// A stream over a string of bytes.
class CORVANE_VCL_EXPORT TStringStream : public TStream {
    VCL_DECLARE_CLASS(TStringStream, TStream)
public:
    explicit TStringStream(std::string dataString = {}) : DataString_(std::move(dataString)) {}

    using TStream::Seek;
    int Read(void* buffer, int count) override;
    // Overwrites from the position and extends the string as needed.
    int Write(const void* buffer, int count) override;
    // The position stays within the string.
    std::int64_t Seek(std::int64_t offset, TSeekOrigin origin) override;
    std::int64_t Size() override { return static_cast<std::int64_t>(DataString_.size()); }
    void SetSize(std::int64_t newSize) override;

    // Up to count bytes from the position.
    std::string ReadString(int count);
    void WriteString(const std::string& text);

    const std::string& DataString() const { return DataString_; }

private:
    std::string DataString_;
    std::int64_t Position_ = 0;
};

// A read-only stream over a resource of a module (see Resources.h); a
// resource that is not there raises EResNotFound ("Resource %s not found"),
// and writing raises EStreamError.
class CORVANE_VCL_EXPORT TResourceStream : public TCustomMemoryStream {
    VCL_DECLARE_CLASS(TResourceStream, TCustomMemoryStream)
public:
    TResourceStream(HINSTANCE instance, const TResourceId& name, const TResourceId& type);
    static std::unique_ptr<TResourceStream> CreateFromID(HINSTANCE instance, int resId,
                                                         const TResourceId& type)
    {
        return std::make_unique<TResourceStream>(instance, resId, type);
    }

    int Write(const void* buffer, int count) override;

private:
    TResourceData Data_;
};

} // namespace vcl

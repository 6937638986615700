#include "vcl/core/Streams.h"

#include "vcl/core/Exceptions.h"
#include "win32/Errors.h"
#include "win32/MessageText.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstring>
#include <fcntl.h>
#include <new>
#include <optional>
#include <stdexcept>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace vcl {
namespace {

constexpr int kCopyBufferSize = 0xF000;
constexpr int kChunk = 1 << 30; // the most one Read or Write is asked for
constexpr std::int64_t kMemoryDelta = 0x2000;

std::int64_t ClampAdd(std::int64_t a, std::int64_t b, bool& overflow)
{
    std::int64_t sum = 0;
    overflow = __builtin_add_overflow(a, b, &sum);
    return sum;
}

// The new position for a seek, or nothing when it would overflow.
std::optional<std::int64_t> SeekTarget(std::int64_t offset, TSeekOrigin origin, std::int64_t position,
                                       std::int64_t size)
{
    std::int64_t base = 0;
    switch (origin) {
    case TSeekOrigin::soBeginning:
        base = 0;
        break;
    case TSeekOrigin::soCurrent:
        base = position;
        break;
    case TSeekOrigin::soEnd:
        base = size;
        break;
    default:
        return std::nullopt;
    }
    bool overflow = false;
    const std::int64_t target = ClampAdd(base, offset, overflow);
    if (overflow)
        return std::nullopt;
    return target;
}

void WriteAll(TStream& stream, const unsigned char* data, std::int64_t count)
{
    while (count > 0) {
        const int n = static_cast<int>(std::min<std::int64_t>(count, kChunk));
        stream.WriteBuffer(data, n);
        data += n;
        count -= n;
    }
}

void ReadAll(TStream& stream, unsigned char* data, std::int64_t count)
{
    while (count > 0) {
        const int n = static_cast<int>(std::min<std::int64_t>(count, kChunk));
        stream.ReadBuffer(data, n);
        data += n;
        count -= n;
    }
}

std::string ErrnoText(int err)
{
    return win32::SystemErrorText(win32::ErrorFromErrno(err));
}

// The offset of buffer inside [data, data + size), or nothing when it lies
// elsewhere: a write from a stream's own bytes must find them again after the
// storage has grown and moved.
std::optional<size_t> OffsetInside(const void* buffer, const void* data, size_t size)
{
    const auto at = reinterpret_cast<std::uintptr_t>(buffer);
    const auto begin = reinterpret_cast<std::uintptr_t>(data);
    if (!data || at < begin || at - begin >= size)
        return std::nullopt;
    return at - begin;
}

// Moves count bytes in as many calls as it takes, until the end, an error or
// nothing more can be moved; returns the bytes moved. transfer(offset, size)
// moves bytes at offset and returns what ::read or ::write returns.
template <class Transfer>
int TransferAll(int count, Transfer&& transfer)
{
    int done = 0;
    while (done < count) {
        const ssize_t n = transfer(done, static_cast<size_t>(count - done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        done += static_cast<int>(n);
    }
    return done;
}

} // namespace

// ---- TStream ----

int TStream::Seek(int offset, WORD origin)
{
    TSeekOrigin wide;
    switch (origin) {
    case soFromBeginning:
        wide = soBeginning;
        break;
    case soFromCurrent:
        wide = soCurrent;
        break;
    case soFromEnd:
        wide = soEnd;
        break;
    default:
        return -1;
    }
    const std::int64_t result = Seek(std::int64_t{offset}, wide);
    // A position past 2 GB cannot be told in 32 bits; saying a wrong one would
    // be worse than failing.
    if (result > INT_MAX)
        throw EStreamError("Stream position beyond 32 bits");
    return static_cast<int>(result);
}

std::int64_t TStream::Size()
{
    const std::int64_t position = Seek(std::int64_t{0}, soCurrent);
    const std::int64_t size = Seek(std::int64_t{0}, soEnd);
    Seek(position, soBeginning);
    return size;
}

void TStream::SetSize(std::int64_t) {}

void TStream::ReadBuffer(void* buffer, int count)
{
    if (count != 0 && Read(buffer, count) != count)
        throw EReadError("Stream read error");
}

void TStream::WriteBuffer(const void* buffer, int count)
{
    if (count != 0 && Write(buffer, count) != count)
        throw EWriteError("Stream write error");
}

std::int64_t TStream::CopyFrom(TStream& source, std::int64_t count)
{
    if (count == 0) {
        source.SetPosition(0);
        count = source.Size();
    }
    if (count < 0)
        throw EReadError("Stream read error");
    const std::int64_t result = count;
    std::vector<unsigned char> buffer(static_cast<size_t>(std::min<std::int64_t>(count, kCopyBufferSize)));
    while (count != 0) {
        const int n = static_cast<int>(std::min<std::int64_t>(count, kCopyBufferSize));
        source.ReadBuffer(buffer.data(), n);
        WriteBuffer(buffer.data(), n);
        count -= n;
    }
    return result;
}

std::int64_t TStream::CopyFrom(TStream* source, std::int64_t count)
{
    if (!source)
        throw EStreamError("CopyFrom: no source stream");
    return CopyFrom(*source, count);
}

// ---- THandleStream ----

int THandleStream::Read(void* buffer, int count)
{
    if (count <= 0 || !buffer)
        return 0;
    auto* out = static_cast<unsigned char*>(buffer);
    return TransferAll(count, [&](int offset, size_t size) { return ::read(Handle_, out + offset, size); });
}

int THandleStream::Write(const void* buffer, int count)
{
    if (count <= 0 || !buffer)
        return 0;
    const auto* in = static_cast<const unsigned char*>(buffer);
    return TransferAll(count, [&](int offset, size_t size) { return ::write(Handle_, in + offset, size); });
}

std::int64_t THandleStream::Seek(std::int64_t offset, TSeekOrigin origin)
{
    int whence = SEEK_SET;
    switch (origin) {
    case TSeekOrigin::soBeginning:
        whence = SEEK_SET;
        break;
    case TSeekOrigin::soCurrent:
        whence = SEEK_CUR;
        break;
    case TSeekOrigin::soEnd:
        whence = SEEK_END;
        break;
    default:
        return -1;
    }
    return ::lseek(Handle_, static_cast<off_t>(offset), whence);
}

void THandleStream::SetSize(std::int64_t newSize)
{
    if (newSize < 0)
        throw EStreamError("Stream size out of range");
    Seek(newSize, soBeginning);
    if (::ftruncate(Handle_, static_cast<off_t>(newSize)) != 0)
        throw EStreamError(ErrnoText(errno));
}

// ---- TFileStream ----

namespace {

int OpenFile(const std::string& fileName, WORD mode, unsigned rights)
{
    if (fileName.empty() || fileName.find('\0') != std::string::npos) {
        errno = ENOENT;
        return -1;
    }
    const bool create = (mode & 0xFF00) == 0xFF00;
    int flags = O_CLOEXEC | O_NOCTTY;
    if (create) {
        // Truncated only once the lock is held, so that a file another
        // stream holds exclusively is not emptied under it.
        flags |= O_RDWR | O_CREAT;
    } else {
        switch (mode & 0x0003) {
        case fmOpenRead:
            flags |= O_RDONLY;
            break;
        case fmOpenWrite:
            flags |= O_WRONLY;
            break;
        case fmOpenReadWrite:
            flags |= O_RDWR;
            break;
        default:
            errno = EINVAL;
            return -1;
        }
    }
    int lock = 0;
    // fmCreate alone holds the file exclusively while it is being written, as
    // the platform's create does.
    const WORD share =
        create && (mode & 0x00F0) == 0x00F0 ? fmShareExclusive : static_cast<WORD>(mode & 0x00F0);
    switch (share) {
    case fmShareCompat:
        break;
    case fmShareExclusive:
        lock = LOCK_EX;
        break;
    case fmShareDenyWrite:
    case fmShareDenyRead:
    case fmShareDenyNone:
        lock = LOCK_SH;
        break;
    default:
        errno = EINVAL;
        return -1;
    }

    const int fd = ::open(fileName.c_str(), flags, static_cast<mode_t>(rights));
    if (fd < 0)
        return -1;
    auto fail = [fd](int err) {
        ::close(fd);
        errno = err;
        return -1;
    };
    struct stat st {};
    if (::fstat(fd, &st) != 0)
        return fail(errno);
    if (S_ISDIR(st.st_mode))
        return fail(EISDIR);
    if (lock) {
        int rc;
        do
            rc = ::flock(fd, lock | LOCK_NB);
        while (rc != 0 && errno == EINTR);
        if (rc != 0)
            return fail(errno);
    }
    if (create && S_ISREG(st.st_mode) && ::ftruncate(fd, 0) != 0)
        return fail(errno);
    return fd;
}

} // namespace

TFileStream::TFileStream(const std::string& fileName, WORD mode) : TFileStream(fileName, mode, 0666) {}

TFileStream::TFileStream(const std::string& fileName, WORD mode, unsigned rights)
    : THandleStream(OpenFile(fileName, mode, rights)), FileName_(fileName)
{
    if (Handle_ >= 0)
        return;
    if ((mode & 0xFF00) == 0xFF00)
        throw EFCreateError("Cannot create file \"" + fileName + "\"");
    throw EFOpenError("Cannot open file \"" + fileName + "\"");
}

TFileStream::~TFileStream()
{
    if (Handle_ >= 0)
        ::close(Handle_);
}

// ---- TCustomMemoryStream ----

void TCustomMemoryStream::SetPointer(void* memory, std::int64_t size)
{
    Memory_ = memory;
    Size_ = size;
}

int TCustomMemoryStream::Read(void* buffer, int count)
{
    if (count <= 0 || !buffer || Position_ >= Size_)
        return 0;
    const int n = static_cast<int>(std::min<std::int64_t>(count, Size_ - Position_));
    std::memcpy(buffer, static_cast<const unsigned char*>(Memory_) + Position_, static_cast<size_t>(n));
    Position_ += n;
    return n;
}

std::int64_t TCustomMemoryStream::Seek(std::int64_t offset, TSeekOrigin origin)
{
    const auto target = SeekTarget(offset, origin, Position_, Size_);
    if (!target || *target < 0)
        return -1;
    Position_ = *target;
    return Position_;
}

void TCustomMemoryStream::SaveToStream(TStream& stream)
{
    const auto* bytes = static_cast<const unsigned char*>(Memory_);
    if (&stream == this) {
        // Writing moves the memory under a large copy made piece by piece.
        const std::vector<unsigned char> copy(bytes, bytes + Size_);
        WriteAll(stream, copy.data(), static_cast<std::int64_t>(copy.size()));
        return;
    }
    WriteAll(stream, bytes, Size_);
}

void TCustomMemoryStream::SaveToStream(TStream* stream)
{
    if (!stream)
        throw EStreamError("SaveToStream: no stream");
    SaveToStream(*stream);
}

void TCustomMemoryStream::SaveToFile(const std::string& fileName)
{
    TFileStream file(fileName, fmCreate);
    SaveToStream(file);
}

// ---- TMemoryStream ----

TMemoryStream::~TMemoryStream() = default;

void TMemoryStream::SetCapacity(std::int64_t newCapacity)
{
    constexpr std::int64_t kLargest = INT64_MAX & ~(kMemoryDelta - 1);
    if (newCapacity > kLargest)
        throw EStreamError("Out of memory while expanding memory stream");
    if (newCapacity > 0)
        newCapacity = (newCapacity + (kMemoryDelta - 1)) & ~(kMemoryDelta - 1);
    if (newCapacity == Capacity())
        return;
    try {
        if (newCapacity < 0 || static_cast<std::uint64_t>(newCapacity) > Storage_.max_size())
            throw std::length_error("memory stream");
        if (newCapacity == 0) {
            std::vector<unsigned char>().swap(Storage_);
        } else {
            Storage_.resize(static_cast<size_t>(newCapacity));
        }
    } catch (const std::bad_alloc&) {
        throw EStreamError("Out of memory while expanding memory stream");
    } catch (const std::length_error&) {
        throw EStreamError("Out of memory while expanding memory stream");
    }
    SetPointer(Storage_.empty() ? nullptr : Storage_.data(), std::min(Size(), Capacity()));
}

void TMemoryStream::SetSize(std::int64_t newSize)
{
    if (newSize < 0)
        throw EStreamError("Stream size out of range");
    const std::int64_t oldSize = Size();
    if (newSize > Capacity())
        SetCapacity(newSize);
    if (newSize > oldSize)
        std::fill(Storage_.begin() + oldSize, Storage_.begin() + newSize, 0);
    SetPointer(Storage_.empty() ? nullptr : Storage_.data(), newSize);
    if (Position_ > newSize)
        Position_ = newSize;
}

int TMemoryStream::Write(const void* buffer, int count)
{
    if (count <= 0 || !buffer)
        return 0;
    bool overflow = false;
    const std::int64_t end = ClampAdd(Position_, count, overflow);
    if (overflow)
        return 0;
    const std::optional<size_t> own = OffsetInside(buffer, Storage_.data(), Storage_.size());
    if (end > Size()) {
        const std::int64_t oldSize = Size();
        if (end > Capacity())
            SetCapacity(end);
        // A gap left by seeking past the end reads as zeros.
        if (Position_ > oldSize)
            std::fill(Storage_.begin() + oldSize, Storage_.begin() + Position_, 0);
        SetPointer(Storage_.data(), end);
    }
    if (own)
        buffer = Storage_.data() + *own;
    // The source may overlap the destination.
    std::memmove(Storage_.data() + Position_, buffer, static_cast<size_t>(count));
    Position_ = end;
    return count;
}

void TMemoryStream::Clear()
{
    SetPointer(nullptr, 0);
    SetCapacity(0);
    Position_ = 0;
}

void TMemoryStream::LoadFromStream(TStream& stream)
{
    if (&stream == this)
        return;
    stream.SetPosition(0);
    const std::int64_t count = stream.Size();
    SetSize(count);
    ReadAll(stream, Storage_.data(), count);
}

void TMemoryStream::LoadFromStream(TStream* stream)
{
    if (!stream)
        throw EStreamError("LoadFromStream: no stream");
    LoadFromStream(*stream);
}

void TMemoryStream::LoadFromFile(const std::string& fileName)
{
    TFileStream file(fileName, fmOpenRead | fmShareDenyWrite);
    LoadFromStream(file);
}

// ---- TStringStream ----

int TStringStream::Read(void* buffer, int count)
{
    const std::int64_t size = Size();
    if (count <= 0 || !buffer || Position_ >= size)
        return 0;
    const int n = static_cast<int>(std::min<std::int64_t>(count, size - Position_));
    std::memcpy(buffer, DataString_.data() + Position_, static_cast<size_t>(n));
    Position_ += n;
    return n;
}

int TStringStream::Write(const void* buffer, int count)
{
    if (count <= 0 || !buffer)
        return 0;
    const std::int64_t end = Position_ + count; // Position_ is within the string
    const std::optional<size_t> own = OffsetInside(buffer, DataString_.data(), DataString_.size());
    if (end > Size())
        DataString_.resize(static_cast<size_t>(end));
    if (own)
        buffer = DataString_.data() + *own;
    std::memmove(DataString_.data() + Position_, buffer, static_cast<size_t>(count));
    Position_ = end;
    return count;
}

std::int64_t TStringStream::Seek(std::int64_t offset, TSeekOrigin origin)
{
    const std::int64_t size = Size();
    bool overflow = false;
    std::int64_t target = 0;
    switch (origin) {
    case TSeekOrigin::soBeginning:
        target = offset;
        break;
    case TSeekOrigin::soCurrent:
        target = ClampAdd(Position_, offset, overflow);
        break;
    case TSeekOrigin::soEnd:
        target = ClampAdd(size, offset, overflow);
        break;
    default:
        return -1;
    }
    if (overflow)
        target = offset < 0 ? 0 : size;
    Position_ = std::clamp<std::int64_t>(target, 0, size);
    return Position_;
}

void TStringStream::SetSize(std::int64_t newSize)
{
    if (newSize < 0)
        throw EStreamError("Stream size out of range");
    DataString_.resize(static_cast<size_t>(newSize));
    Position_ = std::min(Position_, newSize);
}

std::string TStringStream::ReadString(int count)
{
    if (count <= 0 || Position_ >= Size())
        return {};
    const auto n = static_cast<size_t>(std::min<std::int64_t>(count, Size() - Position_));
    std::string result = DataString_.substr(static_cast<size_t>(Position_), n);
    Position_ += static_cast<std::int64_t>(n);
    return result;
}

void TStringStream::WriteString(const std::string& text)
{
    if (&text == &DataString_) {
        const std::string copy(text); // the string grows as it is written
        WriteString(copy);
        return;
    }
    WriteAll(*this, reinterpret_cast<const unsigned char*>(text.data()),
             static_cast<std::int64_t>(text.size()));
}

// ---- TResourceStream ----

TResourceStream::TResourceStream(HINSTANCE instance, const TResourceId& name, const TResourceId& type)
    : Data_(FindResourceData(instance, name, type))
{
    if (!Data_)
        throw EResNotFound("Resource " + name.ToString() + " not found");
    SetPointer(const_cast<unsigned char*>(Data_.Data()), static_cast<std::int64_t>(Data_.Size()));
}

int TResourceStream::Write(const void*, int)
{
    throw EStreamError("Can't write to a read-only resource stream");
}

} // namespace vcl

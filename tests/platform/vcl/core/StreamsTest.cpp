#include "vcl/core/Streams.h"
#include "TestSupport.h"
#include "vcl/core/Exceptions.h"

#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

using namespace vcl;

namespace {

std::string Pattern(size_t n)
{
    std::string s(n, '\0');
    for (size_t i = 0; i < n; ++i)
        s[i] = static_cast<char>((i * 131 + i / 251) & 0xFF);
    return s;
}

std::string ReadAllOf(TStream& stream)
{
    std::string out(static_cast<size_t>(stream.Size() - stream.Position()), '\0');
    stream.ReadBuffer(out.data(), static_cast<int>(out.size()));
    return out;
}

// Moves at most Limit bytes per call, as a pipe or a full disk would.
class ShortStream : public TMemoryStream {
public:
    int Limit = 3;
    int Write(const void* buffer, int count) override
    {
        return TMemoryStream::Write(buffer, std::min(count, Limit));
    }
    int Read(void* buffer, int count) override { return TMemoryStream::Read(buffer, std::min(count, Limit)); }
};

template <class E>
std::string MessageOf(auto&& action)
{
    try {
        action();
    } catch (const E& e) {
        return e.Message();
    }
    return "nothing raised";
}

void Open(const std::string& path, WORD mode)
{
    TFileStream stream(path, mode);
}

bool DirectoryHasEntry(const std::string& dir, const std::string& name)
{
    DIR* d = opendir(dir.c_str());
    bool found = false;
    while (dirent* e = readdir(d))
        found = found || name == e->d_name;
    closedir(d);
    return found;
}

} // namespace

TEST(TStreamTest, MemoryStreamReadsWritesAndSeeks)
{
    TMemoryStream m;
    m.WriteBuffer("hello world", 11);
    EXPECT_EQ(m.Size(), 11);
    EXPECT_EQ(m.Position(), 11);
    EXPECT_GE(m.Capacity(), 11);
    EXPECT_EQ(std::string(static_cast<const char*>(m.Memory()), 11), "hello world");

    EXPECT_EQ(m.Seek(-5, soFromEnd), 6);
    char buf[16] = {};
    EXPECT_EQ(m.Read(buf, 16), 5);
    EXPECT_STREQ(buf, "world");
    EXPECT_EQ(m.Read(buf, 16), 0);

    // Seeking past the end and writing leaves zeros in the gap.
    EXPECT_EQ(m.Seek(std::int64_t{4}, soEnd), 15);
    m.WriteBuffer("!", 1);
    EXPECT_EQ(m.Size(), 16);
    m.SetPosition(11);
    EXPECT_EQ(ReadAllOf(m), std::string("\0\0\0\0!", 5));

    // A negative position does not exist: the seek fails and nothing moves.
    m.SetPosition(3);
    EXPECT_EQ(m.Seek(std::int64_t{-4}, soCurrent), -1);
    EXPECT_EQ(m.Position(), 3);
    EXPECT_EQ(m.Seek(std::int64_t{INT64_MAX}, soEnd), -1);

    // A smaller size pulls the position in; a larger one is zero-filled, even
    // over bytes that were there before.
    m.SetPosition(14);
    m.SetSize(5);
    EXPECT_EQ(m.Position(), 5);
    m.SetSize(8);
    m.SetPosition(0);
    EXPECT_EQ(ReadAllOf(m), std::string("hello\0\0\0", 8));
    EXPECT_THROW(m.SetSize(-1), EStreamError);

    m.Clear();
    EXPECT_EQ(m.Size(), 0);
    EXPECT_EQ(m.Position(), 0);
    EXPECT_EQ(m.Memory(), nullptr);
    EXPECT_EQ(m.Read(buf, 4), 0);
    // Room that cannot exist is refused, not wrapped around.
    m.Seek(std::int64_t{INT64_MAX - 10}, soBeginning);
    EXPECT_EQ(MessageOf<EStreamError>([&] { m.WriteBuffer("x", 1); }),
              "Out of memory while expanding memory stream");
    EXPECT_EQ(m.Seek(std::int64_t{INT64_MAX}, soBeginning), INT64_MAX);
    EXPECT_EQ(m.Write("x", 1), 0);
    EXPECT_EQ(m.Size(), 0);
    // A 64-bit position past 2 GB cannot be told through the 32-bit Seek.
    m.Seek(std::int64_t{0x90000000LL}, soBeginning);
    EXPECT_THROW(m.Seek(0, soFromCurrent), EStreamError);
}

TEST(TStreamTest, ShortTransfersRaise)
{
    ShortStream s;
    EXPECT_EQ(MessageOf<EWriteError>([&] { s.WriteBuffer("abcdef", 6); }), "Stream write error");
    EXPECT_EQ(s.Size(), 3); // what went through stays
    s.Clear();
    s.Limit = 100;
    s.WriteBuffer("abcdef", 6);
    s.SetPosition(0);
    char buf[8];
    s.ReadBuffer(buf, 6);
    EXPECT_EQ(MessageOf<EReadError>([&] { s.ReadBuffer(buf, 1); }), "Stream read error");
    s.SetPosition(2);
    EXPECT_EQ(MessageOf<EReadError>([&] { s.ReadBuffer(buf, 5); }), "Stream read error");
    s.SetPosition(0);
    s.Limit = 2;
    EXPECT_THROW(s.ReadBuffer(buf, 4), EReadError);
    EXPECT_THROW(s.ReadBuffer(buf, -1), EReadError);
    s.ReadBuffer(buf, 0); // nothing asked, nothing missing
}

TEST(TStreamTest, CopyFromCopiesTheCountOrAllFromTheBeginning)
{
    const std::string data = Pattern(200000); // several rounds of the copy buffer
    TStringStream source(data);
    source.SetPosition(12345);

    TMemoryStream all;
    EXPECT_EQ(all.CopyFrom(source, 0), 200000);
    all.SetPosition(0);
    EXPECT_EQ(ReadAllOf(all), data);

    TMemoryStream part;
    source.SetPosition(100);
    EXPECT_EQ(part.CopyFrom(&source, 70000), 70000);
    EXPECT_EQ(source.Position(), 70100);
    part.SetPosition(0);
    EXPECT_EQ(ReadAllOf(part), data.substr(100, 70000));

    // More than the source has.
    source.SetPosition(199990);
    TMemoryStream tooMuch;
    EXPECT_THROW(tooMuch.CopyFrom(source, 11), EReadError);
    EXPECT_THROW(tooMuch.CopyFrom(source, -1), EReadError);

    // Into a stream that cannot take it all.
    ShortStream sink;
    EXPECT_THROW(sink.CopyFrom(source, 0), EWriteError);

    // Memory streams load and save whole streams.
    TMemoryStream loaded;
    source.SetPosition(5);
    loaded.LoadFromStream(source);
    EXPECT_EQ(loaded.Size(), 200000);
    TStringStream saved;
    loaded.SaveToStream(saved);
    EXPECT_EQ(saved.DataString(), data);
}

TEST(TStreamTest, StringStreamOverwritesInPlace)
{
    TStringStream s("hello world");
    EXPECT_EQ(s.Size(), 11);
    s.WriteString("J");
    EXPECT_EQ(s.DataString(), "Jello world"); // not cut after what was written
    s.Seek(-5, soFromEnd);
    s.WriteString("there!");
    EXPECT_EQ(s.DataString(), "Jello there!");
    s.SetPosition(6);
    EXPECT_EQ(s.ReadString(3), "the");
    EXPECT_EQ(s.ReadString(100), "re!");
    EXPECT_EQ(s.ReadString(1), "");
    // Seeks stay inside the string.
    EXPECT_EQ(s.Seek(std::int64_t{50}, soBeginning), 12);
    EXPECT_EQ(s.Seek(std::int64_t{-50}, soCurrent), 0);
    EXPECT_EQ(s.Seek(std::int64_t{INT64_MIN}, soEnd), 0);
    s.SetPosition(10);
    s.SetSize(4);
    EXPECT_EQ(s.Position(), 4);
    EXPECT_EQ(s.DataString(), "Jell");
    s.WriteString(std::string("\0\xff", 2));
    EXPECT_EQ(s.DataString(), std::string("Jell\0\xff", 6));
}

TEST(TStreamTest, FileStreamsKeepNamesByteForByte)
{
    kwtest::TempDir dir;
    const std::string name = std::string("bad-\xff\xfe-utf8-\xc3(") + ".bin";
    const std::string path = dir / name;
    const std::string data = Pattern(70000);
    {
        TFileStream out(path, fmCreate);
        EXPECT_EQ(out.FileName(), path);
        out.WriteBuffer(data.data(), static_cast<int>(data.size()));
        EXPECT_EQ(out.Size(), 70000);
    }
    EXPECT_TRUE(DirectoryHasEntry(dir.Path(), name));
    {
        TFileStream in(path, fmOpenRead | fmShareDenyWrite);
        EXPECT_EQ(in.Size(), 70000);
        EXPECT_EQ(ReadAllOf(in), data);
        // Read-only: writing moves nothing, and WriteBuffer says so.
        in.SetPosition(0);
        EXPECT_EQ(in.Write("x", 1), 0);
        EXPECT_THROW(in.WriteBuffer("x", 1), EWriteError);
        EXPECT_EQ(in.Seek(-10, soFromEnd), 69990);
        char tail[20];
        EXPECT_EQ(in.Read(tail, 20), 10);
    }
    {
        TFileStream rw(path, fmOpenReadWrite);
        rw.SetSize(10);
        EXPECT_EQ(rw.Position(), 10);
        EXPECT_EQ(rw.Size(), 10);
        rw.SetPosition(0);
        EXPECT_EQ(ReadAllOf(rw), data.substr(0, 10));
    }
    TMemoryStream m;
    m.LoadFromFile(path);
    EXPECT_EQ(m.Size(), 10);
    // fmCreate on an existing file empties it.
    {
        TFileStream again(path, fmCreate);
    }
    struct stat st {};
    ASSERT_EQ(stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_size, 0);
    m.SaveToFile(path);
    ASSERT_EQ(stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_size, 10);
}

TEST(TStreamTest, FileStreamFailuresRaise)
{
    kwtest::TempDir dir;
    const std::string missing = dir / "missing\x80.txt";
    EXPECT_EQ(MessageOf<EFOpenError>([&] { TFileStream f(missing, fmOpenRead); }),
              "Cannot open file \"" + missing + "\"");
    const std::string noFolder = dir / "no/such/folder.txt";
    EXPECT_EQ(MessageOf<EFCreateError>([&] { TFileStream f(noFolder, fmCreate); }),
              "Cannot create file \"" + noFolder + "\"");
    // A folder is not a file, although POSIX would open it for reading.
    EXPECT_THROW(Open(dir.Path(), fmOpenRead), EFOpenError);
    EXPECT_THROW(Open(dir.Path(), fmCreate), EFCreateError);
    // A name with a zero byte inside cannot be passed whole: refused, not cut.
    const std::string withNul = dir / std::string("a\0b", 3);
    {
        TFileStream a(dir / "a", fmCreate);
    }
    EXPECT_THROW(Open(withNul, fmOpenRead), EFOpenError);
    // An access mode that does not exist.
    EXPECT_THROW(Open(dir / "a", 3), EFOpenError);
    // fmCreate takes the permission bits it is given.
    {
        TFileStream made(dir / "private", fmCreate, 0600);
    }
    struct stat st {};
    ASSERT_EQ(stat((dir / "private").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
}

TEST(TStreamTest, ShareModesKeepOtherStreamsOut)
{
    kwtest::TempDir dir;
    const std::string path = dir / "shared.dat";
    {
        TFileStream make(path, fmCreate);
    }
    {
        TFileStream exclusive(path, fmOpenReadWrite | fmShareExclusive);
        EXPECT_THROW(Open(path, fmOpenRead | fmShareDenyNone), EFOpenError);
        EXPECT_THROW(Open(path, fmOpenRead | fmShareExclusive), EFOpenError);
        // fmCreate would empty the file under the exclusive holder: it must
        // fail before it truncates.
        exclusive.WriteBuffer("keep", 4);
        EXPECT_THROW(Open(path, fmCreate), EFCreateError);
        EXPECT_EQ(exclusive.Size(), 4);
        // The compatible mode takes no lock, as plain POSIX opens do.
        Open(path, fmOpenRead);
    }
    {
        TFileStream reader1(path, fmOpenRead | fmShareDenyWrite);
        TFileStream reader2(path, fmOpenRead | fmShareDenyNone);
        EXPECT_THROW(Open(path, fmOpenWrite | fmShareExclusive), EFOpenError);
        EXPECT_THROW(Open(path, fmCreate), EFCreateError);
    }
    TFileStream afterwards(path, fmOpenReadWrite | fmShareExclusive);
    EXPECT_EQ(afterwards.Size(), 4);
}

TEST(TStreamTest, HandleStreamLeavesTheDescriptorOpen)
{
    kwtest::TempDir dir;
    const int fd = ::open((dir / "h").c_str(), O_RDWR | O_CREAT, 0600);
    ASSERT_GE(fd, 0);
    {
        THandleStream h(fd);
        h.WriteBuffer("abc", 3);
        EXPECT_EQ(h.Handle(), fd);
    }
    EXPECT_EQ(::lseek(fd, 0, SEEK_CUR), 3); // still open, where the stream left it
    ::close(fd);
    THandleStream closed(-1);
    char c;
    EXPECT_EQ(closed.Read(&c, 1), 0);
    EXPECT_EQ(closed.Seek(std::int64_t{0}, soEnd), -1);
}

TEST(TStreamTest, WritingAStreamsOwnBytesIntoItself)
{
    // The source lies in the stream's storage, which moves as it grows.
    TMemoryStream m;
    m.WriteBuffer("abcdef", 6);
    m.WriteBuffer(m.Memory(), 6);
    m.SetPosition(0);
    EXPECT_EQ(ReadAllOf(m), "abcdefabcdef");
    const std::string big = Pattern(5000);
    TMemoryStream grown;
    grown.WriteBuffer(big.data(), static_cast<int>(big.size()));
    grown.WriteBuffer(grown.Memory(), static_cast<int>(big.size())); // past the first capacity
    grown.SetPosition(0);
    EXPECT_EQ(ReadAllOf(grown), big + big);
    // Overlapping source and destination, as when data is shifted down.
    m.SetPosition(0);
    m.WriteBuffer(static_cast<const char*>(m.Memory()) + 1, 11);
    m.SetPosition(0);
    EXPECT_EQ(ReadAllOf(m), "bcdefabcdeff");
    // Saving a memory stream into itself appends a copy of it.
    TMemoryStream self;
    self.WriteBuffer(big.data(), static_cast<int>(big.size()));
    self.SaveToStream(self);
    EXPECT_EQ(self.Size(), 10000);
    self.SetPosition(5000);
    EXPECT_EQ(ReadAllOf(self), big);

    TStringStream s("hello");
    s.Seek(0, soFromEnd);
    s.WriteString(s.DataString());
    EXPECT_EQ(s.DataString(), "hellohello");
    s.Seek(0, soFromEnd);
    s.WriteBuffer(s.DataString().data() + 5, 5);
    EXPECT_EQ(s.DataString(), "hellohellohello");
    s.SetPosition(0);
    s.WriteBuffer(s.DataString().data() + 1, 4);
    EXPECT_EQ(s.DataString(), "elloohellohello");
}

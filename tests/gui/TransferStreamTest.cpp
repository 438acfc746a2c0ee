// Streams over FTP and local files, and the file-descriptor block: a read
// that fails is never taken for the end of the data, a write says what
// really went out, and descriptors survive a round trip byte for byte.
#include "FileDescList.h"
#include "FtpSession.h"
#include "GuiTestSupport.h"
#include "IStreamFile.h"
#include "ImpIStream.h"
#include "TavoDoc.h"
#include "TestFtpServer.h"

#include <QtEndian>

#include <gtest/gtest.h>

#include <random>

namespace fs = std::filesystem;
using guitest::ReadFile;
using guitest::WriteFile;

namespace {

std::string Bytes(size_t size)
{
    std::mt19937 random(7);
    std::string data(size, '\0');
    for (char& c : data)
        c = static_cast<char>(random() & 0xFF);
    return data;
}

// Reads until the stream says anything but "more": the bytes and that result.
std::pair<std::string, StreamResult> ReadAll(IStream& stream)
{
    std::string data;
    char buffer[4096];
    for (;;) {
        std::uint32_t got = 0;
        const StreamResult rc = stream.Read(buffer, sizeof buffer, &got);
        data.append(buffer, got);
        if (rc != kStreamOk)
            return {data, rc};
    }
}

class TransferStream : public ::testing::Test {
protected:
    void SetUp() override { m_pSession = guitest::LoginSession(m_doc, m_server); }
    void TearDown() override { m_doc.OnCloseDocument(); }

    testbed::TestFtpServer m_server;
    CTavoDoc m_doc;
    CSession* m_pSession = nullptr;
};

}  // namespace

TEST_F(TransferStream, FtpReadEndsOnlyWhenTheWholeFileArrived)
{
    ASSERT_NE(m_pSession, nullptr);
    const std::string data = Bytes(200000);
    WriteFile(m_server.Root() / "data.bin", data);
    const int handle = m_pSession->GetFtpHandle();

    auto* whole = new CImpIStream;
    ASSERT_TRUE(whole->Open("/data.bin", handle, false, 0));
    EXPECT_EQ(m_pSession->m_nBusy, 1);  // nothing else talks on the handle meanwhile
    const auto [read, end] = ReadAll(*whole);
    EXPECT_EQ(end, kStreamFalse);
    EXPECT_EQ(read, data);
    EXPECT_EQ(m_pSession->m_nBusy, 0);
    const size_t commands = m_server.Commands().size();
    std::uint32_t got = 1;
    char byte;
    EXPECT_EQ(whole->Read(&byte, 1, &got), kStreamFalse);
    EXPECT_EQ(got, 0u);
    EXPECT_EQ(m_server.Commands().size(), commands);
    EXPECT_EQ(whole->Release(), 0);

    // A connection that breaks off is a fault, not a short file.
    m_server.DropAfterBytes("RETR", 50000);
    auto* broken = new CImpIStream;
    ASSERT_TRUE(broken->Open("/data.bin", handle, false, 0));
    guitest::TraceCapture trace;
    const auto [part, result] = ReadAll(*broken);
    EXPECT_TRUE(StreamFailed(result));
    EXPECT_LT(part.size(), data.size());
    EXPECT_TRUE(trace.Has("Cannot read /data.bin"));
    broken->Release();

    // A file that is not there opens nothing, and says why.
    m_pSession->Reconnect();
    auto* missing = new CImpIStream;
    EXPECT_FALSE(missing->Open("/none.bin", m_pSession->GetFtpHandle(), false, 0));
    EXPECT_TRUE(trace.Has("Cannot open /none.bin"));
    EXPECT_EQ(m_pSession->m_nBusy, 0);
    missing->Release();
}

TEST_F(TransferStream, FtpWriteCountsAndTheCloseDecides)
{
    ASSERT_NE(m_pSession, nullptr);
    const std::string data = Bytes(100000);
    const int handle = m_pSession->GetFtpHandle();
    auto* up = new CImpIStream;
    ASSERT_TRUE(up->Open("/up.bin", handle, true, 0));
    for (size_t at = 0; at < data.size(); at += 4096) {
        const auto size = static_cast<std::uint32_t>(std::min<size_t>(4096, data.size() - at));
        std::uint32_t written = 0;
        ASSERT_EQ(up->Write(data.data() + at, size, &written), kStreamOk);
        EXPECT_EQ(written, size);
    }
    EXPECT_EQ(up->Commit(0), kStreamOk);
    up->Release();
    EXPECT_EQ(ReadFile(m_server.Root() / "up.bin"), data);

    // The server breaks off the upload: a write or the close must say so.
    m_server.DropAfterBytes("STOR", 20000);
    auto* cut = new CImpIStream;
    ASSERT_TRUE(cut->Open("/cut.bin", handle, true, 0));
    bool failed = false;
    for (size_t at = 0; at < data.size() && !failed; at += 4096) {
        std::uint32_t written = 0;
        failed = cut->Write(data.data() + at, 4096, &written) != kStreamOk;
    }
    failed = cut->Commit(0) != kStreamOk || failed;
    EXPECT_TRUE(failed);
    cut->Release();
}

TEST(LocalStream, WritesReportWhatWentOutAndReadErrorsAreFaults)
{
    const fs::path folder = guitest::NewScratchFolder("stream");
    auto* file = new CIStreamFile;
    file->AddRef();
    ASSERT_TRUE(file->Open((folder / "out.bin").string(), CIStreamFile::modeCreate | CIStreamFile::modeWrite));
    std::uint32_t written = 0;
    EXPECT_EQ(file->Write("hello", 5, &written), kStreamOk);
    EXPECT_EQ(written, 5u);
    EXPECT_EQ(file->Commit(0), kStreamOk);
    file->Release();
    EXPECT_EQ(ReadFile(folder / "out.bin"), "hello");

    // A full disk: nothing counted as written, and a copy stops with the fault.
    auto* full = new CIStreamFile;
    full->AddRef();
    ASSERT_TRUE(full->Open("/dev/full", CIStreamFile::modeWrite));
    EXPECT_EQ(full->Write("hello", 5, &written), kStreamWriteFault);
    EXPECT_EQ(written, 0u);
    WriteFile(folder / "in.bin", Bytes(5000));
    auto* in = new CIStreamFile;
    in->AddRef();
    ASSERT_TRUE(in->Open((folder / "in.bin").string(), CIStreamFile::modeRead));
    std::uint64_t read = 0;
    std::uint64_t put = 0;
    EXPECT_TRUE(StreamFailed(in->CopyTo(full, 5000, &read, &put)));
    EXPECT_NE(read, put);
    in->Release();
    full->Release();

    // Reading a folder fails; that is not the end of any data.
    auto* dir = new CIStreamFile;
    dir->AddRef();
    ASSERT_TRUE(dir->Open(folder.string(), CIStreamFile::modeRead));
    char buffer[16];
    EXPECT_EQ(dir->Read(buffer, sizeof buffer, &written), kStreamReadFault);
    dir->Release();
}

TEST(FileGroupDescriptor, RoundTripKeepsSizesAboveFourGigabytesAndFolders)
{
    const std::uint64_t big = (5ULL << 30) + 7;  // both 32-bit halves in use
    FileDescriptor file;
    file.m_strName = "a.txt";
    file.m_nSize = 5;
    FileDescriptor large;
    large.m_strName = "big.iso";
    large.m_nSize = big;
    large.m_nWriteTime = FileTimeFromUnix(0);
    FileDescriptor folder;
    folder.m_strName = "dir";
    folder.m_nAttributes = kFileAttributeDirectory;
    FileDescriptor unmarked;  // a folder's attributes, but not marked valid
    unmarked.m_strName = "plain";
    unmarked.m_nFlags = 0;
    unmarked.m_nAttributes = kFileAttributeDirectory;
    const std::vector<FileDescriptor> records{file, large, folder, unmarked};

    const QByteArray block = PackFileGroupDescriptor(records);
    ASSERT_EQ(block.size(), 4 + 4 * kFileDescriptorSize);
    const char* second = block.constData() + 4 + kFileDescriptorSize;
    EXPECT_EQ(qFromLittleEndian<std::uint32_t>(second + 0), 0x64u);
    EXPECT_EQ(qFromLittleEndian<std::uint32_t>(second + 64), 1u);
    EXPECT_EQ(qFromLittleEndian<std::uint32_t>(second + 68), 0x40000007u);
    EXPECT_EQ(qFromLittleEndian<std::uint64_t>(second + 56), 116444736000000000ULL);

    std::vector<FileDescriptor> back;
    ASSERT_TRUE(ParseFileGroupDescriptor(block, back));
    EXPECT_EQ(back, records);
    const bool folders[] = {false, false, true, false};
    for (size_t i = 0; i < back.size(); ++i)
        EXPECT_EQ(back[i].IsFolder(), folders[i]) << back[i].m_strName;

    // Blocks another program may send: short, a count that does not fit,
    // a name without its end.
    EXPECT_FALSE(ParseFileGroupDescriptor(block.left(block.size() - 1), back));
    QByteArray claims = block;
    claims[0] = 5;
    EXPECT_FALSE(ParseFileGroupDescriptor(claims, back));
    QByteArray endless = PackFileGroupDescriptor({file});
    endless.replace(4 + 72, kFileDescriptorNameSize, QByteArray(kFileDescriptorNameSize, 'x'));
    ASSERT_TRUE(ParseFileGroupDescriptor(endless, back));
    EXPECT_EQ(back.front().m_strName, "");
}

#include "archive/byte_stream_win.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "archive/file_handle_win.h"
#include "archive/member_list_win.h"
#include "archive/progress_draw_win.h"
#include "harness_win.h"
#include "setup/globals.h"

using namespace harness;

namespace {

// The byte source reading "in.bin" and the sink writing "out.bin".
class ByteStreams : public ::testing::Test {
protected:
    void SetUp() override { PrepareInstallState(dir_.Path(), dir_.Path(), false); }
    void Open(const Bytes& archive) {
        archive_.Close();
        output_.Close();
        WriteBytes(dir_ / "in.bin", archive);
        archive_ = OpenForReading(dir_ / "in.bin");
        output_ = CreateForWriting(dir_ / "out.bin");
        ArchiveHandle = archive_.Get();
        OutputHandle = output_.Get();
        ResetByteStreams();
    }

    TempDir dir_;
    FileHandle archive_, output_;
};

TEST_F(ByteStreams, SourceAndSinkAtTheBufferEdges) {
    // Reads of three bytes cross the source's buffer edge and, at the end,
    // ask for more than is left. The sink writes a full buffer when the next
    // byte comes, counting and drawing it; the final flush does neither.
    for (const auto& [size, step] : {std::pair<std::size_t, std::uint16_t>{2048, 1}, {2049, 1}, {4096, 3}}) {
        SCOPED_TRACE(size);
        const Bytes content = SampleBytes(size, static_cast<std::uint32_t>(size));
        Open(content);
        DecodedTotal = static_cast<std::int32_t>(size);
        LastPercent = -1;
        std::uint8_t got[3] = {};
        std::uint16_t actual = 0, written = 0;
        for (std::size_t i = 0; i < size;) {
            ReadCompressed(got, step, actual);
            ASSERT_EQ(actual, std::min<std::size_t>(step, size - i)) << "at " << i;
            for (std::uint16_t k = 0; k < actual; ++k, ++i) {
                WriteDecoded(&got[k], 1, written);
                ASSERT_EQ(FileSizeOf(output_.Get()), i < 2048 ? 0 : 2048) << "after byte " << i + 1;
            }
        }
        ReadCompressed(got, 1, actual);
        EXPECT_EQ(actual, 0) << "after the end";
        WriteDecoded(nullptr, 0, written);
        EXPECT_EQ(BytesWritten, size > 2048 ? 2048 : 0);
        // 2048 of 4096 is 50 %, of 2049 it rounds to 100 %.
        EXPECT_EQ(LastPercent, size == 4096 ? 50 : size == 2049 ? 100 : -1);
        EXPECT_EQ(ReadBytes(dir_ / "out.bin"), content);
    }
}

// Read and write failures stop the copy with a message (the phase shows it).
// A full non-blocking pipe takes none of a block yet reports success, as a
// nearly full disk may. The stream stops; stopped, it moves nothing more and
// drops what is pending.
TEST_F(ByteStreams, AShortWriteStopsTheStream) {
    Open(SampleBytes(100, 3));
    const char* pipe = "\\\\.\\pipe\\gv-short-write";
    output_ = FileHandle(
        CreateNamedPipeA(pipe, PIPE_ACCESS_OUTBOUND, PIPE_TYPE_BYTE | PIPE_NOWAIT, 1, 1024, 1024, 0, nullptr));
    OutputHandle = output_.Get();
    const FileHandle reader(CreateFileA(pipe, GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    DecodedTotal = 5000;
    std::uint8_t byte = 'x';
    std::uint16_t actual = 0;
    for (int i = 0; i < 2049; ++i) WriteDecoded(&byte, 1, actual);
    EXPECT_TRUE(WriteFailed);
    EXPECT_EQ(ContinueFlag, 0);
    WriteDecoded(&byte, 1, actual);
    EXPECT_EQ(actual, 0);
    ReadCompressed(&byte, 1, actual);
    EXPECT_EQ(actual, 0);
    WriteDecoded(nullptr, 0, actual);
    DWORD waiting = 1;
    PeekNamedPipe(reader.Get(), nullptr, 0, nullptr, &waiting, nullptr);
    EXPECT_EQ(waiting, 0u) << "the pending byte was written";
}

// The queue is drained every 4 ms or 16 KB, not after every byte: the source
// drains it while it reads (the walks' cancels while unpacking show that
// it is served) and drops a WM_QUIT.
TEST_F(ByteStreams, TheSourceServesQueuedMessagesAndDropsQuit) {
    Open(Bytes(20000, 'a'));  // past 16 KB, whatever the clock says
    PostQuitMessage(0);
    std::uint8_t byte = 0;
    std::uint16_t actual = 0;
    for (int i = 0; i < 20000; ++i) ReadCompressed(&byte, 1, actual);
    MSG left;
    EXPECT_FALSE(PeekMessageA(&left, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) << "WM_QUIT stayed queued";
}

}  // namespace

#include "archive/byte_stream_win.h"

#include <chrono>

#include <gtest/gtest.h>

#include "archive/member_list_win.h"
#include "archive/message_pump_win.h"
#include "archive/progress_draw_win.h"
#include "engine_test_support.h"
#include "setup/globals.h"

using namespace enginetest;

namespace {

class ByteStreams : public ::testing::Test {
protected:
    void SetUp() override
    {
        PrepareInstallState(dir_.Path(), dir_.Path(), false);
        ProgressDC = nullptr;
        DecodePumpPace = {64, 4};
    }
    void TearDown() override
    {
        ArchiveHandle = nullptr;
        OutputHandle = nullptr;
        ContinueFlag = 1;
        DecodePumpPace = {64, 4};
    }

    HANDLE OpenArchive(const Bytes& content)
    {
        WriteBytes(dir_ / "in.bin", content);
        archive_ = CreateFileA((dir_ / "in.bin").c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0,
                               nullptr);
        ArchiveHandle = archive_;
        OutputHandle = nullptr;
        ResetByteStreams();
        return archive_;
    }
    void OpenOutput(DWORD access = GENERIC_READ | GENERIC_WRITE)
    {
        output_ = CreateFileA((dir_ / "out.bin").c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_ALWAYS, 0, nullptr);
        OutputHandle = output_;
        ResetByteStreams();
    }
    long long OutputSize()
    {
        LARGE_INTEGER size{};
        GetFileSizeEx(output_, &size);
        return size.QuadPart;
    }
    void CloseFiles()
    {
        if (archive_)
            CloseHandle(archive_);
        if (output_)
            CloseHandle(output_);
        archive_ = output_ = nullptr;
    }
    ~ByteStreams() override { CloseFiles(); }

    TempDir dir_;
    HANDLE archive_ = nullptr;
    HANDLE output_ = nullptr;
};

TEST_F(ByteStreams, SourceDeliversEveryByteAcrossBlockEdgesThenNothing)
{
    for (std::size_t size : {std::size_t{2048}, std::size_t{2049}, std::size_t{4096}}) {
        const Bytes content = SampleBytes(size, static_cast<std::uint32_t>(size));
        OpenArchive(content);
        Bytes delivered;
        std::uint8_t byte = 0;
        std::uint16_t actual = 1;
        for (;;) {
            ReadCompressed(&byte, 1, actual);
            if (actual == 0)
                break;
            ASSERT_EQ(actual, 1);
            delivered.push_back(byte);
        }
        EXPECT_EQ(delivered, content) << size;
        ReadCompressed(&byte, 1, actual);
        EXPECT_EQ(actual, 0) << "after the end, size " << size;
        CloseFiles();
    }
}

TEST_F(ByteStreams, SourceServesALongerRequestAcrossTheBufferEdge)
{
    const Bytes content = SampleBytes(4096, 7);
    OpenArchive(content);
    std::uint8_t got[8] = {};
    std::uint16_t actual = 0;
    for (int i = 0; i < 2047; ++i)
        ReadCompressed(got, 1, actual);
    // One byte is left in the buffer: the other two come from the next read.
    ReadCompressed(got, 3, actual);
    ASSERT_EQ(actual, 3);
    EXPECT_EQ(Bytes(got, got + 3), Bytes(content.begin() + 2047, content.begin() + 2050));
    for (int i = 2050; i < 4094; ++i)
        ReadCompressed(got, 1, actual);
    ReadCompressed(got, 5, actual);
    EXPECT_EQ(actual, 2) << "only two bytes were left";
    EXPECT_EQ(Bytes(got, got + 2), Bytes(content.end() - 2, content.end()));
}

TEST_F(ByteStreams, SinkFlushesWhenThe2049thPendingByteArrives)
{
    for (std::size_t size : {std::size_t{2048}, std::size_t{2049}, std::size_t{4096}}) {
        const Bytes content = SampleBytes(size, 11);
        DeleteFileA((dir_ / "out.bin").c_str());
        OpenOutput();
        DecodedTotal = static_cast<std::int32_t>(size);
        LastPercent = -1;
        std::uint16_t actual = 0;
        for (std::size_t i = 0; i < size; ++i) {
            WriteDecoded(&content[i], 1, actual);
            ASSERT_EQ(actual, 1);
            const long long expected = i < 2048 ? 0 : 2048;
            ASSERT_EQ(OutputSize(), expected) << "size " << size << ", after byte " << i + 1;
        }
        const std::int32_t countedBefore = BytesWritten;
        const std::int32_t drawnBefore = LastPercent;
        EXPECT_EQ(countedBefore, size > 2048 ? 2048 : 0);
        // 2048 of 4096 is 50 %, of 2049 it rounds to 100 %.
        EXPECT_EQ(drawnBefore, size == 4096 ? 50 : size == 2049 ? 100 : -1) << size;

        WriteDecoded(nullptr, 0, actual);
        EXPECT_EQ(BytesWritten, countedBefore) << "the final flush does not count, size " << size;
        EXPECT_EQ(LastPercent, drawnBefore) << "the final flush does not draw, size " << size;
        CloseFiles();
        EXPECT_EQ(ReadBytes(dir_ / "out.bin"), content) << size;
        EXPECT_FALSE(WriteFailed);
    }
}

TEST_F(ByteStreams, StoppedStreamsMoveNothingAndDropWhatIsPending)
{
    OpenArchive(SampleBytes(100, 3));
    OpenOutput();
    std::uint8_t byte = 'x';
    std::uint16_t actual = 9;
    for (int i = 0; i < 10; ++i)
        WriteDecoded(&byte, 1, actual);
    ContinueFlag = 0;
    ReadCompressed(&byte, 1, actual);
    EXPECT_EQ(actual, 0);
    actual = 9;
    WriteDecoded(&byte, 1, actual);
    EXPECT_EQ(actual, 0);
    WriteDecoded(nullptr, 0, actual);
    EXPECT_EQ(OutputSize(), 0);
}

TEST_F(ByteStreams, AFailedWriteStopsTheStream)
{
    WriteBytes(dir_ / "out.bin", {});
    OpenOutput(GENERIC_READ);  // every write fails, as on a full disk
    DecodedTotal = 5000;
    std::uint8_t byte = 'x';
    std::uint16_t actual = 0;
    for (int i = 0; i < 2049; ++i)
        WriteDecoded(&byte, 1, actual);
    EXPECT_TRUE(WriteFailed);
    EXPECT_EQ(ContinueFlag, 0);
}

// Counts what reaches a window of the test thread through the byte source.
LRESULT CALLBACK CountingProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_APP)
        ++*reinterpret_cast<int*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    return DefWindowProcA(window, message, wParam, lParam);
}

class PumpedByteStreams : public ByteStreams {
protected:
    void SetUp() override
    {
        ByteStreams::SetUp();
        WNDCLASSA windowClass = {};
        windowClass.lpfnWndProc = CountingProc;
        windowClass.hInstance = GetModuleHandleA(nullptr);
        windowClass.lpszClassName = "GvEngineCounter";
        RegisterClassA(&windowClass);
        window_ = CreateWindowA("GvEngineCounter", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                GetModuleHandleA(nullptr), nullptr);
        SetWindowLongPtrA(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&served_));
    }
    void TearDown() override
    {
        DestroyWindow(window_);
        ByteStreams::TearDown();
    }
    HWND window_ = nullptr;
    int served_ = 0;
};

TEST_F(PumpedByteStreams, QueuedMessagesAreServedWithinMillisecondsAndQuitIsDropped)
{
    OpenArchive(Bytes(4000000, 'a'));
    PostQuitMessage(0);
    PostMessageA(window_, WM_APP, 0, 0);
    const auto start = std::chrono::steady_clock::now();
    std::uint8_t byte = 0;
    std::uint16_t actual = 0;
    std::size_t delivered = 0;
    while (served_ == 0) {
        ReadCompressed(&byte, 1, actual);
        ASSERT_EQ(actual, 1) << "the archive ran out before the message was served; flag " << ContinueFlag
                             << ", read failed " << ReadFailed << ", delivered " << delivered;
        ++delivered;
    }
    const auto waited = std::chrono::steady_clock::now() - start;
    EXPECT_LT(waited, std::chrono::milliseconds(100));
    EXPECT_GT(delivered, 1u) << "the queue is not drained after every byte";
    MSG left;
    EXPECT_FALSE(PeekMessageA(&left, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) << "WM_QUIT stayed queued";
}

TEST_F(PumpedByteStreams, AtTheEndOfTheArchiveNothingIsPumped)
{
    OpenArchive(Bytes(10, 'a'));
    DecodePumpPace = {1, 0};
    std::uint8_t byte = 0;
    std::uint16_t actual = 0;
    for (int i = 0; i < 10; ++i)
        ReadCompressed(&byte, 1, actual);
    PostMessageA(window_, WM_APP, 0, 0);
    ReadCompressed(&byte, 1, actual);
    EXPECT_EQ(actual, 0);
    EXPECT_EQ(served_, 0);
    MSG queued;
    EXPECT_TRUE(PeekMessageA(&queued, window_, WM_APP, WM_APP, PM_REMOVE));
}

}  // namespace

// Throughput of LzhDecode through per-byte callbacks and of LzhEncode,
// against lhasa ("lha x") extracting the .lzh our writer makes from the same
// data, measured in the same run; and the encoder's size against the fast
// parse and against a peer's -lh1- stream of the same data, which must decode
// to it. Usage: gv_bench CORPUS [REPEATS [PEER_STREAM PEER_SECONDS]]
#include <sys/resource.h>
#include <sys/time.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <exception>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "archive/lzh_decode.h"
#include "lzh/lzh_archive.h"
#include "lzh/lzh_encode.h"
#include "lzh/stream_codec.h"

namespace {

namespace fs = std::filesystem;

struct Timing {
    double wall = 1e30;  // seconds, best of the repeats
    double cpu = 1e30;
};

double Now() { return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count(); }
double ProcessCpu() {
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}
double ChildrenCpu() {
    rusage usage{};
    getrusage(RUSAGE_CHILDREN, &usage);
    auto seconds = [](const timeval& v) {
        return static_cast<double>(v.tv_sec) + static_cast<double>(v.tv_usec) * 1e-6;
    };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

template <typename Work>
Timing Measure(int repeats, bool inChild, Work work) {
    Timing best;
    for (int i = 0; i < repeats; ++i) {
        const double cpu0 = inChild ? ChildrenCpu() : ProcessCpu();
        const double wall0 = Now();
        work();
        const double wall = Now() - wall0;
        const double cpu = (inChild ? ChildrenCpu() : ProcessCpu()) - cpu0;
        best.wall = std::min(best.wall, wall);
        best.cpu = std::min(best.cpu, cpu);
    }
    return best;
}

const std::vector<std::uint8_t>* Stream;
std::size_t StreamAt;
std::uint8_t* Out;
void ReadByte(std::uint8_t* buffer, std::uint16_t, std::uint16_t& actual) {
    actual = 0;
    if (StreamAt < Stream->size()) {
        *buffer = (*Stream)[StreamAt++];
        actual = 1;
    }
}
void WriteByte(const std::uint8_t* buffer, std::uint16_t, std::uint16_t& actual) {
    *Out++ = *buffer;
    actual = 1;
}

double MBps(std::size_t bytes, double seconds) { return static_cast<double>(bytes) / 1e6 / seconds; }

// The peer's stream decodes to the corpus with LzhDecode.
bool PeerDecodes(const std::vector<std::uint8_t>& peer, const std::vector<std::uint8_t>& data) {
    bool same = !peer.empty();
    try {
        if (same) {
            const auto sameAsData = [&](std::uint64_t at, const std::uint8_t* bytes, std::size_t size) {
                same = same && std::equal(bytes, bytes + size, data.begin() + static_cast<std::ptrdiff_t>(at));
            };
            same = DecodeStream(peer, static_cast<std::int32_t>(data.size()), sameAsData).Length == data.size() && same;
        }
    } catch (const std::exception&) {  // a peer stream too short for the data
        same = false;
    }
    return same;
}

// lhasa extracting our .lzh of the corpus; `ok` when it gives the corpus back.
Timing TimeLha(const std::vector<std::uint8_t>& data, const std::vector<std::uint8_t>& stream, int repeats, bool& ok) {
    const fs::path dir = fs::temp_directory_path() / ("gv-bench-" + std::to_string(static_cast<long>(getpid())));
    fs::create_directories(dir / "out");
    const auto archive = MakeLh1Archive("corpus.bin", data.data(), data.size(), stream);
    const fs::path archivePath = dir / "corpus.lzh";
    std::ofstream(archivePath, std::ios::binary)
        .write(reinterpret_cast<const char*>(archive.data()), static_cast<std::streamsize>(archive.size()));
    const std::string command = "lha xqfw='" + (dir / "out").string() + "' '" + archivePath.string() + "'";
    int lhaStatus = 0;
    const Timing lha = Measure(repeats, true, [&] { lhaStatus |= std::system(command.c_str()); });
    std::ifstream extractedFile(dir / "out" / "corpus.bin", std::ios::binary);
    const std::vector<std::uint8_t> extracted((std::istreambuf_iterator<char>(extractedFile)),
                                              std::istreambuf_iterator<char>());
    fs::remove_all(dir);
    ok = lhaStatus == 0 && extracted == data;
    return lha;
}

struct Results {
    std::size_t Corpus = 0, Stream = 0, Fast = 0, Greedy = 0, Peer = 0;
    bool PeerDecodes = false, LhaOk = false;
    Timing Lha, Decode, Encode, EncodeFast;
    double PeerSeconds = 0;
};

void Report(const Results& r, const char* corpus, int repeats) {
    const std::size_t n = r.Corpus;
    auto ratio = [](std::size_t a, std::size_t b) { return static_cast<double>(a) / static_cast<double>(b); };
    std::printf("corpus            %zu bytes (%s)\n", n, corpus);
    std::printf("stream            %zu bytes (%.1f%%); fast %zu, greedy %zu\n", r.Stream, 100.0 * ratio(r.Stream, n),
                r.Fast, r.Greedy);
    std::printf("LzhEncode/fast    %.4f\n", ratio(r.Stream, r.Fast));
    if (r.Peer != 0) {
        std::printf("peer -lh1-        %zu bytes%s\n", r.Peer,
                    r.PeerDecodes ? "" : "   (does NOT decode to the corpus)");
        std::printf("LzhEncode/peer    %.4f   (fast/peer %.4f)\n", ratio(r.Stream, r.Peer), ratio(r.Fast, r.Peer));
    }
    std::printf("                  wall MB/s   cpu MB/s   vs lha x (wall / cpu)\n");
    std::printf("lha x (lhasa)     %9.1f  %9.1f   1.00 / 1.00%s\n", MBps(n, r.Lha.wall), MBps(n, r.Lha.cpu),
                r.LhaOk ? "" : "   (extraction FAILED)");
    const std::pair<const char*, const Timing*> rows[] = {
        {"LzhDecode      ", &r.Decode}, {"LzhEncode      ", &r.Encode}, {"fast encode    ", &r.EncodeFast}};
    for (const auto& [name, t] : rows) {
        std::printf("%s   %9.1f  %9.1f   %.2f / %.2f\n", name, MBps(n, t->wall), MBps(n, t->cpu), r.Lha.wall / t->wall,
                    r.Lha.cpu / t->cpu);
    }
    if (r.PeerSeconds > 0) {
        std::printf("peer encode       %9.1f          -   %.2f / -   (in its own process)\n", MBps(n, r.PeerSeconds),
                    r.Lha.wall / r.PeerSeconds);
    }
    std::printf("(best of %d for the decoders; sizes in MB of original data)\n", repeats);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2 && argc != 3 && argc != 5) {
        std::fprintf(stderr, "usage: gv_bench CORPUS [REPEATS [PEER_STREAM PEER_SECONDS]]\n");
        return 1;
    }
    const int repeats = argc > 2 ? std::max(1, std::atoi(argv[2])) : 5;
    std::ifstream in(argv[1], std::ios::binary);
    const std::vector<std::uint8_t> data((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (data.empty()) {
        std::fprintf(stderr, "gv_bench: cannot read %s\n", argv[1]);
        return 1;
    }
    Results r;
    r.Corpus = data.size();
    std::vector<std::uint8_t> stream, fast, peer;
    r.Encode = Measure(1, false, [&] { stream = LzhEncode(data.data(), data.size()); });
    r.EncodeFast = Measure(1, false, [&] { fast = LzhEncodeWith(LzhParse::Fast, data.data(), data.size()); });
    r.Stream = stream.size();
    r.Fast = fast.size();
    r.Greedy = LzhEncodeWith(LzhParse::Greedy, data.data(), data.size()).size();
    if (argc == 5) {
        std::ifstream peerIn(argv[3], std::ios::binary);
        peer.assign(std::istreambuf_iterator<char>(peerIn), std::istreambuf_iterator<char>());
        r.PeerSeconds = std::atof(argv[4]);
    }
    r.Peer = peer.size();

    std::vector<std::uint8_t> decoded(data.size() + 64);
    r.Decode = Measure(repeats, false, [&] {
        Stream = &stream;
        StreamAt = 0;
        Out = decoded.data();
        ContinueFlag = 1;
        static_cast<void>(LzhDecode(static_cast<std::int32_t>(data.size()), ReadByte, WriteByte));
    });
    if (static_cast<std::size_t>(Out - decoded.data()) != data.size() ||
        !std::equal(data.begin(), data.end(), decoded.begin())) {
        std::fprintf(stderr, "gv_bench: the decoded data differ from the corpus\n");
        return 2;
    }
    r.PeerDecodes = PeerDecodes(peer, data);
    r.Lha = TimeLha(data, stream, repeats, r.LhaOk);
    Report(r, argv[1], repeats);
    return r.LhaOk && (peer.empty() || r.PeerDecodes) ? 0 : 3;
}

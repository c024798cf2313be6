#include <stdexcept>

#include "base/errors.h"
#include "base/file_util.h"
#include "cli/commands.h"
#include "cli/progress_bar.h"
#include "lzh/lzh_archive.h"
#include "lzh/lzh_encode.h"
#include "lzh/stream_codec.h"

void RunEncode(const Options& options, std::ostream& out, std::ostream&) {
    const std::vector<std::uint8_t> input = ReadFileBytes(options.Arguments[0]);
    std::vector<std::uint8_t> encoded;
    {
        ProgressBar bar("encoding", input.size(), ProgressWanted(options.Quiet));
        encoded = LzhEncodeWith(options.Fast ? LzhParse::Fast : LzhParse::Optimal, input.data(), input.size(),
                                [&bar](std::size_t done) { bar.Update(done); });
    }
    if (options.LzhArchive) {
        try {
            encoded = MakeLh1Archive(BaseName(options.Arguments[0]), input.data(), input.size(), encoded);
        } catch (const std::invalid_argument& error) {
            throw DataError(std::string("cannot make the .lzh archive: ") + error.what());
        }
    }
    WriteFileAtomically(options.Arguments[1], encoded);
    out << input.size() << " -> " << encoded.size() << " bytes\n";
}

void RunDecode(const Options& options, std::ostream& out, std::ostream&) {
    const std::vector<std::uint8_t> input = ReadFileBytes(options.Arguments[0]);
    const std::int32_t length = static_cast<std::int32_t>(options.Length);
    AtomicFile output(options.Arguments[1]);
    ProgressBar bar("decoding", static_cast<std::uint64_t>(length), ProgressWanted(options.Quiet));
    const DecodedStream decoded = DecodeStream(
        input, length,
        [&output](std::uint64_t, const std::uint8_t* data, std::size_t size) { output.Write(data, size); },
        [&bar](std::uint64_t done) { bar.Update(done); });
    bar.Finish();
    if (decoded.Truncated()) {
        throw DataError(options.Arguments[0] + " is truncated: decoding " + std::to_string(length) +
                        " bytes needs more than the " + std::to_string(input.size()) + " bytes it holds");
    }
    output.Commit();
    out << input.size() << " -> " << decoded.Length << " bytes\n";
}

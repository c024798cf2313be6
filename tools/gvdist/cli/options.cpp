#include "cli/options.h"

#include <algorithm>
#include <map>
#include <set>

#include "base/errors.h"

const char UsageText[] =
    "Usage: gvdist [-q] COMMAND [OPTIONS] ARGUMENTS\n"
    "Builds and checks the distribution disks of the Glyphvane setup.\n"
    "\n"
    "Commands:\n"
    "  pack --program FILE [--member FILE]... --setup SETUP.EXE -o OUTDIR\n"
    "       [--format 360K|720K|1.2M|1.44M|2.88M | --disk-size BYTES] [--disks] [--images]\n"
    "       [--fast]\n"
    "                   compress the program and its members into the archive\n"
    "                   parts and write OUTDIR/setup.exe with the member table;\n"
    "                   --disks adds a folder per disk (OUTDIR/DISK1..), --images\n"
    "                   a FAT floppy image per disk (OUTDIR/glyphvane-disk1.img..)\n"
    "  list [SOURCE...] show the member table and the archive parts\n"
    "  verify SOURCE... join, decode and check the distribution\n"
    "  extract SOURCE... -d OUTDIR [--help-dir HELPDIR]\n"
    "                   install the product's files as the setup would\n"
    "  encode [--lzh] [--fast] IN OUT\n"
    "                   compress IN into a raw LZHUF stream (--lzh: an .lzh archive)\n"
    "  decode --length N IN OUT\n"
    "                   decode N bytes of the raw LZHUF stream IN\n"
    "\n"
    "Options:\n"
    "  -h, --help       show this text\n"
    "  -V, --version    show the version\n"
    "  -q, --quiet      no progress bar\n"
    "  --format NAME    the disks' format (default 1.44M: 1457664 bytes for files)\n"
    "  --disk-size BYTES  capacity of one disk, for disks that are no floppies\n"
    "  --fast           encode several times faster, a few per cent larger\n"
    "\n"
    "A SOURCE is a folder, a setup.exe or a disk image; give them in any order.\n"
    "Images are made and read with mtools.\n"
    "Exit status: 0 success, 1 usage error, 2 bad data or I/O error.\n";

namespace {

constexpr std::size_t AnyCount = static_cast<std::size_t>(-1);

struct CommandRule {
    std::set<std::string> Options;
    std::size_t MinArguments;
    std::size_t MaxArguments;
};

const std::map<std::string, CommandRule>& Rules() {
    static const std::map<std::string, CommandRule> rules = {
        {"pack",
         {{"--program", "--member", "--setup", "--output", "--disk-size", "--format", "--disks", "--images", "--fast"},
          0,
          0}},
        {"list", {{}, 0, AnyCount}},
        {"verify", {{}, 1, AnyCount}},
        {"extract", {{"--dir", "--help-dir"}, 1, AnyCount}},
        {"encode", {{"--lzh", "--fast"}, 2, 2}},
        {"decode", {{"--length"}, 2, 2}},
    };
    return rules;
}

// Short spellings and the canonical long name they stand for.
const std::map<std::string, std::string>& Aliases() {
    static const std::map<std::string, std::string> aliases = {
        {"-h", "--help"}, {"-V", "--version"}, {"-q", "--quiet"}, {"-o", "--output"}, {"-d", "--dir"},
    };
    return aliases;
}

bool TakesValue(const std::string& option) {
    static const std::set<std::string> withValue = {"--program", "--member", "--setup",    "--output", "--disk-size",
                                                    "--format",  "--dir",    "--help-dir", "--length"};
    return withValue.count(option) != 0;
}

bool IsKnown(const std::string& option) {
    static const std::set<std::string> flags = {"--help",  "--version", "--quiet", "--lzh",
                                                "--disks", "--images",  "--fast"};
    return flags.count(option) != 0 || TakesValue(option);
}

std::uint64_t ParseCount(const std::string& option, const std::string& text) {
    if (text.empty() || text.size() > 18 ||
        !std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; })) {
        throw UsageError(option + " needs a whole number of bytes, not '" + text + "'");
    }
    return std::stoull(text);
}

void SetSingle(std::string& field, const std::string& option, const std::string& value) {
    if (!field.empty()) {
        throw UsageError(option + " given twice");
    }
    if (value.empty()) {
        throw UsageError(option + " needs a non-empty value");
    }
    field = value;
}

void Require(bool present, const std::string& what) {
    if (!present) {
        throw UsageError(what);
    }
}

}  // namespace

Options ParseOptions(const std::vector<std::string>& args) {
    Options options;
    std::vector<std::string> positional;
    std::set<std::string> seen;
    bool optionsEnded = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        std::string arg = args[i];
        if (optionsEnded || arg.size() < 2 || arg[0] != '-') {
            positional.push_back(arg);
            continue;
        }
        if (arg == "--") {
            optionsEnded = true;
            continue;
        }
        std::string value;
        bool hasInlineValue = false;
        const std::string::size_type equals = arg.find('=');
        if (arg.compare(0, 2, "--") == 0 && equals != std::string::npos) {
            value = arg.substr(equals + 1);
            arg = arg.substr(0, equals);
            hasInlineValue = true;
        }
        const auto alias = Aliases().find(arg);
        const std::string name = alias != Aliases().end() ? alias->second : arg;
        if (!IsKnown(name)) {
            throw UsageError("unknown option '" + arg + "'");
        }
        if (TakesValue(name)) {
            if (!hasInlineValue) {
                if (i + 1 >= args.size()) {
                    throw UsageError(arg + " needs a value");
                }
                value = args[++i];
            }
        } else if (hasInlineValue) {
            throw UsageError(arg + " takes no value");
        }
        seen.insert(name);
        if (name == "--help") {
            options.ShowHelp = true;
        } else if (name == "--version") {
            options.ShowVersion = true;
        } else if (name == "--quiet") {
            options.Quiet = true;
        } else if (name == "--lzh") {
            options.LzhArchive = true;
        } else if (name == "--disks") {
            options.MakeDiskFolders = true;
        } else if (name == "--images") {
            options.MakeImages = true;
        } else if (name == "--format") {
            Require(options.Format == nullptr, arg + " given twice");
            options.Format = &FindDiskFormat(value);
            options.DiskSize = options.Format->FreeBytes;
            options.ClusterSize = options.Format->ClusterBytes;
        } else if (name == "--fast") {
            options.Fast = true;
        } else if (name == "--program") {
            SetSingle(options.ProgramPath, arg, value);
        } else if (name == "--member") {
            Require(!value.empty(), arg + " needs a non-empty value");
            options.MemberPaths.push_back(value);
        } else if (name == "--setup") {
            SetSingle(options.SetupPath, arg, value);
        } else if (name == "--output" || name == "--dir") {
            SetSingle(options.OutputDir, arg, value);
        } else if (name == "--help-dir") {
            SetSingle(options.HelpDir, arg, value);
        } else if (name == "--disk-size") {
            options.DiskSize = ParseCount(arg, value);
            Require(options.DiskSize > 0, arg + " must be more than 0");
        } else if (name == "--length") {
            const std::uint64_t length = ParseCount(arg, value);
            Require(length <= 0x7FFFFFFF, arg + " must be at most 2147483647");
            options.Length = static_cast<std::int64_t>(length);
        }
    }
    if (options.ShowHelp || options.ShowVersion) {
        return options;
    }
    Require(!positional.empty(), "no command given");
    options.Command = positional.front();
    options.Arguments.assign(positional.begin() + 1, positional.end());
    const auto rule = Rules().find(options.Command);
    if (rule == Rules().end()) {
        throw UsageError("unknown command '" + options.Command + "'");
    }
    for (const std::string& name : seen) {
        const bool global = name == "--quiet";
        if (!global && rule->second.Options.count(name) == 0) {
            throw UsageError(name + " does not apply to " + options.Command);
        }
    }
    const std::size_t count = options.Arguments.size();
    if (count < rule->second.MinArguments || count > rule->second.MaxArguments) {
        const std::size_t min = rule->second.MinArguments, max = rule->second.MaxArguments;
        throw UsageError(options.Command + " takes " +
                         (max == AnyCount ? "at least " + std::to_string(min)
                          : min == max    ? std::to_string(min)
                                          : std::to_string(min) + " or " + std::to_string(max)) +
                         " argument(s), not " + std::to_string(count));
    }
    if (options.Command == "pack") {
        Require(!options.ProgramPath.empty(), "pack needs --program FILE");
        Require(!options.SetupPath.empty(), "pack needs --setup SETUP.EXE");
        Require(!options.OutputDir.empty(), "pack needs -o OUTDIR");
        Require(options.Format == nullptr || seen.count("--disk-size") == 0,
                "--format and --disk-size both give the disk size: give one");
        Require(!options.MakeImages || seen.count("--disk-size") == 0,
                "--images makes floppy images: give their --format, not --disk-size");
    } else if (options.Command == "extract") {
        Require(!options.OutputDir.empty(), "extract needs -d OUTDIR");
    } else if (options.Command == "decode") {
        Require(options.Length >= 0, "decode needs --length N");
    }
    return options;
}

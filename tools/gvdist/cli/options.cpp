#include "cli/options.h"

#include <algorithm>
#include <map>
#include <sstream>

#include "base/errors.h"
#include "base/numbers.h"
#include "cli/commands.h"

namespace {

constexpr std::size_t AnyCount = static_cast<std::size_t>(-1);

// One bit per command, so that an option can name the commands that take it.
enum CommandBit : unsigned { Pack = 1, List = 2, Verify = 4, Extract = 8, Encode = 16, Decode = 32, Formats = 64 };
constexpr unsigned EveryCommand = Pack | List | Verify | Extract | Encode | Decode | Formats;

struct CommandRule {
    const char* Name;
    CommandBit Bit;
    const char* Arguments;  // as the usage line shows them
    std::size_t MinArguments;
    std::size_t MaxArguments;
    const char* Help;
    CommandFunction Run;
};

const CommandRule Commands[] = {
    {"pack", Pack, "", 0, 0, "write setup.exe, the archive parts and the manifest gvdist.txt", RunPack},
    {"list", List, "[SOURCE]...", 0, AnyCount, "show the member table and the archive parts", RunList},
    {"verify", Verify, "SOURCE...", 1, AnyCount, "join, decode and check the distribution", RunVerify},
    {"extract", Extract, "SOURCE...", 1, AnyCount, "install the product's files as the setup would", RunExtract},
    {"encode", Encode, "IN OUT", 2, 2, "compress IN into a raw LZHUF stream", RunEncode},
    {"decode", Decode, "IN OUT", 2, 2, "decode the raw LZHUF stream IN into OUT", RunDecode},
    {"formats", Formats, "", 0, 0, "show each --format: the bytes a disk holds, its cluster", RunFormats},
};

// An option as it stands on the command line.
struct Given {
    std::string Spelling;  // "-o" or "--output", as typed, for messages
    std::string Value;
};

struct OptionRule {
    const char* Short;  // "-o", or nullptr
    const char* Long;   // "--output"
    const char* Value;  // what it takes, as --help shows it; nullptr for a flag
    unsigned Commands;  // the commands that take it
    unsigned NeededBy;  // the commands that cannot do without it
    std::string Help;   // one line
    void (*Set)(Options& options, const Given& given);
};

void Require(bool present, const std::string& what) {
    if (!present) {
        throw UsageError(what);
    }
}

std::uint64_t ParseCount(const Given& given) {
    const std::optional<std::uint64_t> count = DecimalValue(given.Value, 18);
    Require(count.has_value(), given.Spelling + " needs a whole number of bytes, not '" + given.Value + "'");
    return *count;
}

void SetSingle(std::string& field, const Given& given) {
    Require(field.empty(), given.Spelling + " given twice");
    Require(!given.Value.empty(), given.Spelling + " needs a non-empty value");
    field = given.Value;
}

// Every option, in the order --help lists them.
const std::vector<OptionRule>& OptionRules() {
    static const std::vector<OptionRule> rules = {
        {"-h", "--help", nullptr, EveryCommand, 0, "show this text and exit",
         [](Options& options, const Given&) { options.ShowHelp = true; }},
        {"-V", "--version", nullptr, EveryCommand, 0, "show the version and exit",
         [](Options& options, const Given&) { options.ShowVersion = true; }},
        {"-q", "--quiet", nullptr, EveryCommand, 0, "draw no progress bar",
         [](Options& options, const Given&) { options.Quiet = true; }},
        {nullptr, "--program", "FILE", Pack, Pack, "the product's program, first in the archive",
         [](Options& options, const Given& given) { SetSingle(options.ProgramPath, given); }},
        {nullptr, "--member", "FILE", Pack, 0, "a further file of the product; once per file",
         [](Options& options, const Given& given) {
             Require(!given.Value.empty(), given.Spelling + " needs a non-empty value");
             options.MemberPaths.push_back(given.Value);
         }},
        {nullptr, "--setup", "SETUP.EXE", Pack, Pack, "the setup program, stamped in the copy written",
         [](Options& options, const Given& given) { SetSingle(options.SetupPath, given); }},
        {"-o", "--output", "OUTDIR", Pack, Pack, "the folder the distribution is written to",
         [](Options& options, const Given& given) { SetSingle(options.OutputDir, given); }},
        {nullptr, "--format", "NAME", Pack, 0, "one of " + DiskFormatNames() + "; default " + DefaultDiskFormat().Name,
         [](Options& options, const Given& given) {
             Require(options.Format == nullptr, given.Spelling + " given twice");
             options.Format = &FindDiskFormat(given.Value);
             options.DiskSize = options.Format->FreeBytes;
             options.ClusterSize = options.Format->ClusterBytes;
         }},
        {nullptr, "--disk-size", "BYTES", Pack, 0, "the room on one disk, for disks that are no floppies",
         [](Options& options, const Given& given) {
             options.DiskSize = ParseCount(given);
             Require(options.DiskSize > 0, given.Spelling + " must be more than 0");
         }},
        {nullptr, "--disks", nullptr, Pack, 0, "add a folder per disk: OUTDIR/DISK1 .. DISKn",
         [](Options& options, const Given&) { options.MakeDiskFolders = true; }},
        {nullptr, "--images", nullptr, Pack, 0, "add a FAT image per disk: OUTDIR/glyphvane-diskn.img",
         [](Options& options, const Given&) { options.MakeImages = true; }},
        {nullptr, "--fast", nullptr, Pack | Encode, 0, "encode over twice as fast, a little larger",
         [](Options& options, const Given&) { options.Fast = true; }},
        {"-d", "--dir", "OUTDIR", Extract, Extract, "the folder the product's files go to",
         [](Options& options, const Given& given) { SetSingle(options.OutputDir, given); }},
        {nullptr, "--help-dir", "HELPDIR", Extract, 0, "the folder the help files go to (default OUTDIR)",
         [](Options& options, const Given& given) { SetSingle(options.HelpDir, given); }},
        {nullptr, "--salvage", nullptr, Extract, 0, "only the members that decode whole, from a set missing disks",
         [](Options& options, const Given&) { options.Salvage = true; }},
        {nullptr, "--lzh", nullptr, Encode, 0, "wrap the stream in an .lzh archive, for LHA tools",
         [](Options& options, const Given&) { options.LzhArchive = true; }},
        {nullptr, "--length", "N", Decode, Decode, "the number of bytes the stream decodes to",
         [](Options& options, const Given& given) {
             const std::uint64_t length = ParseCount(given);
             Require(length <= 0x7FFFFFFF, given.Spelling + " must be at most 2147483647");
             options.Length = static_cast<std::int64_t>(length);
         }},
    };
    return rules;
}

// Options that must not be given together, and why.
const struct Conflict {
    const char* First;
    const char* Second;
    const char* Why;
} Conflicts[] = {
    {"--format", "--disk-size", "--format and --disk-size both give the disk size: give one"},
    {"--images", "--disk-size", "--images makes floppy images: give their --format, not --disk-size"},
};

// What each exit status tells, as --help lists it.
const struct ExitMeaning {
    int Status;
    const char* Meaning;
} ExitMeanings[] = {
    {ExitSuccess, "success"},
    {ExitUsage, "usage error"},
    {ExitData, "bad data or I/O error; extract --salvage: a member lost"},
};

const CommandRule* FindCommand(const std::string& name) {
    for (const CommandRule& command : Commands) {
        if (name == command.Name) {
            return &command;
        }
    }
    return nullptr;
}

// The option spelled `spelling`, short or long, or nullptr.
const OptionRule* FindOption(const std::string& spelling) {
    for (const OptionRule& rule : OptionRules()) {
        if (spelling == rule.Long || (rule.Short != nullptr && spelling == rule.Short)) {
            return &rule;
        }
    }
    return nullptr;
}

// "-o OUTDIR": how a usage line or a message asks for the option.
std::string Asked(const OptionRule& rule) {
    return std::string(rule.Short != nullptr ? rule.Short : rule.Long) +
           (rule.Value != nullptr ? std::string(" ") + rule.Value : "");
}

// "-o, --output=OUTDIR" or "    --program=FILE": the option's column in --help,
// in the form help2man turns into the manual's option list.
std::string Listed(const OptionRule& rule) {
    return (rule.Short != nullptr ? std::string(rule.Short) + ", " : std::string("    ")) + rule.Long +
           (rule.Value != nullptr ? std::string("=") + rule.Value : "");
}

std::string CountText(std::size_t min, std::size_t max) {
    if (max == AnyCount) {
        return "at least " + std::to_string(min);
    }
    return min == max ? std::to_string(min) : std::to_string(min) + " or " + std::to_string(max);
}

}  // namespace

Options ParseOptions(const std::vector<std::string>& args) {
    Options options;
    std::vector<std::string> positional;
    std::map<std::string, const OptionRule*> seen;  // by long name
    bool optionsEnded = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (optionsEnded || arg.size() < 2 || arg[0] != '-') {
            positional.push_back(arg);
            continue;
        }
        if (arg == "--") {
            optionsEnded = true;
            continue;
        }
        Given given{arg, ""};
        const std::string::size_type equals = arg.find('=');
        const bool hasInlineValue = arg.compare(0, 2, "--") == 0 && equals != std::string::npos;
        if (hasInlineValue) {
            given = {arg.substr(0, equals), arg.substr(equals + 1)};
        }
        const OptionRule* rule = FindOption(given.Spelling);
        Require(rule != nullptr, "unknown option '" + given.Spelling + "'");
        if (rule->Value == nullptr) {
            Require(!hasInlineValue, given.Spelling + " takes no value");
        } else if (!hasInlineValue) {
            Require(i + 1 < args.size(), given.Spelling + " needs a value");
            given.Value = args[++i];
        }
        seen[rule->Long] = rule;
        rule->Set(options, given);
    }
    if (options.ShowHelp || options.ShowVersion) {
        return options;
    }
    Require(!positional.empty(), "no command given");
    options.Command = positional.front();
    options.Arguments.assign(positional.begin() + 1, positional.end());
    const CommandRule* command = FindCommand(options.Command);
    Require(command != nullptr, "unknown command '" + options.Command + "'");
    options.Run = command->Run;
    for (const auto& [name, rule] : seen) {
        Require((rule->Commands & command->Bit) != 0, name + " does not apply to " + options.Command);
    }
    const std::size_t count = options.Arguments.size();
    Require(count >= command->MinArguments && count <= command->MaxArguments,
            options.Command + " takes " + CountText(command->MinArguments, command->MaxArguments) +
                " argument(s), not " + std::to_string(count));
    for (const OptionRule& rule : OptionRules()) {
        Require((rule.NeededBy & command->Bit) == 0 || seen.count(rule.Long) != 0,
                options.Command + " needs " + Asked(rule));
    }
    for (const Conflict& conflict : Conflicts) {
        Require(seen.count(conflict.First) == 0 || seen.count(conflict.Second) == 0, conflict.Why);
    }
    return options;
}

std::string UsageText() {
    std::size_t width = 0;
    for (const OptionRule& rule : OptionRules()) {
        width = std::max(width, Listed(rule).size());
    }
    const auto listOptions = [width](std::ostringstream& text, unsigned commands) {
        for (const OptionRule& rule : OptionRules()) {
            const bool global = rule.Commands == EveryCommand;
            if (commands == EveryCommand ? global : !global && (rule.Commands & commands) != 0) {
                text << "  " << Listed(rule) << std::string(width + 2 - Listed(rule).size(), ' ') << rule.Help << "\n";
            }
        }
    };
    std::ostringstream text;
    const char* lead = "Usage: ";
    for (const CommandRule& command : Commands) {
        text << lead << "gvdist " << command.Name;
        for (const OptionRule& rule : OptionRules()) {
            if ((rule.NeededBy & command.Bit) != 0) {
                text << " " << Asked(rule);
            }
        }
        text << " [OPTION]..." << (*command.Arguments != '\0' ? " " : "") << command.Arguments << "\n";
        lead = "  or:  ";
    }
    text << "Builds and checks the distribution disks of the Glyphvane setup.\n\nCommands:\n";
    for (const CommandRule& command : Commands) {
        text << "  " << command.Name << std::string(10 - std::string(command.Name).size(), ' ') << command.Help << "\n";
    }
    text << "\nA SOURCE is a folder, a setup.exe or a disk image; give them in any order.\n"
            "Images are made and read with mtools.\n\nExit status:\n";
    for (const ExitMeaning& row : ExitMeanings) {
        text << "  " << row.Status << "  " << row.Meaning << "\n";
    }
    // After the notes: help2man puts whatever follows "Options:" into the manual's OPTIONS.
    text << "\nOptions:\n";
    listOptions(text, EveryCommand);
    for (const CommandRule& command : Commands) {
        std::ostringstream own;
        listOptions(own, command.Bit);
        if (!own.str().empty()) {
            text << "\nOptions of " << command.Name << ":\n" << own.str();
        }
    }
    return text.str();
}

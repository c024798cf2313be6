#include "cli/cli.h"

#include <map>

#include "base/errors.h"
#include "cli/commands.h"
#include "cli/options.h"

#ifndef GV_VERSION
#define GV_VERSION "unknown"
#endif

int RunGvdist(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    using Command = void (*)(const Options&, std::ostream&, std::ostream&);
    static const std::map<std::string, Command> commands = {
        {"pack", RunPack},       {"list", RunList},     {"verify", RunVerify},
        {"extract", RunExtract}, {"encode", RunEncode}, {"decode", RunDecode},
    };
    try {
        const Options options = ParseOptions(args);
        if (options.ShowHelp) {
            out << UsageText;
            return ExitSuccess;
        }
        if (options.ShowVersion) {
            out << "gvdist " << GV_VERSION << "\n";
            return ExitSuccess;
        }
        commands.at(options.Command)(options, out, err);
        return ExitSuccess;
    } catch (const UsageError& error) {
        err << "gvdist: " << error.what() << " (see gvdist --help)\n";
        return ExitUsage;
    } catch (const DataError& error) {
        err << "gvdist: " << error.what() << "\n";
        return ExitData;
    } catch (const std::bad_alloc&) {
        err << "gvdist: out of memory\n";
        return ExitData;
    } catch (const std::exception& error) {
        err << "gvdist: " << error.what() << "\n";
        return ExitData;
    }
}

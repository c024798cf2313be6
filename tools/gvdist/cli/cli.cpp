#include "cli/cli.h"

#include "base/errors.h"
#include "cli/options.h"

// GV_VERSION is the project's version, from project() in the top CMakeLists.txt.

int RunGvdist(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    try {
        const Options options = ParseOptions(args);
        if (options.ShowHelp) {
            out << UsageText();
            return ExitSuccess;
        }
        if (options.ShowVersion) {
            out << "gvdist " << GV_VERSION << "\n";
            return ExitSuccess;
        }
        options.Run(options, out, err);
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

#include "media/tool_process.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <map>

#include "base/errors.h"
#include "base/interrupt.h"

extern char** environ;

namespace {

// Closes the descriptors it holds whatever way RunTool leaves.
struct Pipe {
    int Ends[2] = {-1, -1};
    ~Pipe() {
        for (int end : Ends) {
            if (end >= 0) {
                close(end);
            }
        }
    }
};

// The program's absolute path, or "" when no absolute folder of PATH holds
// an executable of that name. Found once: the same name runs the same file
// for the whole run.
const std::string& FindProgram(const std::string& name) {
    static std::map<std::string, std::string> found;
    const auto known = found.find(name);
    if (known != found.end()) {
        return known->second;
    }
    std::string& path = found[name];
    const char* list = std::getenv("PATH");
    std::string folders = list != nullptr ? list : "";
    for (std::size_t from = 0; name.find('/') == std::string::npos && from <= folders.size();) {
        const std::size_t to = std::min(folders.find(':', from), folders.size());
        const std::string folder = folders.substr(from, to - from);
        from = to + 1;
        struct stat status {};
        const std::string candidate = folder + "/" + name;
        if (!folder.empty() && folder[0] == '/' && stat(candidate.c_str(), &status) == 0 && S_ISREG(status.st_mode) &&
            access(candidate.c_str(), X_OK) == 0) {
            path = candidate;
            break;
        }
    }
    return path;
}

// The environment the program gets: this process's, with `setEnv` added
// in place of any variable of the same name.
std::vector<std::string> ToolEnvironment(const std::vector<std::pair<std::string, std::string>>& setEnv) {
    std::vector<std::string> environment;
    for (char** entry = environ; *entry != nullptr; ++entry) {
        const std::string text = *entry;
        bool replaced = false;
        for (const auto& pair : setEnv) {
            replaced = replaced || text.compare(0, pair.first.size() + 1, pair.first + "=") == 0;
        }
        if (!replaced) {
            environment.push_back(text);
        }
    }
    for (const auto& pair : setEnv) {
        environment.push_back(pair.first + "=" + pair.second);
    }
    return environment;
}

// argv and envp for posix_spawn: pointers into `texts`, ended by a null.
std::vector<char*> NullEnded(const std::vector<std::string>& texts) {
    std::vector<char*> pointers;
    for (const std::string& text : texts) {
        pointers.push_back(const_cast<char*>(text.c_str()));
    }
    pointers.push_back(nullptr);
    return pointers;
}

struct FileCloser {
    std::FILE* File;
    ~FileCloser() {
        if (File != nullptr) {
            std::fclose(File);
        }
    }
};

// Starts `program` with no standard input, stdout into the pipe's write
// end, stderr there too or into `errors`.
pid_t Spawn(const std::string& program, const std::vector<std::string>& argv, const std::vector<std::string>& env,
            const Pipe& output, std::FILE* errors) {
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, output.Ends[1], 1);
    posix_spawn_file_actions_adddup2(&actions, errors != nullptr ? fileno(errors) : output.Ends[1], 2);
    posix_spawn_file_actions_addclose(&actions, output.Ends[0]);
    posix_spawn_file_actions_addclose(&actions, output.Ends[1]);
    pid_t pid = 0;
    const int spawned =
        posix_spawn(&pid, program.c_str(), &actions, nullptr, NullEnded(argv).data(), NullEnded(env).data());
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0) {
        throw DataError("cannot run " + program + ": " + std::strerror(spawned));
    }
    return pid;
}

// Reads the program's output until it ends: into run.Output, or into the
// sink up to its limit, past which the program is killed.
void ReadOutput(int from, pid_t pid, const ToolSink* sink, ToolRun& run) {
    std::uint64_t written = 0;
    char block[4096];
    for (;;) {
        const ssize_t got = read(from, block, sizeof block);
        if (got > 0 && sink == nullptr) {
            run.Output.append(block, static_cast<std::size_t>(got));
        } else if (got > 0) {
            const auto size = static_cast<std::uint64_t>(got);
            run.Cut = size > sink->Limit - written;
            if (run.Cut || std::fwrite(block, 1, size, sink->File) != size) {
                kill(pid, SIGKILL);
                return;
            }
            written += size;
        } else if (got == 0 || errno != EINTR || InterruptSignal() != 0) {
            return;
        }
    }
}

// Waits for the program's end; its status, -1 when a signal ended it.
int AwaitExit(pid_t pid) {
    if (InterruptSignal() != 0) {
        kill(pid, SIGTERM);  // it would go on writing into what is about to be removed
    }
    int status = 0;
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    ThrowIfInterrupted();
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

}  // namespace

ToolRun RunTool(const std::vector<std::string>& argv, const std::vector<std::pair<std::string, std::string>>& setEnv,
                const std::string& package, const ToolSink* sink) {
    ThrowIfInterrupted();
    const std::string& program = FindProgram(argv.front());
    if (program.empty()) {
        throw DataError(argv.front() + " is not installed: install " + package + " (for example apt-get install " +
                        package + ")");
    }
    // With a sink, stderr waits in a file of its own: read together with
    // stdout through one pipe it would mix into the data.
    Pipe output;
    std::FILE* errors = sink != nullptr ? std::tmpfile() : nullptr;
    if (pipe(output.Ends) != 0 || (sink != nullptr && errors == nullptr)) {
        throw DataError("cannot run " + argv.front() + ": " + std::strerror(errno));
    }
    const FileCloser closeErrors{errors};
    const pid_t pid = Spawn(program, argv, ToolEnvironment(setEnv), output, errors);
    close(output.Ends[1]);
    output.Ends[1] = -1;

    ToolRun run;
    ReadOutput(output.Ends[0], pid, sink, run);
    run.Status = AwaitExit(pid);
    if (errors != nullptr) {
        std::rewind(errors);
        char block[4096];
        for (std::size_t got; (got = std::fread(block, 1, sizeof block, errors)) > 0;) {
            run.Output.append(block, got);
        }
    }
    return run;
}

#include "media/tool_process.h"

#include "base/errors.h"

#ifdef _WIN32

ToolRun RunTool(const std::vector<std::string>& argv, const std::vector<std::pair<std::string, std::string>>&,
                const std::string& package) {
    throw DataError(argv.front() + " (" + package + ") is run only by the Linux and macOS builds of gvdist");
}

#else

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

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

}  // namespace

ToolRun RunTool(const std::vector<std::string>& argv, const std::vector<std::pair<std::string, std::string>>& setEnv,
                const std::string& package) {
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
    std::vector<char*> args, env;
    for (const std::string& arg : argv) {
        args.push_back(const_cast<char*>(arg.c_str()));
    }
    args.push_back(nullptr);
    for (const std::string& entry : environment) {
        env.push_back(const_cast<char*>(entry.c_str()));
    }
    env.push_back(nullptr);

    Pipe output;
    if (pipe(output.Ends) != 0) {
        throw DataError("cannot run " + argv.front() + ": " + std::strerror(errno));
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, output.Ends[1], 1);
    posix_spawn_file_actions_adddup2(&actions, output.Ends[1], 2);
    posix_spawn_file_actions_addclose(&actions, output.Ends[0]);
    posix_spawn_file_actions_addclose(&actions, output.Ends[1]);
    pid_t pid = 0;
    const int spawned = posix_spawnp(&pid, args[0], &actions, nullptr, args.data(), env.data());
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0) {
        if (spawned == ENOENT) {
            throw DataError(argv.front() + " is not installed: install " + package + " (for example apt-get install " +
                            package + ")");
        }
        throw DataError("cannot run " + argv.front() + ": " + std::strerror(spawned));
    }
    close(output.Ends[1]);
    output.Ends[1] = -1;

    ToolRun run;
    char block[4096];
    for (;;) {
        const ssize_t got = read(output.Ends[0], block, sizeof block);
        if (got > 0) {
            run.Output.append(block, static_cast<std::size_t>(got));
        } else if (got == 0 || errno != EINTR) {
            break;
        }
    }
    int status = 0;
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    run.Status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}

#endif

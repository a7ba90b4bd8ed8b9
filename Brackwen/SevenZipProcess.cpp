#include "Brackwen/SevenZipProcess.h"

#include "Brackwen/ZODArchiverError.h"

#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace Brackwen {

namespace {

constexpr size_t kErrorOutputLimit = 64 * 1024;

struct Fd {
    int fd = -1;
    Fd() = default;
    explicit Fd(int f) : fd(f) {}
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    ~Fd() { reset(); }
    void reset()
    {
        if (fd >= 0)
            ::close(fd);
        fd = -1;
    }
};

// The passphrase goes through a socket rather than a pipe so that writing to
// a child that already quit gives EPIPE instead of SIGPIPE to the engine.
bool makeInputChannel(int fds[2])
{
    return ::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, fds) == 0;
}

void writeAll(int fd, const std::string& data)
{
    size_t done = 0;
    while (done < data.size()) {
        ssize_t n = ::send(fd, data.data() + done, data.size() - done, MSG_NOSIGNAL);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return; // the child does not read; its exit status tells why
        done += size_t(n);
    }
}

} // namespace

Foundation::Result<ProcessOutcome, Foundation::ErrorPtr> runProcess(const ProcessRun& run)
{
    using R = Foundation::Result<ProcessOutcome, Foundation::ErrorPtr>;
    // Only a program that is not there is a missing backend; any other
    // failure to start says what stopped it.
    auto startFailure = [&](int err) {
        const std::string reason = std::strerror(err);
        if (err == ENOENT)
            return R::failure(ZODArchiverMakeError(
                ZODArchiverErrorBackendMissing,
                {{Foundation::NSFilePathErrorKey, run.program}, {ZODArchiverUnderlyingMessageKey, reason}}));
        return R::failure(ZODArchiverMakeError(
            ZODArchiverErrorUnknown,
            {{Foundation::NSFilePathErrorKey, run.program},
             {Foundation::NSLocalizedDescriptionKey, run.program + " could not be started: " + reason + "."},
             {ZODArchiverUnderlyingMessageKey, reason}}));
    };

    int in[2], out[2], err[2];
    if (!makeInputChannel(in))
        return startFailure(errno);
    Fd inParent(in[0]), inChild(in[1]);
    if (::pipe2(out, O_CLOEXEC) != 0)
        return startFailure(errno);
    Fd outParent(out[0]), outChild(out[1]);
    if (::pipe2(err, O_CLOEXEC) != 0)
        return startFailure(errno);
    Fd errParent(err[0]), errChild(err[1]);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, inChild.fd, 0);
    posix_spawn_file_actions_adddup2(&actions, outChild.fd, 1);
    posix_spawn_file_actions_adddup2(&actions, errChild.fd, 2);

    // A fresh signal mask and default handlers: the engine's threads may
    // block signals that 7zz relies on.
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    sigset_t none, all;
    sigemptyset(&none);
    sigfillset(&all);
    posix_spawnattr_setsigmask(&attributes, &none);
    posix_spawnattr_setsigdefault(&attributes, &all);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);

    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(run.program.c_str()));
    for (const auto& a : run.arguments)
        argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);

    std::string zone;
    std::vector<char*> envp;
    if (run.timeZone) {
        zone = "TZ=" + *run.timeZone;
        for (char** e = environ; *e; ++e)
            if (std::strncmp(*e, "TZ=", 3) != 0)
                envp.push_back(*e);
        envp.push_back(zone.data());
        envp.push_back(nullptr);
    }

    pid_t pid = -1;
    int spawnError = ::posix_spawn(&pid, run.program.c_str(), &actions, &attributes, argv.data(),
                                   run.timeZone ? envp.data() : environ);
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attributes);
    inChild.reset();
    outChild.reset();
    errChild.reset();
    if (spawnError != 0)
        return startFailure(spawnError);

    if (run.input)
        writeAll(inParent.fd, *run.input + "\n");
    ::shutdown(inParent.fd, SHUT_WR);

    ProcessOutcome outcome;
    char buffer[16384];
    bool outOpen = true, errOpen = true;
    while (outOpen || errOpen) {
        if (run.isCancelled && run.isCancelled()) {
            ::kill(pid, SIGKILL);
            outcome.cancelled = true;
            break;
        }
        pollfd fds[2] = {{outParent.fd, POLLIN, 0}, {errParent.fd, POLLIN, 0}};
        if (!outOpen)
            fds[0].fd = -1;
        if (!errOpen)
            fds[1].fd = -1;
        int ready = ::poll(fds, 2, 50);
        if (ready < 0 && errno != EINTR)
            break;
        if (ready <= 0)
            continue;
        if (fds[0].revents) {
            ssize_t n = ::read(outParent.fd, buffer, sizeof buffer);
            if (n > 0 && run.onOutput)
                run.onOutput(std::string_view(buffer, size_t(n)));
            else if (n == 0 || (n < 0 && errno != EINTR && errno != EAGAIN))
                outOpen = false;
        }
        if (fds[1].revents) {
            ssize_t n = ::read(errParent.fd, buffer, sizeof buffer);
            if (n > 0) {
                size_t room = kErrorOutputLimit - std::min(kErrorOutputLimit, outcome.errorOutput.size());
                outcome.errorOutput.append(buffer, std::min(room, size_t(n)));
            } else if (n == 0 || (n < 0 && errno != EINTR && errno != EAGAIN)) {
                errOpen = false;
            }
        }
    }

    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    outcome.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    outcome.signal = WIFSIGNALED(status) ? WTERMSIG(status) : 0;
    return R::success(std::move(outcome));
}

std::optional<double> SevenZipProgressParser::feed(std::string_view chunk)
{
    std::optional<double> last;
    for (char c : chunk) {
        if (c >= '0' && c <= '9') {
            if (digits_.size() < 3)
                digits_.push_back(c);
            else
                digits_.clear();
            continue;
        }
        if (c == '%' && !digits_.empty()) {
            int percent = std::stoi(digits_);
            if (percent <= 100)
                last = percent / 100.0;
        }
        digits_.clear();
    }
    return last;
}

} // namespace Brackwen

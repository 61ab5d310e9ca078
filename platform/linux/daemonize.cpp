#include "platform/linux/daemonize.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace nyamo::linux_program {

namespace {

// The child's end of the pipe to the waiting parent; -1 when there is none.
// A process holds one at most, for the moment between its start and its
// saver showing: a process-wide fact, not a run's state.
int ready_pipe = -1;

void ToNull(int fd) {
    const int null = open("/dev/null", O_RDWR | O_CLOEXEC);
    if (null < 0) return;
    if (null != fd) {
        dup2(null, fd);
        close(null);
    }
}

[[noreturn]] void WaitForChild(pid_t child, int from_child) {
    pollfd watch{from_child, POLLIN, 0};
    int ready;
    do ready = poll(&watch, 1, kDaemonShowLimitSeconds * 1000);
    while (ready < 0 && errno == EINTR);
    char byte = 0;
    if (ready > 0 && read(from_child, &byte, 1) == 1) _exit(0);
    if (ready == 0) {
        kill(child, SIGTERM);
        std::fprintf(stderr, "nyamo: the saver did not show within %d s; stopped it\n", kDaemonShowLimitSeconds);
        _exit(1);
    }
    // The pipe closed without a word: the child ended (or was killed) before
    // its saver showed, and said why itself.
    int status = 0;
    while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    if (WIFEXITED(status)) _exit(WEXITSTATUS(status));
    std::fprintf(stderr, "nyamo: the saver was ended by signal %d before it showed\n",
                 WIFSIGNALED(status) ? WTERMSIG(status) : 0);
    _exit(1);
}

}  // namespace

void Daemonize() {
    // An idle daemon may leave its own descriptors open to its commands;
    // a saver that runs for hours keeps none of them.
    close_range(3, ~0U, 0);
    int ends[2];
    if (pipe2(ends, O_CLOEXEC) != 0) {
        std::fprintf(stderr, "nyamo: cannot start in the background (pipe): %s\n", std::strerror(errno));
        std::exit(1);
    }
    std::fflush(nullptr);
    const pid_t child = fork();
    if (child < 0) {
        std::fprintf(stderr, "nyamo: cannot start in the background (fork): %s\n", std::strerror(errno));
        std::exit(1);
    }
    if (child > 0) {
        close(ends[1]);
        WaitForChild(child, ends[0]);
    }
    close(ends[0]);
    ready_pipe = ends[1];
    // Its own session: no terminal's hang-up, no signal to the starter's group.
    setsid();
    ToNull(STDIN_FILENO);
}

void ReportSaverShown() {
    if (ready_pipe < 0) return;
    std::fflush(nullptr);
    ToNull(STDOUT_FILENO);
    struct stat err {};
    if (fstat(STDERR_FILENO, &err) != 0 || !(S_ISREG(err.st_mode) || S_ISCHR(err.st_mode))) ToNull(STDERR_FILENO);
    const char byte = 1;
    while (write(ready_pipe, &byte, 1) < 0 && errno == EINTR) {
    }
    close(ready_pipe);
    ready_pipe = -1;
}

}  // namespace nyamo::linux_program

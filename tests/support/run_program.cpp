#include "tests/support/run_program.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <stdexcept>

namespace slicemesh::test {

std::string program_path(const std::string& program) {
    if (program.find('/') != std::string::npos) return program;
    return std::string(SLICEMESH_BIN_DIR) + "/" + program;
}

namespace {
void make_pipe(int fds[2]) {
    if (pipe(fds) != 0) throw std::runtime_error("pipe failed");
}
}  // namespace

ProgramResult run_program(const std::string& program, const std::vector<std::string>& args,
                          const std::string& stdin_text) {
    std::string path = program_path(program);
    std::vector<std::string> argv_text;
    argv_text.push_back(path);
    argv_text.insert(argv_text.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (std::string& a : argv_text) argv.push_back(a.data());
    argv.push_back(nullptr);

    int in[2], out[2], err[2];
    make_pipe(in);
    make_pipe(out);
    make_pipe(err);
    pid_t pid = fork();
    if (pid < 0) throw std::runtime_error("fork failed");
    if (pid == 0) {
        dup2(in[0], 0);
        dup2(out[1], 1);
        dup2(err[1], 2);
        for (int fd : {in[0], in[1], out[0], out[1], err[0], err[1]}) close(fd);
        execv(path.c_str(), argv.data());
        _exit(127);
    }
    close(in[0]);
    close(out[1]);
    close(err[1]);
    // A child that stops reading early must not kill the test with SIGPIPE.
    signal(SIGPIPE, SIG_IGN);

    ProgramResult result;
    std::size_t written = 0;
    int in_fd = in[1];
    if (stdin_text.empty()) {
        close(in_fd);
        in_fd = -1;
    } else {
        fcntl(in_fd, F_SETFL, O_NONBLOCK);
    }
    int out_fd = out[0], err_fd = err[0];
    char buffer[65536];
    while (out_fd >= 0 || err_fd >= 0) {
        pollfd fds[3];
        int n = 0;
        if (out_fd >= 0) fds[n++] = {out_fd, POLLIN, 0};
        if (err_fd >= 0) fds[n++] = {err_fd, POLLIN, 0};
        if (in_fd >= 0) fds[n++] = {in_fd, POLLOUT, 0};
        if (poll(fds, static_cast<nfds_t>(n), -1) < 0) {
            if (errno == EINTR) continue;
            throw std::runtime_error("poll failed");
        }
        for (int i = 0; i < n; ++i) {
            if (fds[i].revents == 0) continue;
            int fd = fds[i].fd;
            if (fd == in_fd) {
                ssize_t k = write(in_fd, stdin_text.data() + written, stdin_text.size() - written);
                if (k > 0) written += static_cast<std::size_t>(k);
                if (k < 0 && errno != EAGAIN) written = stdin_text.size();
                if (written == stdin_text.size()) {
                    close(in_fd);
                    in_fd = -1;
                }
                continue;
            }
            ssize_t k = read(fd, buffer, sizeof buffer);
            if (k > 0) {
                (fd == out_fd ? result.out : result.err).append(buffer, static_cast<std::size_t>(k));
            } else if (k == 0 || errno != EINTR) {
                close(fd);
                (fd == out_fd ? out_fd : err_fd) = -1;
            }
        }
    }
    if (in_fd >= 0) close(in_fd);
    int wstatus = 0;
    while (waitpid(pid, &wstatus, 0) < 0 && errno == EINTR) {
    }
    if (WIFEXITED(wstatus)) result.status = WEXITSTATUS(wstatus);
    else if (WIFSIGNALED(wstatus)) result.status = 128 + WTERMSIG(wstatus);
    return result;
}

}  // namespace slicemesh::test

#include "support/process.hpp"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <stdexcept>

namespace test_support {

namespace {

using clock_type = std::chrono::steady_clock;

int remaining_ms(clock_type::time_point deadline) {
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - clock_type::now());
    return left.count() > 0 ? static_cast<int>(left.count()) : 0;
}

void close_fd(int& fd) {
    if (fd >= 0) {
        ::close(fd);
        fd = -1;
    }
}

}  // namespace

child_process::child_process(const std::function<int()>& body) {
    std::array<int, 2> to_child{};
    std::array<int, 2> from_child{};
    if (::pipe(to_child.data()) != 0 || ::pipe(from_child.data()) != 0) {
        throw std::runtime_error("pipe failed");
    }
    std::fflush(nullptr);
    pid_ = ::fork();
    if (pid_ < 0) {
        throw std::runtime_error("fork failed");
    }
    if (pid_ == 0) {
        ::dup2(to_child[0], STDIN_FILENO);
        ::dup2(from_child[1], STDOUT_FILENO);
        for (const int fd : {to_child[0], to_child[1], from_child[0], from_child[1]}) {
            ::close(fd);
        }
        const int status = body();
        std::fflush(stdout);
        ::_exit(status);
    }
    ::close(to_child[0]);
    ::close(from_child[1]);
    input_fd_ = to_child[1];
    output_fd_ = from_child[0];
    ::signal(SIGPIPE, SIG_IGN);
}

child_process::~child_process() {
    close_fd(input_fd_);
    close_fd(output_fd_);
    if (pid_ > 0) {
        ::kill(pid_, SIGKILL);
        ::waitpid(pid_, nullptr, 0);
    }
}

void child_process::write_input(const std::string& text) {
    std::size_t written = 0;
    while (written < text.size()) {
        const ssize_t n = ::write(input_fd_, text.data() + written, text.size() - written);
        if (n < 0) {
            return;  // the child has closed its input
        }
        written += static_cast<std::size_t>(n);
    }
}

void child_process::close_input() {
    close_fd(input_fd_);
}

bool child_process::read_some(std::chrono::milliseconds limit) {
    pollfd watched{output_fd_, POLLIN, 0};
    if (::poll(&watched, 1, static_cast<int>(limit.count())) <= 0) {
        return false;
    }
    std::array<char, 65536> buffer{};
    const ssize_t n = ::read(output_fd_, buffer.data(), buffer.size());
    if (n <= 0) {
        return false;
    }
    output_.append(buffer.data(), static_cast<std::size_t>(n));
    return true;
}

bool child_process::read_until(const std::string& text, std::chrono::milliseconds limit) {
    const auto deadline = clock_type::now() + limit;
    std::size_t found = output_.find(text, searched_from_);
    while (found == std::string::npos) {
        if (!read_some(std::chrono::milliseconds(remaining_ms(deadline)))) {
            return false;
        }
        found = output_.find(text, searched_from_);
    }
    searched_from_ = found + text.size();
    return true;
}

process_result child_process::communicate(const std::string& input,
                                          std::chrono::milliseconds limit) {
    const auto deadline = clock_type::now() + limit;
    ::fcntl(input_fd_, F_SETFL, ::fcntl(input_fd_, F_GETFL) | O_NONBLOCK);
    std::size_t written = 0;
    bool open_output = true;
    while (open_output && remaining_ms(deadline) > 0) {
        if (input_fd_ >= 0 && written == input.size()) {
            close_input();
        }
        std::array<pollfd, 2> watched{{{output_fd_, POLLIN, 0}, {input_fd_, POLLOUT, 0}}};
        if (::poll(watched.data(), input_fd_ >= 0 ? 2 : 1, remaining_ms(deadline)) <= 0) {
            continue;
        }
        if (watched[0].revents != 0) {
            open_output = read_some(0ms);
        }
        if (input_fd_ >= 0 && (watched[1].revents & (POLLERR | POLLHUP)) != 0) {
            close_input();
        } else if (input_fd_ >= 0 && (watched[1].revents & POLLOUT) != 0) {
            const ssize_t n = ::write(input_fd_, input.data() + written, input.size() - written);
            if (n > 0) {
                written += static_cast<std::size_t>(n);
            } else if (errno != EAGAIN) {
                close_input();
            }
        }
    }
    return wait_for_exit(open_output);
}

process_result child_process::wait_for_exit(bool timed_out) {
    if (timed_out) {
        ::kill(pid_, SIGKILL);
    }
    int status = 0;
    ::waitpid(pid_, &status, 0);
    pid_ = -1;
    process_result result;
    result.output = output_;
    result.timed_out = timed_out;
    result.exited = WIFEXITED(status);
    result.exit_status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return result;
}

process_result run_program_with_input(const std::vector<std::string>& argv,
                                      const std::string& input, std::chrono::milliseconds limit) {
    child_process child([&argv] {
        std::vector<char*> args;
        for (const auto& arg : argv) {
            args.push_back(const_cast<char*>(arg.c_str()));
        }
        args.push_back(nullptr);
        ::execv(args[0], args.data());
        return 127;
    });
    return child.communicate(input, limit);
}

}  // namespace test_support

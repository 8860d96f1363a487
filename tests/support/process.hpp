#pragma once

#include <sys/types.h>

#include <chrono>
#include <functional>
#include <string>
#include <vector>

namespace test_support {

using namespace std::chrono_literals;

// How a child process ended, with everything it wrote to its standard output.
struct process_result {
    std::string output;
    bool exited = false;  // ended through exit or a return from main
    int exit_status = -1;
    bool timed_out = false;
};

// A child process whose standard input and output are pipes held by the test.
class child_process {
  public:
    // Runs `body` in the child; its return value becomes the exit status.
    explicit child_process(const std::function<int()>& body);
    child_process(const child_process&) = delete;
    child_process& operator=(const child_process&) = delete;
    ~child_process();

    void write_input(const std::string& text);
    void close_input();
    // Reads until `text` appears in output not yet matched by an earlier call; false if
    // the time runs out first.
    bool read_until(const std::string& text, std::chrono::milliseconds limit);
    // Feeds `input`, closes standard input, reads to the end and waits for the exit.
    process_result communicate(const std::string& input, std::chrono::milliseconds limit);
    const std::string& output() const { return output_; }

  private:
    bool read_some(std::chrono::milliseconds limit);
    process_result wait_for_exit(bool timed_out);

    pid_t pid_ = -1;
    int input_fd_ = -1;
    int output_fd_ = -1;
    std::string output_;
    std::size_t searched_from_ = 0;
};

// Executes a program with the given arguments, feeding it `input`.
process_result run_program_with_input(const std::vector<std::string>& argv,
                                      const std::string& input,
                                      std::chrono::milliseconds limit = 30s);

}  // namespace test_support

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <new>

#include "console/console.hpp"

namespace sa {

namespace {

const char* const usage =
    "Usage: sa_demo [--help | --version]\n"
    "\n"
    "Searches for the maximum of\n"
    "  f(x) = 0.4 + sinc(4x) + 1.1 sinc(4x+2) + 0.8 sinc(6x-2) + 0.7 sinc(6x-4)\n"
    "on [-2, 2] by simulated annealing, through a menu in Portuguese. Choices are read\n"
    "from standard input: 1 draws a random solution, 2 improves it by annealing, 0 leaves.\n"
    "\n"
    "  --help     show this text\n"
    "  --version  show the version\n"
    "\n"
    "The manual: man sa_demo\n";

int session(std::uint32_t seed, const terminal& term) {
    program_state state{demo_landscape().grid(), {}, random_engine(seed)};
    int choice = 0;
    do {
        choice = read_menu_choice(term);
        if (choice == 1) {
            generate_solution(state, term);
        } else if (choice == 2) {
            improve_solution(state, term);
        }
    } while (choice != 0);
    return 0;
}

// A session that ended on a failed read or write is no success: a full disk or a closed
// descriptor must not pass for a finished session.
int io_status(const terminal& term) {
    if (std::ferror(term.in) != 0) {
        std::fprintf(term.err, "sa_demo: cannot read standard input: %s\n", std::strerror(errno));
        return 1;
    }
    if (std::fflush(term.out) != 0 || std::ferror(term.out) != 0) {
        std::fprintf(term.err, "sa_demo: cannot write standard output: %s\n", std::strerror(errno));
        return 1;
    }
    return 0;
}

}  // namespace

int run_program(std::uint32_t seed, const terminal& term) {
    try {
        const int status = session(seed, term);
        return status != 0 ? status : io_status(term);
    } catch (const std::bad_alloc&) {
        std::fprintf(term.out, "Falta memoria para alocar o vetor de ponteiros");
        return 1;
    }
}

namespace {

// --help and --version, whose output is checked as a session's is.
int print_text(const char* text) {
    std::fputs(text, stdout);
    return io_status({stdin, stdout});
}

}  // namespace

int demo_main(const std::vector<std::string>& args, std::uint32_t seed) {
    if (args.empty()) {
        return run_program(seed, {stdin, stdout});
    }
    if (args.size() == 1 && args[0] == "--help") {
        return print_text(usage);
    }
    if (args.size() == 1 && args[0] == "--version") {
        return print_text("sa_demo " SA_DEMO_VERSION "\n");
    }
    // The first argument that cannot be answered: an unknown one, or one after --help or
    // --version.
    const bool first_known = args[0] == "--help" || args[0] == "--version";
    const std::string& refused = first_known ? args[1] : args[0];
    std::fprintf(stderr, "sa_demo: unknown argument '%s' (usage: sa_demo [--help | --version])\n",
                 refused.c_str());
    return 2;
}

}  // namespace sa

#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "annealing/annealing.hpp"
#include "encoding/encoding.hpp"

// The menu program: its command line, its state, the menu, the dispatch of its options and
// the way it reads its input.

namespace sa {

// Where a session reads its choices and prints everything, and where it says that it could
// not.
struct terminal {
    std::FILE* in;
    std::FILE* out;
    std::FILE* err = stderr;
};

// sa_demo as a whole: answers --help and --version, refuses any other argument, and with
// none runs a session on standard input and output seeded with `seed`. Returns the exit
// status.
int demo_main(const std::vector<std::string>& args, std::uint32_t seed);

// A whole session, every random draw from one engine seeded with `seed`; returns the exit
// status. A failed allocation prints the program's message and gives status 1; so does a
// failed read or write, with a line on `err`: the session ends at the first.
int run_program(std::uint32_t seed, const terminal& term);

// Prints the menu and reads choices until one lies in 0..2. End of input counts as 0,
// so a session ends when its input does.
int read_menu_choice(const terminal& term);

// ---- Options 1 and 2

// Lives for the whole session.
struct program_state {
    encoding enc;
    solution cur;  // cur.fo == 0 until option 1 first draws a solution
    random_engine engine;
};

// Option 1: draws a random solution, lists its digits, its x and its value.
void generate_solution(program_state& state, const terminal& term);

// Option 2: anneals the current solution, or asks for one first.
void improve_solution(program_state& state, const terminal& term);

// ---- Input, read the way scanf("%d") and getchar() read it, minus the undefined behaviour
// of scanf on overflow. The output is flushed before every read, so a prompt is visible
// before the program waits.

enum class scanned { in_range, out_of_range, not_an_integer, end_of_input, failed };

// Skips white space and reads an optionally signed decimal integer, leaving whatever
// follows its digits in the stream. Input that holds no integer is discarded up to and
// including the next line feed. Stores the integer in `value` when it lies in low..high.
// `failed` when the output cannot be written or the input cannot be read.
scanned scan_integer(const terminal& term, int low, int high, int& value);

// Reads and drops one character; at end of input reads nothing.
void discard_next_char(const terminal& term);

}  // namespace sa

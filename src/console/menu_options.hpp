#pragma once

#include "annealing/annealing.hpp"
#include "encoding/encoding.hpp"

// What the menu's options 1 and 2 do to the session's state, and what they print.

namespace sa {

// Lives for the whole session.
struct program_state {
    encoding enc;
    solution cur;  // cur.fo == 0 until option 1 first draws a solution
    random_engine engine;
};

// Option 1: draws a random solution, lists its digits, its x and its value.
void generate_solution(program_state& state);

// Option 2: anneals the current solution, or asks for one first.
void improve_solution(program_state& state);

}  // namespace sa

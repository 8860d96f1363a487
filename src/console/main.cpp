#include <ctime>

#include "console/console.hpp"

int main() {
    return run_program(std::time(nullptr));
}

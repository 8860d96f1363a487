#include <cstdint>
#include <ctime>
#include <string>
#include <vector>

#include "console/console.hpp"

int main(int argc, char** argv) {
    // The clock, in seconds, seeds every random draw of the session.
    return sa::demo_main(std::vector<std::string>(argv + 1, argv + argc),
                         static_cast<std::uint32_t>(std::time(nullptr)));
}

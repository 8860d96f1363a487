#include <string>
#include <vector>

#include "study/program.hpp"

int main(int argc, char** argv) {
    return sa::study_main(std::vector<std::string>(argv + 1, argv + argc));
}

#include <string>
#include <vector>

#include "study_cli/study_cli.hpp"

int main(int argc, char** argv) {
    return sa::study_main(std::vector<std::string>(argv + 1, argv + argc));
}

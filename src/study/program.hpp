#pragma once

#include <string>
#include <vector>

namespace sa {

// sa_study as a whole, given the arguments after the program name; returns the exit status.
int study_main(const std::vector<std::string>& args);

}  // namespace sa

#pragma once

#include <string>

namespace test_support {

inline const std::string menu_text =
    "\n************************************************* \n"
    "         1. Gere solucao inicial \n"
    "         2. Simulated Annealing \n"
    "         0. Sair \n"
    "         Escolha: ";

inline const std::string gate_text = "\n ----- Gere uma solucao inicial -------\n";

inline std::string menus(int count) {
    std::string text;
    for (int i = 0; i < count; ++i) {
        text += menu_text;
    }
    return text;
}

}  // namespace test_support

#include <cstdio>

#include "console/console.hpp"
#include "console/input.hpp"

namespace sa {

namespace {

void print_menu() {
    std::printf("\n************************************************* \n");
    std::printf("         1. Gere solucao inicial \n");
    std::printf("         2. Simulated Annealing \n");
    std::printf("         0. Sair \n");
    std::printf("         Escolha: ");
}

}  // namespace

int read_menu_choice() {
    for (;;) {
        print_menu();
        int choice = 0;
        switch (scan_integer(0, 2, choice)) {
            case scanned::in_range:
                return choice;
            case scanned::end_of_input:
                return 0;
            case scanned::out_of_range:
            case scanned::not_an_integer:
                break;
        }
    }
}

}  // namespace sa

#include "console/console.hpp"

namespace sa {

namespace {

void print_menu(std::FILE* out) {
    std::fprintf(out, "\n************************************************* \n");
    std::fprintf(out, "         1. Gere solucao inicial \n");
    std::fprintf(out, "         2. Simulated Annealing \n");
    std::fprintf(out, "         0. Sair \n");
    std::fprintf(out, "         Escolha: ");
}

}  // namespace

int read_menu_choice(const terminal& term) {
    for (;;) {
        print_menu(term.out);
        int choice = 0;
        switch (scan_integer(term, 0, 2, choice)) {
            case scanned::in_range:
                return choice;
            case scanned::end_of_input:
            case scanned::failed:
                return 0;
            case scanned::out_of_range:
            case scanned::not_an_integer:
                break;
        }
    }
}

}  // namespace sa

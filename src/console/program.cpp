#include <cstdio>
#include <cstdlib>

#include "console/console.hpp"
#include "console/input.hpp"
#include "encoding/encoding.hpp"
#include "objective/objective.hpp"

namespace {

void set_all_bits(std::int32_t* v, int n) {
    for (int i = 0; i < n; ++i) {
        v[i] = 1;
    }
}

void generate_solution(int n_bits, int d_max, std::int32_t* cur, float& fo, float x_min,
                       float x_max) {
    fill_random_bits(cur, n_bits);
    for (int i = 0; i < n_bits; ++i) {
        std::printf("v[%d]=%d\n", i, cur[i]);
    }
    const auto x = static_cast<float>(bits_to_x(cur, d_max, n_bits, x_min, x_max));
    fo = static_cast<float>(objective(x));
    std::printf("Solucao aleatoria:\n");
    std::printf("valor de x = %2f \n", static_cast<double>(x));
    std::printf("funcao objetivo = %3f \n", static_cast<double>(fo));
}

void improve_solution(int n_bits, int d_max, std::int32_t* cur, float& fo, float x_min,
                      float x_max) {
    // A value of exactly 0 means no solution has been generated yet.
    if (fo == 0.0F) {
        std::printf("\n ----- Gere uma solucao inicial -------\n");
        discard_next_char();
        return;
    }
    annealing_option(n_bits, d_max, cur, fo, x_min, x_max);
}

}  // namespace

int run_program(std::time_t seed) {
    std::srand(static_cast<unsigned>(seed));
    srand48(static_cast<long>(seed));

    constexpr float x_min = -2.0F;
    constexpr float x_max = 2.0F;
    constexpr float precision = 0.00006F;
    const int n_bits = num_bits(precision, x_min, x_max);
    std::int32_t* cur = alloc_bits(n_bits);
    // The all-ones vector only yields d_max; like cur it lives until the session ends.
    std::int32_t* ones = alloc_bits(n_bits);
    set_all_bits(ones, n_bits);
    const int d_max = decode_bits(ones, n_bits);
    float fo = 0.0F;

    int choice = 0;
    do {
        choice = read_menu_choice();
        if (choice == 1) {
            generate_solution(n_bits, d_max, cur, fo, x_min, x_max);
        } else if (choice == 2) {
            improve_solution(n_bits, d_max, cur, fo, x_min, x_max);
        }
    } while (choice != 0);

    free_bits(ones);
    free_bits(cur);
    return 0;
}

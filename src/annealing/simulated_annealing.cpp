#include <cstdio>

#include "annealing/annealing.hpp"

namespace {

void print_start(float fo, float x) {
    std::printf("Solucao inicial: fo corrente = %f   valor de y = %2f \n", static_cast<double>(fo),
                static_cast<double>(x));
}

void print_report(const annealing_outcome& outcome) {
    std::printf("********* Melhor Solucao obtida pelo SA ************** \n");
    std::printf("valor de x = %2f \n", static_cast<double>(outcome.best_x));
    std::printf("funcao objetivo = %3f \n", static_cast<double>(outcome.best_fo));
    std::printf("Num. max. de solucoes analisadas = %ld \n", outcome.analysed);
    std::printf("****************************************************** \n");
}

}  // namespace

void simulated_annealing(int n, int d_max, std::int32_t* cur, float& fo, double alpha, double t0,
                         double t_final, int trials_per_level, float x_min, float x_max) {
    // The run prints nothing itself, so its starting line can be written once it is over.
    const float start_fo = fo;
    const annealing_outcome outcome =
        anneal(n, d_max, cur, fo, alpha, t0, t_final, trials_per_level, x_min, x_max);
    print_start(start_fo, outcome.start_x);
    print_report(outcome);
    // Consumes what follows the typed choice, normally its line feed; nothing at end of input.
    std::fflush(stdout);
    static_cast<void>(std::getchar());
}

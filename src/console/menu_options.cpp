#include "console/menu_options.hpp"

#include <cstdio>

#include "console/input.hpp"

namespace sa {

namespace {

void print_start(float fo, float x) {
    std::printf("Solucao inicial: fo corrente = %f   valor de y = %2f \n", static_cast<double>(fo),
                static_cast<double>(x));
}

void print_report(const run_report& report) {
    std::printf("********* Melhor Solucao obtida pelo SA ************** \n");
    std::printf("valor de x = %2f \n", static_cast<double>(report.best_x));
    std::printf("funcao objetivo = %3f \n", static_cast<double>(report.best_fo));
    std::printf("Num. max. de solucoes analisadas = %ld \n", report.analysed);
    std::printf("****************************************************** \n");
}

// Option 2 with a solution present: one run with the demo's schedule, then its report.
void annealing_option(program_state& state) {
    const float start_fo = state.cur.fo;
    const run_report report =
        anneal(search_space(state.enc), demo_schedule(state.enc), state.cur, state.engine);
    // The run prints nothing itself, so its starting line can be written once it is over.
    print_start(start_fo, report.start_x);
    print_report(report);
    // Consumes what follows the typed choice, normally its line feed.
    discard_next_char();
}

}  // namespace

void generate_solution(program_state& state) {
    state.cur = random_solution(state.enc, state.engine);
    for (std::size_t i = 0; i < state.cur.bits.size(); ++i) {
        std::printf("v[%zu]=%d\n", i, state.cur.bits[i]);
    }
    const auto x = static_cast<float>(bits_to_x(state.cur.bits, state.enc));
    std::printf("Solucao aleatoria:\n");
    std::printf("valor de x = %2f \n", static_cast<double>(x));
    std::printf("funcao objetivo = %3f \n", static_cast<double>(state.cur.fo));
}

void improve_solution(program_state& state) {
    if (state.cur.fo == 0.0F) {
        std::printf("\n ----- Gere uma solucao inicial -------\n");
        discard_next_char();
        return;
    }
    annealing_option(state);
}

}  // namespace sa

#include "console/console.hpp"

namespace sa {

namespace {

// A solution as both options show it.
struct shown_solution {
    float x;
    float fo;
};

void print_x_and_value(std::FILE* out, shown_solution shown) {
    std::fprintf(out, "valor de x = %2f \n", static_cast<double>(shown.x));
    std::fprintf(out, "funcao objetivo = %3f \n", static_cast<double>(shown.fo));
}

void print_start(std::FILE* out, shown_solution start) {
    std::fprintf(out, "Solucao inicial: fo corrente = %f   valor de y = %2f \n",
                 static_cast<double>(start.fo), static_cast<double>(start.x));
}

void print_report(std::FILE* out, const run_report& report) {
    std::fprintf(out, "********* Melhor Solucao obtida pelo SA ************** \n");
    print_x_and_value(out, {.x = report.best_x, .fo = report.best_fo});
    std::fprintf(out, "Num. max. de solucoes analisadas = %lld \n",
                 static_cast<long long>(report.analysed));
    std::fprintf(out, "****************************************************** \n");
}

// Option 2 with a solution present: one run with the demo's schedule, then its report.
void annealing_option(program_state& state, const terminal& term) {
    const float start_fo = state.cur.fo;
    const run_report report =
        anneal(demo_landscape(), state.enc, demo_schedule(state.enc), state.cur, state.engine);
    // The run prints nothing itself, so its starting line can be written once it is over.
    print_start(term.out, {.x = report.start_x, .fo = start_fo});
    print_report(term.out, report);
    // Consumes what follows the typed choice, normally its line feed.
    discard_next_char(term);
}

}  // namespace

void generate_solution(program_state& state, const terminal& term) {
    state.cur = random_solution(demo_landscape(), state.enc, state.engine);
    for (std::size_t i = 0; i < state.cur.bits.size(); ++i) {
        std::fprintf(term.out, "v[%zu]=%d\n", i, state.cur.bits[i]);
    }
    std::fprintf(term.out, "Solucao aleatoria:\n");
    print_x_and_value(term.out,
                      {.x = x_at(decode_bits(state.cur.bits), state.enc), .fo = state.cur.fo});
}

void improve_solution(program_state& state, const terminal& term) {
    if (state.cur.fo == 0.0F) {
        std::fprintf(term.out, "\n ----- Gere uma solucao inicial -------\n");
        discard_next_char(term);
        return;
    }
    annealing_option(state, term);
}

}  // namespace sa

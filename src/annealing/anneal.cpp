#include <algorithm>
#include <cmath>
#include <vector>

#include "annealing/annealing.hpp"
#include "encoding/encoding.hpp"
#include "objective/objective.hpp"

namespace {

// A solution as the search sees it: its decoded value, its x, and f(x) unrounded.
// The objective is a pure function, so the kept f(x) is bit for bit what evaluating the
// current solution afresh at every trial would give, without that second evaluation.
struct point {
    int d;
    float x;
    long double f;
};

// Maps decoded values to points of the search.
class encoding_map {
  public:
    encoding_map(int d_max, float x_min, float x_max)
        : d_max_(d_max), x_min_(x_min), x_max_(x_max) {}

    point at(int d) const {
        const auto x = static_cast<float>(decoded_to_x(d, d_max_, x_min_, x_max_));
        return {d, x, objective(x)};
    }

  private:
    int d_max_;
    float x_min_;
    float x_max_;
};

// The running value follows the accepted changes; it is never recomputed from the vector.
float add_change(float fo, float delta) {
    return static_cast<float>(static_cast<long double>(fo) + delta);
}

// Metropolis rule for a move that does not improve: accept with probability exp(delta / T).
// The draw is taken for every such move, so the random sequence does not depend on delta.
bool accepts_worse_move(float delta, double temperature) {
    const auto r = static_cast<double>(random_uniform(0.0, 1.0));
    return std::exp(static_cast<double>(static_cast<long double>(delta) / temperature)) > r;
}

double cool(double temperature, double alpha) {
    return static_cast<double>(static_cast<long double>(temperature) * alpha);
}

}  // namespace

annealing_outcome anneal(int n, int d_max, std::int32_t* cur, float& fo, double alpha, double t0,
                         double t_final, int trials_per_level, float x_min, float x_max,
                         const level_observer& observe) {
    const encoding_map map(d_max, x_min, x_max);
    std::int32_t* best = alloc_bits(n);
    clear_bits(best, n);
    copy_bits(cur, best, n);
    float best_fo = fo;
    point current = map.at(decode_bits(cur, n));
    const float start_x = current.x;
    float best_x = start_x;

    std::vector<int> positions(static_cast<std::size_t>(std::max(trials_per_level, 0)));
    int levels = 0;
    for (double temperature = t0; temperature > t_final; temperature = cool(temperature, alpha)) {
        level_summary summary{levels, temperature, 0, 0, 0, 0.0F, 0.0F, 0.0F};
        // Positions come from lrand48() and nothing else draws from it during a run, so a
        // level's positions can be drawn before its trials: the same numbers, but no trial
        // then waits for its draw.
        std::generate(positions.begin(), positions.end(), [n] { return random_int(n); });
        for (const int k : positions) {
            ++summary.trials;
            const point next = map.at(decoded_after_flip(cur, n, k, current.d));
            // The old value enters unrounded; only the difference is rounded.
            const auto delta = static_cast<float>(static_cast<float>(next.f) - current.f);
            const bool improving = delta > 0.0F;
            if (!improving && !accepts_worse_move(delta, temperature)) {
                continue;  // rejected: the vector was never changed
            }
            flip_bit(cur, k);
            current = next;
            fo = add_change(fo, delta);
            ++(improving ? summary.improving : summary.worsening);
            // Only an improving move can lift the value above the best.
            if (improving && fo > best_fo) {
                copy_bits(cur, best, n);
                best_fo = fo;
                best_x = next.x;
            }
        }
        ++levels;
        if (observe) {
            summary.x = current.x;
            summary.fo = fo;
            summary.best_fo = best_fo;
            observe(summary);
        }
    }

    copy_bits(best, cur, n);
    fo = best_fo;
    free_bits(best);
    return {start_x, best_x, best_fo, static_cast<long>(levels) * trials_per_level};
}

#include "landscape/landscape.hpp"

#include <utility>

#include "objective/objective.hpp"

namespace sa {

namespace {

class demo_function final : public landscape::definition {
  public:
    long double value(float x) const override { return objective(x); }
    void tabulate(std::span<const float> x, std::span<float> rounded,
                  std::span<double> rest) const override {
        split_objective(x, rounded, rest);
    }

    // Its slope, summed in double from four terms below 10, is off by far less than 1e-12.
    std::optional<smooth_shape> shape() const override {
        return smooth_shape{smooth_f, slope_of_f, curvature_bound_of_f(), 1e-12};
    }
};

}  // namespace

landscape::landscape(std::string name, const problem_params& problem,
                     std::shared_ptr<const definition> defined)
    : name_(std::move(name)),
      problem_(problem),
      bits_(encoding_for(problem).n_bits),
      defined_(std::move(defined)) {}

landscape landscape::on(const problem_params& interval) const {
    landscape moved = *this;
    moved.problem_.x_min = interval.x_min;
    moved.problem_.x_max = interval.x_max;
    return moved;
}

const landscape& demo_landscape() {
    // Defined for the whole program, and shared without an allocation: sa_demo's first
    // allocation is its first solution's, which may fail as the session's first failure.
    static const demo_function f;
    using shared = std::shared_ptr<const landscape::definition>;
    static const landscape demo("demo", demo_problem, shared(shared(), &f));
    return demo;
}

}  // namespace sa

#include <cmath>
#include <map>
#include <mutex>
#include <tuple>
#include <utility>
#include <vector>

#include "formula/formula.hpp"

namespace sa {

namespace {

// A function computed in double: a formula, or a drawn curve.
template <typename Function>
class computed_function final : public landscape::definition {
  public:
    explicit computed_function(Function f) : f_(std::move(f)) {}

    long double value(float x) const override { return f_.at(static_cast<double>(x)); }

    // The value in double is split exactly: its float, and what rounding it lost.
    void tabulate(std::span<const float> x, std::span<float> rounded,
                  std::span<double> rest) const override {
        std::vector<double> at(x.begin(), x.end());
        std::vector<double> values(x.size());
        f_.evaluate(at, values);
        for (std::size_t i = 0; i < x.size(); ++i) {
            rounded[i] = static_cast<float>(values[i]);
            rest[i] = values[i] - static_cast<double>(rounded[i]);
        }
    }

    std::optional<smooth_shape> shape() const override { return std::nullopt; }

    // Each grid is checked once, however many cases or rows of a file plan on it.
    std::optional<float> first_not_finite(const encoding& grid) const override {
        const std::lock_guard lock(checked_mutex_);
        const auto key = std::tuple(grid.n_bits, grid.x_min, grid.x_max);
        const auto known = checked_.find(key);
        if (known != checked_.end()) {
            return known->second;
        }
        std::optional<float> first;
        for (int d = 0; d <= grid.d_max && !first; ++d) {
            const float x = x_at(d, grid);
            if (!std::isfinite(static_cast<float>(f_.at(static_cast<double>(x))))) {
                first = x;
            }
        }
        checked_.emplace(key, first);
        return first;
    }

  private:
    Function f_;
    mutable std::mutex checked_mutex_;
    mutable std::map<std::tuple<int, float, float>, std::optional<float>> checked_;
};

}  // namespace

landscape landscape_of(std::string name, formula f, const problem_params& problem) {
    return {std::move(name), problem,
            std::make_shared<const computed_function<formula>>(std::move(f))};
}

landscape landscape_of(std::string name, drawn_curve c, const problem_params& problem) {
    return {std::move(name), problem,
            std::make_shared<const computed_function<drawn_curve>>(std::move(c))};
}

}  // namespace sa

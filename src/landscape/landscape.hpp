#pragma once

#include <memory>
#include <optional>
#include <span>
#include <string>

#include "encoding/encoding.hpp"

// A landscape: a function to maximise and the interval it is searched on, as one value that
// the runs, the tables, the hills' finder, the study and the page receive. None of them knows
// which function it is.

namespace sa {

// A landscape as a smooth function: its hills lie where its slope changes sign. |f''| is at
// most the bound, which tells the hills' finder where no such change can hide, and the slope
// as computed is within slope_error of the true one.
struct smooth_shape {
    double (*value)(double x);
    double (*slope)(double x);
    double curvature_bound;
    double slope_error;
};

class landscape {
  public:
    // What a kind of landscape defines.
    class definition {
      public:
        definition() = default;
        definition(const definition&) = delete;
        definition& operator=(const definition&) = delete;
        virtual ~definition() = default;

        // f at x, unrounded: callers round it where they store it.
        virtual long double value(float x) const = 0;
        // split(value(x[i])) for every i, into rounded[i] and rest[i], bit for bit.
        virtual void tabulate(std::span<const float> x, std::span<float> rounded,
                              std::span<double> rest) const = 0;
        // None where the function is not known to be smooth: its hills are the grid's.
        virtual std::optional<smooth_shape> shape() const = 0;
        // The first x of `grid` whose value, rounded to single precision, is not finite: none
        // for a function finite wherever x is.
        virtual std::optional<float> first_not_finite(const encoding& /*grid*/) const {
            return std::nullopt;
        }
    };

    landscape(std::string name, const problem_params& problem,
              std::shared_ptr<const definition> defined);

    const std::string& name() const { return name_; }
    // The interval searched, and the resolution wanted there.
    const problem_params& problem() const { return problem_; }
    // The grid of as many digits as the resolution wanted needs (on the interval it was made
    // on), or the one of `bits` digits.
    encoding grid() const { return grid(bits_); }
    encoding grid(int bits) const { return encoding_with(bits, problem_.x_min, problem_.x_max); }
    // The same function on `interval`'s [x_min, x_max], on a grid of as many digits as this
    // one's.
    landscape on(const problem_params& interval) const;
    // Whether it is on the demo's interval.
    bool on_demo_interval() const {
        return problem_.x_min == demo_problem.x_min && problem_.x_max == demo_problem.x_max;
    }

    long double value(float x) const { return defined_->value(x); }
    void tabulate(std::span<const float> x, std::span<float> rounded,
                  std::span<double> rest) const {
        defined_->tabulate(x, rounded, rest);
    }
    std::optional<smooth_shape> shape() const { return defined_->shape(); }
    // The first x of the grid of `bits` digits where the value is not finite in single
    // precision, which no run could compare; none where every value is finite.
    std::optional<float> first_not_finite(int bits) const {
        return defined_->first_not_finite(grid(bits));
    }

    // One landscape is another of the same name on the same interval.
    bool operator==(const landscape& other) const {
        return name_ == other.name_ && problem_ == other.problem_ && bits_ == other.bits_;
    }

  private:
    std::string name_;
    problem_params problem_;
    int bits_;
    std::shared_ptr<const definition> defined_;
};

// f(x) = 0.4 + sinc(4x) + 1.1 sinc(4x + 2) + 0.8 sinc(6x - 2) + 0.7 sinc(6x - 4) on [-2, 2],
// resolved to 0.00006: sa_demo's, evaluated and tabulated in the 80-bit format.
const landscape& demo_landscape();

}  // namespace sa

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
    };

    landscape(std::string name, const problem_params& problem,
              std::shared_ptr<const definition> defined);

    const std::string& name() const { return name_; }
    // The interval searched, and the resolution wanted there.
    const problem_params& problem() const { return problem_; }
    // The grid that resolves the interval to that precision, or the one of `bits` digits.
    encoding grid() const { return encoding_for(problem_); }
    encoding grid(int bits) const { return encoding_with(bits, problem_.x_min, problem_.x_max); }

    long double value(float x) const { return defined_->value(x); }
    void tabulate(std::span<const float> x, std::span<float> rounded,
                  std::span<double> rest) const {
        defined_->tabulate(x, rounded, rest);
    }
    std::optional<smooth_shape> shape() const { return defined_->shape(); }

    // One landscape is another of the same name on the same interval.
    bool operator==(const landscape& other) const {
        return name_ == other.name_ && problem_ == other.problem_;
    }

  private:
    std::string name_;
    problem_params problem_;
    std::shared_ptr<const definition> defined_;
};

// f(x) = 0.4 + sinc(4x) + 1.1 sinc(4x + 2) + 0.8 sinc(6x - 2) + 0.7 sinc(6x - 4) on [-2, 2],
// resolved to 0.00006: sa_demo's, evaluated and tabulated in the 80-bit format.
const landscape& demo_landscape();

}  // namespace sa

#pragma once

#include <functional>
#include <memory>
#include <vector>

#include "batch/batch.hpp"
#include "landscape/landscape.hpp"

// What the grid of a landscape holds: its best point, and the hills of the landscape, each a
// basin on the grid, found from the landscape's shape. Computes only.

namespace sa {

// Decoded values first..last on a grid; none is {-1, -1}.
struct peak_range {
    int first;
    int last;
    bool contains(int d) const { return first <= d && d <= last; }
};

// One of f's hills: the basin of one of its peaks on the interval, from the valley on one side
// to the valley on the other (or the interval's end). Peaks and valleys are found on f as a
// smooth function, so that the rounding of its values cannot split a hill or invent one.
struct hill {
    double top_x;      // where f peaks
    double top_value;  // f there, smooth
    // The grid points on it: those whose x lies in the basin, and at each valley the lower of
    // the two points around it, shared with the hill beyond. None where the grid has no point
    // in the basin: the hill falls between two of its points, and the grid cannot show it.
    peak_range range;
    // The grid points whose x lies in the basin, shared with no other hill: the hills' basins
    // cut the grid into parts, so that shares of them add up to the whole. None as above.
    peak_range basin;
};

// The value of a grid point as the grid holds it.
using grid_value = std::function<long double(int d)>;

// Every hill of f on the grid of `enc`, the highest peak first. Only the points around each
// valley are looked up.
std::vector<hill> hills_of(const landscape& f, const encoding& enc, const grid_value& value_at);
std::vector<hill> hills_of(const tabulated_space& space);

// The grid's best point and the hills of f's two highest peaks.
struct grid_landmarks {
    int optimum_d;
    float optimum_x;
    long double optimum_value;
    peak_range global_peak;
    peak_range second_peak;
    bool has_second_hill = true;  // false for a landscape of one hill, whose second is none
};
grid_landmarks find_landmarks(const landscape& f, const encoding& enc, const grid_value& value_at);
grid_landmarks find_landmarks(const tabulated_space& space);

// The landmarks of f's grid of `bits` digits, f evaluated at every point: no table is kept.
grid_landmarks landmarks_of_grid(const landscape& f, int bits);

// A grid tabulated for a study's runs, its landmarks, and what finding them cost.
struct tabulated_grid {
    tabulated_space space;
    grid_landmarks landmarks;
    double seconds;
};

// The grid of the schedules being run. A sweep runs its cases bits outermost, so one grid at
// a time is kept: each takes 12 bytes a point. It is tabulated on `jobs` threads.
class grid_cache {
  public:
    explicit grid_cache(int jobs = 1) : jobs_(jobs) {}
    // f's grid of `bits` digits. `count`, if given, is told the points tabulated as a new grid
    // is, from the calling thread.
    const tabulated_grid& of(const landscape& f, int bits, const point_counter& count = {});

  private:
    int jobs_;
    std::unique_ptr<tabulated_grid> grid_;
};

}  // namespace sa

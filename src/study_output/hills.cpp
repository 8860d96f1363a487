#include "study_output/study_output.hpp"

namespace sa {

namespace {

// The points of a hill's basin, which no other hill shares; 0 where the grid has none.
int points_of(const hill& h) {
    return h.basin.first < 0 ? 0 : h.basin.last - h.basin.first + 1;
}

}  // namespace

grid_hills hills_on_grid(const tabulated_space& space) {
    return {space, find_landmarks(space), hills_of(space)};
}

std::string hills_report(const grid_hills& found) {
    const tabulated_space& space = found.space;
    const encoding& grid = space.grid_encoding();
    const grid_landmarks& landmarks = found.landmarks;
    const int points = grid.d_max + 1;
    std::string text = "landscape: " + landscape_label(space.grid_landscape()) +
                       format(", %d bits\n\n", grid.n_bits);
    text += format("Exact optimum over all %d grid points:\n", points);
    text += format("  x = %.6f   f(x) = %.6Lf   decoded value %d\n\n",
                   static_cast<double>(landmarks.optimum_x), landmarks.optimum_value,
                   landmarks.optimum_d);
    text += count_of(static_cast<std::int64_t>(found.hills.size()), "hill", "hills") +
            ", the highest first, each a basin from valley to valley:\n"
            "  hill       top x      f(top)      from x        to x    points    share\n";
    for (std::size_t i = 0; i < found.hills.size(); ++i) {
        const hill& h = found.hills[i];
        const int held = points_of(h);
        text += format("%6zu %11.6f %11.6f", i + 1, h.top_x, h.top_value);
        text += held == 0 ? "   (the grid has no point on it)\n"
                          : format(" %11.6f %11.6f %9d %7.2f %%\n",
                                   static_cast<double>(space.x_at(h.basin.first)),
                                   static_cast<double>(space.x_at(h.basin.last)), held,
                                   share(held, points));
    }
    return text;
}

std::string hills_csv(const grid_hills& found) {
    std::string text = "hill,top_x,top_value,from_x,to_x,points\n";
    for (std::size_t i = 0; i < found.hills.size(); ++i) {
        const hill& h = found.hills[i];
        const bool held = points_of(h) > 0;
        text += format("%zu,%.9g,%.9g,%s,%s,%d\n", i + 1, h.top_x, h.top_value,
                       held ? shortest(found.space.x_at(h.basin.first)).c_str() : "",
                       held ? shortest(found.space.x_at(h.basin.last)).c_str() : "", points_of(h));
    }
    return text;
}

}  // namespace sa

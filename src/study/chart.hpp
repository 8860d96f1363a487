#pragma once

#include <string>
#include <vector>

#include "annealing/annealing.hpp"

// Plain-text pictures of the function and of where runs end, on a shared x axis.

namespace sa {

constexpr int chart_width = 80;
constexpr int chart_margin = 8;  // room for the value labels on the left
constexpr int plot_columns = chart_width - chart_margin;

// The plot column that x falls in; x_max belongs to the last column.
int plot_column(float x, float x_min, float x_max);

// How many of the xs fall in each plot column.
std::vector<int> column_counts(const std::vector<float>& xs, float x_min, float x_max);

// The highest value of f over the grid points of each plot column.
std::vector<double> column_maxima(const search_space& space);

// f as a filled area, `rows` lines high, values from 0 up to `top`.
std::string plot_area(const std::vector<double>& heights, double top, int rows);

// The counts as bars of '#', `rows` lines high, the tallest bar reaching the top.
std::string plot_bars(const std::vector<int>& counts, int rows);

// The x axis under both, with ticks at every whole x.
std::string plot_axis(float x_min, float x_max);

// Each bar's count beside the x at its column's middle, as many to a line as fit.
std::string bar_counts(const std::vector<int>& counts, float x_min, float x_max);

}  // namespace sa

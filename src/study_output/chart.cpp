#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>

#include "study_output/study_output.hpp"

namespace sa {

namespace {

std::string margin_label(double value) {
    std::array<char, chart_margin + 1> label{};
    std::snprintf(label.data(), label.size(), "%6.2f |", value);
    return label.data();
}

std::string margin_label(long count) {
    // Six characters: counts of a million and more are shown in thousands.
    std::string number =
        count < 1'000'000 ? std::to_string(count) : std::to_string(count / 1000) + "k";
    return std::string(6 - std::min<std::size_t>(6, number.size()), ' ') + number + " |";
}

const std::string blank_margin = "       |";

// The highest value of f over the grid points of each chart column. x never falls as d
// rises, so a column's points are one run of d, whose end bisection finds, and whose highest
// point the table knows.
std::vector<double> column_maxima(const tabulated_space& space) {
    const encoding& grid = space.grid_encoding();
    const auto column_of = [&space, &grid](int d) {
        return bin_of(space.x_at(d), grid, chart_columns);
    };
    std::vector<double> maxima(chart_columns, 0.0);
    for (int first = 0; first <= grid.d_max;) {
        const int column = column_of(first);
        int last = first;
        for (int beyond = grid.d_max + 1; beyond - last > 1;) {
            const int middle = last + (beyond - last) / 2;
            (column_of(middle) == column ? last : beyond) = middle;
        }
        auto& highest = maxima[static_cast<std::size_t>(column)];
        highest = std::max(highest, static_cast<double>(
                                        space.value_at(space.highest_in(first, last)).unrounded()));
        first = last + 1;
    }
    return maxima;
}

// f as a filled area, `rows` lines high, values from 0 up to `top`.
std::string plot_area(const std::vector<double>& heights, double top, int rows) {
    std::string text;
    for (int row = rows; row >= 1; --row) {
        const double level = top * (row - 0.5) / rows;
        text += row % 2 == 0 ? margin_label(top * row / rows) : blank_margin;
        for (const double height : heights) {
            text += height >= level ? '#' : ' ';
        }
        text += '\n';
    }
    return text;
}

// The x axis under both charts, with ticks at every whole x.
std::string plot_axis(const encoding& grid) {
    std::string ticks(chart_columns, '-');
    std::string labels(chart_columns, ' ');
    for (auto x = static_cast<int>(std::ceil(grid.x_min));
         x <= static_cast<int>(std::floor(grid.x_max)); ++x) {
        const int column = bin_of(static_cast<float>(x), grid, chart_columns);
        ticks[static_cast<std::size_t>(column)] = '+';
        const std::string label = std::to_string(x);
        // The label's last digit stands under its tick, kept inside the chart at the ends.
        const int first = std::max(0, column + 1 - static_cast<int>(label.size()));
        const auto start = std::min(static_cast<std::size_t>(first), labels.size() - label.size());
        labels.replace(start, label.size(), label);
    }
    labels.erase(labels.find_last_not_of(' ') + 1);
    return blank_margin + ticks + '\n' + std::string(chart_margin, ' ') + labels + '\n';
}

}  // namespace

std::string plot_bars(const std::vector<long>& counts, int rows) {
    const long tallest = std::max(1L, *std::max_element(counts.begin(), counts.end()));
    std::string text;
    for (int row = rows; row >= 1; --row) {
        text += row == rows ? margin_label(tallest) : blank_margin;
        for (const long count : counts) {
            // Any run at all shows as at least the lowest mark.
            const long bar = count == 0 ? 0 : std::max(1L, (count * rows + tallest - 1) / tallest);
            text += bar >= row ? '#' : ' ';
        }
        text += '\n';
    }
    return text;
}

std::string bar_counts(const std::vector<long>& counts, float x_min, float x_max) {
    const double column_width =
        (static_cast<double>(x_max) - static_cast<double>(x_min)) / chart_columns;
    std::string text;
    std::string line;
    for (std::size_t column = 0; column < counts.size(); ++column) {
        if (counts[column] == 0) {
            continue;
        }
        const double middle = x_min + (static_cast<double>(column) + 0.5) * column_width;
        const std::string item = format("  x %+.2f: %ld", middle, counts[column]);
        if (line.size() + item.size() > chart_width) {
            text += line + '\n';
            line.clear();
        }
        line += item;
    }
    return line.empty() ? text : text + line + '\n';
}

std::string text_charts(const tabulated_space& space, const std::vector<run_outcome>& runs) {
    const encoding& grid = space.grid_encoding();
    const std::vector<long> counts = histogram_of_ends(runs, grid, chart_columns);
    std::string text = format("f(x) over [%g, %g]:\n", static_cast<double>(grid.x_min),
                              static_cast<double>(grid.x_max));
    text += plot_area(column_maxima(space), 1.6, 16);
    text += plot_axis(grid);
    text += "\nwhere the runs' best x lie:\n";
    text += plot_bars(counts, 8);
    text += plot_axis(grid);
    text += "\nruns per column, at the column's middle x:\n";
    text += bar_counts(counts, grid.x_min, grid.x_max);
    return text;
}

}  // namespace sa

#include "study/chart.hpp"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>

namespace sa {

namespace {

std::string margin_label(double value) {
    std::array<char, chart_margin + 1> label{};
    std::snprintf(label.data(), label.size(), "%6.2f |", value);
    return label.data();
}

std::string margin_label(int count) {
    // Six characters: counts of a million and more are shown in thousands.
    std::string number =
        count < 1'000'000 ? std::to_string(count) : std::to_string(count / 1000) + "k";
    return std::string(6 - std::min<std::size_t>(6, number.size()), ' ') + number + " |";
}

const std::string blank_margin = "       |";

}  // namespace

int plot_column(float x, float x_min, float x_max) {
    const double share = (static_cast<double>(x) - x_min) / (static_cast<double>(x_max) - x_min);
    const auto column = static_cast<int>(std::floor(share * plot_columns));
    return std::clamp(column, 0, plot_columns - 1);
}

std::vector<int> column_counts(const std::vector<float>& xs, float x_min, float x_max) {
    std::vector<int> counts(plot_columns, 0);
    for (const float x : xs) {
        ++counts[static_cast<std::size_t>(plot_column(x, x_min, x_max))];
    }
    return counts;
}

std::vector<double> column_maxima(const search_space& space) {
    const encoding& grid = space.grid();
    std::vector<double> maxima(plot_columns, 0.0);
    for (int d = 0; d <= grid.d_max; ++d) {
        const int column = plot_column(space.x_at(d), grid.x_min, grid.x_max);
        auto& highest = maxima[static_cast<std::size_t>(column)];
        highest = std::max(highest, static_cast<double>(space.value_at(d).exact()));
    }
    return maxima;
}

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

std::string plot_bars(const std::vector<int>& counts, int rows) {
    const int tallest = std::max(1, *std::max_element(counts.begin(), counts.end()));
    std::string text;
    for (int row = rows; row >= 1; --row) {
        text += row == rows ? margin_label(tallest) : blank_margin;
        for (const int count : counts) {
            // Any run at all shows as at least the lowest mark.
            const int bar = count == 0 ? 0 : std::max(1, (count * rows + tallest - 1) / tallest);
            text += bar >= row ? '#' : ' ';
        }
        text += '\n';
    }
    return text;
}

std::string plot_axis(float x_min, float x_max) {
    std::string ticks(plot_columns, '-');
    std::string labels(plot_columns, ' ');
    for (auto x = static_cast<int>(std::ceil(x_min)); x <= static_cast<int>(std::floor(x_max));
         ++x) {
        const int column = plot_column(static_cast<float>(x), x_min, x_max);
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

std::string bar_counts(const std::vector<int>& counts, float x_min, float x_max) {
    const double column_width =
        (static_cast<double>(x_max) - static_cast<double>(x_min)) / plot_columns;
    std::string text;
    std::string line;
    for (std::size_t column = 0; column < counts.size(); ++column) {
        if (counts[column] == 0) {
            continue;
        }
        const double middle = x_min + (static_cast<double>(column) + 0.5) * column_width;
        std::array<char, 40> item{};
        std::snprintf(item.data(), item.size(), "  x %+.2f: %d", middle, counts[column]);
        if (line.size() + std::string(item.data()).size() > chart_width) {
            text += line + '\n';
            line.clear();
        }
        line += item.data();
    }
    return line.empty() ? text : text + line + '\n';
}

}  // namespace sa

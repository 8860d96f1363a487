#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "study_output/case_of_fields.hpp"
#include "study_output/study_output.hpp"

// The texts sa_study prints, each to the character: tables, the report of a case, time to
// solution, a trace, a population and the text charts.

namespace {

using enum sa::study_field;

TEST(ReportText, NumbersFitTheirColumnsAndLinesWrapPastEighty) {
    struct fitted {
        double value;
        const char* pattern;  // none: fit() in general digits
        int width;
        const char* text;
    };
    const std::vector<fitted> cells = {
        {0.6538858, nullptr, 6, "0.6539"},
        {1234567.0, nullptr, 7, "1234567"},  // all seven digits where they fit
        {4.303205e-08, nullptr, 6, "4e-08"},
        {1e6, nullptr, 4, "1e6"},               // compact where no usual form fits
        {123456789.4, "%.0f", 9, "123456789"},  // the pattern where it fits exactly
        {123456.7, "%.1f", 6, "123457"},
        {1e30, "%.5f", 10, "1e+30"},
    };
    for (const fitted& cell : cells) {
        const sa::table_column column{cell.width, "", ""};
        EXPECT_EQ(
            cell.pattern ? sa::fit(cell.value, cell.pattern, column) : sa::fit(cell.value, column),
            cell.text);
    }
    const std::string eighty = std::string(75, 'a') + " bcde";
    EXPECT_EQ(sa::wrapped(eighty, 4), eighty);
    EXPECT_EQ(sa::wrapped(eighty + "f", 4), std::string(75, 'a') + "\n    bcdef");
    EXPECT_EQ(sa::runs_text(5, 5), "run 5");
    EXPECT_EQ(sa::runs_text(5, 9), "runs 5 to 9");
}

// Two rows of the README's sweep over 2000 runs, with the counts and times that give its
// figures, and a schedule whose runs never reach the exact optimum.
TEST(ReportText, SweepAndTimeToSolutionTablesAsTheReadmeShowsThem) {
    // 2000 runs under geometric cooling from T0 1 to 0.001.
    const auto result = [](const char* alpha, long exact, long global, long second, double mean,
                           double median_seconds, double total_seconds) {
        return sa::case_result{
            case_of_fields({{t0, "1"}, {sa::study_field::alpha, alpha}, {t_final, "0.001"}}),
            {},
            {.runs = 2000,
             .exact_optimum = exact,
             .global_peak = global,
             .second_peak = second,
             .mean_best = mean,
             .median_seconds = median_seconds,
             .total_seconds = total_seconds}};
    };
    const std::vector<sa::case_result> results = {
        result("0.9", 146, 1519, 440, 1.468506, 9.1e-6, 0.0194),
        result("0.97", 436, 1949, 50, 1.496845, 25.4e-6, 0.0549),
        result("0.5", 0, 2000, 0, 1.4, 1.5e-6, 0.003)};
    EXPECT_EQ(sa::sweep_table(results),
              "                final tri-              trials exact glob.   2nd     mean median\n"
              "    T0   alpha      T  als bits levels per run     % peak% peak%     best     us\n"
              "     1     0.9  0.001    8   17     66     528   7.3  76.0  22.0 1.468506    9.1\n"
              "     1    0.97  0.001    8   17    227    1816  21.8  97.5   2.5 1.496845   25.4\n"
              "     1     0.5  0.001    8   17     10      80   0.0 100.0   0.0 1.400000    1.5\n");
    EXPECT_EQ(sa::tts_table(results),
              "Time to solution with restarts:\n"
              "R99 runs reach the exact optimum with 99 % probability.\n\n"
              "                final tri-              trials            TTS99   TTS99     peak\n"
              "    T0   alpha      T  als bits levels per run    R99    trials      ms    TTS99\n"
              "     1     0.9  0.001    8   17     66     528   60.8     32078   0.589     1706\n"
              "     1    0.97  0.001    8   17    227    1816   18.7     34010   0.514     2279\n"
              "     1     0.5  0.001    8   17     10      80      -         -       -       80\n");
    EXPECT_EQ(sa::least_tts_line(results),
              "Least TTS99 on the exact optimum:\n"
              "  T0 1, alpha 0.9, final T 0.001, 8 trials per level, 17 bits\n"
              "  R99 60.8 runs, TTS99 32078 trials, 589 us\n"
              "  95 %: 27293 to 37738 trials\n");
    EXPECT_EQ(sa::least_tts_line({results[2]}),
              "No run of any schedule reached the exact optimum: no finite TTS99.\n");
    // Of schedules that cost the same, the first.
    EXPECT_EQ(sa::cheapest_reaching({results[0], results[1], results[0]}, 5.0), 0U);
}

// The cheapest schedule reaching a share by its own runs, and the one reaching it soonest with
// restarts, both by the exact optimum: the cheap schedule here is on the global peak every
// time, but on the exact optimum once in a hundred runs.
TEST(ReportText, TargetLineNamesBothSchedulesOrNone) {
    const std::vector<sa::case_result> results = {
        {case_of_fields({{t0, "1"}, {alpha, "0.9"}, {t_final, "0.001"}}),
         {},
         {.runs = 1000, .exact_optimum = 10, .global_peak = 1000, .total_seconds = 0.01}},
        {case_of_fields({{t0, "1"}, {alpha, "0.97"}, {t_final, "0.001"}}),
         {},
         {.runs = 1000, .exact_optimum = 500, .global_peak = 500, .total_seconds = 0.03}}};
    const std::string slow = "  T0 1, alpha 0.97, final T 0.001, 8 trials per level, 17 bits\n";
    EXPECT_EQ(sa::target_line(results, 40.0),
              "Cheapest schedule reaching 40.00 % exact optimum (50.00 %):\n" + slow +
                  "  227 levels, 1816 trials per run\n"
                  "Least time to reach 40.00 % exact optimum with restarts:\n" +
                  slow + "  1 run, 1816 trials\n");
    EXPECT_EQ(sa::target_line(results, 100.0),
              "No schedule reaches 100.00 % exact optimum.\n"
              "No schedule reaches 100.00 % exact optimum with restarts either.\n");
}

// Time to solution in the report of one case, for each kind of estimate: trials whole below
// 10^7 and in three digits from there, seconds in us, ms or s, and none without a success.
TEST(ReportText, TimeToSolutionLines) {
    const sa::study_case readme = case_of_fields({{t0, "1"}, {alpha, "0.9"}, {t_final, "0.001"}});
    const sa::study_case short_run =
        case_of_fields({{t0, "1"}, {alpha, "0.5"}, {t_final, "0.001"}});
    const sa::study_case ten_million = case_of_fields(
        {{t0, "1"}, {t_final, "0.001"}, {laws, "linear"}, {levels, "10000"}, {trials, "1000"}});
    struct lines {
        sa::case_result result;
        const char* exact;
        const char* peak;
    };
    const std::vector<lines> cases = {
        {{readme,
          {},
          {.runs = 2000, .exact_optimum = 146, .global_peak = 1519, .total_seconds = 0.0194}},
         "R99 60.8 runs, TTS99 32078 trials, 589 us\n"
         "                   95 %: 27293 to 37738 trials",
         "R99 3.23 runs, TTS99 1706 trials, 31.3 us\n"
         "                   95 %: 1617 to 1804 trials"},
        {{ten_million,
          {},
          {.runs = 100, .exact_optimum = 100, .global_peak = 100, .total_seconds = 100.0}},
         "R99 1 run, TTS99 1e+07 trials, 1 s\n"
         "                   95 %: 1e+07 to 1.4e+07 trials",
         "R99 1 run, TTS99 1e+07 trials, 1 s\n"
         "                   95 %: 1e+07 to 1.4e+07 trials"},
        {{short_run,
          {},
          {.runs = 1000, .exact_optimum = 1000, .global_peak = 1000, .total_seconds = 1.0}},
         "R99 1 run, TTS99 80 trials, 1 ms\n"
         "                   95 %: 80 to 80 trials",
         "R99 1 run, TTS99 80 trials, 1 ms\n"
         "                   95 %: 80 to 80 trials"},
        {{short_run, {}, {.runs = 8, .exact_optimum = 0, .global_peak = 0, .total_seconds = 1.0}},
         "no run succeeded: TTS99 -\n"
         "                   95 %: at least 939 trials",
         "no run succeeded: TTS99 -\n"
         "                   95 %: at least 939 trials"},
        {{short_run, {}, {.runs = 0, .exact_optimum = 0, .global_peak = 0, .total_seconds = 0.0}},
         "no run: TTS99 -",
         "no run: TTS99 -"},
    };
    for (const lines& test : cases) {
        EXPECT_EQ(sa::tts_lines(test.result), std::string("  time to solution, 99 %, with "
                                                          "restarts:\n    exact optimum  ") +
                                                  test.exact + "\n    global peak    " + test.peak +
                                                  "\n");
    }
}

// The report of one case on a grid of 3 bits, 8 points, each a column of its own in the charts.
TEST(ReportText, SingleReportAndTheHeadingsOfACase) {
    const sa::tabulated_space space(sa::demo_landscape(), sa::demo_landscape().grid(3));
    const sa::study_case study =
        case_of_fields({{bits, "3"}, {t0, "1"}, {alpha, "0.5"}, {t_final, "0.1"}});
    // As a coarse grid may have them: the best point on another hill than the highest peak's.
    const sa::case_result result{study,
                                 {4, space.x_at(4), 1.003851817L, {3, 3}, {0, 2}},
                                 {.runs = 8,
                                  .exact_optimum = 5,
                                  .global_peak = 0,
                                  .second_peak = 2,
                                  .mean_best = 0.75,
                                  .worst_best = 0.25F,
                                  .mean_gap = 1.5e-7,
                                  .max_gap = 4.25e-7,
                                  .median_seconds = 12.5e-6,
                                  .total_seconds = 1e-4}};
    const sa::tabulated_grid grid{
        sa::tabulated_space(sa::demo_landscape(), sa::demo_landscape().grid(3)), result.landmarks,
        0.0125};
    const std::vector<sa::run_outcome> runs(8, {4, space.x_at(4), 1.0F, 1.0L, 1e-5});
    const std::string head =
        "schedule: T0 1, alpha 0.5, final T 0.1, 1 trial per level, 3 bits\n"
        "          4 levels, 4 trials per run\n\n"
        "Exact optimum over all 8 grid points (12.5 ms):\n"
        "  x = 0.285714   f(x) = 1.003852   decoded value 4\n"
        "  on a lower hill: every grid point on the global peak lies lower\n\n";
    const std::string summary =
        "  best is the exact optimum       62.50 %\n"
        "  best on the global peak          0.00 %   (decoded 3..3)\n"
        "  best on the second peak         25.00 %   (decoded 0..2)\n"
        "  mean best value                0.750000\n"
        "  worst best value               0.250000\n"
        "  reported best - f(best x)      mean 1.5e-07, largest 4.25e-07\n"
        "  median time per run            12.5 us\n";
    for (const auto& [first, runs_line] :
         {std::pair{0, "8 runs:\n"}, std::pair{5, "8 runs (runs 5 to 12):\n"}}) {
        EXPECT_EQ(sa::single_report(result, grid, runs, {1, static_cast<std::uint64_t>(first), 8}),
                  head + runs_line + summary + sa::tts_lines(result) + "\n" +
                      sa::text_charts(grid.space, runs));
    }

    const sa::study_case wide = case_of_fields({{t0, "1.2345678e-30"},
                                                {t_final, "1.2345677e-30"},
                                                {laws, "linear"},
                                                {levels, "1000"},
                                                {trials, "1000000"},
                                                {bits, "24"}});
    EXPECT_EQ(sa::schedule_heading(wide),
              "schedule: T0 1.2345678e-30, linear cooling, final T 1.2345677e-30,\n"
              "          1000000 trials per level, 24 bits\n"
              "          1000 levels, 1000000000 trials per run\n");
    EXPECT_EQ(sa::described_case(wide),
              "  T0 1.2345678e-30, linear cooling, final T 1.2345677e-30,\n"
              "  1000000 trials per level, 24 bits\n");
    EXPECT_EQ(sa::automatic_temperatures_text({}), "");
    EXPECT_EQ(sa::automatic_temperatures_text(
                  {{17, sa::chosen_temperature{0.6538858, 0.8, 12, 10000, 4994},
                    sa::chosen_temperature{4.303205e-08, 0.001, 0, 10000, 4994}}}),
              "Temperatures chosen for 17 bits from 10000 random moves, 4994 worsening:\n"
              "  T0 0.6538858: worsening moves accepted 0.8 of the time on average\n"
              "    (12 steps of Ben-Ameur's iteration)\n"
              "  final T 4.303205e-08: the smallest worsening seen accepted 0.001 of the time\n\n");
}

TEST(ReportText, TraceLines) {
    EXPECT_EQ(sa::trace_heading({{{}, 0.553064F}, 1.034233F}),
              "start: x = 1.034233   f(x) = 0.553064\n\n"
              "level          T   up/down   rate          x        fo      best\n");
    struct line {
        sa::level_summary level;
        const char* text;
    };
    const std::vector<line> lines = {
        {{0, 100.0, 5, 3, 8, -0.509235F, 1.501433F, 1.501461F},
         "    0  100.00000     5/3    1.000  -0.509235  1.501433  1.501461\n"},
        {{226, 0.1, 0, 1, 8, -0.508991F, 1.501461F, 1.501461F},
         "  226    0.10000     0/1    0.125  -0.508991  1.501461  1.501461\n"},
        {{12, 1e30, 1, 100, 200, 2.0F, 0.4F, 1.5F},
         "   12      1e+30     1/100  0.505   2.000000  0.400000  1.500000\n"},
    };
    for (const line& test : lines) {
        EXPECT_EQ(sa::trace_line(test.level), test.text);
    }
    // f(0) is 1.4: every sinc but the first is at a whole number.
    EXPECT_EQ(sa::trace_ending(sa::demo_landscape(), {1.034233F, 0.0F, 1.400012F, 1816}),
              "\nbest: x = 0.000000   reported 1.400012   f(x) = 1.400000   after 1816 trials\n");
    EXPECT_EQ(sa::trace_ending(sa::demo_landscape(), {1.034233F, 0.0F, 1.400012F, 1'000'000'000}),
              "\nbest: x = 0.000000   reported 1.400012   f(x) = 1.400000\n"
              "      after 1000000000 trials\n");
}

// Populations made by hand: 200 runs over three hills.
TEST(ReportText, PopulationReportAndCsv) {
    const auto level = [](std::int64_t number, double temperature, std::vector<long> runs,
                          std::vector<double> mass, double distance) {
        return sa::population_level{number, temperature, std::move(runs), std::move(mass),
                                    {},     {},          distance};
    };
    sa::population_study population{
        case_of_fields({{t0, "1"}, {alpha, "0.5"}, {t_final, "0.1"}}),
        200,
        std::vector<sa::hill>(3),
        {level(0, 1.0, {50, 30, 120}, {0.4, 0.35, 0.25}, 0.35),
         level(1, 0.1, {120, 40, 40}, {0.7, 0.2, 0.1}, 0.1),
         level(2, 0.000123456789, {180, 20, 0}, {0.95, 0.05, 0.0}, 0.0123)}};
    EXPECT_EQ(sa::population_report(population),
              "schedule: T0 1, alpha 0.5, final T 0.1, 8 trials per level, 17 bits\n"
              "          4 levels, 32 trials per run\n\n"
              "200 runs as each level ends: the shares on the hills of f's highest and second\n"
              "highest peaks, beside those of Boltzmann's distribution of the grid, the\n"
              "textbook equilibrium, and the total variation distance between the two over all\n"
              "3 hills. Under the demo's acceptance the runs keep off it at low temperature:\n"
              "their r takes 10,000 values, 0 among them, and a draw of 0 takes any worse move\n"
              "whose exp(delta / T) is not 0, however cold the run.\n\n"
              "                   global  peak %  second  peak %       TV\n"
              " level          T    runs  equil.    runs  equil. distance\n"
              "     0          1    25.0    40.0    15.0    35.0    0.350\n"
              "     1        0.1    60.0    70.0    20.0    20.0    0.100\n"
              "     2 0.00012346    90.0    95.0    10.0     5.0    0.012\n\n"
              "As the last level ends, at T 0.0001235: 90.00 % of the runs on the global peak,\n"
              "where the textbook equilibrium has 95.00 %; distance 0.012.\n");
    EXPECT_EQ(sa::population_csv(population),
              "level,temperature,runs,share_global_peak,boltzmann_global_peak,share_second_peak,"
              "boltzmann_second_peak,tv_distance\n"
              "0,1,200,0.25,0.4,0.15,0.35,0.35\n"
              "1,0.10000000000000001,200,0.6,0.7,0.2,0.2,0.1\n"
              "2,0.000123456789,200,0.9,0.95,0.1,0.05,0.0123\n");
    // Under continuous acceptance the distribution is the runs' own chain's equilibrium.
    sa::population_study continuous = population;
    continuous.study =
        case_of_fields({{t0, "1"}, {alpha, "0.5"}, {t_final, "0.1"}, {acceptance, "continuous"}});
    const std::string told = sa::population_report(continuous);
    EXPECT_NE(
        told.find("beside those of Boltzmann's distribution of the grid, the\n"
                  "equilibrium of the runs' chain while every move's exp(delta / T) is 2^-53 or\n"
                  "more, and the total variation distance between the two over all 3 hills.\n"),
        std::string::npos)
        << told;
    EXPECT_TRUE(told.ends_with("where the equilibrium has 95.00 %; distance 0.012.\n")) << told;
    EXPECT_EQ(told.find("textbook"), std::string::npos) << told;

    // About ten levels shown, evenly spaced, and the last.
    const auto shown_levels = [&population, &level](std::int64_t count) {
        population.levels.clear();
        for (std::int64_t i = 0; i < count; ++i) {
            population.levels.push_back(level(i, 1.0, {200, 0, 0}, {1.0, 0.0, 0.0}, 0.0));
        }
        const std::string report = sa::population_report(population);
        std::vector<long> shown;
        const std::size_t table = report.find("equil. distance\n") + 16;
        for (std::size_t at = table; report[at] != '\n'; at = report.find('\n', at) + 1) {
            shown.push_back(std::stol(report.substr(at, 6)));
        }
        return shown;
    };
    EXPECT_EQ(shown_levels(20), (std::vector<long>{0, 2, 4, 6, 8, 10, 12, 14, 16, 19}));
    EXPECT_EQ(shown_levels(27),
              (std::vector<long>{0, 2, 4, 6, 8, 10, 12, 14, 16, 18, 20, 22, 24, 26}));
}

// On a grid of 3 bits each point has a column of its own: f there (0.4 at both ends, 0.324,
// 0.044, 0.372, 1.004, 0.127 and 0.406 between) is filled up to the row whose middle it
// reaches, 0.1 a row. Eight runs end: five on the fifth point, two on the second, one on the
// last.
TEST(Chart, TextChartsOfACoarseGrid) {
    const sa::tabulated_space space(sa::demo_landscape(), sa::demo_landscape().grid(3));
    std::vector<sa::run_outcome> runs;
    for (const int d : {4, 4, 1, 4, 7, 4, 1, 4}) {
        runs.push_back({d, space.x_at(d), 1.0F, 1.0L, 1e-5});
    }
    EXPECT_EQ(sa::text_charts(space, runs),
              "f(x) over [-2, 2]:\n"
              "  1.60 |                                                                        \n"
              "       |                                                                        \n"
              "  1.40 |                                                                        \n"
              "       |                                                                        \n"
              "  1.20 |                                                                        \n"
              "       |                                                                        \n"
              "  1.00 |                                         #                              \n"
              "       |                                         #                              \n"
              "  0.80 |                                         #                              \n"
              "       |                                         #                              \n"
              "  0.60 |                                         #                              \n"
              "       |                                         #                              \n"
              "  0.40 |#                             #          #                   #         #\n"
              "       |#         #                   #          #                   #         #\n"
              "  0.20 |#         #                   #          #                   #         #\n"
              "       |#         #                   #          #         #         #         #\n"
              "       |+-----------------+-----------------+-----------------+----------------+\n"
              "        -2               -1                 0                 1                2\n"
              "\n"
              "where the runs' best x lie:\n"
              "     5 |                                         #                              \n"
              "       |                                         #                              \n"
              "       |                                         #                              \n"
              "       |                                         #                              \n"
              "       |          #                              #                              \n"
              "       |          #                              #                              \n"
              "       |          #                              #                             #\n"
              "       |          #                              #                             #\n"
              "       |+-----------------+-----------------+-----------------+----------------+\n"
              "        -2               -1                 0                 1                2\n"
              "\n"
              "runs per column, at the column's middle x:\n"
              "  x -1.42: 2  x +0.31: 5  x +1.97: 1\n");

    // A count of a million is shown in thousands; a line of counts takes up to 80 columns.
    EXPECT_EQ(sa::plot_bars({1'000'000, 0, 3}, 2), " 1000k |#  \n       |# #\n");
    std::vector<long> counts(sa::chart_columns, 0);
    for (const int column : {0, 1, 2, 3, 4, 6}) {
        counts[static_cast<std::size_t>(column)] = 1;
    }
    counts[5] = 123456789;
    EXPECT_EQ(sa::bar_counts(counts, -2.0F, 2.0F),
              "  x -1.97: 1  x -1.92: 1  x -1.86: 1  x -1.81: 1  x -1.75: 1  x -1.69: 123456789\n"
              "  x -1.64: 1\n");
}

}  // namespace

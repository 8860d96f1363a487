#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <map>
#include <set>
#include <sstream>

#include "study_output/study_output.hpp"

namespace sa {

namespace {

// A gnuplot string, in single quotes, where a quote is written twice.
std::string quoted(const std::string& text) {
    std::string result = "'";
    for (const char c : text) {
        result += c == '\'' ? std::string("''") : std::string(1, c);
    }
    return result + "'";
}

std::string terminal(const std::string& path) {
    const std::string kind = path.ends_with(".svg")
                                 ? "svg size 900,600 dynamic enhanced font 'Sans,12' background "
                                   "'white'"
                                 : "pngcairo size 900,600 enhanced font 'Sans,11'";
    return "set terminal " + kind + "\nset output " + quoted(path) + "\n";
}

std::string file_contents(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

std::string stream_contents(std::FILE* stream) {
    std::rewind(stream);
    std::string text;
    std::array<char, 4096> buffer{};
    for (std::size_t read = 0; (read = std::fread(buffer.data(), 1, buffer.size(), stream)) > 0;) {
        text.append(buffer.data(), read);
    }
    return text;
}

// The first line of gnuplot's messages, which it prints even when it draws.
std::string first_line(const std::string& text) {
    const std::string line = text.substr(0, text.find('\n'));
    return line.empty() ? "" : ": " + line;
}

// Whether the file holds a whole picture: gnuplot can exit 0 having written nothing, or part.
bool picture_complete(const std::string& path) {
    const std::string picture = file_contents(path);
    if (path.ends_with(".svg")) {
        const auto end = picture.find_last_not_of(" \t\r\n");
        return end != std::string::npos && picture.compare(0, 5, "<?xml") == 0 &&
               picture.substr(0, end + 1).ends_with("</svg>");
    }
    const std::string png_signature = "\x89PNG\r\n\x1a\n";
    const std::string png_end("\0\0\0\0IEND\xae\x42\x60\x82", 12);
    return picture.starts_with(png_signature) && picture.ends_with(png_end);
}

// The first gnuplot on the PATH, as the shell would find it; empty when there is none.
std::string gnuplot_program() {
    const char* path = std::getenv("PATH");
    std::istringstream folders(path == nullptr ? "" : path);
    std::string folder;
    while (std::getline(folders, folder, ':')) {
        std::string program = (folder.empty() ? "." : folder) + "/gnuplot";
        if (::access(program.c_str(), X_OK) == 0) {
            return program;
        }
    }
    return {};
}

// The process group of the gnuplot drawing now, led by gnuplot itself; 0 when none. Read by a
// signal handler, on whichever thread the signal lands.
std::atomic<pid_t> drawing_group = 0;
static_assert(std::atomic<pid_t>::is_always_lock_free);

// The actions and attributes of a gnuplot started in its own process group, reading its
// script from `script_fd`, its messages going to `messages_fd`, with the signals' default
// actions and none blocked (this program ignores SIGPIPE, and that would be inherited).
class gnuplot_spawn {
  public:
    gnuplot_spawn(int script_fd, int messages_fd) {
        posix_spawn_file_actions_init(&actions_);
        posix_spawn_file_actions_adddup2(&actions_, script_fd, STDIN_FILENO);
        posix_spawn_file_actions_addopen(&actions_, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
        posix_spawn_file_actions_adddup2(&actions_, messages_fd, STDERR_FILENO);
        posix_spawnattr_init(&attributes_);
        sigset_t signals;
        sigemptyset(&signals);
        posix_spawnattr_setsigmask(&attributes_, &signals);
        for (const int signal_number : {SIGINT, SIGTERM, SIGHUP, SIGPIPE}) {
            sigaddset(&signals, signal_number);
        }
        posix_spawnattr_setsigdefault(&attributes_, &signals);
        posix_spawnattr_setpgroup(&attributes_, 0);
        posix_spawnattr_setflags(
            &attributes_, POSIX_SPAWN_SETPGROUP | POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
    }
    gnuplot_spawn(const gnuplot_spawn&) = delete;
    gnuplot_spawn& operator=(const gnuplot_spawn&) = delete;
    ~gnuplot_spawn() {
        posix_spawn_file_actions_destroy(&actions_);
        posix_spawnattr_destroy(&attributes_);
    }

    // gnuplot's process id, or none with the reason it could not start.
    std::optional<pid_t> start(int& error) {
        std::string program = gnuplot_program();
        std::array<char*, 2> argv{program.data(), nullptr};
        pid_t child = 0;
        error = program.empty() ? ENOENT
                                : posix_spawn(&child, program.c_str(), &actions_, &attributes_,
                                              argv.data(), environ);
        return error == 0 ? std::optional<pid_t>(child) : std::nullopt;
    }

  private:
    posix_spawn_file_actions_t actions_{};
    posix_spawnattr_t attributes_{};
};

// Writes the script to gnuplot and waits for it to end; whether it ended well. While it
// draws, an interrupt ends it before the picture is removed.
bool draw_with_gnuplot(const std::string& script, std::FILE* messages) {
    // Both ends closed in gnuplot once it starts, where the reading end is its input.
    std::array<int, 2> pipe_ends{};
    if (::pipe2(pipe_ends.data(), O_CLOEXEC) != 0) {
        return false;
    }
    int error = 0;
    const std::optional<pid_t> child = gnuplot_spawn(pipe_ends[0], fileno(messages)).start(error);
    ::close(pipe_ends[0]);
    if (!child) {
        ::close(pipe_ends[1]);
        std::fprintf(messages, "%s", std::strerror(error));
        return false;
    }
    drawing_group = *child;
    std::FILE* script_stream = ::fdopen(pipe_ends[1], "w");
    bool written = script_stream != nullptr &&
                   std::fwrite(script.data(), 1, script.size(), script_stream) == script.size();
    written =
        (script_stream == nullptr ? ::close(pipe_ends[1]) : std::fclose(script_stream)) == 0 &&
        written;
    // Waited for without being reaped, so that its process id stays its own until the group
    // is forgotten: an interrupt meanwhile still ends it, and nothing else.
    siginfo_t ended{};
    while (::waitid(P_PID, static_cast<id_t>(*child), &ended, WEXITED | WNOWAIT) != 0 &&
           errno == EINTR) {
    }
    drawing_group = 0;
    int status = 0;
    return ::waitpid(*child, &status, 0) == *child && written && WIFEXITED(status) &&
           WEXITSTATUS(status) == 0;
}

// Runs gnuplot on the script, which writes the picture to `path`; why it failed, or nothing
// when the picture is whole. gnuplot's messages are kept back, in a file without a name that
// vanishes when closed: they mean something only when it fails.
std::optional<std::string> run_gnuplot(const std::ostringstream& script_text,
                                       const std::string& path) {
    std::FILE* messages = std::tmpfile();
    if (messages == nullptr) {
        return "cannot make a temporary file for gnuplot's messages";
    }
    const bool drawn = draw_with_gnuplot(script_text.str(), messages);
    const std::string said = first_line(stream_contents(messages));
    std::fclose(messages);
    if (!drawn) {
        return "gnuplot could not draw the picture" + said;
    }
    if (picture_complete(path)) {
        return std::nullopt;
    }
    return "gnuplot drew no whole picture" + said;
}

// The axes a sweep may vary, in the order that decides which one names the lines.
struct sweep_axis {
    const char* label;
    double (*value)(const study_case&);
};
const std::vector<sweep_axis> sweep_axes = {
    {"alpha", [](const study_case& c) { return alpha_of(c.schedule.law()); }},
    {"final T", [](const study_case& c) { return c.schedule.t_final(); }},
    {"T0", [](const study_case& c) { return c.schedule.t0(); }},
    {"bits", [](const study_case& c) { return static_cast<double>(c.bits); }},
    {"trials per level",
     [](const study_case& c) { return static_cast<double>(c.schedule.trials_per_level()); }},
};

const sweep_axis* line_axis(const std::vector<case_result>& results) {
    for (const sweep_axis& axis : sweep_axes) {
        std::set<double> values;
        for (const case_result& result : results) {
            values.insert(axis.value(result.study));
        }
        if (values.size() > 1) {
            return &axis;
        }
    }
    return nullptr;
}

}  // namespace

bool plot_format_supported(const std::string& path) {
    return path.ends_with(".svg") || path.ends_with(".png");
}

void stop_drawing() {
    const pid_t group = drawing_group;
    if (group > 0) {
        ::kill(-group, SIGKILL);
        ::waitpid(group, nullptr, 0);
    }
}

bool gnuplot_available() {
    return !gnuplot_program().empty();
}

std::optional<std::string> plot_study(const std::string& path, const case_result& result,
                                      const tabulated_space& space,
                                      const std::vector<run_outcome>& runs) {
    const encoding& grid = space.grid_encoding();
    std::ostringstream script;
    script << terminal(path) << "$f << EOD\n";
    constexpr int samples = 2000;
    for (int i = 0; i <= samples; ++i) {
        const int d = static_cast<int>(static_cast<long>(grid.d_max) * i / samples);
        script << space.x_at(d) << ' ' << static_cast<double>(space.value_at(d).unrounded())
               << '\n';
    }
    constexpr int bins = 200;
    const std::vector<long> counts = histogram_of_ends(runs, grid, bins);
    const double width = (static_cast<double>(grid.x_max) - grid.x_min) / bins;
    script << "EOD\n$ends << EOD\n";
    for (int bin = 0; bin < bins; ++bin) {
        script << grid.x_min + (bin + 0.5) * width << ' ' << counts[static_cast<std::size_t>(bin)]
               << '\n';
    }
    script << "EOD\n"
           << "set multiplot layout 2,1 title "
           << quoted("Where " + std::to_string(runs.size()) + " runs of simulated annealing end")
           << " font ',14'\n"
           << "set xrange [" << grid.x_min << ":" << grid.x_max << "]\n"
           << "set grid\nset key top right\n"
           << "set title "
           << quoted(describe_case(result.study) + ": " + describe_cost(result.study))
           << " noenhanced font ',10'\n"
           << "set ylabel 'f(x)'\n"
           << "plot $f with lines linewidth 2 title 'f(x)', '+' using ("
           << result.landmarks.optimum_x << "):("
           << static_cast<double>(result.landmarks.optimum_value)
           << ") every ::0::0 with points pointtype 7 pointsize 1.2 title 'exact optimum'\n"
           << "unset title\nset xlabel 'x (best solution of each run)'\nset ylabel 'runs'\n"
           << "set style fill solid 0.8\nset boxwidth " << width * 0.9 << "\n"
           << "plot $ends using 1:2 with boxes title 'runs ending here'\n"
           << "unset multiplot\n";
    return run_gnuplot(script, path);
}

namespace {

// The lines of a sweep's picture: one per cooling law and cooling factor where either varies,
// else one per value of the axis that varies first.
std::map<std::string, std::vector<const case_result*>> sweep_lines(
    const std::vector<case_result>& results) {
    std::set<std::pair<std::size_t, double>> coolings;
    for (const case_result& result : results) {
        const cooling& law = result.study.schedule.law();
        coolings.insert({law.index(), alpha_of(law)});
    }
    const sweep_axis* axis = coolings.size() > 1 ? nullptr : line_axis(results);
    std::map<std::string, std::vector<const case_result*>> lines;
    for (const case_result& result : results) {
        const cooling_schedule& s = result.study.schedule;
        std::ostringstream title;
        if (coolings.size() > 1) {
            if (takes_alpha(s.law())) {
                title << "alpha = " << shortest(alpha_of(s.law()));
            } else {
                title << spelling_of(s.law()).title;
            }
        } else if (axis != nullptr) {
            title << axis->label << " = " << shortest(axis->value(result.study));
        } else {
            title << "schedule";
        }
        // Each acceptance rule but the demo's draws lines of its own, named by it.
        if (!std::holds_alternative<demo_acceptance>(s.acceptance())) {
            title << ", " << spelling_of(s.acceptance()).title;
        }
        lines[title.str()].push_back(&result);
    }
    for (auto& [title, members] : lines) {
        std::sort(members.begin(), members.end(), [](const case_result* a, const case_result* b) {
            return trials_per_run(a->study.schedule) < trials_per_run(b->study.schedule);
        });
    }
    return lines;
}

// TTS99 in trials on the exact optimum, none when no run reached it.
std::optional<double> tts99_trials(const case_result& result) {
    const auto estimate = estimate_time_to_solution(result, success_measure::exact_optimum);
    return estimate.expected ? std::optional<double>(estimate.expected->trials) : std::nullopt;
}

}  // namespace

std::optional<std::string> plot_sweep(const std::string& path,
                                      const std::vector<case_result>& results) {
    std::ostringstream script;
    script << terminal(path);
    std::string shares;
    std::string times;
    int index = 0;
    for (const auto& [title, members] : sweep_lines(results)) {
        script << "$line" << index << " << EOD\n";
        for (const case_result* member : members) {
            const std::optional<double> tts = tts99_trials(*member);
            script << trials_per_run(member->study.schedule) << ' '
                   << share(member->summary.exact_optimum, member->summary.runs) << ' '
                   << (tts ? std::to_string(*tts) : std::string("NaN")) << '\n';
        }
        script << "EOD\n";
        const std::string data = "$line" + std::to_string(index);
        const std::string style = " with linespoints linewidth 2 pointtype 7 linecolor " +
                                  std::to_string(index + 1) + " title " + quoted(title);
        shares += format("%s%s using 1:2%s", shares.empty() ? "plot " : ", ", data.c_str(),
                         style.c_str());
        times +=
            format("%s%s using 1:3%s", times.empty() ? "plot " : ", ", data.c_str(), style.c_str());
        ++index;
    }
    const auto least = least_time_to_solution(results, success_measure::exact_optimum, tts_target,
                                              tts_unit::trials);
    if (least) {
        const case_result& best = results[*least];
        times += ", '+' using (" + std::to_string(trials_per_run(best.study.schedule)) + "):(" +
                 std::to_string(*tts99_trials(best)) +
                 ") every ::0::0 with points pointtype 6 pointsize 3 linecolor 'black' title "
                 "'least TTS99'";
    }
    script << "set multiplot layout 2,1\n"
           << "set logscale x\nset grid\nset key outside right\nset lmargin 12\n"
           << "set title 'How often a run ends on the exact optimum, and what it costs' font "
              "',14'\n"
           << "set ylabel 'runs on the exact optimum (%)'\nset yrange [0:*]\n"
           << shares << '\n'
           << "set title 'Trials to reach the exact optimum with 99 % probability, with restarts "
              "(TTS99)' font ',12'\n"
           << "set xlabel 'trials per run (log scale)'\nset ylabel 'TTS99 trials (log scale)'\n"
           << "set logscale y\nset yrange [*:*]\n"
           << times << '\n'
           << "unset multiplot\n";
    return run_gnuplot(script, path);
}

namespace {

// Levels a population's picture shows at most, evenly spaced: more rows than it has pixels.
constexpr std::size_t pictured_levels = 400;

// A density over x and level: a row per pictured level, a value per bin, each the share of
// that level's runs (or mass) in the bin, as gnuplot's image takes it.
template <typename Share>
std::string density_rows(const population_study& population, std::size_t every,
                         const Share& share_in) {
    const encoding enc = population.study.grid();
    std::ostringstream rows;
    for (std::size_t l = 0; l < population.levels.size(); l += every) {
        const population_level& level = population.levels[l];
        const std::size_t bins = level.bin_runs.size();
        const double width =
            (static_cast<double>(enc.x_max) - enc.x_min) / static_cast<double>(bins);
        for (std::size_t bin = 0; bin < bins; ++bin) {
            rows << enc.x_min + (static_cast<double>(bin) + 0.5) * width << ' ' << level.level
                 << ' ' << share_in(level, bin) << '\n';
        }
    }
    return rows.str();
}

}  // namespace

std::optional<std::string> plot_population(const std::string& path,
                                           const population_study& population) {
    const std::vector<population_level>& levels = population.levels;
    const std::size_t every =
        std::max<std::size_t>(1, (levels.size() + pictured_levels - 1) / pictured_levels);
    const auto runs = static_cast<double>(population.runs);
    std::ostringstream script;
    script << terminal(path) << "$runs << EOD\n"
           << density_rows(population, every,
                           [runs](const population_level& level, std::size_t bin) {
                               return static_cast<double>(level.bin_runs[bin]) / runs;
                           })
           << "EOD\n$equilibrium << EOD\n"
           << density_rows(population, every,
                           [](const population_level& level, std::size_t bin) {
                               return level.bin_mass[bin];
                           })
           << "EOD\n$levels << EOD\n";
    for (const population_level& level : levels) {
        // A landscape of one hill has no second: gnuplot leaves NaN out.
        const bool second = level.hill_runs.size() > 1;
        script << level.level << ' ' << static_cast<double>(level.hill_runs[0]) / runs << ' '
               << level.hill_mass[0] << ' '
               << (second ? static_cast<double>(level.hill_runs[1]) / runs : NAN) << ' '
               << (second ? level.hill_mass[1] : NAN) << ' ' << level.tv_distance << '\n';
    }
    const std::int64_t last = levels.back().level;
    script << "EOD\n"
           << "set multiplot title "
           << quoted(std::to_string(population.runs) +
                     " runs against the equilibrium: " + describe_case(population.study))
           << " noenhanced font ',11'\n"
           // The shares are drawn on a log scale, where an empty bin has no colour.
           << "set logscale cb\nset cbrange [1e-4:1]\nset format cb '10^{%L}'\n"
           << "set palette defined (0 '#f7fbff', 1 '#6baed6', 2 '#08306b')\n"
           // Level 0 at the top, each pictured level a row as high as the levels it stands for.
           << "set xrange [-2:2]\nset yrange ["
           << static_cast<double>(last) + static_cast<double>(every) / 2.0 << ":"
           << -static_cast<double>(every) / 2.0 << "]\n"
           << "set xlabel 'x'\nset ylabel 'level'\n"
           << "set size 0.5,0.52\nset origin 0,0.42\nunset colorbox\n"
           << "set title 'runs: share of them in each bin of x' font ',10'\n"
           << "plot $runs using 1:2:3 with image notitle\n"
           << "set origin 0.5,0.42\nset colorbox\nunset ylabel\n"
           << "set title 'equilibrium: exp(f(x) / T), its mass in each bin' font ',10'\n"
           << "plot $equilibrium using 1:2:3 with image notitle\n"
           << "set size 1,0.42\nset origin 0,0\nset xrange [0:" << std::max<std::int64_t>(last, 1)
           << "]\nset yrange [0:1]\nset xlabel 'level'\nset ylabel 'share'\n"
           << "set title 'on the hills of the highest and second highest peaks, and the distance "
              "between runs and equilibrium' font ',10'\n"
           << "set key outside right\nset grid\n"
           << "plot $levels using 1:2 with lines linewidth 2 linecolor 1 title 'runs, global', "
              "'' using 1:3 with lines dashtype 2 linecolor 1 title 'equilibrium, global', "
              "'' using 1:4 with lines linewidth 2 linecolor 2 title 'runs, second', "
              "'' using 1:5 with lines dashtype 2 linecolor 2 title 'equilibrium, second', "
              "'' using 1:6 with lines linewidth 2 linecolor 'black' title 'distance'\n"
           << "unset multiplot\n";
    return run_gnuplot(script, path);
}

std::optional<std::string> plot_trace(const std::string& path, const study_case& study,
                                      const std::vector<level_summary>& levels) {
    std::ostringstream script;
    script << terminal(path) << "$levels << EOD\n";
    for (const level_summary& level : levels) {
        script << level.level << ' ' << level.temperature << ' ' << level.fo << ' ' << level.best_fo
               << '\n';
    }
    script << "EOD\n"
           << "set title "
           << quoted("One run, level by level: " + describe_case(study) + ": " +
                     describe_cost(study))
           << " noenhanced font ',10'\n"
           << "set xlabel 'temperature level'\nset ylabel 'value of f'\n"
           << "set y2label 'temperature T (log scale)'\nset logscale y2\nset y2tics\nset ytics "
              "nomirror\n"
           << "set grid\nset key outside below horizontal\n"
           << "plot $levels using 1:3 with lines linewidth 2 title 'current value', "
              "$levels using 1:4 with lines linewidth 2 title 'best value so far', "
              "$levels using 1:2 axes x1y2 with lines dashtype 2 title 'temperature'\n";
    return run_gnuplot(script, path);
}

std::optional<std::string> plot_hills(const std::string& path, const grid_hills& found) {
    const tabulated_space& space = found.space;
    const encoding& grid = space.grid_encoding();
    // Each column's highest point, so that no peak narrower than a column is lost, with the
    // rank of the hill it lies on: 1 and 2 for the two highest, 3 and 4 by turns, left to
    // right, for the rest.
    std::vector<int> rank_of(static_cast<std::size_t>(grid.d_max) + 1, 3);
    std::vector<const hill*> left_to_right(found.hills.size());
    std::transform(found.hills.begin(), found.hills.end(), left_to_right.begin(),
                   [](const hill& h) { return &h; });
    std::sort(left_to_right.begin(), left_to_right.end(),
              [](const hill* a, const hill* b) { return a->basin.first < b->basin.first; });
    for (std::size_t place = 0; place < left_to_right.size(); ++place) {
        const hill& h = *left_to_right[place];
        const auto height = static_cast<std::size_t>(&h - found.hills.data());
        const int rank = static_cast<int>(height < 2 ? height + 1 : 3 + (place % 2));
        for (int d = h.basin.first; d >= 0 && d <= h.basin.last; ++d) {
            rank_of[static_cast<std::size_t>(d)] = rank;
        }
    }
    constexpr int columns = 1500;
    std::ostringstream script;
    script << terminal(path) << "$f << EOD\n";
    for (int column = 0; column < columns; ++column) {
        const int first = static_cast<int>(static_cast<long>(grid.d_max + 1) * column / columns);
        const int last = std::max(
            first,
            static_cast<int>(static_cast<long>(grid.d_max + 1) * (column + 1) / columns) - 1);
        int highest = first;
        for (int d = first + 1; d <= last; ++d) {
            highest = space.value_at(d).rounded() > space.value_at(highest).rounded() ? d : highest;
        }
        script << space.x_at(highest) << ' ' << space.value_at(highest).rounded() << ' '
               << rank_of[static_cast<std::size_t>(highest)] << '\n';
    }
    const std::string hills =
        std::to_string(found.hills.size()) + (found.hills.size() == 1 ? " hill" : " hills");
    script << "EOD\n"
           << "set title " << quoted(landscape_label(space.grid_landscape()))
           << " noenhanced font ',14'\n"
           << "set label 1 " << quoted(hills + " on " + std::to_string(grid.n_bits) + " bits")
           << " at graph 0.02, graph 0.95 noenhanced\n"
           << "set xrange [" << grid.x_min << ":" << grid.x_max << "]\n"
           << "set grid\nset xlabel 'x'\nset ylabel 'f(x)'\nset key bottom right\n"
           << "set linetype 11 lc rgb '#d62728'\nset linetype 12 lc rgb '#1f77b4'\n"
           << "set linetype 13 lc rgb '#bbbbbb'\nset linetype 14 lc rgb '#dddddd'\n"
           << "set style fill solid 0.6 noborder\n"
           << "plot $f using 1:2:($3 + 10) with impulses lc variable notitle, "
           << "NaN with boxes lc rgb '#d62728' title 'the highest hill', "
           << "NaN with boxes lc rgb '#1f77b4' title 'the second', "
           << "$f using 1:2 with lines lc rgb 'black' linewidth 1.5 title 'f(x)', "
           << "'+' using (" << found.landmarks.optimum_x << "):("
           << static_cast<double>(found.landmarks.optimum_value)
           << ") every ::0::0 with points pointtype 7 pointsize 1.2 lc rgb '#d62728' "
              "title 'exact optimum'\n";
    return run_gnuplot(script, path);
}

}  // namespace sa

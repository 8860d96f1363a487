#include "study_output/study_output.hpp"

namespace sa {

std::string study_csv(const std::vector<case_result>& results) {
    std::string text =
        "t0,alpha,t_final,trials_per_level,bits,levels,trials_per_run,runs,exact_optimum_runs,"
        "global_peak_runs,second_peak_runs,mean_best,median_run_us,total_run_seconds\n";
    for (const case_result& result : results) {
        const schedule_params& s = result.study.schedule;
        const study_summary& summary = result.summary;
        text +=
            format("%s,%s,%s,%d,%d,%lld,%lld,%ld,%ld,%ld,%ld,%.9g,%.3f,%.6f\n",
                   shortest(s.t0).c_str(), shortest(s.alpha).c_str(), shortest(s.t_final).c_str(),
                   s.trials_per_level, result.study.bits, static_cast<long long>(count_levels(s)),
                   static_cast<long long>(trials_per_run(s)), summary.runs, summary.exact_optimum,
                   summary.global_peak, summary.second_peak, summary.mean_best,
                   summary.median_seconds * 1e6, summary.total_seconds);
    }
    return text;
}

std::string trace_csv_heading() {
    return "level,temperature,accepted_improving,accepted_worsening,trials,x,fo,best_fo\n";
}

std::string trace_csv_row(const level_summary& level) {
    return format("%lld,%.17g,%d,%d,%d,%s,%s,%s\n", static_cast<long long>(level.level),
                  level.temperature, level.improving, level.worsening, level.trials,
                  shortest(level.x).c_str(), shortest(level.fo).c_str(),
                  shortest(level.best_fo).c_str());
}

}  // namespace sa

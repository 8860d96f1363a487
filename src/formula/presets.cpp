#include <algorithm>
#include <functional>
#include <map>
#include <mutex>
#include <string>

#include "formula/formula.hpp"

namespace sa {

std::vector<std::string> landscape_names() {
    std::vector<std::string> names(1 + preset_landscapes.size(), demo_landscape().name());
    std::transform(preset_landscapes.begin(), preset_landscapes.end(), names.begin() + 1,
                   [](const preset_landscape& preset) { return std::string(preset.name); });
    return names;
}

namespace {

expected<landscape, formula_error> read_landscape(std::string_view text) {
    const std::size_t first = text.find_first_not_of(' ');
    if (first != std::string_view::npos && text.substr(first).starts_with(drawn_prefix)) {
        expected<drawn_curve, formula_error> drawn = drawn_curve::read(text);
        if (!drawn) {
            return drawn.error();
        }
        return landscape_of(std::string(text), std::move(*drawn), demo_problem);
    }
    const auto* const preset =
        std::find_if(preset_landscapes.begin(), preset_landscapes.end(),
                     [text](const preset_landscape& p) { return p.name == text; });
    const std::string_view written = preset == preset_landscapes.end() ? text : preset->formula;
    expected<formula, formula_error> f = formula::read(written);
    if (!f) {
        return f.error();
    }
    return landscape_of(std::string(text), std::move(*f), demo_problem);
}

}  // namespace

expected<landscape, formula_error> landscape_named(std::string_view text) {
    if (text == demo_landscape().name()) {
        return demo_landscape();
    }
    // The landscapes read lately, so that a text read again (a field checked again as others
    // change, a file's rows) shares its definition, and with it the grids it has checked.
    static std::mutex lately_mutex;
    static std::map<std::string, landscape, std::less<>> lately;
    const std::lock_guard lock(lately_mutex);
    if (const auto known = lately.find(text); known != lately.end()) {
        return known->second;
    }
    expected<landscape, formula_error> read = read_landscape(text);
    if (read) {
        constexpr std::size_t kept = 16;
        if (lately.size() == kept) {
            lately.clear();
        }
        lately.emplace(std::string(text), *read);
    }
    return read;
}

}  // namespace sa

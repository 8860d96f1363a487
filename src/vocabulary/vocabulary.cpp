#include "vocabulary/vocabulary.hpp"

#include <algorithm>

namespace sa {

namespace {

// Each table lists every value of its enumeration once, in order, so that a value's entry is
// found by its number.
template <typename Table, typename Of>
constexpr bool lists_each_in_order(const Table& table, Of of) {
    for (std::size_t i = 0; i < table.size(); ++i) {
        if (static_cast<std::size_t>(of(table[i])) != i) {
            return false;
        }
    }
    return true;
}

static_assert(lists_each_in_order(study_fields, [](const field_names& f) { return f.field; }));
static_assert(study_fields.size() == static_cast<std::size_t>(study_field::x_max) + 1);
static_assert(lists_each_in_order(fault_kinds, [](const auto& kind) { return kind.first; }));
static_assert(fault_kinds.size() == static_cast<std::size_t>(fault_kind::grid_too_fine) + 1);

std::optional<study_field> field_named(std::string_view name, const char* field_names::*spelling) {
    const auto* named = std::find_if(study_fields.begin(), study_fields.end(),
                                     [&](const field_names& f) { return f.*spelling == name; });
    return named == study_fields.end() ? std::nullopt : std::optional(named->field);
}

}  // namespace

std::optional<study_field> field_of_option(std::string_view option) {
    return field_named(option, &field_names::option);
}

std::optional<study_field> field_of_param(std::string_view param) {
    return field_named(param, &field_names::param);
}

}  // namespace sa

// A small reader of the JSON the record server answers, and the quoting of strings for the bodies
// sent to it. Every answer is hostile: the reader is bounded in depth and never throws, and a
// text that is not one whole JSON value gives nothing.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quillomar {

struct json_value {
    enum class kind { null, boolean, number, string, array, object };
    kind type = kind::null;
    bool boolean = false;
    double number = 0.0;
    std::string text;
    std::vector<json_value> items;
    // A name given twice keeps the last value, as most readers do.
    std::map<std::string, json_value> members;

    // The member `name` of an object, or null.
    const json_value* get(const std::string& name) const;
    // The member as a string, a whole number within [low, high], or the fallback.
    std::string string_of(const std::string& name) const;
    std::optional<long long> whole_of(const std::string& name, long long low,
                                      long long high) const;
    std::optional<double> number_of(const std::string& name) const;
};

// Arrays and objects nested deeper than this are refused.
inline constexpr int max_json_depth = 16;

std::optional<json_value> parse_json(std::string_view text);

// `text` as a JSON string, quotes included: quotes, backslashes and control characters escaped.
std::string json_quote(std::string_view text);

}  // namespace quillomar

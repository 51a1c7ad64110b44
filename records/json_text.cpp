#include "records/json_text.h"

#include <cmath>
#include <cstdlib>

namespace quillomar {
namespace {

class reader {
public:
    explicit reader(std::string_view text) : text_(text) {}

    bool value(json_value& out, int depth) {
        blanks();
        if (at_ >= text_.size() || depth > max_json_depth) {
            return false;
        }
        const char c = text_[at_];
        if (c == '{') {
            return object(out, depth);
        }
        if (c == '[') {
            return array(out, depth);
        }
        if (c == '"') {
            out.type = json_value::kind::string;
            return string(out.text);
        }
        if (word("true") || word("false")) {
            out.type = json_value::kind::boolean;
            out.boolean = c == 't';
            return true;
        }
        if (word("null")) {
            out.type = json_value::kind::null;
            return true;
        }
        return number(out);
    }

    bool at_end() {
        blanks();
        return at_ == text_.size();
    }

private:
    void blanks() {
        while (at_ < text_.size() && (text_[at_] == ' ' || text_[at_] == '\t' ||
                                      text_[at_] == '\n' || text_[at_] == '\r')) {
            ++at_;
        }
    }

    bool word(std::string_view w) {
        if (text_.substr(at_, w.size()) != w) {
            return false;
        }
        at_ += w.size();
        return true;
    }

    bool object(json_value& out, int depth) {
        out.type = json_value::kind::object;
        ++at_;
        blanks();
        if (word("}")) {
            return true;
        }
        for (;;) {
            blanks();
            std::string name;
            if (at_ >= text_.size() || text_[at_] != '"' || !string(name)) {
                return false;
            }
            blanks();
            if (!word(":")) {
                return false;
            }
            json_value member;
            if (!value(member, depth + 1)) {
                return false;
            }
            out.members[name] = std::move(member);
            blanks();
            if (word("}")) {
                return true;
            }
            if (!word(",")) {
                return false;
            }
        }
    }

    bool array(json_value& out, int depth) {
        out.type = json_value::kind::array;
        ++at_;
        blanks();
        if (word("]")) {
            return true;
        }
        for (;;) {
            json_value item;
            if (!value(item, depth + 1)) {
                return false;
            }
            out.items.push_back(std::move(item));
            blanks();
            if (word("]")) {
                return true;
            }
            if (!word(",")) {
                return false;
            }
        }
    }

    static int hex(char c) {
        return c >= '0' && c <= '9'   ? c - '0'
               : c >= 'a' && c <= 'f' ? c - 'a' + 10
               : c >= 'A' && c <= 'F' ? c - 'A' + 10
                                      : -1;
    }

    void utf8(unsigned code, std::string& out) {
        if (code < 0x80) {
            out += static_cast<char>(code);
        } else if (code < 0x800) {
            out += static_cast<char>(0xC0 | (code >> 6));
            out += static_cast<char>(0x80 | (code & 0x3F));
        } else if (code < 0x10000) {
            out += static_cast<char>(0xE0 | (code >> 12));
            out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (code & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | (code >> 18));
            out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
            out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (code & 0x3F));
        }
    }

    bool four_hex(unsigned& code) {
        if (at_ + 4 > text_.size()) {
            return false;
        }
        code = 0;
        for (int i = 0; i < 4; ++i) {
            const int h = hex(text_[at_++]);
            if (h < 0) {
                return false;
            }
            code = code * 16 + static_cast<unsigned>(h);
        }
        return true;
    }

    bool string(std::string& out) {
        ++at_;
        while (at_ < text_.size()) {
            const char c = text_[at_++];
            if (c == '"') {
                return true;
            }
            if (static_cast<unsigned char>(c) < 0x20) {
                return false;
            }
            if (c != '\\') {
                out += c;
                continue;
            }
            if (at_ >= text_.size()) {
                return false;
            }
            const char e = text_[at_++];
            const std::string_view plain = "\"\\/bfnrt";
            const std::string_view meant = "\"\\/\b\f\n\r\t";
            if (const std::size_t i = plain.find(e); i != std::string_view::npos) {
                out += meant[i];
                continue;
            }
            unsigned code = 0;
            if (e != 'u' || !four_hex(code)) {
                return false;
            }
            if (code >= 0xD800 && code < 0xDC00) {
                unsigned low = 0;
                if (!word("\\u") || !four_hex(low) || low < 0xDC00 || low >= 0xE000) {
                    return false;
                }
                code = 0x10000 + ((code - 0xD800) << 10) + (low - 0xDC00);
            } else if (code >= 0xDC00 && code < 0xE000) {
                return false;
            }
            utf8(code, out);
        }
        return false;
    }

    bool number(json_value& out) {
        const std::size_t start = at_;
        if (at_ < text_.size() && text_[at_] == '-') {
            ++at_;
        }
        const auto digits = [this] {
            const std::size_t from = at_;
            while (at_ < text_.size() && text_[at_] >= '0' && text_[at_] <= '9') {
                ++at_;
            }
            return at_ > from;
        };
        if (!digits()) {
            return false;
        }
        if (at_ < text_.size() && text_[at_] == '.') {
            ++at_;
            if (!digits()) {
                return false;
            }
        }
        if (at_ < text_.size() && (text_[at_] == 'e' || text_[at_] == 'E')) {
            ++at_;
            if (at_ < text_.size() && (text_[at_] == '+' || text_[at_] == '-')) {
                ++at_;
            }
            if (!digits()) {
                return false;
            }
        }
        const std::string copy(text_.substr(start, at_ - start));
        out.type = json_value::kind::number;
        out.number = std::strtod(copy.c_str(), nullptr);
        return std::isfinite(out.number);
    }

    std::string_view text_;
    std::size_t at_ = 0;
};

}  // namespace

const json_value* json_value::get(const std::string& name) const {
    if (type != kind::object) {
        return nullptr;
    }
    const auto found = members.find(name);
    return found == members.end() ? nullptr : &found->second;
}

std::string json_value::string_of(const std::string& name) const {
    const json_value* v = get(name);
    return v != nullptr && v->type == kind::string ? v->text : std::string();
}

std::optional<double> json_value::number_of(const std::string& name) const {
    const json_value* v = get(name);
    if (v == nullptr || v->type != kind::number) {
        return std::nullopt;
    }
    return v->number;
}

std::optional<long long> json_value::whole_of(const std::string& name, long long low,
                                              long long high) const {
    const std::optional<double> n = number_of(name);
    if (!n || *n != std::floor(*n) || *n < static_cast<double>(low) ||
        *n > static_cast<double>(high)) {
        return std::nullopt;
    }
    return static_cast<long long>(*n);
}

std::optional<json_value> parse_json(std::string_view text) {
    reader r(text);
    json_value out;
    if (!r.value(out, 0) || !r.at_end()) {
        return std::nullopt;
    }
    return out;
}

std::string json_quote(std::string_view text) {
    static const char digits[] = "0123456789abcdef";
    std::string out = "\"";
    for (const char c : text) {
        const auto u = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (c == '\n') {
            out += "\\n";
        } else if (c == '\r') {
            out += "\\r";
        } else if (c == '\t') {
            out += "\\t";
        } else if (u < 0x20) {
            out += "\\u00";
            out += digits[u >> 4];
            out += digits[u & 15];
        } else {
            out += c;
        }
    }
    return out + "\"";
}

}  // namespace quillomar

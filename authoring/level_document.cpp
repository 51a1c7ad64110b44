#include "authoring/level_document.h"

#include <algorithm>
#include <cstdint>
#include <iterator>

#include "level/header_line_scanner.h"
#include "level/level_limits.h"

namespace quillomar {
namespace {

edit_result refused(std::string why) {
    edit_result result;
    result.refusal = std::move(why);
    return result;
}

std::size_t byte_count(const std::vector<text_line>& lines) {
    std::size_t total = 0;
    for (const text_line& line : lines) {
        total += line.text.size() + line.ending.size();
    }
    return total;
}

const std::string too_long =
    "the level file would grow past " + std::to_string(max_level_file_bytes) + " bytes";

bool is_cube(char c) {
    return c >= '1' && c <= '9';
}

std::string marker_text(const char* keyword, grid_cell cell) {
    return std::string(keyword) + " " + std::to_string(cell.x) + " " + std::to_string(cell.z);
}

}  // namespace

level_document::level_document(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size()) {
        const std::size_t feed = text.find('\n', i);
        if (feed == std::string_view::npos) {
            lines_.push_back({std::string(text.substr(i)), ""});
            break;
        }
        std::string line(text.substr(i, feed - i));
        // A carriage return right before the line feed belongs to the line's end, as the
        // game reads it; any other one is part of the line.
        const bool crlf = !line.empty() && line.back() == '\r';
        if (crlf) {
            line.pop_back();
        }
        lines_.push_back({std::move(line), crlf ? "\r\n" : "\n"});
        i = feed + 1;
    }
    rescan();
}

level_document level_document::new_level() {
    return level_document("start 0 0\nfinish 0 0\npath\n");
}

bool level_document::fits(std::uint64_t growth) const {
    return bytes_ <= max_level_file_bytes && growth <= max_level_file_bytes - bytes_;
}

std::string level_document::text() const {
    std::string result;
    result.reserve(bytes_);
    for (const text_line& line : lines_) {
        result += line.text;
        result += line.ending;
    }
    return result;
}

const std::string* level_document::row(std::size_t z) const {
    if (!path_line_ || z >= lines_.size() - *path_line_ - 1) {
        return nullptr;
    }
    return &lines_[*path_line_ + 1 + z].text;
}

int level_document::height(grid_cell cell) const {
    if (cell.x < 0 || cell.z < 0) {
        return 0;
    }
    const std::string* r = row(static_cast<std::size_t>(cell.z));
    const auto x = static_cast<std::size_t>(cell.x);
    if (r == nullptr || x >= r->size() || !is_cube((*r)[x])) {
        return 0;
    }
    const bool past_limit = cubes_cut_ && (cell.z > last_kept_cube_.z ||
                                           (cell.z == last_kept_cube_.z && cell.x > last_kept_cube_.x));
    return past_limit ? 0 : (*r)[x] - '0';
}

std::vector<cube_cell> level_document::cubes() const {
    std::vector<cube_cell> result;
    for (std::size_t z = 0; result.size() < cube_count_; ++z) {
        const std::string& r = *row(z);
        for (std::size_t x = 0; x < r.size() && result.size() < cube_count_; ++x) {
            if (is_cube(r[x])) {
                result.push_back({{static_cast<int>(x), static_cast<int>(z)}, r[x] - '0'});
            }
        }
    }
    return result;
}

std::optional<grid_cell> level_document::start() const {
    return start_ ? std::optional<grid_cell>(start_->cell) : std::nullopt;
}

std::optional<grid_cell> level_document::finish() const {
    return finish_ ? std::optional<grid_cell>(finish_->cell) : std::nullopt;
}

void level_document::rescan() {
    bytes_ = byte_count(lines_);
    path_line_.reset();
    start_.reset();
    finish_.reset();
    item_lines_.clear();
    enemy_lines_.clear();
    items_.clear();
    enemies_.clear();
    facing_lines_.clear();
    title_lines_.clear();
    hint_lines_.clear();
    facing_.reset();
    title_.clear();
    hint_.clear();
    cube_count_ = 0;
    cubes_cut_ = false;
    std::size_t i = 0;
    for (; i < lines_.size() && !path_line_; ++i) {
        header_line_scanner scanner;
        for (const char c : lines_[i].text) {
            scanner.feed(static_cast<unsigned char>(c));
        }
        const header_line h = scanner.result();
        const marker_line marker{i, {h.x, h.z}};
        switch (h.keyword) {
            case header_keyword::start:
                start_ = marker;
                break;
            case header_keyword::finish:
                finish_ = marker;
                break;
            case header_keyword::item:
                item_lines_.push_back(marker);
                if (items_.size() < max_level_items) {
                    items_.push_back(marker.cell);
                }
                break;
            case header_keyword::enemy:
                enemy_lines_.push_back(marker);
                if (enemies_.size() < max_level_enemies) {
                    enemies_.push_back(marker.cell);
                }
                break;
            case header_keyword::path:
                path_line_ = i;
                break;
            case header_keyword::facing:
                facing_lines_.push_back(i);
                // A line naming no direction leaves the facing as it was, as the game reads it.
                if (const std::optional<facing> f = facing_named(h.text)) {
                    facing_ = f;
                }
                break;
            case header_keyword::title:
                title_lines_.push_back(i);
                title_ = h.text;
                break;
            case header_keyword::hint:
                hint_lines_.push_back(i);
                hint_ = h.text;
                break;
            case header_keyword::none:
                break;
        }
    }
    for (std::size_t z = 0; i + z < lines_.size() && !cubes_cut_; ++z) {
        const std::string& r = lines_[i + z].text;
        for (std::size_t x = 0; x < r.size(); ++x) {
            if (!is_cube(r[x])) {
                continue;
            }
            if (cube_count_ == max_level_cubes) {
                cubes_cut_ = true;
                break;
            }
            ++cube_count_;
            last_kept_cube_ = {static_cast<int>(x), static_cast<int>(z)};
        }
    }
}

std::string level_document::new_line_ending() const {
    for (const text_line& line : lines_) {
        if (!line.ending.empty()) {
            return line.ending;
        }
    }
    return "\n";
}

line_splice level_document::append_lines(std::vector<std::string> texts) const {
    const std::string ending = new_line_ending();
    line_splice s;
    s.at = lines_.size();
    const bool open_last = !lines_.empty() && lines_.back().ending.empty();
    if (open_last) {
        // The old last line gets an ending and the new last line goes without one, as before.
        // A carriage return that ends its text must not merge with a line feed after it.
        text_line last = lines_.back();
        last.ending = !last.text.empty() && last.text.back() == '\r' ? "\r\n" : ending;
        s.at = lines_.size() - 1;
        s.removed.push_back(lines_.back());
        s.added.push_back(std::move(last));
    }
    for (std::string& text : texts) {
        s.added.push_back({std::move(text), ending});
    }
    if (open_last) {
        s.added.back().ending.clear();
    }
    return s;
}

line_splice level_document::insert_line(std::size_t at, std::string text) const {
    if (at >= lines_.size()) {
        return append_lines({std::move(text)});
    }
    line_splice s;
    s.at = at;
    s.added.push_back({std::move(text), new_line_ending()});
    return s;
}

std::size_t level_document::insertion_point(const char* keyword) const {
    const std::string kind = keyword;
    // The facing goes with the start it turns; a title and a hint go together, ahead of the
    // level's markers.
    if (kind == "facing" && start_) {
        return start_->line + 1;
    }
    if (kind == "title" || kind == "hint") {
        const std::vector<std::size_t>& other = kind == "title" ? hint_lines_ : title_lines_;
        if (!other.empty()) {
            return kind == "title" ? other.front() : other.back() + 1;
        }
        std::optional<std::size_t> first = path_line_;
        for (const auto* m : {&start_, &finish_}) {
            if (*m) {
                first = std::min(first.value_or((*m)->line), (*m)->line);
            }
        }
        for (const auto* list : {&item_lines_, &enemy_lines_}) {
            if (!list->empty()) {
                first = std::min(first.value_or(list->front().line), list->front().line);
            }
        }
        for (const std::size_t line : facing_lines_) {
            first = std::min(first.value_or(line), line);
        }
        return first.value_or(lines_.size());
    }
    const std::vector<marker_line>& same = kind == "item" ? item_lines_ : enemy_lines_;
    if ((kind == "item" || kind == "enemy") && !same.empty()) {
        return same.back().line + 1;
    }
    std::optional<std::size_t> last;
    for (const auto* m : {&start_, &finish_}) {
        if (*m) {
            last = std::max(last.value_or(0), (*m)->line);
        }
    }
    for (const auto* list : {&item_lines_, &enemy_lines_}) {
        if (!list->empty()) {
            last = std::max(last.value_or(0), list->back().line);
        }
    }
    if (last) {
        return *last + 1;
    }
    return path_line_.value_or(lines_.size());
}

edit_result level_document::commit(document_change change) {
    std::size_t removed = 0;
    std::size_t added = 0;
    for (const line_splice& s : change) {
        removed += byte_count(s.removed);
        added += byte_count(s.added);
    }
    if (added > removed && !fits(added - removed)) {
        return refused(too_long);
    }
    apply(change);
    edit_result result;
    result.changed = true;
    result.change = std::move(change);
    return result;
}

edit_result level_document::set_height(grid_cell cell, int new_height) {
    if (new_height < 0 || new_height > 9) {
        return refused("a cube's height runs from 1 to 9, and 0 is no cube");
    }
    if (cell.x < 0 || cell.z < 0) {
        return refused("the layout starts at column 0, row 0");
    }
    const int old_height = height(cell);
    if (old_height == new_height) {
        return {};
    }
    if (old_height == 0 && cube_count_ >= max_level_cubes) {
        return refused("a level holds at most " + std::to_string(max_level_cubes) + " cubes");
    }
    const char digit = static_cast<char>('0' + new_height);
    const auto x = static_cast<std::size_t>(cell.x);
    const auto z = static_cast<std::size_t>(cell.z);
    if (const std::string* r = row(z)) {
        line_splice s;
        s.at = *path_line_ + 1 + z;
        s.removed.push_back(lines_[s.at]);
        text_line changed = lines_[s.at];
        if (x < r->size()) {
            changed.text[x] = digit;
        } else if (fits(x + 1 - r->size())) {
            changed.text.append(x - r->size(), '0').push_back(digit);
        } else {
            return refused(too_long);
        }
        s.added.push_back(std::move(changed));
        return commit({std::move(s)});
    }
    // New rows, each as wide as the new cube's row, below the layout (and the layout line
    // itself when there is none). Their size is bounded before any of them is made.
    const std::size_t rows = path_line_ ? lines_.size() - *path_line_ - 1 : 0;
    if (!fits((static_cast<std::uint64_t>(z - rows) + 1) * (static_cast<std::uint64_t>(x) + 3))) {
        return refused(too_long);
    }
    std::vector<std::string> texts;
    if (!path_line_) {
        texts.push_back("path");
    }
    for (std::size_t r = rows; r <= z; ++r) {
        texts.push_back(std::string(x + 1, '0'));
    }
    texts.back().back() = digit;
    return commit({append_lines(std::move(texts))});
}

edit_result level_document::set_heights(const std::vector<cube_cell>& cells) {
    document_change whole;
    for (const cube_cell& c : cells) {
        edit_result one = set_height(c.cell, c.height);
        if (!one.refusal.empty()) {
            revert(whole);
            return one;
        }
        whole.insert(whole.end(), std::make_move_iterator(one.change.begin()),
                     std::make_move_iterator(one.change.end()));
    }
    edit_result result;
    result.changed = !whole.empty();
    result.change = std::move(whole);
    return result;
}

edit_result level_document::set_area(const std::vector<cube_cell>& cells,
                                     const std::vector<grid_cell>& items,
                                     const std::vector<grid_cell>& enemies) {
    edit_result whole = set_heights(cells);
    if (!whole.refusal.empty()) {
        return whole;
    }
    const auto has = [](const std::vector<grid_cell>& in, grid_cell c) {
        return std::find(in.begin(), in.end(), c) != in.end();
    };
    for (const cube_cell& c : cells) {
        for (const bool item : {true, false}) {
            const std::vector<grid_cell>& wanted = item ? items : enemies;
            if (has(item ? items_ : enemies_, c.cell) == has(wanted, c.cell)) {
                continue;
            }
            edit_result one = toggle_marker(item ? "item" : "enemy", c.cell);
            if (!one.refusal.empty()) {
                revert(whole.change);
                return one;
            }
            whole.change.insert(whole.change.end(), std::make_move_iterator(one.change.begin()),
                                std::make_move_iterator(one.change.end()));
        }
    }
    whole.changed = !whole.change.empty();
    return whole;
}

edit_result level_document::set_marker(const char* keyword, grid_cell cell) {
    const std::optional<marker_line>& current = std::string(keyword) == "start" ? start_ : finish_;
    if (current && current->cell == cell) {
        return {};
    }
    if (!current) {
        return commit({insert_line(insertion_point(keyword), marker_text(keyword, cell))});
    }
    line_splice s;
    s.at = current->line;
    s.removed.push_back(lines_[s.at]);
    s.added.push_back({marker_text(keyword, cell), lines_[s.at].ending});
    return commit({std::move(s)});
}

edit_result level_document::toggle_marker(const char* keyword, grid_cell cell) {
    const bool item = std::string(keyword) == "item";
    const std::vector<grid_cell>& kept = item ? items_ : enemies_;
    const std::vector<marker_line>& lines = item ? item_lines_ : enemy_lines_;
    if (std::find(kept.begin(), kept.end(), cell) == kept.end()) {
        const std::size_t limit = item ? max_level_items : max_level_enemies;
        if (kept.size() >= limit) {
            return refused("a level holds at most " + std::to_string(limit) +
                           (item ? " items" : " spiders"));
        }
        return commit({insert_line(insertion_point(keyword), marker_text(keyword, cell))});
    }
    // Every line of the cell goes, or one left past the limit would take the removed one's place.
    document_change change;
    for (auto it = lines.rbegin(); it != lines.rend(); ++it) {
        if (it->cell == cell) {
            change.push_back({it->line, {lines_[it->line]}, {}});
        }
    }
    return commit(std::move(change));
}

edit_result level_document::set_start(grid_cell cell) {
    return set_marker("start", cell);
}

edit_result level_document::set_finish(grid_cell cell) {
    return set_marker("finish", cell);
}

edit_result level_document::toggle_item(grid_cell cell) {
    return toggle_marker("item", cell);
}

edit_result level_document::toggle_enemy(grid_cell cell) {
    return toggle_marker("enemy", cell);
}

edit_result level_document::set_word_line(const char* keyword,
                                          const std::vector<std::size_t>& lines,
                                          std::optional<std::string> value) {
    if (!value) {
        document_change change;
        for (auto it = lines.rbegin(); it != lines.rend(); ++it) {
            change.push_back({*it, {lines_[*it]}, {}});
        }
        return change.empty() ? edit_result{} : commit(std::move(change));
    }
    std::string text = std::string(keyword) + " " + *value;
    if (lines.empty()) {
        return commit({insert_line(insertion_point(keyword), std::move(text))});
    }
    if (lines_[lines.back()].text == text) {
        return {};
    }
    line_splice s;
    s.at = lines.back();
    s.removed.push_back(lines_[s.at]);
    s.added.push_back({std::move(text), lines_[s.at].ending});
    return commit({std::move(s)});
}

edit_result level_document::set_facing(std::optional<facing> heading) {
    if (heading && facing_lines_.empty() && *heading == facing::north) {
        // North is what a level without the line does; no line is needed for it.
        return {};
    }
    return set_word_line("facing", facing_lines_,
                         heading ? std::optional<std::string>(facing_name(*heading)) : std::nullopt);
}

namespace {

// A title or hint fit for its line, or the refusal.
std::string text_fault(std::string_view text) {
    if (text.find_first_of("\r\n") != std::string_view::npos) {
        return "a title or hint is a single line";
    }
    if (text.size() > max_level_text_bytes) {
        return "a title or hint holds at most " + std::to_string(max_level_text_bytes) +
               " characters";
    }
    return {};
}

}  // namespace

edit_result level_document::set_title(std::string_view text) {
    if (std::string fault = text_fault(text); !fault.empty()) {
        return refused(std::move(fault));
    }
    return set_word_line("title", title_lines_,
                         text.empty() ? std::nullopt : std::optional<std::string>(text));
}

edit_result level_document::set_hint(std::string_view text) {
    if (std::string fault = text_fault(text); !fault.empty()) {
        return refused(std::move(fault));
    }
    return set_word_line("hint", hint_lines_,
                         text.empty() ? std::nullopt : std::optional<std::string>(text));
}

void level_document::splice(const line_splice& s) {
    const auto at = lines_.begin() + static_cast<std::ptrdiff_t>(s.at);
    lines_.erase(at, at + static_cast<std::ptrdiff_t>(s.removed.size()));
    lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(s.at), s.added.begin(),
                  s.added.end());
}

void level_document::apply(const document_change& change) {
    for (const line_splice& s : change) {
        splice(s);
    }
    rescan();
}

void level_document::revert(const document_change& change) {
    for (auto it = change.rbegin(); it != change.rend(); ++it) {
        splice({it->at, it->added, it->removed});
    }
    rescan();
}

}  // namespace quillomar

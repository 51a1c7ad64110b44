#include <cstdint>
#include <fstream>
#include <istream>
#include <string>
#include <optional>
#include <utility>
#include <vector>

#include "framework/asset_paths.h"
#include "framework/bounded_read.h"
#include "level/header_line_scanner.h"
#include "level/level.h"

namespace quillomar {
namespace {

float grid_to_world(int v) {
    return static_cast<float>(2.0 * static_cast<double>(v));
}

// Where the reader's console lines go: to the caller's list, or nowhere.
class line_sink {
public:
    explicit line_sink(std::vector<std::string>* lines) : lines_(lines) {}
    void say(std::string line) const {
        if (lines_ != nullptr) {
            lines_->push_back(std::move(line));
        }
    }

private:
    std::vector<std::string>* lines_;
};

// The level file as a stream of bytes: header lines up to and including the first "path" line,
// then layout rows. No line is ever held in memory, so a line of any length costs nothing but
// time. A carriage return counts as part of a line unless a line feed follows it directly.
class level_text_reader {
public:
    // `name` is the file as the limit lines name it.
    level_text_reader(level& target, std::string name, line_sink sink)
        : level_(target), name_(std::move(name)), sink_(sink) {}

    void feed(const char* data, std::size_t size) {
        for (std::size_t i = 0; i < size; ++i) {
            const auto c = static_cast<unsigned char>(data[i]);
            if (carriage_return_pending_) {
                carriage_return_pending_ = false;
                if (c == '\n') {
                    end_line();
                    continue;
                }
                line_byte('\r');
            }
            if (c == '\r') {
                carriage_return_pending_ = true;
                line_open_ = true;
            } else if (c == '\n') {
                end_line();
            } else {
                line_byte(c);
            }
        }
    }

    // The end of the input ends a last line that has no line feed.
    void finish() {
        if (carriage_return_pending_) {
            carriage_return_pending_ = false;
            line_byte('\r');
        }
        if (line_open_) {
            end_line();
        }
    }

    // The character count of the last layout row and the number of layout rows.
    std::uint64_t columns() const { return row_width_; }
    std::uint64_t rows() const { return rows_; }

private:
    void line_byte(unsigned char c) {
        line_open_ = true;
        if (!in_layout_) {
            header_.feed(c);
            if (c == ' ') {
                word_ended_ = true;
            } else if (!word_ended_ && word_.size() < max_word_bytes) {
                word_.push_back(static_cast<char>(c));
            }
            return;
        }
        if (c >= '1' && c <= '9') {
            add_cube(c - '0');
        }
        ++columns_;
    }

    void end_line() {
        line_open_ = false;
        ++line_number_;
        if (in_layout_) {
            ++rows_;
            row_width_ = columns_;
            columns_ = 0;
            return;
        }
        const header_line line = header_.result();
        header_.reset();
        std::string word;
        word.swap(word_);
        word_ended_ = false;
        level_source_lines& source = level_.source;
        switch (line.keyword) {
            case header_keyword::start:
                level_.start = glm::vec2(grid_to_world(line.x), grid_to_world(line.z));
                source.start = line_number_;
                break;
            case header_keyword::finish:
                level_.finish = glm::vec2(grid_to_world(line.x), grid_to_world(line.z));
                source.finish = line_number_;
                break;
            case header_keyword::enemy:
                add_enemy(line);
                break;
            case header_keyword::item:
                add_item(line);
                break;
            case header_keyword::path:
                sink_.say("path is starting");
                in_layout_ = true;
                break;
            case header_keyword::facing:
                if (const std::optional<facing> f = facing_named(line.text)) {
                    level_.start_facing = *f;
                } else if (source.bad_facing == 0) {
                    source.bad_facing = line_number_;
                }
                break;
            case header_keyword::title:
                level_.title = line.text;
                break;
            case header_keyword::hint:
                level_.hint = line.text;
                break;
            case header_keyword::none:
                // A blank first word (a blank line, or one starting with a space) and '#' are
                // the usual comments; any other word is more likely a misspelt keyword.
                if (!word.empty() && word[0] != '#') {
                    if (source.unknown.size() < level_source_lines::max_unknown) {
                        source.unknown.emplace_back(line_number_, word);
                    }
                    ++source.unknown_count;
                }
                break;
        }
    }

    void add_cube(int digit) {
        if (level_.cubes.size() >= level::max_cubes) {
            note_over(level_.source.cubes_over);
            warn_once(cubes_warned_, "cubes", level::max_cubes);
            return;
        }
        level_.cubes.emplace_back(static_cast<float>(2.0 * static_cast<double>(columns_)),
                                  static_cast<float>(2 * digit),
                                  static_cast<float>(2.0 * static_cast<double>(rows_)));
    }

    void add_enemy(const header_line& line) {
        if (level_.enemies.size() >= level::max_enemies) {
            note_over(level_.source.enemies_over);
            warn_once(enemies_warned_, "enemies", level::max_enemies);
            return;
        }
        level_.enemies.emplace_back(grid_to_world(line.x), 0.0f, grid_to_world(line.z));
        level_.source.enemies.push_back(line_number_);
    }

    void add_item(const header_line& line) {
        if (level_.items.size() >= level::max_items) {
            note_over(level_.source.items_over);
            warn_once(items_warned_, "items", level::max_items);
            return;
        }
        level_.source.items.push_back(line_number_);
        const glm::vec3 p(grid_to_world(line.x), 0.0f, grid_to_world(line.z));
        level_.items.push_back(p);
        level_.initial_items.push_back(p);
    }

    // Lines count from 1; a layout row is being read while its line is still open.
    void note_over(std::uint64_t& line) const {
        if (line == 0) {
            line = line_number_ + (in_layout_ ? 1 : 0);
        }
    }

    void warn_once(bool& warned, const char* what, std::size_t limit) const {
        if (!warned) {
            sink_.say("Level file " + name_ + " has more than " + std::to_string(limit) + " " +
                      what + "; the rest are ignored.");
            warned = true;
        }
    }

    level& level_;
    std::string name_;
    line_sink sink_;
    header_line_scanner header_;
    bool in_layout_ = false;
    bool line_open_ = false;
    bool carriage_return_pending_ = false;
    std::uint64_t columns_ = 0;
    std::uint64_t row_width_ = 0;
    std::uint64_t rows_ = 0;
    bool cubes_warned_ = false;
    bool enemies_warned_ = false;
    bool items_warned_ = false;
    // The header line's first word, kept only as far as a message needs it.
    static constexpr std::size_t max_word_bytes = 24;
    std::string word_;
    bool word_ended_ = false;
    std::uint64_t line_number_ = 0;  // lines ended so far
};

// The end of the input: the last line, then the centre from the layout's size.
void finish_reading(level& target, level_text_reader& reader, line_sink sink) {
    reader.finish();
    target.centre =
        glm::vec3(static_cast<float>(reader.columns()), 30.0f, static_cast<float>(reader.rows()));
    sink.say("center point: " + std::to_string(reader.columns()) + ", " +
             std::to_string(reader.rows()));
}

std::string too_long_line(const std::string& name) {
    return "Level file " + name + " is longer than " + std::to_string(level::max_file_bytes) +
           " bytes; the rest is ignored.";
}

}  // namespace

bool level::read_file(const std::string& path, std::vector<std::string>* lines) {
    flipping = false;
    flipped = false;
    const line_sink sink(lines);
    level_text_reader reader(*this, path, sink);
    const bounded_read read =
        read_bounded(platform_path(path), max_file_bytes,
                     [&reader](const char* data, std::size_t size) { reader.feed(data, size); });
    if (!read.ok()) {
        std::string line = "Unable to open levelfile: " + path;
        if (read.result == bounded_read::outcome::refused) {
            line += " (" + read.problem + ")";
        }
        sink.say(std::move(line));
        return false;
    }
    if (read.truncated) {
        sink.say(too_long_line(path));
    }
    finish_reading(*this, reader, sink);
    return true;
}

void level::read_stream(std::istream& in, const std::string& name,
                        std::vector<std::string>* lines) {
    const line_sink sink(lines);
    level_text_reader reader(*this, name, sink);
    char buffer[1 << 16];
    std::size_t total = 0;
    // A read error ends the input like the end of the file does: what was read stays.
    while (in && total < max_file_bytes) {
        const std::size_t room = max_file_bytes - total;
        in.read(buffer, static_cast<std::streamsize>(room < sizeof buffer ? room : sizeof buffer));
        const auto got = static_cast<std::size_t>(in.gcount());
        if (got == 0) {
            break;
        }
        reader.feed(buffer, got);
        total += got;
    }
    if (total >= max_file_bytes && in && in.peek() != std::char_traits<char>::eof()) {
        sink.say(too_long_line(name));
    }
    finish_reading(*this, reader, sink);
}

}  // namespace quillomar

// The one way to read a file the game did not write itself this run: a level, the level order,
// the records, a recording, config.txt. Any of them may be a FIFO, a device, a folder, a link to
// /dev/zero or a file of gigabytes, so the file is opened without blocking, refused unless it is
// a regular file, and read only up to a limit stated for its kind.
#pragma once

#include <cstddef>
#include <functional>
#include <string>

namespace quillomar {

struct bounded_read {
    enum class outcome {
        read,     // the whole file, or its first `max_bytes` when `truncated`
        missing,  // nothing by that name
        refused,  // not a regular file, or it could not be opened or read
    };
    outcome result = outcome::missing;
    // The file held more than the limit; only the limit's worth was read.
    bool truncated = false;
    // Why it was not read, for the caller's one line: "a FIFO, not a regular file",
    // "Permission denied", ...; empty when it was read.
    std::string problem;

    bool ok() const { return result == outcome::read; }
};

// Reads `path` (a path of this platform, not a game path) in pieces handed to `take`, at most
// `max_bytes` in all. Never blocks on a FIFO or a device: those are refused before one byte is
// read.
bounded_read read_bounded(const std::string& path, std::size_t max_bytes,
                          const std::function<void(const char* data, std::size_t size)>& take);

// As above, into `text` (cleared first).
bounded_read read_bounded(const std::string& path, std::size_t max_bytes, std::string& text);

// One line's worth naming the file and what is wrong, e.g. "levels/x.txt is a FIFO, not a regular
// file" or "records.txt is larger than 4194304 bytes"; empty when nothing is.
std::string describe_problem(const std::string& path, const bounded_read& read,
                             std::size_t max_bytes);

}  // namespace quillomar

#include "authoring/level_edit_session.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "level/level_limits.h"
#include "records/atomic_file.h"

namespace quillomar {
namespace {

enum class read_outcome { read, missing, failed };

// The whole file, read only when it is a regular file within the level file limit, so that a
// folder, a pipe, a device or a huge file costs one refusal and no wait.
read_outcome read_level_text(const std::string& path, std::string& text, std::string& error) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
        error = std::strerror(errno);
        return errno == ENOENT ? read_outcome::missing : read_outcome::failed;
    }
    struct stat info {};
    read_outcome outcome = read_outcome::failed;
    if (::fstat(fd, &info) != 0) {
        error = std::strerror(errno);
    } else if (!S_ISREG(info.st_mode)) {
        error = "not a regular file";
    } else if (static_cast<std::uint64_t>(info.st_size) > max_level_file_bytes) {
        error = "longer than " + std::to_string(max_level_file_bytes) + " bytes";
    } else {
        // The limit bounds the reading too, should the file grow meanwhile.
        text.assign(static_cast<std::size_t>(info.st_size), '\0');
        std::size_t done = 0;
        outcome = read_outcome::read;
        for (;;) {
            if (done == text.size()) {
                text.resize(std::min(text.size() + 4096, max_level_file_bytes + 1));
                if (done == text.size()) {
                    break;
                }
            }
            const ssize_t got = ::read(fd, text.data() + done, text.size() - done);
            if (got < 0 && errno == EINTR) {
                continue;
            }
            if (got < 0) {
                error = std::strerror(errno);
                outcome = read_outcome::failed;
                break;
            }
            if (got == 0) {
                break;
            }
            done += static_cast<std::size_t>(got);
        }
        text.resize(done);
        if (outcome == read_outcome::read && done > max_level_file_bytes) {
            error = "longer than " + std::to_string(max_level_file_bytes) + " bytes";
            outcome = read_outcome::failed;
        }
    }
    ::close(fd);
    return outcome;
}

}  // namespace

std::optional<level_edit_session> level_edit_session::open(const std::string& path,
                                                           std::string* message) {
    std::string text;
    std::string error;
    switch (read_level_text(path, text, error)) {
        case read_outcome::read:
            return level_edit_session(path, level_document(text));
        case read_outcome::missing:
            return level_edit_session(path, level_document::new_level());
        case read_outcome::failed:
            break;
    }
    if (message != nullptr) {
        *message = "Cannot open level file " + path + ": " + error;
    }
    return std::nullopt;
}

edit_result level_edit_session::record(edit_result result) {
    if (result.changed) {
        history_.record(result.change);
    }
    return result;
}

edit_result level_edit_session::set_height(grid_cell cell, int height) {
    return record(document_.set_height(cell, height));
}

edit_result level_edit_session::set_start(grid_cell cell) {
    return record(document_.set_start(cell));
}

edit_result level_edit_session::set_finish(grid_cell cell) {
    return record(document_.set_finish(cell));
}

edit_result level_edit_session::toggle_item(grid_cell cell) {
    return record(document_.toggle_item(cell));
}

edit_result level_edit_session::toggle_enemy(grid_cell cell) {
    return record(document_.toggle_enemy(cell));
}

bool level_edit_session::save(std::string* message) {
    std::string error;
    if (!write_file_atomically(path_, document_.text(), &error)) {
        if (message != nullptr) {
            *message = "Cannot save level file " + path_ + ": " + error;
        }
        return false;
    }
    saved_state_ = history_.state();
    return true;
}

}  // namespace quillomar

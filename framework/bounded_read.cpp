#include "framework/bounded_read.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace quillomar {
namespace {

std::string kind_of(mode_t mode) {
    if (S_ISFIFO(mode)) {
        return "a FIFO";
    }
    if (S_ISCHR(mode)) {
        return "a character device";
    }
    if (S_ISBLK(mode)) {
        return "a block device";
    }
    if (S_ISDIR(mode)) {
        return "a folder";
    }
    if (S_ISSOCK(mode)) {
        return "a socket";
    }
    return "something";
}

// Closes the descriptor however the read ends.
struct descriptor {
    int fd;
    ~descriptor() {
        if (fd >= 0) {
            ::close(fd);
        }
    }
};

}  // namespace

bounded_read read_bounded(const std::string& path, std::size_t max_bytes,
                          const std::function<void(const char* data, std::size_t size)>& take) {
    bounded_read read;
    // O_NONBLOCK: opening a FIFO for reading would otherwise wait for a writer, and some devices
    // wait on open too. It changes nothing for a regular file.
    const descriptor file{::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY)};
    if (file.fd < 0) {
        // Only a name that is free is missing: a path through a file (ENOTDIR) is a fault.
        read.result =
            errno == ENOENT ? bounded_read::outcome::missing : bounded_read::outcome::refused;
        read.problem = std::strerror(errno);
        return read;
    }
    struct stat status {};
    if (::fstat(file.fd, &status) != 0 || !S_ISREG(status.st_mode)) {
        read.result = bounded_read::outcome::refused;
        read.problem = kind_of(status.st_mode) + ", not a regular file";
        return read;
    }
    char buffer[1 << 16];
    std::size_t total = 0;
    for (;;) {
        // One byte past the limit tells a file of exactly the limit from a larger one.
        const std::size_t room = max_bytes - total + 1;
        const ssize_t got = ::read(file.fd, buffer, room < sizeof buffer ? room : sizeof buffer);
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got < 0) {
            read.result = bounded_read::outcome::refused;
            read.problem = std::strerror(errno);
            return read;
        }
        if (got == 0) {
            break;
        }
        auto size = static_cast<std::size_t>(got);
        if (total + size > max_bytes) {
            size = max_bytes - total;
            read.truncated = true;
        }
        if (size > 0) {
            take(buffer, size);
        }
        total += size;
        if (read.truncated) {
            break;
        }
    }
    read.result = bounded_read::outcome::read;
    return read;
}

bounded_read read_bounded(const std::string& path, std::size_t max_bytes, std::string& text) {
    text.clear();
    return read_bounded(path, max_bytes,
                        [&text](const char* data, std::size_t size) { text.append(data, size); });
}

std::string describe_problem(const std::string& path, const bounded_read& read,
                             std::size_t max_bytes) {
    if (read.ok()) {
        return read.truncated ? path + " is larger than " + std::to_string(max_bytes) + " bytes"
                              : std::string();
    }
    return path + (read.problem.find("not a regular file") != std::string::npos ? " is " : ": ") +
           read.problem;
}

}  // namespace quillomar

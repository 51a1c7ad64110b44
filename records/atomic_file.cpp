#include "records/atomic_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>

#ifdef __EMSCRIPTEN__
#include <emscripten.h>
#endif

namespace quillomar {
namespace {

bool write_all(int fd, const std::string& text) {
    std::size_t done = 0;
    while (done < text.size()) {
        const ssize_t written = ::write(fd, text.data() + done, text.size() - done);
        if (written < 0 && errno == EINTR) {
            continue;
        }
        if (written <= 0) {
            return false;
        }
        done += static_cast<std::size_t>(written);
    }
    return true;
}

}  // namespace

bool write_file_atomically(const std::string& path, const std::string& text, std::string* error) {
    auto fail = [error](const std::string& reason) {
        if (error != nullptr) {
            *error = reason;
        }
        return false;
    };
    std::string folder = std::filesystem::path(path).parent_path().string();
    if (folder.empty()) {
        folder = ".";
    }
    std::error_code made;
    std::filesystem::create_directories(folder, made);
    if (made) {
        return fail(made.message());
    }
    std::string temporary = path + ".XXXXXX";
    const int fd = mkstemp(temporary.data());
    if (fd < 0) {
        return fail(std::strerror(errno));
    }
    const bool written = write_all(fd, text) && ::fsync(fd) == 0;
    const int write_errno = errno;
    if (::close(fd) != 0 || !written || std::rename(temporary.c_str(), path.c_str()) != 0) {
        const int reason = written ? errno : write_errno;
        ::unlink(temporary.c_str());
        return fail(std::strerror(reason));
    }
    // The rename itself lasts through a power cut only once the folder is synced.
    const int folder_fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY);
    if (folder_fd >= 0) {
        ::fsync(folder_fd);
        ::close(folder_fd);
    }
#ifdef __EMSCRIPTEN__
    // In the browser the files live in memory until the page stores them in IndexedDB.
    MAIN_THREAD_ASYNC_EM_ASM({
        if (Module.quillomarStore) Module.quillomarStore();
    });
#endif
    return true;
}

}  // namespace quillomar

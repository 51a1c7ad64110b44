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

// The folder's entries last through a power cut once it is synced; in the browser, where the
// files live in memory, once the page has stored them in IndexedDB.
void store_folder(const std::string& folder) {
    const int folder_fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY);
    if (folder_fd >= 0) {
        ::fsync(folder_fd);
        ::close(folder_fd);
    }
#ifdef __EMSCRIPTEN__
    MAIN_THREAD_ASYNC_EM_ASM({
        if (Module.quillomarStore) Module.quillomarStore();
    });
#endif
}

std::string folder_of(const std::string& path) {
    const std::string folder = std::filesystem::path(path).parent_path().string();
    return folder.empty() ? "." : folder;
}

}  // namespace

bool remove_file_durably(const std::string& path, std::string* error) {
    if (std::remove(path.c_str()) != 0 && errno != ENOENT) {
        if (error != nullptr) {
            *error = std::strerror(errno);
        }
        return false;
    }
    store_folder(folder_of(path));
    return true;
}

bool write_file_atomically(const std::string& path, const std::string& text, std::string* error) {
    auto fail = [error](const std::string& reason) {
        if (error != nullptr) {
            *error = reason;
        }
        return false;
    };
    const std::string folder = folder_of(path);
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
    store_folder(folder);
    return true;
}

}  // namespace quillomar

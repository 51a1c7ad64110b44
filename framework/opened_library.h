// A shared library opened with dlopen while something holds it and closed with the last hold, so
// that its pages leave the process while nothing needs it (desktop only).
#pragma once

#include <dlfcn.h>

#include <mutex>

namespace quillomar {

class opened_library {
public:
    // `first`, when not null, is opened before the library and closed after it (a dependency that
    // must not bind the library's symbols; it may be missing). `bind` finds the functions in the
    // freshly opened library: false when one is missing. `without` says what the game goes on
    // without when the library cannot be opened.
    opened_library(const char* name, const char* first, bool (*bind)(void* library),
                   const char* without)
        : name_(name), first_(first), bind_(bind), without_(without) {}
    opened_library(const opened_library&) = delete;
    opened_library& operator=(const opened_library&) = delete;

    // One more hold: true when the library is open (opened now when nothing held it). The first
    // failure prints one line naming the library.
    bool hold();
    // Gives back a hold that `hold` granted; the last one closes the library.
    void release();
    bool is_open();

private:
    void close();

    const char* name_;
    const char* first_;
    bool (*bind_)(void* library);
    const char* without_;
    std::mutex mutex_;
    int holds_ = 0;
    void* library_ = nullptr;
    void* first_library_ = nullptr;
    bool failure_reported_ = false;
};

// Looks `name` up in `library` as a function of f's type.
template <typename F>
bool find_function(void* library, const char* name, F& f) {
    f = reinterpret_cast<F>(dlsym(library, name));
    return f != nullptr;
}

}  // namespace quillomar

#include "framework/opened_library.h"

#include <iostream>
#include <string>

namespace quillomar {

bool opened_library::hold() {
    const std::lock_guard<std::mutex> lock(mutex_);
    if (holds_ == 0) {
        if (first_ != nullptr) {
            first_library_ = dlopen(first_, RTLD_NOW | RTLD_LOCAL);
        }
        library_ = dlopen(name_, RTLD_NOW | RTLD_LOCAL);
        const char* reason = library_ == nullptr ? dlerror() : "a function is missing";
        const std::string error = reason != nullptr ? reason : "not found";
        if (library_ == nullptr || !bind_(library_)) {
            close();
            if (!failure_reported_) {
                failure_reported_ = true;
                std::cout << "ERROR::LIBRARY:: " << name_ << " could not be opened (" << error
                          << "): the game goes on " << without_ << std::endl;
            }
            return false;
        }
    }
    ++holds_;
    return true;
}

void opened_library::release() {
    const std::lock_guard<std::mutex> lock(mutex_);
    if (--holds_ == 0) {
        close();
    }
}

bool opened_library::is_open() {
    const std::lock_guard<std::mutex> lock(mutex_);
    return holds_ > 0;
}

void opened_library::close() {
    if (library_ != nullptr) {
        dlclose(library_);
        library_ = nullptr;
    }
    if (first_library_ != nullptr) {
        dlclose(first_library_);
        first_library_ = nullptr;
    }
}

}  // namespace quillomar

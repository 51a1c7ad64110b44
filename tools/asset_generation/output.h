// Where a generator writes: the directory named by its first argument, or "Quillomar" below the
// working directory, so that running a generator from the repository root refreshes the game's
// own asset tree and a test can send the output to a scratch directory instead.
#pragma once

#include <filesystem>
#include <fstream>
#include <iostream>
#include <string>

namespace quillomar::tools {

inline std::filesystem::path output_root(int argc, char** argv) {
    return argc > 1 ? std::filesystem::path(argv[1]) : std::filesystem::path("Quillomar");
}

// Creates `directory` below the root; prints one line and returns an empty path on failure.
inline std::filesystem::path make_directory(const std::filesystem::path& root,
                                            const std::string& directory) {
    const std::filesystem::path path = root / directory;
    std::error_code error;
    std::filesystem::create_directories(path, error);
    if (error) {
        std::cout << "could not create " << path.string() << ": " << error.message() << std::endl;
        return {};
    }
    return path;
}

// Binary mode keeps the "\n" line ends byte for byte on every platform.
inline bool write_text_file(const std::filesystem::path& path, const std::string& text) {
    std::ofstream out(path, std::ios::binary);
    out << text;
    out.close();
    if (!out) {
        std::cout << "could not write " << path.string() << std::endl;
        return false;
    }
    return true;
}

}  // namespace quillomar::tools

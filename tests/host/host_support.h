// Helpers of the native tests: a scratch directory, whole files, and the
// exit status of a shell command.
#pragma once
#include <stdlib.h>
#include <sys/wait.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace host {

using Bytes = std::vector<uint8_t>;

// A fresh directory, removed with its contents.
struct Scratch {
    Scratch() {
        if (!mkdtemp(dir.data())) ADD_FAILURE() << "cannot make " << dir;
    }
    ~Scratch() { std::filesystem::remove_all(dir, ignored); }
    std::string operator/(const std::string& name) const { return dir + "/" + name; }
    std::string dir = (std::filesystem::temp_directory_path() / "setupkit-test-XXXXXX").string();
    std::error_code ignored;
};

inline Bytes Read(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline std::string ReadText(const std::string& path) {
    Bytes bytes = Read(path);
    return std::string(bytes.begin(), bytes.end());
}

inline void Write(const std::string& path, const Bytes& data) {
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(data.data()), data.size());
}

inline void WriteText(const std::string& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

// A shell command's exit status; -1 when it did not exit.
inline int Shell(const std::string& command) {
    const int status = std::system(command.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

}  // namespace host

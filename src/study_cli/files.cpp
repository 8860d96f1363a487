#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <filesystem>

#include "study_cli/study_cli.hpp"

namespace sa {

namespace {

namespace fs = std::filesystem;

// The temporary files not yet put in place, for the signal handler to remove: it may only
// call functions that are safe in a handler, so the paths wait in fixed buffers.
struct pending_files {
    static constexpr std::size_t slots = 4;
    static constexpr std::size_t path_size = 4096;
    std::array<std::array<char, path_size>, slots> paths{};
    std::array<volatile std::sig_atomic_t, slots> used{};
};
pending_files pending;

void remember(const std::string& path) {
    for (std::size_t i = 0; i < pending_files::slots; ++i) {
        if (pending.used[i] == 0 && path.size() < pending_files::path_size) {
            std::copy(path.begin(), path.end(), pending.paths[i].begin());
            pending.paths[i][path.size()] = '\0';
            pending.used[i] = 1;
            return;
        }
    }
}

void forget(const std::string& path) {
    for (std::size_t i = 0; i < pending_files::slots; ++i) {
        if (pending.used[i] != 0 && path == pending.paths[i].data()) {
            pending.used[i] = 0;
        }
    }
}

std::string reason(int error) {
    return std::strerror(error);
}

bool is_regular_or_absent(const fs::path& path) {
    struct stat status {};
    return ::stat(path.c_str(), &status) != 0 || S_ISREG(status.st_mode);
}

fs::path folder_of(const fs::path& path) {
    return path.has_parent_path() ? path.parent_path() : fs::path(".");
}

// The permissions the file would have had if written in place: an existing file's own, or
// those the umask leaves to a new one. A temporary file starts readable by its owner alone.
mode_t mode_for(const fs::path& path) {
    struct stat status {};
    if (::stat(path.c_str(), &status) == 0) {
        return status.st_mode & 07777U;
    }
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666U & ~mask;
}

// The suffix of the file's name, kept by its temporary file: gnuplot reads the kind from it.
std::string suffix_of(const fs::path& path) {
    return path.filename().extension().string();
}

}  // namespace

fs::path written_path(const std::string& path) {
    // As many links as the system itself follows before it gives up.
    constexpr int max_links = 40;
    std::error_code error;
    fs::path current = fs::absolute(path, error);
    for (int links = 0; links < max_links && !error; ++links) {
        // The folders resolved, and the name too when it leads to a file that exists.
        const fs::path plain = fs::weakly_canonical(current, error);
        std::error_code absent;  // a name that leads nowhere is no link
        if (error || !fs::is_symlink(fs::symlink_status(plain, absent))) {
            return error ? current : plain;
        }
        const fs::path target = fs::read_symlink(plain, error);
        current = error ? plain : target.is_absolute() ? target : plain.parent_path() / target;
    }
    return current.empty() ? fs::path(path) : current;
}

bool names_same_file(const std::string& a, const std::string& b) {
    if (a.empty() || b.empty()) {
        return false;
    }
    // Through links and dots alike, also for files not written yet.
    return a == b || written_path(a) == written_path(b);
}

void remove_pending_files() {
    for (std::size_t i = 0; i < pending_files::slots; ++i) {
        if (pending.used[i] != 0) {
            ::unlink(pending.paths[i].data());
        }
    }
}

std::optional<std::string> unwritable_reason(const std::string& path) {
    const fs::path real = written_path(path);
    struct stat status {};
    const bool exists = ::stat(real.c_str(), &status) == 0;
    if (!exists && errno != ENOENT) {
        return "cannot write " + path + ": " + reason(errno);  // a loop of links, say
    }
    if (exists) {
        if (S_ISDIR(status.st_mode)) {
            return "cannot write " + path + ": " + reason(EISDIR);
        }
        if (::access(real.c_str(), W_OK) != 0) {
            return "cannot write " + path + ": " + reason(errno);
        }
        if (!S_ISREG(status.st_mode)) {
            return std::nullopt;
        }
    }
    const fs::path folder = folder_of(real);
    if (::access(folder.c_str(), W_OK | X_OK) != 0) {
        return "cannot write " + path + ": " + reason(errno);
    }
    return std::nullopt;
}

output_file::output_file(std::string target) : target_(std::move(target)) {
    const fs::path real = written_path(target_);
    const fs::path folder =
        is_regular_or_absent(real) ? folder_of(real) : fs::temp_directory_path();
    const std::string suffix = suffix_of(real);
    // Built by appending: GCC 12 warns wrongly about a literal + std::string at -O3.
    std::string name = ".";
    name += real.filename().string();
    name += ".XXXXXX";
    name += suffix;
    temporary_ = (folder / name).string();
    const int fd = ::mkstemps(temporary_.data(), static_cast<int>(suffix.size()));
    if (fd < 0) {
        temporary_.clear();
        return;
    }
    remember(temporary_);
    ::fchmod(fd, mode_for(real));
    stream_ = ::fdopen(fd, "wb");
}

output_file::~output_file() {
    if (stream_ != nullptr) {
        std::fclose(stream_);
    }
    if (!temporary_.empty()) {
        ::unlink(temporary_.c_str());
        forget(temporary_);
    }
}

namespace {

// Copies a finished temporary file into a target that is no regular file, such as a device;
// `target` is named in a message as the user gave it.
std::optional<std::string> copy_into(const std::string& from, const fs::path& real,
                                     const std::string& target) {
    std::FILE* in = std::fopen(from.c_str(), "rb");
    std::FILE* out = std::fopen(real.c_str(), "wb");
    std::string error;
    if (in == nullptr || out == nullptr) {
        error = reason(errno);
    }
    std::array<char, 65536> buffer{};
    while (error.empty()) {
        const std::size_t read = std::fread(buffer.data(), 1, buffer.size(), in);
        if (read > 0 && std::fwrite(buffer.data(), 1, read, out) != read) {
            error = reason(errno);
        }
        if (read < buffer.size()) {
            break;
        }
    }
    if (in != nullptr) {
        std::fclose(in);
    }
    if (out != nullptr && std::fclose(out) != 0 && error.empty()) {
        error = reason(errno);
    }
    if (error.empty()) {
        return std::nullopt;
    }
    return "cannot write " + target + ": " + error;
}

}  // namespace

std::optional<std::string> output_file::commit() {
    if (temporary_.empty()) {
        return "cannot write " + target_ + ": no temporary file could be made beside it";
    }
    if (stream_ != nullptr) {
        const bool written = std::fflush(stream_) == 0 && std::ferror(stream_) == 0;
        const int error = errno;
        std::fclose(stream_);
        stream_ = nullptr;
        if (!written) {
            return "cannot write " + target_ + ": " + reason(error);
        }
    }
    const fs::path real = written_path(target_);
    std::optional<std::string> error;
    if (is_regular_or_absent(real)) {
        if (std::rename(temporary_.c_str(), real.c_str()) != 0) {
            error = "cannot write " + target_ + ": " + reason(errno);
        }
    } else {
        error = copy_into(temporary_, real, target_);
    }
    if (!error) {
        forget(temporary_);
        temporary_.clear();
    }
    return error;
}

}  // namespace sa

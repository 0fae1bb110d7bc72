#include "skin/data/file_io.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace velmap {

bool IsRegularFile(const std::string& path) {
    struct stat st;
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

std::string FileInFolder(const std::string& folder, std::string_view name) {
    std::string exact = folder + std::string(name);
    if (IsRegularFile(exact) || name.find('/') != std::string_view::npos) return exact;
    DIR* dir = ::opendir(folder.empty() ? "." : folder.c_str());
    if (!dir) return exact;
    const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
    std::string found;
    while (const dirent* e = ::readdir(dir)) {
        const std::string_view entry(e->d_name);
        if (entry.size() != name.size()) continue;
        bool same = true;
        for (std::size_t i = 0; i < entry.size() && same; ++i) same = lower(entry[i]) == lower(name[i]);
        if (same && IsRegularFile(folder + std::string(entry))) {
            found = folder + std::string(entry);
            break;
        }
    }
    ::closedir(dir);
    return found.empty() ? exact : found;
}

FileRead ReadFileBytes(const std::string& path, std::uint64_t max_bytes, std::vector<std::uint8_t>& out) {
    out.clear();
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return {IsRegularFile(path) ? FileReadStatus::Unreadable : FileReadStatus::NotAFile, 0};
    FileRead result;
    struct stat st;
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        result.status = FileReadStatus::NotAFile;
    } else if (result.size = static_cast<std::uint64_t>(st.st_size); result.size > max_bytes) {
        result.status = FileReadStatus::TooLarge;
    } else {
        out.resize(static_cast<std::size_t>(result.size));
        std::size_t done = 0;
        while (done < out.size()) {
            const ssize_t n = ::read(fd, out.data() + done, out.size() - done);
            if (n <= 0) break;  // an error, or the file shrank meanwhile
            done += static_cast<std::size_t>(n);
        }
        result.status = done == out.size() ? FileReadStatus::Ok : FileReadStatus::Unreadable;
        if (result.status != FileReadStatus::Ok) out.clear();
    }
    ::close(fd);
    return result;
}

}  // namespace velmap

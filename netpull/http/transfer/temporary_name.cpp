// The name of a download's temporary file, beside its save path.
#include "temporary_name.h"

#include <atomic>
#include <charconv>

namespace netpull::http {
namespace {

bool IsSeparator(char c) {
#ifdef _WIN32
    return c == '/' || c == '\\' || c == ':';
#else
    return c == '/';
#endif
}

std::size_t NameStart(const std::string& savePath) {
    std::size_t nameStart = savePath.size();
    while (nameStart > 0 && !IsSeparator(savePath[nameStart - 1])) --nameStart;
    return nameStart;
}

// ".NAME.netpull-": what every temporary name of a save path begins with.
std::string TemporaryStem(const std::string& savePath) {
    return "." + savePath.substr(NameStart(savePath)) + ".netpull-";
}

}  // namespace

std::string TemporaryName(const std::string& savePath, unsigned long processId, unsigned attempt) {
    static std::atomic<unsigned> counter{0};
    return FolderOf(savePath) + TemporaryStem(savePath) + std::to_string(processId) + "-" +
           std::to_string(counter++) + "-" + std::to_string(attempt);
}

std::optional<unsigned long> TemporaryOwner(const std::string& savePath, std::string_view name) {
    const std::string stem = TemporaryStem(savePath);
    if (!name.starts_with(stem)) return std::nullopt;
    name.remove_prefix(stem.size());
    // PID-N-K, three decimal numbers.
    unsigned long numbers[3] = {};
    for (int i = 0; i < 3; ++i) {
        const auto [end, error] =
            std::from_chars(name.data(), name.data() + name.size(), numbers[i]);
        if (error != std::errc() || end == name.data()) return std::nullopt;
        name.remove_prefix(static_cast<std::size_t>(end - name.data()));
        if (i < 2) {
            if (name.empty() || name.front() != '-') return std::nullopt;
            name.remove_prefix(1);
        }
    }
    if (!name.empty()) return std::nullopt;
    return numbers[0];
}

std::string FolderOf(const std::string& savePath) {
    return savePath.substr(0, NameStart(savePath));
}

bool NamesAFolder(const std::string& savePath) {
    return savePath.empty() || IsSeparator(savePath.back());
}

}  // namespace netpull::http

// The name of a download's temporary file, beside its save path.
#include "temporary_name.h"

#include <atomic>

namespace netpull::http {
namespace {

bool IsSeparator(char c) {
#ifdef _WIN32
    return c == '/' || c == '\\' || c == ':';
#else
    return c == '/';
#endif
}

}  // namespace

std::string TemporaryName(const std::string& savePath, unsigned long processId, unsigned attempt) {
    static std::atomic<unsigned> counter{0};
    std::size_t nameStart = savePath.size();
    while (nameStart > 0 && !IsSeparator(savePath[nameStart - 1])) --nameStart;
    return savePath.substr(0, nameStart) + "." + savePath.substr(nameStart) + ".netpull-" +
           std::to_string(processId) + "-" + std::to_string(counter++) + "-" +
           std::to_string(attempt);
}

bool NamesAFolder(const std::string& savePath) {
    return savePath.empty() || IsSeparator(savePath.back());
}

}  // namespace netpull::http

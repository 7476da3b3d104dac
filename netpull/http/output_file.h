// The file a download writes: created (or truncated) at the save path once the response is
// known to be good, then appended to; failures carry the system's reason.
#pragma once

#include <string>
#include <string_view>

namespace netpull::http {

class OutputFile {
public:
    OutputFile() = default;
    ~OutputFile();
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    // Both return an empty text on success, else the system's reason.
    std::string Create(const std::string& path);
    std::string Write(std::string_view bytes);
    void Close();
    bool IsOpen() const { return descriptor_ >= 0; }

private:
    int descriptor_ = -1;
};

}  // namespace netpull::http

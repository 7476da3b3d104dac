// The file a download writes. The body goes to a temporary file beside the save path, which
// takes the save path's place in one step when the download is kept, with the permissions of
// the file it replaces; a download that fails leaves whatever stood at the save path as it
// was. Failures carry the system's reason.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace netpull::http {

class OutputFile {
  public:
    OutputFile() = default;
    ~OutputFile();  // an open file that was not kept is removed
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    // A save path that cannot take a download (a folder), before any connection: the
    // system's reason, or an empty text.
    static std::string CheckSavePath(const std::string& savePath);

    // Each returns an empty text on success, else the system's reason.
    // The temporary file, beside the save path's final target (symbolic links followed); a
    // save path that is no regular file is written itself. Temporary files of this save path
    // that ended processes left behind are removed.
    std::string Create(const std::string& savePath);
    std::string Write(std::string_view bytes);
    std::string Keep();  // flushes the file to the disk, closes it and renames it over the target
    void Discard();      // closes and removes the temporary file
    bool IsOpen() const { return file_ != kNoFile; }

  private:
    // A POSIX descriptor, or a Windows file handle (whose invalid value is also -1).
    static constexpr std::intptr_t kNoFile = -1;
    std::intptr_t file_ = kNoFile;
    std::string savePath_;
    std::string temporaryPath_;
    // Bytes written, and how far the disk has been asked to write them back: the flush at the
    // end then waits for little more than the last stretch.
    std::int64_t written_ = 0;
    std::int64_t writebackAsked_ = 0;
};

}  // namespace netpull::http

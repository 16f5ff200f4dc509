// Text-file streams and folders over stdio and POSIX calls. Lines are 8-bit: reading stops at a
// line feed, a zero byte or the end and drops carriage returns; writing ends lines with CR LF.
#include "platform/files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <vector>

#include "platform/internal.h"

namespace platform {

struct StreamData {
    std::FILE* file = nullptr;
    bool writing = false;

    StreamData(std::FILE* f, bool w) : file(f), writing(w) {}
    StreamData(const StreamData&) = delete;
    StreamData& operator=(const StreamData&) = delete;
    ~StreamData() {
        if (file) std::fclose(file);
        detail::NoteObjectReleased();
    }
};

namespace {

Stream Open(const std::string& path, bool writing) {
    // Binary mode: the line format is handled here, byte for byte.
    std::FILE* file = std::fopen(path.c_str(), writing ? "wb" : "rb");
    if (!file) return nullptr;
    // A folder opens for reading on Linux and then fails every read: it is not a file.
    struct stat info {};
    if (fstat(fileno(file), &info) != 0 || S_ISDIR(info.st_mode)) {
        std::fclose(file);
        return nullptr;
    }
    return std::make_shared<StreamData>(file, writing);
}

bool Readable(const Stream& stream) {
    return stream && stream->file && !stream->writing;
}

}  // namespace

Stream ReadFile(const std::string& path) {
    return Open(path, false);
}

Stream WriteFile(const std::string& path) {
    return Open(path, true);
}

std::string ReadLine(const Stream& stream) {
    std::string line;
    if (!Readable(stream)) return line;
    for (;;) {
        const int byte = std::getc(stream->file);
        if (byte == EOF || byte == 10 || byte == 0) break;
        if (byte == 13) continue;
        line.push_back(static_cast<char>(byte));
    }
    return line;
}

bool WriteLine(const Stream& stream, const std::string& line) {
    if (!stream || !stream->file || !stream->writing) return false;
    std::FILE* file = stream->file;
    // std::string holds bytes, so every character is already its code modulo 256.
    if (!line.empty() && std::fwrite(line.data(), 1, line.size(), file) != line.size()) return false;
    if (std::fwrite("\r\n", 1, 2, file) != 2) return false;
    return std::ferror(file) == 0;
}

bool Eof(const Stream& stream) {
    if (!Readable(stream)) return true;
    // Peeking makes Eof true right after the last line, whether or not it ended in a line feed.
    const int byte = std::getc(stream->file);
    if (byte == EOF) return true;
    std::ungetc(byte, stream->file);
    return false;
}

bool FlushStream(const Stream& stream) {
    if (!stream || !stream->file || !stream->writing) return false;
    return std::fflush(stream->file) == 0 && std::ferror(stream->file) == 0;
}

bool CloseStream(const Stream& stream) {
    if (!stream || !stream->file) return false;
    // A written file reaches the disk before it is closed, so a file that is then renamed over
    // an old one is whole even after a power cut.
    if (stream->writing && std::fflush(stream->file) == 0) fsync(fileno(stream->file));
    const bool had_error = std::ferror(stream->file) != 0;
    const bool closed = std::fclose(stream->file) == 0;
    stream->file = nullptr;
    return closed && !had_error;
}

int FileType(const std::string& path) {
    struct stat info {};
    if (path.empty() || stat(path.c_str(), &info) != 0) return 0;
    return S_ISDIR(info.st_mode) ? 2 : 1;
}

bool CreateDir(const std::string& path) {
    if (path.empty()) return false;
    if (mkdir(path.c_str(), 0777) == 0) return true;
    // A folder that is already there is what the caller wanted.
    return errno == EEXIST && FileType(path) == 2;
}

bool ChangeDir(const std::string& path) {
    return !path.empty() && chdir(path.c_str()) == 0;
}

std::string CurrentDir() {
    std::vector<char> buffer(4096);
    while (!getcwd(buffer.data(), buffer.size())) {
        if (errno != ERANGE) return "";
        buffer.resize(buffer.size() * 2);
    }
    return buffer.data();
}

bool DeleteFile(const std::string& path) {
    return !path.empty() && unlink(path.c_str()) == 0;
}

bool RenameFile(const std::string& source, const std::string& target) {
    if (std::rename(source.c_str(), target.c_str()) != 0) return false;
    // The folder's entry is what a power cut could lose; syncing the folder keeps the rename.
    const std::string::size_type slash = target.rfind('/');
    const std::string folder = slash == std::string::npos ? "." : target.substr(0, slash + 1);
    const int descriptor = open(folder.c_str(), O_RDONLY | O_DIRECTORY);
    if (descriptor >= 0) {
        fsync(descriptor);
        close(descriptor);
    }
    return true;
}

}  // namespace platform

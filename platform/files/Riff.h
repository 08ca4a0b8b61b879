#pragma once
// RIFF chunk files: open, descend into a chunk, create a chunk, ascend out of it (writing its size
// and pad byte), read, write, seek, close.
//
// Every chunk header read is checked against its parent and the file: a chunk whose size runs past
// the end of its parent or of the file is refused (Corrupt), except the outer RIFF chunk and a
// "data" chunk, which are clamped to the bytes present, because a recording that was cut short
// leaves exactly that. Callers that know the frame size round a clamped data chunk down to whole
// frames. Odd-sized chunks are followed by one pad byte that is not part of their size.
//
// Offsets and positions are 64-bit; chunk sizes are the format's 32 bits.

#include <QString>

#include <cstdint>
#include <memory>

namespace platform {

// Result codes of this layer: 0 for success, otherwise a value below 5000. Callers pass them on
// as they are; they only ever compare them with success.
namespace RiffCode {
inline constexpr int Ok = 0;
inline constexpr int CannotOpen = 257;
inline constexpr int OutOfMemory = 258;
inline constexpr int CannotRead = 259;
inline constexpr int CannotWrite = 260;
inline constexpr int CannotSeek = 261;
inline constexpr int ChunkNotFound = 265;
inline constexpr int Corrupt = 266;     // a chunk header or size that does not fit the file
inline constexpr int InvalidArgument = 267;
inline constexpr int TooLarge = 268;    // a chunk would pass the 4 GiB size limit of the format
} // namespace RiffCode

// Four-character codes as they are stored: the first character in the lowest byte.
constexpr uint32_t fourCC(const char (&code)[5])
{
    return uint32_t(uint8_t(code[0])) | uint32_t(uint8_t(code[1])) << 8 | uint32_t(uint8_t(code[2])) << 16
         | uint32_t(uint8_t(code[3])) << 24;
}

struct RiffChunk {
    enum Flag : uint32_t {
        Created = 0x1, // made by createChunk: ascend writes its size and pad byte
        Clamped = 0x2, // its stored size ran past the end of the file and was cut to what is there
    };

    uint32_t id = 0;
    uint32_t size = 0;       // bytes of data, the form type of a RIFF or LIST chunk included
    uint32_t formType = 0;   // RIFF and LIST chunks only
    int64_t dataOffset = 0;  // file offset of the first data byte (the form type, for RIFF and LIST)
    uint32_t flags = 0;
    uint32_t storedSize = 0; // the size as the header holds it, before any clamp
};

class RiffFile {
public:
    enum class Mode {
        Read,      // existing file, read only
        ReadWrite, // existing file
        Create,    // created, or truncated when it exists; read and write
    };

    enum class Descend {
        Next,      // the chunk that starts at the current position
        FindChunk, // the first child of the parent (or top-level chunk) whose id is chunk.id
        FindRiff,  // the first "RIFF" chunk whose form type is chunk.formType (0: any form type)
        FindList,  // the first "LIST" chunk whose form type is chunk.formType (0: any form type)
    };

    enum class Create { Plain, Riff, List };

    // Null when the file cannot be opened; *error then holds the code.
    static std::unique_ptr<RiffFile> open(const QString& path, Mode mode, int* error = nullptr);

    ~RiffFile();
    RiffFile(const RiffFile&) = delete;
    RiffFile& operator=(const RiffFile&) = delete;

    // Finds a chunk among all children of parent (all top-level chunks when parent is null),
    // whatever the current position, and leaves the position at its first data byte (after the
    // form type of a RIFF or LIST chunk). The searched fields are taken from chunk; on success
    // chunk describes what was found.
    int descend(RiffChunk& chunk, const RiffChunk* parent, Descend how);

    // Leaves the chunk: a created chunk gets its size (from the current position) and, when odd,
    // a pad byte written; the position moves past the chunk and its pad byte.
    int ascend(RiffChunk& chunk);

    // Writes a chunk header at the current position (id from chunk.id, or "RIFF"/"LIST" with
    // chunk.formType) and leaves the position at the start of its data.
    int createChunk(RiffChunk& chunk, Create kind = Create::Plain);

    // Bytes read (0 at the end of the file), or -1 on an error.
    int64_t read(void* buffer, int64_t count);
    // Bytes written, or -1 on an error.
    int64_t write(const void* buffer, int64_t count);
    // The new position, or -1 on an error.
    int64_t seek(int64_t offset, int whence = SEEK_SET);
    int64_t position() const { return m_position; }
    // Current size of the file, or -1 when it cannot be read.
    int64_t fileSize() const;

    // Closes the file; a failure to close (data not reaching the disk) is reported.
    int close();

    const QString& path() const { return m_path; }

private:
    RiffFile(int fd, QString path);
    int readHeader(int64_t at, int64_t limit, RiffChunk& chunk, bool topLevel);

    int m_fd = -1;
    int64_t m_position = 0;
    QString m_path;
};

} // namespace platform

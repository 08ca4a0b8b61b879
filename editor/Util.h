#pragma once
// The editor's own file, path and balance routines. The routines it shares with the recorder (file
// sizes and times, the peak cache's name, empty WAV files, version texts) are in common/Util.h and
// common/WaveUtil.h; a file's last-write time is set with platform::setFileWriteTimeNs.
//
// Paths use "/".

#include <QByteArray>
#include <QString>

#include <cstdint>

namespace editor {

// The whole content of a regular file into bytes; true when at least one byte was read. Anything
// else (missing, a folder or device, unreadable, empty) gives false and empty bytes.
bool ReadFileToString(const QString& path, QByteArray& bytes);

// Whether a file or folder of that name exists; a relative name is looked up in the current folder.
bool FileExistsIn(const QString& name);

// Renames source to target, replacing target in one step. False when the rename fails; target is
// then left as it was (an empty one may be gone), so a failed move never loses what it was to
// replace.
bool MoveFileOver(const QString& source, const QString& target);

// The absolute, clean path of an existing file (a relative path is taken from the current folder);
// empty for a folder or a path that does not lead to a file. The root alone is given back as it is.
QString ExpandLongPathName(const QString& path);

// Shortens a path for a caption: keeps the file name and, while the text is longer than maximum,
// replaces the leading folders one at a time with "..." (/a/b/c/d.wav, /.../b/c/d.wav,
// /.../c/d.wav, /.../d.wav). The file name is never cut, so the result may stay longer than maximum.
QString ShortenPath(const QString& path, int maximum);

// Balance sliders run from the left channel (minimum) to the right (maximum); their centre is
// (maximum - minimum) / 2.
//
// The position for two channel volumes: the centre when they are equal, towards the louder side by
// the share the quieter one lacks.
int BalanceFromVolumes(int64_t left, int64_t right, int maximum, int minimum);

// The two channel volumes for a slider at position: the side it points to gets the louder of
// volumeX and volumeY, the other side that less its distance from the centre in percent. Note the
// order of the outputs, right before left. A slider too short to have a centre
// (maximum - minimum < 2) gives both the louder volume.
void VolumesFromBalance(int position, int maximum, int minimum, int64_t& right, int64_t& left, int64_t volumeX,
                        int64_t volumeY);

} // namespace editor

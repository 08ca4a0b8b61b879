#include "common/Util.h"

#include "common/EditorMessages.h"
#include "common/Log.h"
#include "platform/files/FileIo.h"
#include "platform/files/FileTime.h"
#include "platform/messaging/Messaging.h"
#include "platform/files/PendingFile.h"
#include "platform/messaging/ProgramWindows.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMouseEvent>

#include <cerrno>
#include <fcntl.h>
#include <memory>
#include <new>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// A descriptor that closes itself.
class Descriptor {
public:
    explicit Descriptor(int fd) : m_fd(fd) {}
    ~Descriptor()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;

    int get() const { return m_fd; }
    bool isOpen() const { return m_fd >= 0; }

private:
    int m_fd;
};

// Opens a regular file for reading. Without blocking, so a pipe standing in the file's place
// cannot hang the caller; anything but a regular file is refused. *why says why it failed.
int openRegularForReading(const QString& path, QString* why = nullptr)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        if (why)
            *why = platform::systemErrorText(errno);
        return -1;
    }
    struct stat info;
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd);
        if (why)
            *why = QStringLiteral("not a regular file");
        return -1;
    }
    return fd;
}

bool sameFile(const QString& a, const QString& b)
{
    if (a == b)
        return true;
    struct stat first;
    struct stat second;
    return ::stat(QFile::encodeName(a).constData(), &first) == 0
        && ::stat(QFile::encodeName(b).constData(), &second) == 0 && first.st_dev == second.st_dev
        && first.st_ino == second.st_ino;
}

} // namespace

QString PadWithZeros(const QString& text, int width)
{
    return text.size() >= width ? text : QString(width - text.size(), QLatin1Char('0')) + text;
}

void MsToMinSecMs(uint32_t ms, QString& minutes, QString& seconds, QString& milliseconds)
{
    minutes = PadWithZeros(QString::number(ms / 60000), 3);
    seconds = PadWithZeros(QString::number(ms % 60000 / 1000), 2);
    milliseconds = PadWithZeros(QString::number(ms % 1000), 3);
}

int64_t MinSecMsToMs(int64_t minutes, int64_t seconds, int64_t milliseconds)
{
    return minutes * 60000 + seconds * 1000 + milliseconds;
}

namespace {

constexpr int64_t kKernelCopyChunk = 512 * int64_t(kCopyBlockSize);

int copyFile(const QString& source, const QString& target, std::atomic<int32_t>& percent,
             const std::atomic<int32_t>& cancelWord, platform::PendingFile::Durability durability)
{
    if (sameFile(source, target)) {
        qCInfo(lcCommon) << "copy of" << source << "onto itself: nothing to do";
        return 0;
    }
    struct stat sourceInfo;
    if (::stat(QFile::encodeName(source).constData(), &sourceInfo) != 0)
        return 148;

    std::unique_ptr<char[]> buffer(new (std::nothrow) char[kCopyBlockSize]());
    if (!buffer)
        return 104;

    QString why;
    const Descriptor in(openRegularForReading(source, &why));
    if (!in.isOpen()) {
        qCWarning(lcCommon) << "cannot open" << source << "for the copy:" << why;
        return 149;
    }
    struct stat opened;
    if (::fstat(in.get(), &opened) != 0) {
        qCWarning(lcCommon) << "cannot read the size of" << source << ":" << platform::systemErrorText(errno);
        return 151;
    }
    const int64_t size = opened.st_size;

    if (QFileInfo(target).isDir()) {
        qCWarning(lcCommon) << "cannot copy onto" << target << ": it is a folder";
        return 150;
    }
    // The copy replaces the target by a rename, which a read-only target would not stop: refuse it
    // as opening it for writing would.
    if (QFileInfo::exists(target) && ::access(QFile::encodeName(target).constData(), W_OK) != 0) {
        qCWarning(lcCommon) << "cannot copy onto" << target << ":" << platform::systemErrorText(errno);
        return 150;
    }
    platform::PendingFile pending(target);
    if (!pending.isValid()) {
        qCWarning(lcCommon).noquote() << "cannot create the copy of" << source << ":" << pending.errorText();
        return 150;
    }
    const Descriptor out(::open(QFile::encodeName(pending.path()).constData(), O_WRONLY | O_TRUNC | O_CLOEXEC));
    if (!out.isOpen()) {
        qCWarning(lcCommon) << "cannot open" << pending.path() << ":" << platform::systemErrorText(errno);
        return 150;
    }

    percent.store(0);
    int64_t copied = 0;
    // The kernel copies without passing the bytes through this process (and shares them where the
    // file system can), 512 blocks (32 MB, a few milliseconds) between looks at the cancel word;
    // where it cannot, the blocks go through the buffer.
    bool kernelCopy = true;
    while (copied < size) {
        if (cancelWord.load() != 1)
            return 129;
        if (kernelCopy) {
            loff_t from = copied;
            loff_t to = copied;
            const size_t chunk = size_t(std::min<int64_t>(size - copied, kKernelCopyChunk));
            const ssize_t done = ::copy_file_range(in.get(), &from, out.get(), &to, chunk, 0);
            if (done > 0) {
                copied += done;
                percent.store(int32_t(copied * 100 / size));
                continue;
            }
            if (done == 0) {
                qCWarning(lcCommon) << "reading" << source << "ended early at byte" << copied;
                return 152;
            }
            if (errno == EINTR)
                continue;
            if (errno == ENOSPC || errno == EFBIG || errno == EDQUOT) {
                qCWarning(lcCommon) << "writing the copy of" << source << "failed:" << platform::systemErrorText(errno);
                return 153;
            }
            if (errno != EXDEV && errno != ENOSYS && errno != EOPNOTSUPP && errno != EINVAL) {
                qCWarning(lcCommon) << "reading" << source << "failed at byte" << copied << ":"
                                    << platform::systemErrorText(errno);
                return 152;
            }
            kernelCopy = false;
        }
        const size_t wanted = size_t(std::min<int64_t>(size - copied, kCopyBlockSize));
        const int64_t got = platform::readAt(in.get(), buffer.get(), int64_t(wanted), copied);
        if (got != int64_t(wanted)) {
            qCWarning(lcCommon) << "reading" << source << "failed or ended early at byte" << copied + std::max<int64_t>(got, 0);
            return 152;
        }
        if (!platform::writeAt(out.get(), buffer.get(), int64_t(wanted), copied)) {
            qCWarning(lcCommon) << "writing the copy of" << source << "failed:" << platform::systemErrorText(errno);
            return 153;
        }
        copied += int64_t(wanted);
        percent.store(int32_t(copied * 100 / size));
    }
    if (!pending.commit(durability))
        return 150;
    return 0;
}

} // namespace

int CopyFileWithProgress(const QString& source, const QString& target, std::atomic<int32_t>& percent,
                         const std::atomic<int32_t>& cancelWord)
{
    return copyFile(source, target, percent, cancelWord, platform::PendingFile::Durability::Durable);
}

int CopyScratchFileWithProgress(const QString& source, const QString& target, std::atomic<int32_t>& percent,
                                const std::atomic<int32_t>& cancelWord)
{
    return copyFile(source, target, percent, cancelWord, platform::PendingFile::Durability::Scratch);
}

int64_t GetFileSizeByName(const QString& file)
{
    const Descriptor fd(openRegularForReading(file));
    if (!fd.isOpen())
        return 0;
    struct stat info;
    if (::fstat(fd.get(), &info) != 0)
        return -1;
    return info.st_size;
}

FileWriteTimeRead readFileWriteTime(const QString& file, int64_t& time)
{
    const Descriptor fd(openRegularForReading(file));
    if (!fd.isOpen())
        return FileWriteTimeRead::CannotOpen;
    const std::optional<int64_t> written = platform::descriptorWriteTimeNs(fd.get());
    if (!written)
        return FileWriteTimeRead::CannotQuery;
    time = *written;
    return FileWriteTimeRead::Ok;
}

bool GetFileLastWriteTime(const QString& file, int64_t& time)
{
    return readFileWriteTime(file, time) == FileWriteTimeRead::Ok;
}

int GetWindowsVersionClass()
{
    return 7;
}

QString GetProductVersion()
{
    const QString version = QStringLiteral(VA_PRODUCT_VERSION);
    return version.isEmpty() ? QStringLiteral("No Version Information Found") : version;
}

QString GetPeakFileName(const QString& waveFile, const QString& fallbackFolder)
{
    if (waveFile.isEmpty())
        return {};
    const qsizetype slash = waveFile.lastIndexOf(QLatin1Char('/'));
    const qsizetype dot = waveFile.lastIndexOf(QLatin1Char('.'));
    // A dot in a folder's name, or the leading dot of a hidden file's name, starts no extension.
    const bool hasExtension = dot > slash + 1;
    const QString peakFile = (hasExtension ? waveFile.left(dot) : waveFile) + QStringLiteral(".vxp");

    const int fd = ::open(QFile::encodeName(peakFile).constData(), O_RDWR | O_CREAT | O_CLOEXEC | O_NONBLOCK, 0644);
    if (fd >= 0) {
        ::close(fd);
        return peakFile;
    }
    const int error = errno;

    const QFileInfo info(peakFile);
    const QByteArray folderMark = QCryptographicHash::hash(QFile::encodeName(info.absolutePath()),
                                                           QCryptographicHash::Sha1)
                                      .toHex()
                                      .left(8);
    QString folder = fallbackFolder.isEmpty() ? QDir::tempPath() : fallbackFolder;
    AddTrailingBackslash(folder);
    const QString fallback = folder + info.completeBaseName() + QLatin1Char('-') + QString::fromLatin1(folderMark)
        + QStringLiteral(".vxp");
    qCInfo(lcCommon) << "peak cache" << peakFile << "cannot be opened (" << platform::systemErrorText(error) << "); using" << fallback;
    return fallback;
}

void AddTrailingBackslash(QString& path)
{
    if (!path.isEmpty() && !path.endsWith(QLatin1Char('/')))
        path += QLatin1Char('/');
}

QString RemoveFileExtension(const QString& text)
{
    const qsizetype dot = text.indexOf(QLatin1Char('.'));
    return dot < 0 ? text : text.left(dot);
}

int HexToInt(const QString& text)
{
    uint32_t value = 0;
    for (const QChar c : text) {
        int digit;
        if (c >= QLatin1Char('0') && c <= QLatin1Char('9'))
            digit = c.unicode() - '0';
        else if (c >= QLatin1Char('a') && c <= QLatin1Char('f'))
            digit = c.unicode() - 'a' + 10;
        else if (c >= QLatin1Char('A') && c <= QLatin1Char('F'))
            digit = c.unicode() - 'A' + 10;
        else
            break;
        value = value * 16 + uint32_t(digit);
    }
    return int(value);
}

void SimulateClick(QObject* window)
{
    if (!window) {
        qCWarning(lcCommon) << "simulated click without a window";
        return;
    }
    const QPointF at(1, 0);
    QCoreApplication::postEvent(
        window, new QMouseEvent(QEvent::MouseButtonPress, at, at, Qt::LeftButton, Qt::LeftButton, Qt::NoModifier));
    QCoreApplication::postEvent(
        window, new QMouseEvent(QEvent::MouseButtonRelease, at, at, Qt::LeftButton, Qt::NoButton, Qt::NoModifier));
}

QString ConvertToPcmTempFile(const QString& source, const WaveFormatEx& format,
                             const TempWaveNameProvider& newTempWaveName, const PcmConversion& convert)
{
    const QString temp = newTempWaveName();
    if (temp.isEmpty()) {
        qCWarning(lcCommon) << "no temporary file for the conversion of" << source;
        return {};
    }
    const int code = convert(source, temp, format);
    if (code != 0) {
        qCWarning(lcCommon) << "conversion of" << source << "to PCM failed with code" << code;
        QFile::remove(temp);
        return {};
    }
    return temp;
}

bool IsEditorRunning(platform::Messaging& messaging)
{
    return messaging
        .findWindow(platform::kEditorMainWindowClass, QString::fromLatin1(kEditorCaption),
                    platform::CaptionMatch::Contains)
        .has_value();
}

bool IsMp3AcmCodecInstalled()
{
    return false;
}

QString FindInstallFolderByUninstallKey(const QString& product)
{
    qCInfo(lcCommon) << "no uninstall entries on this system; no install folder for" << product;
    return {};
}

#pragma once
// What the builder's upload opens: the episode chooser and the upload window, behind functions the
// builder's services hold so that tests can put their own in.
#include "podcast/FtpTransport.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <optional>

class QWidget;

namespace platform {
class Messages;
} // namespace platform

namespace podcast {

using FtpTransportFactory = std::function<std::unique_ptr<FtpTransport>()>;

// The chosen episodes ("01") and their audio files, in the chooser's order.
struct ChosenEpisodes {
    QStringList numbers;
    QStringList audioPaths;
};
// Nothing when the user closed the chooser without OK.
using EpisodeChooser =
    std::function<std::optional<ChosenEpisodes>(QWidget* parent, const platform::Messages&, const QString& projectPath)>;

struct UploadAccount {
    QString userName;
    QString password;
    QString hostName;
    QString remoteDir;
    int port = 21;
};
// Sends files and returns those that are on the server afterwards.
using UploadRunner = std::function<QStringList(QWidget* parent, const platform::Messages&, FtpTransportFactory,
                                               const QStringList& files, const UploadAccount&)>;

// TItemsUploadForm on the project.
std::optional<ChosenEpisodes> chooseEpisodesToUpload(QWidget* parent, const platform::Messages& messages,
                                                     const QString& projectPath);
// TUploadingForm on the files.
QStringList runUploadWindow(QWidget* parent, const platform::Messages& messages, FtpTransportFactory transports,
                            const QStringList& files, const UploadAccount& account);

} // namespace podcast

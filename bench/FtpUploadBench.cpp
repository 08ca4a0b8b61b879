// A 1 GB file put to the tests' local FTP server (tests/scripts/ftp-server.py) through our FTP
// transport, against, in the same run, curl -T of the same file to the same server. The GUI thread
// only serves events meanwhile (the transfer runs on the transport's worker), and the longest gap
// between its timer ticks is measured.
// Goals: our throughput at least 0.9 times curl's; the GUI thread never kept from its events for
// 50 ms or more.
#include "bench/BenchSupport.h"
#include "podcast/FtpTransport.h"

#include <QCoreApplication>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>

#include <cstdio>
#include <optional>
#include <random>

namespace {

using namespace podcast;

constexpr qint64 kFileBytes = qint64(1) << 30;
constexpr int kRuns = 3;

const QString kFolder = bench::workFolder() + "/ftp";

struct Server {
    QString host;
    int port = 0;
    QString user;
    QString password;
    QString home;
};

std::optional<Server> startServer()
{
    if (!bench::runQuietly(VA_PYTHON, {VA_FTP_SCRIPT, "start", kFolder + "/server"}))
        return std::nullopt;
    QFile env(kFolder + "/server/server.env");
    if (!env.open(QIODevice::ReadOnly))
        return std::nullopt;
    Server s;
    for (const QByteArray& line : env.readAll().split('\n')) {
        const qsizetype equals = line.indexOf('=');
        const QByteArray key = line.left(equals);
        const QString value = QString::fromUtf8(line.mid(equals + 1));
        if (key == "host")
            s.host = value;
        else if (key == "port")
            s.port = value.toInt();
        else if (key == "user")
            s.user = value;
        else if (key == "password")
            s.password = value;
        else if (key == "home")
            s.home = value;
    }
    return s;
}

// The input, made once: bytes that do not compress, in case anything on the way would.
QString input()
{
    const QString path = kFolder + "/upload.bin";
    if (QFileInfo(path).size() == kFileBytes)
        return path;
    QDir().mkpath(kFolder);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return QString();
    std::mt19937_64 random(7);
    QByteArray block(4 << 20, Qt::Uninitialized);
    for (qint64 written = 0; written < kFileBytes; written += block.size()) {
        auto* words = reinterpret_cast<quint64*>(block.data());
        for (qsizetype i = 0; i < block.size() / qsizetype(sizeof(quint64)); ++i)
            words[i] = random();
        if (file.write(block) != block.size())
            return QString();
    }
    return path;
}

// Runs one transport call to its end while the GUI thread serves events.
FtpResult wait(const std::function<void(FtpTransport::Done)>& start)
{
    std::optional<FtpResult> result;
    QEventLoop loop;
    start([&](const FtpResult& r) {
        result = r;
        loop.quit();
    });
    if (!result)
        loop.exec();
    return *result;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    bench::Goals verdicts("ftp_upload_bench");
    const QString source = input();
    const std::optional<Server> server = startServer();
    if (source.isEmpty() || !server) {
        verdicts.failed("throughput against curl", "no input or no FTP server");
        return verdicts.exitCode();
    }
    bench::warmPageCache({source});
    FtpConnectSettings settings;
    settings.host = server->host;
    settings.port = server->port;
    settings.user = server->user;
    settings.password = server->password;
    const QString ours = server->home + "/ours.bin";
    const QString theirs = server->home + "/curl.bin";

    std::vector<double> ourSeconds;
    std::vector<double> curlSeconds;
    double longestStallMs = 0;
    bool ok = true;
    for (int run = 0; run < kRuns && ok; ++run) {
        {
            FtpTransport transport(makeCurlFtpEngine());
            ok = wait([&](auto done) { transport.connectToHost(settings, done); }).ok();
            bench::StallMeter stalls;
            const double seconds = bench::timed([&] {
                return wait([&](auto done) { transport.putFile(source, "/ours.bin", done); }).ok();
            });
            longestStallMs = std::max(longestStallMs, stalls.longestMs());
            ok = ok && seconds > 0 && QFileInfo(ours).size() == kFileBytes;
            ourSeconds.push_back(seconds);
        }
        QFile::remove(ours);
        const QString url = "ftp://" + server->host + ":" + QString::number(server->port) + "/%2Fcurl.bin";
        const double seconds = bench::timed([&] {
            return bench::runQuietly("curl", {"-sS", "--noproxy", "*", "-T", source, "--user",
                                              server->user + ":" + server->password, url});
        });
        ok = ok && seconds > 0 && QFileInfo(theirs).size() == kFileBytes;
        curlSeconds.push_back(seconds);
        QFile::remove(theirs);
    }
    bench::runQuietly(VA_PYTHON, {VA_FTP_SCRIPT, "stop", kFolder + "/server"});
    if (!ok) {
        verdicts.failed("throughput against curl", "an upload failed or the server holds the wrong size");
        return verdicts.exitCode();
    }
    const double megabytes = double(kFileBytes) / (1 << 20);
    const double ourRate = megabytes / bench::median(ourSeconds);
    const double curlRate = megabytes / bench::median(curlSeconds);
    std::printf("A %.0f MB file put to the local FTP server (pyftpdlib), median of %d runs:\n", megabytes, kRuns);
    std::printf("  curl -T                          %8.1f MB/s\n", curlRate);
    std::printf("  our transport (worker thread)    %8.1f MB/s\n", ourRate);
    std::printf("  GUI thread's longest stall       %8.1f ms\n", longestStallMs);
    verdicts.atLeast("throughput against curl's", ourRate / curlRate, 0.9, "x");
    verdicts.atMost("GUI thread's longest stall during a put", longestStallMs, 50, "ms");
    return verdicts.exitCode();
}

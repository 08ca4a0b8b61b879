// The upload window's sequence without widgets: scenarios of local files, remote files, the user's
// answers and the server's failures, each walked to its end by a small in-memory server.
#include "podcast/RemoteFolderRows.h"
#include "podcast/UploadSequence.h"

#include <gtest/gtest.h>

#include <QSet>

#include <deque>
#include <ostream>

using namespace podcast;

static void PrintTo(const QStringList& list, std::ostream* out)
{
    *out << '{' << list.join(QStringLiteral(" | ")).toStdString() << '}';
}

namespace {

QStringList split(const char* text)
{
    return QString::fromUtf8(text).split(QLatin1Char('|'), Qt::SkipEmptyParts);
}

QSet<QString> setOf(const char* text)
{
    const QStringList list = split(text);
    return QSet<QString>(list.begin(), list.end());
}

struct Scenario {
    const char* name;
    const char* files;         // local paths, "|" between them
    const char* missing;       // local paths that do not exist
    const char* remote;        // names already in the remote folder
    const char* answers;       // overwrite answers in order, as numbers: "7|6"
    const char* failingPuts;   // local paths whose put fails
    bool connects = true;
    bool folderEntered = true;
    int cancelAtPut = 0;       // the user cancels while the n-th put (1-based) runs
    bool listingFails = false;
    // Expected.
    const char* log;
    const char* puts;          // remote paths put, in order
    int listings = 0;
    int failures = 0;
    const char* delivered;
    UploadState end = UploadState::Finished;
};

struct SequenceRun {
    QStringList log;
    QStringList puts;
    int listings = 0;
    int closes = 0;
    UploadSequence sequence;
};

// Runs the sequence to its end, answering every command as a server and a user would.
void walk(const Scenario& s, SequenceRun& run)
{
    QStringList remote = split(s.remote);
    std::deque<int> answers;
    for (const QString& answer : split(s.answers))
        answers.push_back(answer.toInt());
    const QStringList failing = split(s.failingPuts);
    std::deque<UploadEvent> pending{{UploadEvent::Start}};
    int putCount = 0;
    while (!pending.empty()) {
        const UploadEvent event = pending.front();
        pending.pop_front();
        for (const UploadCommand& command : run.sequence.handle(event)) {
            switch (command.kind) {
            case UploadCommand::Connect:
                pending.push_back({UploadEvent::StateChanged, 4});
                pending.push_back({UploadEvent::StateChanged, 2});
                if (s.connects) {
                    UploadEvent connected{UploadEvent::Connected};
                    connected.folder = QStringLiteral("/home/pod");
                    connected.folderEntered = s.folderEntered;
                    connected.reply = QStringLiteral("550 No such directory.");
                    pending.push_back(connected);
                } else {
                    pending.push_back({UploadEvent::StateChanged, 1});
                    UploadEvent failed{UploadEvent::ConnectFailed};
                    failed.reply = QStringLiteral("Incorrect password for pod");
                    pending.push_back(failed);
                }
                break;
            case UploadCommand::ListFolder: {
                ++run.listings;
                EXPECT_EQ(command.remotePath, QStringLiteral("/home/pod"));
                UploadEvent listed{s.listingFails ? UploadEvent::ListFailed : UploadEvent::Listed};
                listed.names = remote;
                listed.reply = QStringLiteral("425 Can't open data connection.");
                pending.push_back(listed);
                break;
            }
            case UploadCommand::AskOverwrite: {
                EXPECT_FALSE(answers.empty()) << "an overwrite question nobody expected: " << command.text.toStdString();
                UploadEvent answered{UploadEvent::Answered};
                answered.answer = answers.empty() ? OverwriteCancel : answers.front();
                if (!answers.empty())
                    answers.pop_front();
                run.log.append(QStringLiteral("? ") + command.text);
                pending.push_back(answered);
                break;
            }
            case UploadCommand::PutFile: {
                ++putCount;
                run.puts.append(command.remotePath);
                UploadEvent done{UploadEvent::PutDone};
                done.ok = !failing.contains(command.localPath);
                done.reply = done.ok ? QString() : QStringLiteral("552 Disk full.");
                if (putCount == s.cancelAtPut) {
                    // The abort ends the put as a failure after the user's Cancel.
                    pending.push_back({UploadEvent::CancelConfirmed});
                    done.ok = false;
                } else if (done.ok) {
                    remote.append(command.remotePath.section(QLatin1Char('/'), -1));
                }
                pending.push_back(done);
                break;
            }
            case UploadCommand::Disconnect:
                pending.push_back({UploadEvent::StateChanged, 0});
                pending.push_back({UploadEvent::StateChanged, 1});
                break;
            case UploadCommand::Close:
                ++run.closes;
                break;
            case UploadCommand::Abort:
            case UploadCommand::ResetProgress:
                break;
            }
        }
    }
    run.log = run.sequence.log() + run.log;
    EXPECT_TRUE(answers.empty()) << "answers left over";
}

const char* const kHead = "Resolving the host name.|Connecting .....|Connected.|";
const char* const kTail = "Disconnecting...|No connection to remote host.";

std::string cat(std::initializer_list<const char*> parts)
{
    std::string text;
    for (const char* part : parts)
        text += part;
    return text;
}

TEST(UploadSequence, ScenariosFromConnectToTheEnd)
{
    const std::string upAB = cat({kHead, "Uploading File /l/a.mp3|Uploading File /l/b.xml|Upload Complete."});
    const std::string empty = cat({kHead, kTail});
    const std::string missing = cat({kHead, "/l/x.mp3 does not exist. Continuing with other.|",
                                     "/l/y.mp3 does not exist. Continuing with other.|Uploading File /l/a.mp3|",
                                     "One or more files could not be uploaded.|Upload Complete."});
    const std::string askNo = cat({kHead, "Uploading File /l/a.mp3|Uploading File /l/b.xml|Upload Complete.",
                                   "|? The file a.mp3 already exists at remote location. Do you want to overwrite it?",
                                   "|? The file b.xml already exists at remote location. Do you want to overwrite it?"});
    const std::string askAll = cat({kHead, "Uploading File /l/a.mp3|Uploading File /l/b.xml|Upload Complete.",
                                    "|? The file a.mp3 already exists at remote location. Do you want to overwrite it?"});
    const std::string askCancel = cat({kHead, "Uploading File /l/a.mp3|", kTail,
                                       "|? The file a.mp3 already exists at remote location. Do you want to overwrite it?"});
    const std::string putFails = cat({kHead, "Uploading File /l/a.mp3|a.mp3 could not be uploaded. 552 Disk full.|",
                                      "Uploading File /l/b.xml|One or more files could not be uploaded.|Upload Complete."});
    const std::string noConnect =
        "Resolving the host name.|Connecting .....|No connection to remote host.|Incorrect password for pod";
    const std::string noFolder = cat({kHead, "Couldn't change to the remote folder. 550 No such directory.|", kTail});
    const std::string cancelled = cat({kHead, "Uploading File /l/a.mp3|Upload Canceled.|", kTail});
    const std::string noList = cat({kHead, "Uploading File /l/a.mp3|",
                                    "Cannot list the remote folder; a.mp3 not uploaded. 425 Can't open data connection.|",
                                    "One or more files could not be uploaded.|Upload Complete."});

    const Scenario scenarios[] = {
        {"two new files", "/l/a.mp3|/l/b.xml", "", "other.mp3", "", "", true, true, 0, false, upAB.c_str(),
         "/home/pod/a.mp3|/home/pod/b.xml", 2, 0, "/l/a.mp3|/l/b.xml"},
        {"empty list", "", "", "", "", "", true, true, 0, false, empty.c_str(), "", 0, 0, "", UploadState::Stopped},
        {"two missing and one good", "/l/x.mp3|/l/y.mp3|/l/a.mp3", "/l/x.mp3|/l/y.mp3", "", "", "", true, true, 0,
         false, missing.c_str(), "/home/pod/a.mp3", 1, 2, "/l/a.mp3"},
        {"No skips, the next existing file asks again", "/l/a.mp3|/l/b.xml", "", "A.MP3|b.xml", "7|6", "", true, true,
         0, false, askNo.c_str(), "/home/pod/b.xml", 2, 0, "/l/a.mp3|/l/b.xml"},
        {"Yes To All: no more listing or question", "/l/a.mp3|/l/b.xml", "", "a.mp3|B.XML", "10", "", true, true, 0,
         false, askAll.c_str(), "/home/pod/a.mp3|/home/pod/b.xml", 1, 0, "/l/a.mp3|/l/b.xml"},
        {"Cancel in the question sends nothing more", "/l/a.mp3|/l/b.xml", "", "a.mp3", "2", "", true, true, 0,
         false, askCancel.c_str(), "", 1, 0, "", UploadState::Stopped},
        {"a failed put is counted, the rest goes on", "/l/a.mp3|/l/b.xml", "", "", "", "/l/a.mp3", true, true, 0,
         false, putFails.c_str(), "/home/pod/a.mp3|/home/pod/b.xml", 2, 1, "/l/b.xml"},
        {"no connection", "/l/a.mp3", "", "", "", "", false, true, 0, false, noConnect.c_str(), "", 0, 0, "",
         UploadState::Stopped},
        {"the folder asked for cannot be entered", "/l/a.mp3", "", "", "", "", true, false, 0, false,
         noFolder.c_str(), "", 0, 0, "", UploadState::Stopped},
        {"cancel mid-file", "/l/a.mp3|/l/b.xml", "", "", "", "", true, true, 1, false, cancelled.c_str(),
         "/home/pod/a.mp3", 1, 0, "", UploadState::Cancelled},
        {"a failed listing never overwrites", "/l/a.mp3", "", "a.mp3", "", "", true, true, 0, true, noList.c_str(),
         "", 1, 1, "", UploadState::Finished},
    };
    for (const Scenario& s : scenarios) {
        SCOPED_TRACE(s.name);
        const QSet<QString> missingSet = setOf(s.missing);
        SequenceRun run{{}, {}, 0, 0, UploadSequence(split(s.files), [missingSet](const QString& path) {
                    return !missingSet.contains(path);
                })};
        walk(s, run);
        EXPECT_EQ(run.log, split(s.log));
        EXPECT_EQ(run.puts, split(s.puts));
        EXPECT_EQ(run.listings, s.listings);
        EXPECT_EQ(run.sequence.failures(), s.failures);
        QStringList delivered = run.sequence.delivered().values();
        delivered.sort();
        EXPECT_EQ(delivered, split(s.delivered));
        EXPECT_EQ(run.sequence.state(), s.end);
        EXPECT_TRUE(run.sequence.okEnabled());
        EXPECT_FALSE(run.sequence.cancelEnabled());
        EXPECT_EQ(run.closes, s.end == UploadState::Cancelled ? 1 : 0);
    }
}

// Each (state, event) pair: the state reached and the first command. Events that do not belong to
// a state change nothing.
TEST(UploadSequence, TransitionTable)
{
    using K = UploadEvent::Kind;
    using C = UploadCommand::Kind;
    struct Row {
        const char* name;
        QList<UploadEvent> before; // events that bring the sequence into the state
        UploadEvent event;
        UploadState after;
        std::optional<C> first;
        bool cancelEnabled;
    };
    UploadEvent connected{K::Connected};
    connected.folder = QStringLiteral("/");
    UploadEvent listedHit{K::Listed};
    listedHit.names = QStringList{QStringLiteral("a.mp3")};
    UploadEvent listedMiss{K::Listed};
    UploadEvent yes{K::Answered};
    yes.answer = OverwriteYes;
    UploadEvent strange{K::Answered};
    strange.answer = 3;
    UploadEvent putOk{K::PutDone};
    putOk.ok = true;
    const Row rows[] = {
        {"idle, start", {}, {K::Start}, UploadState::Connecting, C::Connect, true},
        {"idle, connected ignored", {}, connected, UploadState::Idle, std::nullopt, false},
        {"connecting, cancel", {{K::Start}}, {K::CancelConfirmed}, UploadState::Cancelled, C::Abort, false},
        {"connecting, failed", {{K::Start}}, {K::ConnectFailed}, UploadState::Stopped, C::ResetProgress, false},
        {"connecting, put result ignored", {{K::Start}}, putOk, UploadState::Connecting, std::nullopt, true},
        {"connected, lists", {{K::Start}}, connected, UploadState::Listing, C::ResetProgress, true},
        {"listing, not there", {{K::Start}, connected}, listedMiss, UploadState::Putting, C::PutFile, true},
        {"listing, there", {{K::Start}, connected}, listedHit, UploadState::Asking, C::AskOverwrite, true},
        {"listing, answer ignored", {{K::Start}, connected}, yes, UploadState::Listing, std::nullopt, true},
        {"asking, yes", {{K::Start}, connected, listedHit}, yes, UploadState::Putting, C::PutFile, true},
        {"asking, unknown answer", {{K::Start}, connected, listedHit}, strange, UploadState::Asking, std::nullopt, true},
        {"asking, cancel", {{K::Start}, connected, listedHit}, {K::CancelConfirmed}, UploadState::Cancelled, C::Abort,
         false},
        {"putting, last done", {{K::Start}, connected, listedMiss}, putOk, UploadState::Finished, C::ResetProgress,
         false},
        {"finished, cancel ignored", {{K::Start}, connected, listedMiss, putOk}, {K::CancelConfirmed},
         UploadState::Finished, std::nullopt, false},
        {"finished, start ignored", {{K::Start}, connected, listedMiss, putOk}, {K::Start}, UploadState::Finished,
         std::nullopt, false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        UploadSequence sequence({QStringLiteral("/l/a.mp3")}, [](const QString&) { return true; });
        for (const UploadEvent& event : row.before)
            sequence.handle(event);
        const QList<UploadCommand> commands = sequence.handle(row.event);
        EXPECT_EQ(sequence.state(), row.after);
        if (row.first) {
            ASSERT_FALSE(commands.isEmpty());
            EXPECT_EQ(commands.first().kind, *row.first);
        } else {
            EXPECT_TRUE(commands.isEmpty());
        }
        EXPECT_EQ(sequence.cancelEnabled(), row.cancelEnabled);
    }
}

TEST(UploadSequence, RemotePathsHaveOneSlash)
{
    const struct {
        const char* folder;
        const char* name;
        const char* path;
    } cases[] = {
        {"/", "a.mp3", "/a.mp3"},
        {"/pod", "a.mp3", "/pod/a.mp3"},
        {"/pod/", "a b.mp3", "/pod/a b.mp3"},
        {"", "a.mp3", "a.mp3"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(RemotePathJoin(QString::fromUtf8(c.folder), QString::fromUtf8(c.name)), QString::fromUtf8(c.path))
            << c.folder;
}

} // namespace

namespace {

TEST(RemoteFolderRows, WayUpFirstThenSortedWithoutDots)
{
    const QList<FtpEntry> entries{
        {QStringLiteral("b.mp3"), FtpEntryType::File, 5368709120},
        {QStringLiteral("."), FtpEntryType::Folder, 0},
        {QStringLiteral(".."), FtpEntryType::Folder, 0},
        {QStringLiteral("Shows"), FtpEntryType::Folder, 0},
        {QStringLiteral("a.xml"), FtpEntryType::File, 0},
        {QStringLiteral("_old"), FtpEntryType::Folder, 0},
    };
    const QList<RemoteFolderRow> below{
        {QStringLiteral("[..]"), RemoteFolderRow::Parent, {}},
        {QStringLiteral("_old"), RemoteFolderRow::Folder, {}},
        {QStringLiteral("a.xml"), RemoteFolderRow::File, QStringLiteral("0")},
        {QStringLiteral("b.mp3"), RemoteFolderRow::File, QStringLiteral("5368709120")},
        {QStringLiteral("Shows"), RemoteFolderRow::Folder, {}},
    };
    const struct {
        const char* folder;
        bool wayUp;
    } cases[] = {{"/pub", true}, {"/", false}, {"", false}, {"/a/b/", true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.folder);
        const QList<RemoteFolderRow> rows = RemoteFolderRows(QString::fromUtf8(c.folder), entries);
        EXPECT_EQ(rows, c.wayUp ? below : below.mid(1));
    }
}

} // namespace

#pragma once
// The FTP hosts the builder uploads to: the predefined hosts that come with the program
// ("HostSettings.ini" in the program folder), the hosts the user entered ("CustomHost.ini") and
// the user's account values at predefined hosts ("HostInfo.ini"), both in the user's
// application-data folder. No widgets here: the host pages wire this to their fields.
//
// The user's files hold passwords (scrambled, which is no protection), so they are written
// readable by the user alone, and each host entry is replaced in one atomic write. Damaged or
// hand-edited files are read as far as they are sound: unreadable values take their defaults, a
// host listed twice is shown once.
#include "podcast/PodcastRecord.h"

#include <QString>
#include <QStringList>

namespace podcast {

// The host list's last row: the user types a host of their own.
inline constexpr char kEnterYourHost[] = "<Enter Your Host>";
// The marker in the predefined hosts' templates.
inline constexpr char kUserNameMarker[] = "%username%";

struct FtpHostFiles {
    QString predefined; // empty when the program has no predefined hosts
    QString custom;
    QString accounts;

    // The program's and the user's files (common/HostFiles).
    static FtpHostFiles standard();
};

class FtpHosts {
public:
    explicit FtpHosts(FtpHostFiles files = FtpHostFiles::standard());

    // Section names of each file in file order, without duplicates (any case), empty names or
    // names that could not be loaded again; a custom host named like a predefined one is left out,
    // since the name always loads the predefined host.
    QStringList predefinedNames() const;
    QStringList customNames() const;
    // The host page's rows: the predefined hosts, the custom ones, then "<Enter Your Host>" when
    // the first predefined host allows new hosts or there are no predefined hosts at all.
    QStringList hostRows() const;

    // 0 for a predefined name, 1 for a custom one (any case), else 2; empty and
    // "<Enter Your Host>" give 2.
    FtpHostType UpdateHostType(const QString& name) const;
    // Sets the type for the name and loads the host's values; "<Enter Your Host>" empties the
    // host part for a new host instead.
    void UpdateHostInformation(PodcastRecord& record, const QString& name) const;
    // Reads the values of record.HostName for record.HostType from the files.
    void GetHostInfo(PodcastRecord& record) const;
    // Writes the host's values: a predefined host's account into the accounts file, any other
    // host (a new one too) into the custom file. False (logged, errorText says why) when nothing
    // could be written; the files are then as they were.
    bool SaveHostInformation(const PodcastRecord& record, QString* errorText = nullptr) const;
    // Erases a custom host; a missing host is success.
    bool removeCustomHost(const QString& name, QString* errorText = nullptr) const;

    // A predefined host's values made from its templates and the user name: with a user name the
    // web link (and, when the login name is not typed by the user, the login name) carries it in
    // place of every marker; without one those derived values are emptied. A host whose links do
    // not depend on a user name takes its templates as they stand.
    static void applyUserName(PodcastRecord& record);
    // The name's problem as a section name of the host files; empty when it can be stored.
    static QString hostNameProblem(const QString& name);

private:
    FtpHostFiles m_files;
};

// The port a host file or a field holds: 1 to 65535, anything else is the default port.
quint16 portOrDefault(qint64 value);

} // namespace podcast

#pragma once
// Where the podcast builder's host files live, and the host names they list. The predefined
// hosts and the question help come with the program (its folder); the hosts the user adds and
// their log-in details are the user's own (the user's application-data folder).
#include <QString>
#include <QStringList>

namespace common {

// The user's roaming (configuration) and local (data) application-data folders, each ending with
// "/"; empty when the system names none, so that no caller writes beside the working directory.
QString GetAppDataFolder();
QString GetLocalAppDataFolder();

// Program folder + file name, or empty when the file does not exist.
QString GetHostSettingsIniPath();
QString GetQuestionHelpIniPath();
// Application-data folder + file name, also when the file does not exist yet; empty when there is
// no application-data folder.
QString GetCustomHostIniPath();
QString GetHostInfoIniPath();

// Each appends the section names of its file in file order; a missing file adds nothing.
void GetPredefinedHostNames(QStringList& names);
void GetCustomHostNames(QStringList& names);
// The predefined names, then the custom ones; a name in both files appears twice.
void GetAllHostNames(QStringList& names);

} // namespace common

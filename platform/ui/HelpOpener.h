#pragma once
// Help: each help file the programs name ("WexoRavadur.chm", "ZuqEditor.chm", ...) is a folder of
// HTML pages in the program folder, help/<file name without extension>/, with index.html as its
// default topic and <context number>.html for each context. Pages open in the browser; a page that
// is missing is said so in a message box.

#include <QString>

namespace platform {

class Interaction;
class UrlOpener;

// The page for a help file and context number; context 0 is the default topic.
QString helpPagePath(const QString& helpFile, int context);

class HelpOpener {
public:
    HelpOpener(UrlOpener& urls, Interaction& ui, QString caption);

    bool showDefaultTopic(const QString& helpFile) { return showContext(helpFile, 0); }
    // False when the page is missing (the user was told) or no browser opened it (logged).
    bool showContext(const QString& helpFile, int context);

private:
    UrlOpener& m_urls;
    Interaction& m_ui;
    QString m_caption;
};

} // namespace platform

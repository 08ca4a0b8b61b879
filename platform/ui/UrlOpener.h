#pragma once
// Opening web addresses and local pages in the user's browser. Logic gets an UrlOpener passed in,
// so tests can see what would have been opened.

#include <QUrl>

namespace platform {

class UrlOpener {
public:
    virtual ~UrlOpener() = default;
    // False when no program could be started for the address.
    virtual bool openUrl(const QUrl& url) = 0;
};

// Opens through the desktop's default handlers.
class DesktopUrlOpener : public UrlOpener {
public:
    bool openUrl(const QUrl& url) override;
};

} // namespace platform

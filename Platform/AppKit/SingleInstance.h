#pragma once
// One running instance per user: the first launch listens on a local
// socket; a later launch hands its paths (none for a plain reopen) to it
// and ends. The running instance comes to the front and delivers them as
// one open-files event (Application::openFiles) or a reopen event
// (Application::reopen).

#include <QPointer>

#include <string>
#include <vector>

class QLocalServer;

namespace AppKit {

class SingleInstance {
public:
    // The socket: $XDG_RUNTIME_DIR/<name>.socket when the folder is set,
    // else <name>-<uid> in the temporary folder, so that users (and test
    // sandboxes, each with its own runtime folder) never meet.
    explicit SingleInstance(std::string name);
    ~SingleInstance();

    // True when this process is now the running instance (or has to run on
    // its own because the running one took nothing); false when another
    // one took the paths (the caller exits).
    bool claim(const std::vector<std::string>& paths);

    std::string socketPath() const { return socket_; }

private:
    std::string socket_;
    QPointer<QLocalServer> server_;
};

} // namespace AppKit

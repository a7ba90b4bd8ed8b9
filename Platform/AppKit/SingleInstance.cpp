#include "Platform/AppKit/SingleInstance.h"

#include "Platform/AppKit/Application.h"

#include <QDataStream>
#include <QLocalServer>
#include <QLocalSocket>
#include <QStringList>

#include <cstdlib>
#include <memory>
#include <unistd.h>

namespace AppKit {

namespace {
constexpr int kTimeoutMs = 2000;
}

SingleInstance::SingleInstance(std::string name)
{
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    socket_ = runtime && *runtime ? std::string(runtime) + "/" + name + ".socket"
                                  : name + "-" + std::to_string(getuid());
}

SingleInstance::~SingleInstance()
{
    delete server_.data();
}

bool SingleInstance::claim(const std::vector<std::string>& paths)
{
    const QString name = QString::fromStdString(socket_);
    QLocalSocket probe;
    probe.connectToServer(name);
    if (probe.waitForConnected(kTimeoutMs)) {
        QStringList list;
        for (const auto& path : paths)
            list << QString::fromStdString(path);
        QByteArray message;
        QDataStream out(&message, QIODevice::WriteOnly);
        out << list;
        probe.write(message);
        while (probe.bytesToWrite() > 0 && probe.waitForBytesWritten(kTimeoutMs)) {
        }
        const bool delivered = probe.bytesToWrite() == 0 && probe.state() == QLocalSocket::ConnectedState;
        probe.disconnectFromServer();
        if (probe.state() != QLocalSocket::UnconnectedState)
            probe.waitForDisconnected(kTimeoutMs);
        // A running instance that does not take the paths must not lose
        // them: this launch then opens them itself, without a socket.
        return !delivered;
    }
    // Nobody answers: a socket file left by a crashed instance is stale.
    QLocalServer::removeServer(name);
    server_ = new QLocalServer;
    server_->setSocketOptions(QLocalServer::UserAccessOption);
    if (!server_->listen(name))
        return true;
    QObject::connect(server_, &QLocalServer::newConnection, server_, [server = server_.data()] {
        while (QLocalSocket* socket = server->nextPendingConnection()) {
            auto buffer = std::make_shared<QByteArray>();
            QObject::connect(socket, &QLocalSocket::readyRead, socket,
                             [socket, buffer] { buffer->append(socket->readAll()); });
            QObject::connect(socket, &QLocalSocket::disconnected, socket, [socket, buffer] {
                buffer->append(socket->readAll());
                QStringList list;
                QDataStream in(buffer.get(), QIODevice::ReadOnly);
                in >> list;
                socket->deleteLater();
                std::vector<std::string> received;
                for (const QString& path : list)
                    received.push_back(path.toStdString());
                Application::shared().activate();
                if (received.empty())
                    Application::shared().reopen();
                else
                    Application::shared().openFiles(received);
            });
        }
    });
    return true;
}

} // namespace AppKit

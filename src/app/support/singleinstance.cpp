#include "support/singleinstance.h"

#include "platform/platform.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>
#include <QLocalSocket>
#include <QLockFile>

SingleInstance::SingleInstance(QObject* parent) : QObject(parent)
{
    m_server.setSocketOptions(QLocalServer::UserAccessOption);
    connect(&m_server, &QLocalServer::newConnection, this, &SingleInstance::readRequest);
}

QString SingleInstance::keyFor(const QString& programFile)
{
    const QString user = Platform::userTag();
    const QString canonical = QFileInfo(programFile).absoluteFilePath();
    const QByteArray hash =
        QCryptographicHash::hash((user + u'|' + canonical).toUtf8(), QCryptographicHash::Sha1);
    const QString name = QStringLiteral("lectoria-") + QString::fromLatin1(hash.toHex().left(16));
    // In the user's private runtime folder, the same whatever TMPDIR a start was given. A
    // name in a shared place could be taken by another user, whose server would then end
    // every start: without a private place there is no single instance.
    const QString runtime = Platform::privateRuntimeFolder();
    if (!runtime.isEmpty() && Platform::isPrivateFolder(runtime))
        return runtime + u'/' + name;
    return Platform::needsPrivateSocketFolder() ? QString() : name;
}

bool SingleInstance::askRunningInstance(const QString& name)
{
    QLocalSocket socket;
    socket.connectToServer(name);
    if (!socket.waitForConnected(1000))
        return false;
    // Only a program of the same user is handed the start.
    if (!Platform::isPeerOfSameUser(socket.socketDescriptor()))
        return false;
    socket.write("show\n");
    socket.waitForBytesWritten(1000);
    socket.disconnectFromServer();
    return true;
}

bool SingleInstance::claim(const QString& programFile)
{
    const QString name = keyFor(programFile);
    if (name.isEmpty())
        return true; // no private place for the socket: this program runs on its own
    if (askRunningInstance(name))
        return false;
    // Two programs starting at once: only the one holding the lock may listen.
    QLockFile lock((name.contains(u'/') ? name : QDir::temp().filePath(name)) +
                   QStringLiteral(".lock"));
    lock.tryLock(5000);
    if (askRunningInstance(name))
        return false;
    QLocalServer::removeServer(name); // a name left by a program that crashed
    m_server.listen(name);
    return true;
}

void SingleInstance::readRequest()
{
    while (QLocalSocket* socket = m_server.nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
            if (socket->readAll().contains("show"))
                emit showRequested();
        });
        if (socket->bytesAvailable() > 0 && socket->readAll().contains("show"))
            emit showRequested();
    }
}

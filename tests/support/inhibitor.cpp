// A stand-in for a video player, for the end-to-end tests: holds an inhibitor of
// org.freedesktop.ScreenSaver on the session bus and prints its cookie; "release" on stdin lets
// it go with UnInhibit (then prints "released"); at the end of stdin it leaves the bus.
#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusReply>
#include <iostream>
#include <string>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QDBusConnection bus = QDBusConnection::sessionBus();
    auto call = [&](const char* method) {
        return QDBusMessage::createMethodCall(
            QStringLiteral("org.freedesktop.ScreenSaver"), QStringLiteral("/ScreenSaver"),
            QStringLiteral("org.freedesktop.ScreenSaver"), QString::fromLatin1(method));
    };
    QDBusMessage inhibit = call("Inhibit");
    inhibit << QStringLiteral("test player") << QStringLiteral("playing a video");
    QDBusReply<uint> cookie = bus.call(inhibit);
    if (!cookie.isValid()) {
        std::cerr << "Inhibit failed: " << cookie.error().message().toStdString() << '\n';
        return 1;
    }
    std::cout << cookie.value() << std::endl;
    for (std::string line; std::getline(std::cin, line);) {
        if (line != "release") continue;
        QDBusMessage release = call("UnInhibit");
        release << cookie.value();
        bus.call(release);
        std::cout << "released" << std::endl;
    }
    return 0;
}

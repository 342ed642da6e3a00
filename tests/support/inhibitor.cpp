// Stand-ins for the programs around `driftmere --idle` on the session bus, for the end-to-end
// tests.
//   dm_inhibitor            a video player: holds an org.freedesktop.ScreenSaver inhibitor and
//                           prints its cookie; "release" on stdin lets it go with UnInhibit
//                           (then prints "released"); at the end of stdin it leaves the bus.
//   dm_inhibitor --desktop  a desktop that provides org.freedesktop.ScreenSaver itself and
//                           answers the power manager's HasInhibit: prints "ready", then
//                           "hold" and "release" on stdin set the answer (each echoed back).
#include <unistd.h>

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusReply>
#include <QObject>
#include <QSocketNotifier>
#include <cstring>
#include <iostream>
#include <string>

class PowerManager : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.PowerManagement.Inhibit")
  public:
    bool held = false;
  public slots:
    bool HasInhibit() { return held; }
};

class DesktopScreenSaver : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.ScreenSaver")
  public slots:
    uint Inhibit(const QString&, const QString&) { return 1; }
    void UnInhibit(uint) {}
};

namespace {

int RunDesktop(QCoreApplication& app, QDBusConnection bus) {
    PowerManager power;
    DesktopScreenSaver screenSaver;
    bus.registerObject(QStringLiteral("/org/freedesktop/PowerManagement/Inhibit"), &power,
                       QDBusConnection::ExportAllSlots);
    bus.registerObject(QStringLiteral("/ScreenSaver"), &screenSaver,
                       QDBusConnection::ExportAllSlots);
    for (const char* name : {"org.freedesktop.PowerManagement", "org.freedesktop.ScreenSaver"})
        if (!bus.registerService(QString::fromLatin1(name))) {
            std::cerr << "cannot own " << name << '\n';
            return 1;
        }
    std::cout << "ready" << std::endl;
    QSocketNotifier input(STDIN_FILENO, QSocketNotifier::Read);
    std::string pending;
    QObject::connect(&input, &QSocketNotifier::activated, [&] {
        char buf[256];
        const ssize_t n = read(STDIN_FILENO, buf, sizeof buf);
        if (n <= 0) {
            app.quit();
            return;
        }
        pending.append(buf, static_cast<std::size_t>(n));
        for (std::size_t end; (end = pending.find('\n')) != std::string::npos;) {
            const std::string line = pending.substr(0, end);
            pending.erase(0, end + 1);
            if (line == "hold" || line == "release") {
                power.held = line == "hold";
                std::cout << line << std::endl;
            }
        }
    });
    return QCoreApplication::exec();
}

int RunPlayer(QDBusConnection bus) {
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

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (argc > 1 && std::strcmp(argv[1], "--desktop") == 0) return RunDesktop(app, bus);
    return RunPlayer(bus);
}

#include "inhibitor.moc"

#include "AvahiTestNetwork.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QStandardPaths>

#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <sched.h>
#include <signal.h>
#include <sys/prctl.h>
#include <unistd.h>

namespace {

constexpr int startLimit = 15000;

// Tools of the system live in /usr/sbin, which may not be on the PATH.
QString executable(const QString& name)
{
    const QString found = QStandardPaths::findExecutable(name);
    return found.isEmpty()
               ? QStandardPaths::findExecutable(name, {QStringLiteral("/usr/sbin"), QStringLiteral("/sbin")})
               : found;
}

// Namespaces left behind by test processes that are gone (a crash, a kill) are removed.
void removeStaleNamespaces()
{
    QProcess list;
    list.start(executable(QStringLiteral("ip")), {QStringLiteral("netns"), QStringLiteral("list")});
    if (!list.waitForFinished(5000)) {
        return;
    }
    static const QRegularExpression ours(QStringLiteral("^(orv-test-(\\d+)-\\w+)"));
    for (const QString& line :
         QString::fromLocal8Bit(list.readAllStandardOutput()).split(QLatin1Char('\n'))) {
        const QRegularExpressionMatch match = ours.match(line);
        if (match.hasMatch() && !QFile::exists(QStringLiteral("/proc/") + match.captured(2))) {
            QProcess::execute(executable(QStringLiteral("ip")),
                              {QStringLiteral("netns"), QStringLiteral("del"), match.captured(1)});
        }
    }
}

// The system bus configuration of the machine with its own socket, run as root in the
// foreground, with no service activation (nothing may start a daemon by itself).
QByteArray busConfiguration(const QString& socketPath)
{
    QFile file(QStringLiteral("/usr/share/dbus-1/system.conf"));
    if (!file.open(QIODevice::ReadOnly)) {
        return {};
    }
    QString text = QString::fromUtf8(file.readAll());
    text.replace(QRegularExpression(QStringLiteral("<listen>.*</listen>")),
                 QStringLiteral("<listen>unix:path=%1</listen>").arg(socketPath));
    for (const char* element : {"<user>[^<]*</user>", "<pidfile>[^<]*</pidfile>", "<fork/>", "<syslog/>",
                                "<standard_system_servicedirs/>", "<servicehelper>[^<]*</servicehelper>",
                                "<servicedir>[^<]*</servicedir>"}) {
        text.remove(QRegularExpression(QString::fromLatin1(element)));
    }
    text.replace(QStringLiteral("<includedir>system.d</includedir>"),
                 QStringLiteral("<includedir>/usr/share/dbus-1/system.d</includedir>"));
    return text.toUtf8();
}

QString busDirectory()
{
    return QDir::temp().filePath(QStringLiteral("orv-test-bus-%1").arg(getpid()));
}

QString busSocketPath()
{
    return busDirectory() + QStringLiteral("/system_bus_socket");
}

} // namespace

QString AvahiTestNetwork::busAddress()
{
    return QStringLiteral("unix:path=") + busSocketPath();
}

QString AvahiTestNetwork::unavailableReason()
{
    if (geteuid() != 0) {
        return QStringLiteral("discovery tests need root to make a network namespace; skipped");
    }
    for (const char* tool : {"ip", "dbus-daemon", "avahi-daemon", "avahi-publish", "avahi-browse"}) {
        const QString name = QString::fromLatin1(tool);
        if (executable(name).isEmpty()) {
            return QStringLiteral("discovery tests need %1, which is not installed; skipped").arg(name);
        }
    }
    return {};
}

AvahiTestNetwork::AvahiTestNetwork()
    : m_name(QStringLiteral("orv-test-%1-%2")
                 .arg(getpid())
                 .arg(QRandomGenerator::global()->generate() & 0xffffff, 6, 16, QLatin1Char('0')))
{
    removeStaleNamespaces();
    if (!m_dir.isValid()) {
        m_error = QStringLiteral("no temporary directory");
        return;
    }
    if (!run({QStringLiteral("ip"), QStringLiteral("netns"), QStringLiteral("add"), m_name})) {
        return;
    }
    m_namespaceMade = true;
    const QString ns = m_name;
    const QList<QStringList> links = {
        {QStringLiteral("link"), QStringLiteral("set"), QStringLiteral("lo"), QStringLiteral("up")},
        {QStringLiteral("link"), QStringLiteral("add"), QStringLiteral("va"), QStringLiteral("type"),
         QStringLiteral("veth"), QStringLiteral("peer"), QStringLiteral("name"), QStringLiteral("vb")},
        {QStringLiteral("link"), QStringLiteral("set"), QStringLiteral("va"), QStringLiteral("up")},
        {QStringLiteral("link"), QStringLiteral("set"), QStringLiteral("vb"), QStringLiteral("up")},
        {QStringLiteral("addr"), QStringLiteral("add"), QStringLiteral("10.99.0.1/24"), QStringLiteral("dev"),
         QStringLiteral("va")},
        {QStringLiteral("addr"), QStringLiteral("add"), QStringLiteral("10.99.0.2/24"), QStringLiteral("dev"),
         QStringLiteral("vb")},
    };
    for (const QStringList& link : links) {
        if (!run(QStringList{QStringLiteral("ip"), QStringLiteral("-n"), ns} + link)) {
            return;
        }
    }

    const QString socketPath = busSocketPath();
    QFile::remove(socketPath);
    if (!QDir().mkpath(busDirectory())) {
        m_error = QStringLiteral("could not make %1").arg(busDirectory());
        return;
    }
    const QString busConfig = m_dir.filePath(QStringLiteral("bus.conf"));
    QFile config(busConfig);
    const QByteArray configText = busConfiguration(socketPath);
    if (configText.isEmpty() || !config.open(QIODevice::WriteOnly) ||
        config.write(configText) != configText.size()) {
        m_error = QStringLiteral("could not write the D-Bus configuration");
        return;
    }
    config.close();
    QFile avahiConfig(m_dir.filePath(QStringLiteral("avahi-daemon.conf")));
    const QByteArray avahiText = "[server]\nuse-ipv4=yes\nuse-ipv6=no\nallow-interfaces=va,vb\n"
                                 "[publish]\npublish-hinfo=no\npublish-workstation=no\n";
    if (!avahiConfig.open(QIODevice::WriteOnly) || avahiConfig.write(avahiText) != avahiText.size()) {
        m_error = QStringLiteral("could not write the Avahi configuration");
        return;
    }
    avahiConfig.close();

    m_bus = startInNamespace({QStringLiteral("dbus-daemon"), QStringLiteral("--config-file=") + busConfig,
                              QStringLiteral("--nofork"), QStringLiteral("--print-address")});
    QByteArray busOutput;
    if (!waitForOutput(*m_bus, "unix:path=", busOutput, startLimit)) {
        m_error =
            QStringLiteral("the private D-Bus did not start: %1").arg(QString::fromLocal8Bit(busOutput));
        return;
    }

    m_originalNamespace = open("/proc/thread-self/ns/net", O_RDONLY | O_CLOEXEC);
    const int target =
        open(QStringLiteral("/run/netns/%1").arg(m_name).toLocal8Bit().constData(), O_RDONLY | O_CLOEXEC);
    const bool entered = m_originalNamespace >= 0 && target >= 0 && setns(target, CLONE_NEWNET) == 0;
    if (target >= 0) {
        close(target);
    }
    if (!entered) {
        m_error = QStringLiteral("could not enter the network namespace %1: %2")
                      .arg(m_name, QString::fromLocal8Bit(strerror(errno)));
        return;
    }
    if (qEnvironmentVariableIsSet("DBUS_SYSTEM_BUS_ADDRESS")) {
        m_savedBusAddress = qgetenv("DBUS_SYSTEM_BUS_ADDRESS");
    }
    qputenv("DBUS_SYSTEM_BUS_ADDRESS", busAddress().toLocal8Bit());
}

AvahiTestNetwork::~AvahiTestNetwork()
{
    for (const std::shared_ptr<QProcess>& publisher : std::as_const(m_publishers)) {
        end(*publisher);
    }
    m_publishers.clear();
    stopDaemon();
    if (m_bus) {
        end(*m_bus);
        QFile::remove(busSocketPath());
        QDir().rmdir(busDirectory());
    }
    if (m_originalNamespace >= 0) {
        setns(m_originalNamespace, CLONE_NEWNET);
        close(m_originalNamespace);
        if (m_savedBusAddress) {
            qputenv("DBUS_SYSTEM_BUS_ADDRESS", *m_savedBusAddress);
        } else {
            qunsetenv("DBUS_SYSTEM_BUS_ADDRESS");
        }
    }
    if (m_namespaceMade) {
        QProcess::execute(executable(QStringLiteral("ip")),
                          {QStringLiteral("netns"), QStringLiteral("del"), m_name});
    }
}

bool AvahiTestNetwork::startDaemon()
{
    // The daemon keeps its pid file and socket in /run/avahi-daemon: a /run of its own lets
    // several test processes each run one.
    m_daemon = startInNamespace(
        {QStringLiteral("sh"), QStringLiteral("-c"),
         QStringLiteral("mount -t tmpfs tmpfs /run && mkdir /run/avahi-daemon && exec avahi-daemon -f %1 "
                        "--no-drop-root --no-chroot --no-rlimits --no-proc-title")
             .arg(m_dir.filePath(QStringLiteral("avahi-daemon.conf")))});
    m_daemonOutput.clear();
    return waitForOutput(*m_daemon, "Server startup complete", m_daemonOutput, startLimit);
}

void AvahiTestNetwork::stopDaemon()
{
    if (m_daemon) {
        end(*m_daemon);
        m_daemonOutput += m_daemon->readAll();
        m_daemon.reset();
    }
}

bool AvahiTestNetwork::publish(const QString& name, const QString& type, quint16 port)
{
    std::shared_ptr<QProcess> publisher = startInNamespace(
        {QStringLiteral("avahi-publish"), QStringLiteral("-s"), name, type, QString::number(port)});
    m_publishers.insert(name, publisher);
    QByteArray output;
    return waitForOutput(*publisher, "Established under name", output, startLimit);
}

void AvahiTestNetwork::withdraw(const QString& name)
{
    if (const std::shared_ptr<QProcess> publisher = m_publishers.take(name)) {
        end(*publisher);
    }
}

QStringList AvahiTestNetwork::browse(const QString& type)
{
    std::unique_ptr<QProcess> browser =
        startInNamespace({QStringLiteral("avahi-browse"), QStringLiteral("-rptk"), type});
    if (!browser->waitForFinished(startLimit)) {
        end(*browser);
    }
    QStringList lines;
    for (const QString& line : QString::fromUtf8(browser->readAllStandardOutput()).split(QLatin1Char('\n'))) {
        if (line.startsWith(QLatin1Char('='))) {
            lines << line;
        }
    }
    return lines;
}

std::unique_ptr<QProcess> AvahiTestNetwork::startInNamespace(const QStringList& command)
{
    auto process = std::make_unique<QProcess>();
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("DBUS_SYSTEM_BUS_ADDRESS"), busAddress());
    environment.insert(QStringLiteral("PATH"),
                       environment.value(QStringLiteral("PATH")) + QStringLiteral(":/usr/sbin:/sbin"));
    process->setProcessEnvironment(environment);
    process->setProcessChannelMode(QProcess::MergedChannels);
    // "ip netns exec" and a shell's "exec" keep the process id: the daemon or tool at the end
    // of the chain is the process started here, and it is killed should the test process die.
    process->setChildProcessModifier([] { prctl(PR_SET_PDEATHSIG, SIGKILL); });
    process->start(executable(QStringLiteral("ip")),
                   QStringList{QStringLiteral("netns"), QStringLiteral("exec"), m_name} + command);
    return process;
}

bool AvahiTestNetwork::waitForOutput(QProcess& process, const QByteArray& text, QByteArray& output,
                                     int milliseconds)
{
    QElapsedTimer elapsed;
    elapsed.start();
    while (!output.contains(text)) {
        if (elapsed.elapsed() > milliseconds || process.state() == QProcess::NotRunning) {
            output += process.readAll();
            return output.contains(text);
        }
        process.waitForReadyRead(100);
        output += process.readAll();
    }
    return true;
}

bool AvahiTestNetwork::run(const QStringList& command)
{
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(executable(command.first()), command.mid(1));
    if (process.waitForFinished(10000) && process.exitStatus() == QProcess::NormalExit &&
        process.exitCode() == 0) {
        return true;
    }
    m_error = QStringLiteral("%1 failed: %2")
                  .arg(command.join(QLatin1Char(' ')), QString::fromLocal8Bit(process.readAll()));
    return false;
}

void AvahiTestNetwork::end(QProcess& process)
{
    if (process.state() == QProcess::NotRunning) {
        return;
    }
    process.terminate();
    if (!process.waitForFinished(5000)) {
        process.kill();
        process.waitForFinished(5000);
    }
}

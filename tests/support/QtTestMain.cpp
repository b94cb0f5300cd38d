#include <QCoreApplication>

#include <gtest/gtest.h>

int main(int argc, char* argv[])
{
    // Tests never browse or publish through an Avahi daemon of the machine's: they reach no
    // system bus, unless a test sets up a bus of its own.
    qputenv("DBUS_SYSTEM_BUS_ADDRESS", "unix:path=/nonexistent/orvanta-tests-have-no-system-bus");
    QCoreApplication application(argc, argv);
    QCoreApplication::setOrganizationName(QStringLiteral("Orvanta"));
    QCoreApplication::setApplicationName(QStringLiteral("Orvanta"));
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}

// The main of every test executable. It gives the tests a home, temporary,
// runtime and settings folder of their own (so nothing reaches the real
// ones), runs Qt offscreen, and removes the folder at the end.

#include <gtest/gtest.h>

#include <QDir>
#include <QTemporaryDir>
#include <cstdlib>

#ifdef MORVANE_GUI_TESTS
#include <QApplication>
using TestApp = QApplication;
#else
#include <QCoreApplication>
using TestApp = QCoreApplication;
#endif

int main(int argc, char **argv)
{
    // CTest's environment does not apply while test names are discovered at
    // build time, so set the platform here.
    if (!std::getenv("QT_QPA_PLATFORM"))
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QTemporaryDir root(QDir::tempPath() + "/morvane-test-XXXXXX");
    if (!root.isValid())
        return 2;
    for (const char *var : {"HOME", "TMPDIR", "XDG_RUNTIME_DIR", "XDG_CONFIG_HOME", "XDG_DATA_HOME"}) {
        const QString dir = root.path() + "/" + QString::fromLatin1(var).toLower();
        QDir().mkpath(dir);
        QFile::setPermissions(dir, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        setenv(var, QFile::encodeName(dir).constData(), 1);
    }
    setenv("MORVANE_DIR", QFile::encodeName(root.path() + "/data").constData(), 1);
    QDir().mkpath(root.path() + "/data");

    TestApp app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}

// Replays every saved input of the iCalendar fuzzer through the same checks
// it runs, so a fault it once found stays fixed.

#include "IcsFuzzTargets.h"

#include <gtest/gtest.h>

#include <QDirIterator>
#include <QFile>

TEST(IcsFuzzCorpus, EveryInputPlansWithinItsBounds)
{
    int n = 0;
    QDirIterator it(MORVANE_ICS_CORPUS_DIR, QDir::Files | QDir::Hidden);
    while (it.hasNext()) {
        QFile f(it.next());
        ASSERT_TRUE(f.open(QIODevice::ReadOnly)) << f.fileName().toStdString();
        const QByteArray bytes = f.readAll();
        SCOPED_TRACE(f.fileName().toStdString());
        const char *broken =
            morvane::FuzzIcsImport(reinterpret_cast<const std::uint8_t *>(bytes.constData()), std::size_t(bytes.size()));
        EXPECT_EQ(broken, nullptr) << (broken ? broken : "");
        ++n;
    }
    EXPECT_GE(n, 10);
}

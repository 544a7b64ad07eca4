// Failing reads and writes in the middle of a count, a re-listing and the
// loading of common words, switched on from inside a yield: the message
// comes, the window is idle again and the next count works. (A write
// failing in a count's own listing: the core's fault tests.)

#include <cerrno>

#include "ParamsWindow.h"
#include "ScriptedAsker.h"
#include "TextGen.h"
#include "files/FaultInjection.h"

using namespace kvx;
using namespace kvx::test;

namespace {

enum Scenario { ReadMidCount, ReadCommonWords, WriteMidRelist };

}  // namespace

class TestFaults : public WindowTest {
    Q_OBJECT

private slots:

    void faultMidWay_data() {
        QTest::addColumn<int>("scenario");
        QTest::addColumn<int>("err");
        QTest::addColumn<QString>("text");
        QTest::newRow("read fails mid-count") << int(ReadMidCount) << EIO << "Error 57: Device I/O error";
        QTest::newRow("read fails loading common words")
            << int(ReadCommonWords) << EACCES << "Error 70: Permission denied";
        QTest::newRow("disk full mid-relisting") << int(WriteMidRelist) << ENOSPC << "Error 61: Disk full";
    }

    void faultMidWay() {
        QFETCH(int, scenario);
        QFETCH(int, err);
        QFETCH(QString, text);
        Window& t = *win;
        FaultPlan faults;
        faults.readErrno = faults.writeErrno = err;
        t.w->host().setIoFaults(&faults);
        CountingSession& s = t.w->session();
        const bool reading = scenario == ReadMidCount || scenario == ReadCommonWords;
        const QString in = WriteFile(QStringLiteral("faults-in.txt"), TwoBlockText(4096, 300));
        const QString many = WriteFile(QStringLiteral("faults-many.txt"), DistinctWords(600));
        const QString out = TempDir() + QStringLiteral("/faults-out.txt");
        QFile::remove(out);
        t.setFile(0, reading ? in : many);
        if (!reading) t.setFile(1, out);
        std::string before;  // the listing a failed relisting must keep
        if (!reading) {
            t.w->countButton->click();
            before = ReadFile(out);
        }

        // The fault is armed at the first yield of the work under test: the
        // next block read, or the next line written, fails.
        bool armed = false;
        int64_t writingYields = 0;
        t.asker.onYield = [&](int64_t n) {
            if (armed) return;
            if (scenario == ReadMidCount) armed = s.Running() && n >= 100;
            else if (scenario == ReadCommonWords) armed = s.ReadingCommonWords();
            else armed = s.WritingToFile() && ++writingYields == 50;
            if (armed) (reading ? faults.failReadAt : faults.failWriteAt) = 0;
        };
        t.asker.clear({Answer::OK});  // the error
        if (!reading) t.asker.answers.push_front(Answer::Yes);  // overwrite
        if (scenario == ReadCommonWords) {
            t.asker.files = {in};
            QTest::mouseClick(t.panel().selectCommonWordsFileButton, Qt::LeftButton);
        } else if (scenario == WriteMidRelist) {
            Select(t.w->displayFormatList, 8);
        } else {
            t.w->countButton->click();
        }
        t.asker.onYield = nullptr;
        QVERIFY(armed);
        QCOMPARE(faults.failedReads + faults.failedWrites, 1);
        const QString named = scenario == ReadMidCount ? in + QStringLiteral(" could not be read.\n\n") : QString();
        QCOMPARE(QString::fromStdString(t.asker.last().text), named + text);
        QCOMPARE(t.asker.last().title, std::string(scenario == ReadCommonWords ? "KVX" : "Error"));
        QCOMPARE(t.asker.core.unexpected, 0);
        t.verifyIdle();
        switch (scenario) {
        case ReadMidCount:  // the words before the failure are no result
            QCOMPARE(t.asker.asked.size(), size_t(1));
            QVERIFY(t.output().find("Rank") == std::string::npos);
            QVERIFY(!t.w->saveListingButton->isEnabled());
            break;
        case ReadCommonWords:
            QVERIFY(!t.panel().Check("chkIgnoreCommonWords")->isChecked());
            QVERIFY(!s.commonWordsLoaded);
            QCOMPARE(t.output(), std::string());
            break;
        default:  // the box is not filled, and the file is kept as it was
            QCOMPARE(t.output(), std::string("Output file not written: Disk full"));
            QCOMPARE(ReadFile(out), before);
            QVERIFY(s.wordsCounted);  // still there to be listed again
        }

        // The fault gone, the next count works and lists the whole result.
        faults.clear();
        t.asker.clear();
        if (!reading) t.asker.answers = {Answer::Yes};  // overwrite the kept file
        t.w->countButton->click();
        QCOMPARE(t.asker.asked.size(), size_t(!reading));
        if (reading) {
            QVERIFY(t.output().find("    300  delta\r\n") != std::string::npos);
            QCOMPARE(t.label("lblTotalNumOccurrences"), QStringLiteral("Total number of instances of words: 13,188"));
        } else {
            QVERIFY(t.output().find("qbbyz\r\n") != std::string::npos);
            QCOMPARE(ReadFile(out), t.output());
        }
        t.verifyIdle();
    }

};

KVX_APP_TEST_MAIN(TestFaults)
#include "tst_faults.moc"

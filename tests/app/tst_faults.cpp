// Failing reads and writes in the middle of a count, of a listing, of a
// re-listing and of the loading of common words. Each fault is switched on
// from inside a yield, so it strikes while the work is under way; afterwards
// the window must be idle again and the next count must work.

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <cerrno>

#include "FrmParams.h"
#include "ScriptedAsker.h"
#include "files/FaultInjection.h"

using namespace kvx;
using namespace kvx::test;

namespace {

enum Scenario { ReadMidCount, WriteMidCount, ReadCommonWords, WriteMidRelist };

const QString kWriting = QStringLiteral("Now processing and writing to output file ...");

// Lines of 16 bytes: the reader's first 64 KiB block holds exactly the 4096
// lines of the first vocabulary.
std::string TwoBlockText(int front, int back) {
    std::string s;
    for (int i = 0; i < front; ++i) s += "alpha beta gam\r\n";
    for (int i = 0; i < back; ++i) s += "delta beta eps\r\n";
    return s;
}

// Letter-only words that are all different, ten to a line.
std::string DifferentWords(int n) {
    std::string s;
    for (int i = 0; i < n; ++i) {
        s += {'q', char('b' + i / 400 % 20), char('b' + i / 20 % 20), char('b' + i % 20)};
        s += (i + 1) % 10 == 0 ? "\r\n" : " ";
    }
    return s;
}

FrmParams& Panel(Window& t) {
    auto* f = t.w->findChild<FrmParams*>(QStringLiteral("frmParams"));
    if (!f) qFatal("no parameters window");
    return *f;
}

// The window is idle: every control usable, the count command captioned for
// counting, the twirler blank.
void VerifyIdle(Window& t) {
    QCOMPARE(t.w->cmdListWords->text(), QStringLiteral("Count words"));
    QVERIFY(t.w->cmdListWords->isEnabled());
    QVERIFY(!t.w->session().Running());
    for (QWidget* c : std::initializer_list<QWidget*>{
             t.w->cmdFile[0], t.w->txbFile[0], t.w->cmdClearFile[0], t.w->cmdFile[1],
             t.w->txbFile[1], t.w->cmdSaveState, t.w->cmdSetParameters,
             t.w->cmdHelp, t.w->cboWordOrder, t.w->cboDisplayFormat, t.w->optInFile,
             t.w->optOnClipboard, t.w->cmdCopyToClipboard})
        QVERIFY2(c->isEnabled(), qPrintable(c->objectName()));
    QCOMPARE(t.w->lblTwirler->text(), QStringLiteral(" "));
}

QStringList Labels(Window& t) {
    QStringList l;
    for (const char* n : {"lblNumberOfWords", "lblNumWordsExcluded", "lblNumOccurrences",
                          "lblTotalNumOccurrences"})
        l << t.label(n);
    return l;
}

}  // namespace

class TestFaults : public QObject {
    Q_OBJECT
private slots:
    void init() { ForgetState(); }

    void faultMidWay_data() {
        QTest::addColumn<int>("scenario");
        QTest::addColumn<int>("err");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("text");
        QTest::newRow("read fails mid-count")
            << int(ReadMidCount) << EIO << "Error" << "Error 57: Device I/O error";
        QTest::newRow("read refused mid-count")
            << int(ReadMidCount) << EACCES << "Error" << "Error 70: Permission denied";
        QTest::newRow("disk full mid-listing")
            << int(WriteMidCount) << ENOSPC << "Error" << "Error 61: Disk full";
        QTest::newRow("device error mid-listing")
            << int(WriteMidCount) << EIO << "Error" << "Error 57: Device I/O error";
        QTest::newRow("read fails loading common words")
            << int(ReadCommonWords) << EIO << "KVX" << "Error 57: Device I/O error";
        QTest::newRow("disk full mid-relisting")
            << int(WriteMidRelist) << ENOSPC << "Error" << "Error 61: Disk full";
    }

    void faultMidWay() {
        QFETCH(int, scenario);
        QFETCH(int, err);
        QFETCH(QString, title);
        QFETCH(QString, text);
        Window t;
        QVERIFY(t.load());
        FaultPlan faults;
        faults.readErrno = err;
        faults.writeErrno = err;
        t.w->host().setIoFaults(&faults);
        CountingSession& s = t.w->session();

        const QString in = WriteFile(QStringLiteral("faults-in.txt"), TwoBlockText(4096, 300));
        const QString front = WriteFile(QStringLiteral("faults-front.txt"), TwoBlockText(4096, 0));
        const QString many = WriteFile(QStringLiteral("faults-many.txt"), DifferentWords(600));
        const QString out = TempDir() + QStringLiteral("/faults-out.txt");
        QFile::remove(out);

        // Arms the fault at the first yield where `when` holds: the next block
        // read, or the next line written, fails.
        bool armed = false;
        auto armWhen = [&](std::function<bool(int64_t)> when) {
            armed = false;
            t.asker.onYield = [&, when](int64_t n) {
                if (armed || !when(n)) return;
                armed = true;
                if (scenario == ReadMidCount || scenario == ReadCommonWords)
                    faults.failReadAt = 0;
                else
                    faults.failWriteAt = 0;
            };
        };
        int64_t writingYields = 0;
        auto whileWriting = [&](int64_t) {
            return s.WritingToFile() && ++writingYields == 50;
        };

        std::string expected;  // the listing the fault should leave, or after it
        QStringList expectedLabels;

        switch (scenario) {
        case ReadMidCount: {
            // What a clean count of the first block's lines lists.
            SetInput(*t.w, front);
            t.w->cmdListWords->click();
            expected = t.output();
            expectedLabels = Labels(t);
            QVERIFY(expected.find("   4096  alpha") != std::string::npos);

            SetInput(*t.w, in);
            t.asker.clear();
            t.asker.answers = {Answer::OK};
            armWhen([&](int64_t n) { return s.Running() && n >= 100; });
            t.w->cmdListWords->click();
            t.asker.onYield = nullptr;
            QVERIFY(armed);
            QCOMPARE(faults.failedReads, 1);
            // The words read before the failure are listed, with their counts.
            QCOMPARE(t.output(), expected);
            QCOMPARE(Labels(t), expectedLabels);
            break;
        }
        case WriteMidCount: {
            SetInput(*t.w, many);
            SetOutput(*t.w, out);
            t.asker.clear();
            t.asker.answers = {Answer::OK};
            armWhen(whileWriting);
            t.w->cmdListWords->click();
            t.asker.onYield = nullptr;
            QVERIFY(armed);
            QCOMPARE(faults.failedWrites, 1);
            // The box is not filled, and no half-written file is left.
            QCOMPARE(QString::fromStdString(t.output()), kWriting);
            QVERIFY(!QFile::exists(out));
            QVERIFY(t.label("lblNumberOfWords").startsWith(QStringLiteral("Number of words")));
            break;
        }
        case ReadCommonWords: {
            FrmParams& f = Panel(t);
            // A good list loaded first: the box is ticked.
            const QString good = WriteFile(QStringLiteral("faults-cw-good.txt"), "gam eps\r\n");
            t.asker.files = {good};
            t.asker.answers = {Answer::OK, Answer::OK};
            QTest::mouseClick(f.cmdSelectCommonWordsFile, Qt::LeftButton);
            QVERIFY(f.Check("chkIgnoreCommonWords")->isChecked());
            QCOMPARE(s.NumCommonWords(), int32_t(2));

            // A list of two blocks whose second block cannot be read.
            const QString bad =
                WriteFile(QStringLiteral("faults-cw-bad.txt"), TwoBlockText(4096, 300));
            t.asker.clear();
            t.asker.files = {bad};
            t.asker.answers = {Answer::OK};
            armWhen([&](int64_t) { return s.ReadingCommonWords(); });
            QTest::mouseClick(f.cmdSelectCommonWordsFile, Qt::LeftButton);
            t.asker.onYield = nullptr;
            QVERIFY(armed);
            QCOMPARE(faults.failedReads, 1);
            QCOMPARE(t.asker.last().icon, Icon::None);
            QCOMPARE(t.asker.last().buttons, Buttons::OK);
            QVERIFY(!f.Check("chkIgnoreCommonWords")->isChecked());
            QCOMPARE(t.w->params().chkIgnoreCommonWords, int16_t(0));
            QVERIFY(!s.blnCommonWordsLoaded);
            QCOMPARE(QString::fromStdString(t.output()), QString());
            break;
        }
        case WriteMidRelist: {
            SetInput(*t.w, many);
            SetOutput(*t.w, out);
            t.w->cmdListWords->click();
            QVERIFY(t.asker.unexpected.isEmpty());
            const std::string file = ReadFile(out);
            QVERIFY(file.find(" qbbb\r\n") != std::string::npos);

            t.asker.clear();
            t.asker.answers = {Answer::Yes, Answer::OK};  // overwrite, then the error
            armWhen(whileWriting);
            t.w->cboDisplayFormat->setCurrentIndex(8);
            emit t.w->cboDisplayFormat->activated(8);
            t.asker.onYield = nullptr;
            QVERIFY(armed);
            QCOMPARE(faults.failedWrites, 1);
            QCOMPARE(t.asker.titles(),
                     (QStringList{QStringLiteral("Output file exists"), title}));
            QCOMPARE(QString::fromStdString(t.output()), kWriting);
            QCOMPARE(ReadFile(out), file);  // the old listing is kept
            // The result is still there to be listed again.
            QVERIFY(s.blnWordsGot);
            break;
        }
        }

        QVERIFY2(t.asker.unexpected.isEmpty(), qPrintable(t.asker.unexpected.join('\n')));
        QCOMPARE(t.asker.last().title, title);
        QCOMPARE(t.asker.last().text, text);
        if (scenario != ReadCommonWords) QCOMPARE(t.asker.last().icon, Icon::Exclamation);
        VerifyIdle(t);

        // The fault gone, the next count works and lists the whole result.
        faults.clear();
        t.asker.onYield = nullptr;
        t.asker.clear();
        QFile::remove(out);
        if (scenario == WriteMidRelist) {
            // Listing the kept result again works too.
            emit t.w->cboDisplayFormat->activated(8);
            QVERIFY(t.asker.asked.empty());
            QVERIFY(ReadFile(out).find("\r\nqbbb\r\n") != std::string::npos);
            QVERIFY(t.output().find("\r\nqbbb\r\n") != std::string::npos);
            QFile::remove(out);
            t.w->cboDisplayFormat->setCurrentIndex(0);
            emit t.w->cboDisplayFormat->activated(0);
            QFile::remove(out);
            t.asker.clear();
        }
        if (scenario == WriteMidCount || scenario == WriteMidRelist) {
            t.w->cmdListWords->click();
            QVERIFY2(t.asker.asked.empty(), qPrintable(t.asker.titles().join(',')));
            const std::string listing = t.output();
            QVERIFY(listing.rfind("   Rank    Freq  Word (longest has 4 characters)\r\n", 0) == 0);
            QVERIFY(listing.find("    600       1  qcku\r\n") != std::string::npos);
            QCOMPARE(ReadFile(out), listing);
        } else {
            SetInput(*t.w, in);
            t.w->cmdListWords->click();
            QVERIFY2(t.asker.asked.empty(), qPrintable(t.asker.titles().join(',')));
            const std::string listing = t.output();
            QVERIFY2(listing.find("   4396  beta\r\n") != std::string::npos, listing.c_str());
            QVERIFY2(listing.find("    300  delta\r\n") != std::string::npos, listing.c_str());
            QVERIFY(listing.find("   4096  alpha\r\n") != std::string::npos);
            QVERIFY(listing.find("   4096  gam\r\n") != std::string::npos);
            QCOMPARE(t.label("lblTotalNumOccurrences"),
                     QStringLiteral("Total number of instances of words: 13,188"));
        }
        VerifyIdle(t);
        QCOMPARE(faults.failedReads + faults.failedWrites, 1);
    }
};

KVX_APP_TEST_MAIN(TestFaults)
#include "tst_faults.moc"

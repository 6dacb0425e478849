// test-label: unit
#include "engine/LiveCoreState.h"

#include <QtTest>

class tst_LiveCoreState : public QObject
{
    Q_OBJECT
private slots:
    void idsGrowAndAreNeverReused()
    {
        LiveCoreState s;
        QCOMPARE(s.add_source("camera source", 1, 3, nullptr), 0);
        QCOMPARE(s.add_source("image_source", 1, 4, nullptr), 1);
        QVERIFY(s.remove_source("image_source"));
        QCOMPARE(s.add_source("image_source", 1, 4, nullptr), 2);
        QCOMPARE(s.last_source_id, 2);
        QCOMPARE(int(s.sources.size()), 2);
    }

    void firstEntryOfANameWinsAndNamesCompareWhole()
    {
        LiveCoreState s;
        s.add_source("audio_input", 2, 2, nullptr);
        s.add_source("camera source1", 1, 3, nullptr);
        s.add_source("audio_input", 2, 1, nullptr);
        QCOMPARE(s.find_entry("audio_input")->id, 0);
        QCOMPARE(s.entry_count("audio_input"), 2);
        QVERIFY(!s.find_entry("camera source"));  // a prefix is not the name
        QVERIFY(!s.find_entry("Camera source1")); // case counts
        QVERIFY(!s.find_entry(nullptr));
        QVERIFY(s.remove_source("audio_input"));
        QCOMPARE(s.find_entry("audio_input")->id, 2); // the later entry remains
        QCOMPARE(s.sources.front().name, std::string("camera source1")); // order kept
        QVERIFY(s.remove_source("audio_input"));
        QVERIFY(!s.remove_source("audio_input"));
    }

    void removeEntriesOfDropsEveryAudioEntryOfThatSource()
    {
        LiveCoreState s;
        auto* mic = reinterpret_cast<obs_source*>(0x10);
        s.add_source("audio_input", 2, 2, mic);
        s.add_source("audio_output", 2, 1, nullptr);
        s.add_source("audio_input", 2, 2, mic);
        QCOMPARE(s.remove_entries_of(mic), 2);
        QCOMPARE(int(s.sources.size()), 1);
        QCOMPARE(s.sources.front().name, std::string("audio_output"));
    }

    void windowsAreListedAsClassAndTitle_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("value");
        QTest::addColumn<QString>("listed");
        QTest::newRow("window") << "Notes" << "81788934\r\nNotes\r\ngedit" << "gedit: Notes";
        QTest::newRow("title with the separator") << "a: b" << "12\r\na: b\r\nterm" << "term: a: b";
        QTest::newRow("no class") << "Untitled" << "12\r\nUntitled" << "Untitled";
        QTest::newRow("empty value") << "X" << "" << "X";
    }
    void windowsAreListedAsClassAndTitle()
    {
        QFETCH(QString, name);
        QFETCH(QString, value);
        QFETCH(QString, listed);
        const ObsListItem item{name.toStdString(), value.toStdString()};
        QCOMPARE(QString::fromStdString(windowListName(item)), listed);
    }
};

QTEST_APPLESS_MAIN(tst_LiveCoreState)
#include "tst_LiveCoreState.moc"

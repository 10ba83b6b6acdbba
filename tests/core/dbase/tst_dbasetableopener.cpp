#include "dbase/dbasetableopener.h"
#include "dbase/dbftable.h"
#include "dbase/dbfwriter.h"
#include "library/collectionlists.h"
#include "platform/messagereporter.h"
#include "testsupport/testfiles.h"
#include "text/textconversion.h"

#include <QStringEncoder>
#include <QTemporaryDir>
#include <QTest>

#include <unistd.h>

class TestDbaseTableOpener : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    QStringList m_messages;
    const DbaseTableOpener m_dbf{};
    int m_next = 0;

    static QString realData(const QString& name)
    {
        return QStringLiteral(LECTORIA_TEST_DATA_DIR "/dbf/") + name;
    }

    // A fresh folder with an installation table of the given records.
    QString tableWith(const QList<DbfWriter::Record>& records,
                      const QList<DbfWriter::Field>& fields = {
                          {"VID", 1}, {"DIR", 60}, {"NAIM", 40}})
    {
        const QString folder = m_dir.filePath(QString::number(++m_next));
        QDir().mkpath(folder + QStringLiteral("/TQ_W"));
        const QString path = folder + QStringLiteral("/TQ_W/instal.dbf");
        DbfWriter::write(path, fields, records);
        return path;
    }
    static QByteArray oem(const QString& text) { return QStringEncoder("IBM866").encode(text); }
    static char flagByte(const QString& path) { return TestFiles::read(path).at(28); }
    static void setFlagByte(const QString& path, char value)
    {
        QByteArray bytes = TestFiles::read(path);
        bytes[28] = value;
        TestFiles::write(path, bytes);
    }
    // Every value of every record, as a reader hands them on.
    static QList<QByteArrayList> allValues(DbfReader reader)
    {
        QList<int> fields;
        for (int i = 0; i < reader.fields().size(); ++i)
            fields.append(i);
        QList<QByteArrayList> records;
        reader.forEachRecord(fields, [&records](const QList<QByteArrayView>& values) {
            records.append(QByteArrayList());
            for (const QByteArrayView value : values)
                records.last().append(value.toByteArray());
            return true;
        });
        return records;
    }
    static QList<QByteArrayList> allValues(const DbfTable& table)
    {
        QList<QByteArrayList> records;
        for (qsizetype r = 0; r < table.recordCount(); ++r) {
            records.append(QByteArrayList());
            for (int f = 0; f < table.fields().size(); ++f)
                records.last().append(table.value(r, f));
        }
        return records;
    }
    static void setModified(const QString& path, const QDateTime& when)
    {
        QFile file(path);
        file.open(QIODevice::ReadWrite);
        file.setFileTime(when, QFileDevice::FileModificationTime);
    }

private slots:
    void init()
    {
        m_messages.clear();
        MessageReporter::setHandler([this](const QString& caption, const QString& text) {
            m_messages << caption + u'|' + text;
        });
    }

    void readsRealTables_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<int>("records");
        QTest::newRow("bik_swif") << "bik_swif.dbf" << 369;
        QTest::newRow("cbrf") << "cbrf_122019N1.dbf" << 442;
        QTest::newRow("dBaseIII") << "dBaseIII_nomemo.dbf" << 10;
        QTest::newRow("dBaseIV") << "dBaseIV.dbf" << 3;
        QTest::newRow("dbase_03") << "dbase_03.dbf" << 14;
        QTest::newRow("dbase_8b") << "dbase_8b.dbf" << 10;
    }
    void readsRealTables()
    {
        QFETCH(QString, file);
        QFETCH(int, records);
        const QByteArray before = TestFiles::read(realData(file));
        const DbfTable table = DbfTable::open(realData(file));
        QVERIFY2(table.isValid(), qPrintable(table.errorString()));
        QCOMPARE(table.recordCount(), records);
        for (qsizetype r = 0; r < table.recordCount(); ++r) {
            for (int f = 0; f < table.fields().size(); ++f)
                QVERIFY(!table.value(r, f).endsWith(' '));
        }
        // A block boundary after every record, or every few, changes nothing.
        const QByteArray bytes = TestFiles::read(realData(file));
        QCOMPARE(allValues(DbfReader::fromBytes(bytes, 1)), allValues(table));
        QCOMPARE(allValues(DbfReader::fromBytes(bytes, 1000)), allValues(table));
        QCOMPARE(TestFiles::read(realData(file)), before); // reading never writes
    }

    void russianNamesInCodePage866()
    {
        const DbfTable table = DbfTable::open(realData(QStringLiteral("bik_swif.dbf")));
        QVERIFY(table.isValid());
        bool cyrillic = false;
        for (qsizetype r = 0; r < table.recordCount() && !cyrillic; ++r) {
            for (int f = 0; f < table.fields().size(); ++f) {
                const QString text = TextConversion::fromOem(table.value(r, f));
                cyrillic = cyrillic || text.contains(QStringLiteral("БАНК"), Qt::CaseInsensitive);
            }
        }
        QVERIFY(cyrillic);
    }

    void technicalPartsFromTheTable()
    {
        const QString path =
            tableWith({{{"b", "/s/B1/", oem(QStringLiteral("ГЭСН-2020"))}, false},
                       {{"B", "/s/Upper/", oem(QStringLiteral("Заглавная"))}, false},
                       {{"b", "/s/Gone/", oem(QStringLiteral("Удалена"))}, true},
                       {{"s", "/s/", oem(QStringLiteral("Служебная"))}, false},
                       {{"b", "/s/B2/", oem(QStringLiteral("ФЕР"))}, false},
                       {{"b", "", "Empty"}, false},
                       {{"b", "   ", "Blank"}, false},
                       {{"b", "B3/", "Relative"}, false},
                       {{"b", "/s/B1/", oem(QStringLiteral("ГЭСН-2020"))}, false}});
        const QString suite = path.chopped(QStringLiteral("TQ_W/instal.dbf").size());
        QStringList dirs, names;
        QVERIFY(CollectionLists::fillTechnicalParts(suite, dirs, names, true));
        QCOMPARE(dirs, (QStringList{QStringLiteral("/s/B1/TT"), QStringLiteral("/s/B2/TT"),
                                    QStringLiteral("/s/B1/TT")}));
        QCOMPARE(names, (QStringList{QStringLiteral("ГЭСН-2020"), QStringLiteral("ФЕР"),
                                     QStringLiteral("ГЭСН-2020")}));
        QVERIFY(m_messages.isEmpty());

        // No record passes the filter: nothing listed, and that is no failure.
        const QString none = tableWith({{{"B", "/x/", "X"}, false}});
        dirs.clear();
        names.clear();
        QVERIFY(CollectionLists::fillTechnicalParts(none.chopped(15), dirs, names, true));
        QVERIFY(dirs.isEmpty() && names.isEmpty());

        // A table without one of the three fields cannot be listed.
        const QString noName = tableWith({{{"b", "/x/"}, false}}, {{"VID", 1}, {"DIR", 20}});
        QVERIFY(!CollectionLists::fillTechnicalParts(noName.chopped(15), dirs, names, true));
        QVERIFY(dirs.isEmpty());
        QCOMPARE(m_messages,
                 QStringList{QStringLiteral("Lectoria|Ошибка при чтении файла: ") + noName});

        // A missing table.
        m_messages.clear();
        const QString nowhere = m_dir.filePath(QStringLiteral("nowhere/"));
        QVERIFY(!CollectionLists::fillTechnicalParts(nowhere, dirs, names, true));
        QCOMPARE(m_messages, QStringList{QStringLiteral("Lectoria|Файл:") + nowhere +
                                         QStringLiteral("TQ_W/instal.dbf\nне найден!")});
    }

    void indexFileNames()
    {
        QCOMPARE(DbaseTableOpener::productionIndexName(QStringLiteral("/s/TQ_W/instal.dbf")),
                 QStringLiteral("/s/TQ_W/instal.mdx"));
        QCOMPARE(DbaseTableOpener::productionIndexName(QStringLiteral("/s/T.DBF")),
                 QStringLiteral("/s/T.mdx"));
        QCOMPARE(DbaseTableOpener::productionIndexName(QStringLiteral("/s.d/T.dat")),
                 QStringLiteral("/s.d/T.datx"));
        QCOMPARE(DbaseTableOpener::mdxName(QStringLiteral("/s.d/T.dat")),
                 QStringLiteral("/s.d/T.mdx"));
        QCOMPARE(DbaseTableOpener::ntxName(QStringLiteral("/s/instal.dbf"), 0),
                 QStringLiteral("/s/instal.ntx"));
        QCOMPARE(DbaseTableOpener::ntxName(QStringLiteral("/s/instal.dbf"), 1),
                 QStringLiteral("/s/instal1.ntx"));
        QCOMPARE(DbaseTableOpener::ntxName(QStringLiteral("/s/instal.dbf"), 2),
                 QStringLiteral("/s/instal2.ntx"));
    }

    void indexMaintenance()
    {
        const QList<DbfWriter::Record> records{{{"b", "/d/", "N"}, false}};
        DbaseTableOpener::TableSlot slot;

        // No production index, flag set: cleared before the table is read.
        QString path = tableWith(records);
        setFlagByte(path, 1);
        QVERIFY(m_dbf.open(slot, path, true));
        QCOMPARE(flagByte(path), char(0));
        QCOMPARE(DbfTable::read(*slot).recordCount(), 1);
        QVERIFY(m_dbf.close(slot));
        QVERIFY(!slot);
        QVERIFY(!m_dbf.close(slot));

        // A production index while the flag says none: removed.
        path = tableWith(records);
        const QString mdx = DbaseTableOpener::mdxName(path);
        QVERIFY(TestFiles::write(mdx, "index"));
        QCOMPARE(m_dbf.checkIndexFiles(path, false), 0);
        QVERIFY(!QFileInfo::exists(mdx));

        // A production index with its flag and no NTX files: nothing changes.
        path = tableWith(records);
        setFlagByte(path, 1);
        QVERIFY(TestFiles::write(DbaseTableOpener::mdxName(path), "index"));
        const QByteArray before = TestFiles::read(path);
        QVERIFY(m_dbf.hasProductionIndex(path, true));
        QCOMPARE(m_dbf.checkIndexFiles(path, false), 1);
        QCOMPARE(TestFiles::read(path), before);
        QVERIFY(QFileInfo::exists(DbaseTableOpener::mdxName(path)));

        // An NTX index as old or older leaves it; a newer instal1.ntx drops it.
        const QDateTime now = QDateTime::currentDateTime();
        setModified(DbaseTableOpener::mdxName(path), now);
        QVERIFY(TestFiles::write(DbaseTableOpener::ntxName(path, 1), "ntx"));
        setModified(DbaseTableOpener::ntxName(path, 1), now);
        QCOMPARE(m_dbf.checkIndexFiles(path, false), 1);
        QVERIFY(QFileInfo::exists(DbaseTableOpener::mdxName(path)));
        setModified(DbaseTableOpener::ntxName(path, 1), now.addSecs(60));
        QCOMPARE(m_dbf.checkIndexFiles(path, false), 1);
        QVERIFY(!QFileInfo::exists(DbaseTableOpener::mdxName(path)));
        QCOMPARE(flagByte(path), char(0));
        QVERIFY(m_messages.isEmpty());
    }

    void threeAttemptsThenTheMessage()
    {
        // A table whose descriptors never end cannot be read by any attempt.
        QString path = tableWith({{{"b", "/d/", "N"}, false}});
        QByteArray bytes = TestFiles::read(path);
        bytes[32 + 3 * 32] = 'X';
        QVERIFY(TestFiles::write(path, bytes));
        setFlagByte(path, 1);
        QVERIFY(TestFiles::write(DbaseTableOpener::mdxName(path), "index"));
        DbaseTableOpener::TableSlot slot;
        QVERIFY(!m_dbf.open(slot, path, true));
        QVERIFY(!slot);
        QVERIFY(
            !QFileInfo::exists(DbaseTableOpener::mdxName(path))); // dropped after the first failure
        QCOMPARE(flagByte(path), char(0));
        QCOMPARE(m_messages,
                 QStringList{QStringLiteral("Lectoria|Ошибка при чтении файла: ") + path});

        // Missing: quiet when asked, never created.
        m_messages.clear();
        const QString missing = m_dir.filePath(QStringLiteral("none/instal.dbf"));
        QVERIFY(!m_dbf.open(slot, missing, false));
        QVERIFY(m_messages.isEmpty());
        QVERIFY(!QFileInfo::exists(missing));
    }

    void badTables_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<int>("records"); // -1: the table cannot be read
        const QByteArray good = DbfWriter::tableBytes(
            {{"VID", 1}, {"DIR", 10}, {"NAIM", 10}},
            {{{"b", "/a/", "A"}, false}, {{"b", "/b/", "B"}, false}, {{"b", "/c/", "C"}, false}});
        const qsizetype header = 32 + 3 * 32 + 1;
        const qsizetype record = 22;
        QTest::newRow("good") << good << 3;
        QTest::newRow("empty") << QByteArray() << -1;
        QTest::newRow("header only half") << good.left(20) << -1;
        QTest::newRow("cut in a record") << good.left(header + record + 5) << 1;
        QByteArray promise = good;
        promise[4] = char(200);
        QTest::newRow("more records promised") << promise << 3;
        QByteArray longHeader = good;
        longHeader[8] = char(0xff);
        longHeader[9] = char(0x7f);
        QTest::newRow("header longer than file") << longHeader << -1;
        QByteArray noTerminator = good;
        noTerminator[header - 1] = 'Z';
        QTest::newRow("no terminator") << noTerminator << -1;
        QByteArray noFields = good.left(32) + '\x0d' + good.mid(header);
        noFields[8] = char(33);
        noFields[9] = 0;
        QTest::newRow("no fields") << noFields << -1;
        QByteArray zeroWidth = good;
        zeroWidth[32 + 32 + 16] = 0;
        QTest::newRow("field of no width") << zeroWidth << -1;
        QByteArray shortRecord = good;
        shortRecord[10] = char(10);
        QTest::newRow("fields longer than record") << shortRecord << -1;
        QByteArray zeroRecord = good;
        zeroRecord[10] = 0;
        zeroRecord[11] = 0;
        QTest::newRow("record length zero") << zeroRecord << -1;
    }
    void badTables()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(int, records);
        const DbfTable table = DbfTable::fromBytes(bytes);
        QCOMPARE(table.isValid(), records >= 0);
        if (records >= 0)
            QCOMPARE(table.recordCount(), records);
        QCOMPARE(DbfReader::fromBytes(bytes, 1).isValid(), records >= 0);
        QCOMPARE(allValues(DbfReader::fromBytes(bytes, 1)), allValues(table));

        // Through the table access: never more written than the flag byte of a real header.
        const QString path = tableWith({});
        QVERIFY(TestFiles::write(path, bytes));
        DbaseTableOpener::TableSlot slot;
        QCOMPARE(m_dbf.open(slot, path, true), records >= 0);
        const QByteArray after = TestFiles::read(path);
        QCOMPARE(after.size(), bytes.size());
        if (bytes.size() > 28)
            QCOMPARE(after.left(28) + after.mid(29), bytes.left(28) + bytes.mid(29));
        QCOMPARE(m_messages.size(), records >= 0 ? 0 : 1);
    }

    void directoryAndReadOnlyTables()
    {
        const QString folder = m_dir.filePath(QStringLiteral("dir-table/instal.dbf"));
        QVERIFY(QDir().mkpath(folder));
        DbaseTableOpener::TableSlot slot;
        QVERIFY(!m_dbf.open(slot, folder, true));
        QCOMPARE(m_messages, QStringList{QStringLiteral("Lectoria|Файл:") + folder +
                                         QStringLiteral("\nне найден!")});
        QVERIFY(QFileInfo(folder).isDir());

        const QString readOnly = tableWith({{{"b", "/d/", "N"}, false}});
        QVERIFY(TestFiles::setReadOnly(readOnly));
        QVERIFY(m_dbf.open(slot, readOnly, true));
        QCOMPARE(DbfTable::read(*slot).recordCount(), 1);
        QVERIFY(TestFiles::isWritableByOwner(readOnly)); // the read-only mark is cleared
    }

    void indexChangesReachOnlyThePlainTable()
    {
        const QList<DbfWriter::Record> records{{{"b", "/d/", "N"}, false}};
        DbaseTableOpener::TableSlot slot;
        // The table's name is a link, or a second name, of another file: that file keeps its
        // flag and its mode, and the table is still read.
        for (const bool symbolic : {true, false}) {
            const QString other = tableWith(records);
            setFlagByte(other, 1);
            QVERIFY(TestFiles::setReadOnly(other));
            const QByteArray before = TestFiles::read(other);
            const QString path = tableWith(records);
            QVERIFY(QFile::remove(path));
            QVERIFY(symbolic ? QFile::link(other, path)
                             : ::link(QFile::encodeName(other), QFile::encodeName(path)) == 0);
            QVERIFY(m_dbf.open(slot, path, true));
            QCOMPARE(DbfTable::read(*slot).recordCount(), 1);
            QCOMPARE(TestFiles::read(other), before);
            QVERIFY(!TestFiles::isWritableByOwner(other));
        }

        // An index file name that is a link: neither the link nor what it names is removed.
        QString path = tableWith(records);
        const QString elsewhere = m_dir.filePath(QStringLiteral("elsewhere.mdx"));
        QVERIFY(TestFiles::write(elsewhere, "index"));
        QVERIFY(QFile::link(elsewhere, DbaseTableOpener::mdxName(path)));
        QVERIFY(m_dbf.open(slot, path, true));
        QVERIFY(QFileInfo(DbaseTableOpener::mdxName(path)).isSymLink());
        QCOMPARE(TestFiles::read(elsewhere), QByteArray("index"));

        // Read-only access changes nothing that maintenance would: index, flag and mode stay.
        path = tableWith(records);
        QVERIFY(TestFiles::write(DbaseTableOpener::mdxName(path), "index"));
        QVERIFY(TestFiles::setReadOnly(path));
        const QByteArray before = TestFiles::read(path);
        QVERIFY(m_dbf.open(slot, path, true, DbaseTableOpener::Access::ReadOnly));
        QVERIFY(QFileInfo::exists(DbaseTableOpener::mdxName(path)));
        QVERIFY(!TestFiles::isWritableByOwner(path));
        QCOMPARE(TestFiles::read(path), before);
        QVERIFY(m_messages.isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestDbaseTableOpener)
#include "tst_dbasetableopener.moc"

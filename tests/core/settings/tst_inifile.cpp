#include "platform/messagereporter.h"
#include "settings/appsettings.h"
#include "settings/inifile.h"
#include "settings/settingsfile.h"
#include "testsupport/testfiles.h"

#include <QProcess>
#include <QSignalSpy>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <QTest>

#include <unistd.h>

namespace {

const int racingWrites = 100;

// Another program writing the same settings file, one key after another under its prefix.
int writeSettings(const QString& file, const QString& prefix)
{
    const IniFile ini{};
    for (int i = 0; i < racingWrites; ++i) {
        if (!ini.writeInt(file, QStringLiteral("Race"), prefix + QString::number(i), i))
            return 1;
    }
    return 0;
}

} // namespace

class TestIniFile : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    QStringList m_messages;
    const IniFile m_ini{};

    QString path(const QString& name) const { return m_dir.filePath(name); }

    struct Values
    {
        bool found;
        QString text;
        double d;
        qint32 i;
        bool b;
    };
    Values read(const QString& file, const QString& section, const QString& key, int type,
                bool showErrors = false)
    {
        Values v{false, QStringLiteral("stale"), 9.5, 77, true};
        v.found = m_ini.readParameter(file, section, key, type, v.text, v.d, v.i, v.b, showErrors);
        return v;
    }

private slots:
    void init()
    {
        m_messages.clear();
        MessageReporter::setHandler([this](const QString& caption, const QString& text) {
            m_messages << caption + u'|' + text;
        });
    }

    void missingFileThenFirstWrite()
    {
        const QString file = path(QStringLiteral("missing.ini"));
        const Values v = read(file, QStringLiteral("TreeView"), QStringLiteral("Width"), 2, true);
        QVERIFY(!v.found);
        QCOMPARE(v.text, QString());
        QCOMPARE(v.d, 0.0);
        QCOMPARE(v.i, 0);
        QCOMPARE(v.b, false);
        QVERIFY(m_messages.isEmpty());

        QVERIFY(m_ini.writeInt(file, QStringLiteral("TreeView"), QStringLiteral("Width"), 300));
        QCOMPARE(TestFiles::read(file), QByteArray("[TreeView]\nWidth=300\n"));
        QVERIFY(!QFileInfo::exists(file + QStringLiteral(".tmp")));
        QCOMPARE(QDir(m_dir.path()).entryList(QDir::Files).filter(QStringLiteral("missing")).size(),
                 1);
    }

    void typedValues()
    {
        const QString file = path(QStringLiteral("typed.ini"));
        QVERIFY(TestFiles::write(file, "[Search]\nEmpty=\nTwo=2\nWord=yes\nNeg=-17\nJunk=12abc\n"
                                       "Big=99999999999\nPi=3.25\n"));
        const QString s = QStringLiteral("Search");
        QVERIFY(!read(file, s, QStringLiteral("Absent"), 0).found);

        Values v = read(file, s, QStringLiteral("Empty"), 0);
        QVERIFY(v.found);
        QCOMPARE(v.text, QString());
        QCOMPARE(read(file, s, QStringLiteral("Empty"), 2).i, 0);
        QCOMPARE(read(file, s, QStringLiteral("Empty"), 3).b, false);

        QCOMPARE(read(file, s, QStringLiteral("Two"), 3).b, true);
        QCOMPARE(read(file, s, QStringLiteral("Word"), 3).b, false);
        QCOMPARE(read(file, s, QStringLiteral("Neg"), 2).i, -17);
        QCOMPARE(read(file, s, QStringLiteral("Junk"), 2).i, 12);
        QCOMPARE(read(file, s, QStringLiteral("Big"), 2).i, 0);
        QCOMPARE(read(file, s, QStringLiteral("Pi"), 1).d, 3.25);

        // Only the value of the asked type is set; the others are reset.
        v = read(file, s, QStringLiteral("Two"), 2);
        QCOMPARE(v.i, 2);
        QCOMPARE(v.text, QString());
        QCOMPARE(v.b, false);
        QCOMPARE(v.d, 0.0);
        v = read(file, s, QStringLiteral("Two"), 7); // an unknown selector reads nothing
        QVERIFY(v.found);
        QCOMPARE(v.i, 0);

        QVERIFY(m_ini.writeBool(file, s, QStringLiteral("Flag"), true));
        QVERIFY(m_ini.writeInt(file, s, QStringLiteral("Neg"), -5));
        const QByteArray bytes = TestFiles::read(file);
        QVERIFY(bytes.contains("Flag=1\n"));
        QVERIFY(bytes.contains("Neg=-5\n"));
        QVERIFY(m_ini.writeParameter(file, s, QStringLiteral("D"), 1, {}, 0.5, 0, false, false));
        QCOMPARE(read(file, s, QStringLiteral("D"), 1).d, 0.5);
    }

    void writeKeepsEverythingElse()
    {
        const QString file = path(QStringLiteral("keep.ini"));
        const QByteArray original = "; made by hand\r\n[treeview]\r\nwidth=100\r\nOther=x\r\n\r\n"
                                    "[Search]\r\nFindKod_1=бетон\r\n";
        QVERIFY(TestFiles::write(file, original));
        // Sections and keys compare without regard to letter case; the value is replaced in place.
        QCOMPARE(m_ini.readInt(file, QStringLiteral("TreeView"), QStringLiteral("Width")), 100);
        QVERIFY(m_ini.writeInt(file, QStringLiteral("TREEVIEW"), QStringLiteral("Width"), 250));
        QVERIFY(m_ini.writeText(file, QStringLiteral("TreeView"), QStringLiteral("TekFileName"),
                                QStringLiteral("/d/Раздел 1.htm")));
        QVERIFY(m_ini.writeText(file, QStringLiteral("File"), QStringLiteral("ExternalDirectory"),
                                QStringLiteral("/e/docs")));
        QCOMPARE(TestFiles::read(file),
                 QByteArray("; made by hand\r\n[treeview]\r\nWidth=250\r\nOther=x\r\n"
                            "TekFileName=/d/Раздел 1.htm\r\n\r\n[Search]\r\nFindKod_1=бетон\r\n"
                            "\r\n[File]\r\nExternalDirectory=/e/docs\r\n"));
    }

    void legacyAndDamagedFiles()
    {
        // An older installation wrote windows-1251; a write adds its line in UTF-8.
        const QString legacy = path(QStringLiteral("legacy.ini"));
        QVERIFY(TestFiles::write(
            legacy, QStringEncoder("windows-1251")
                        .encode(QStringLiteral("[Search]\nContext=Сметная стоимость\n"))));
        QCOMPARE(m_ini.readText(legacy, QStringLiteral("Search"), QStringLiteral("Context")),
                 QStringLiteral("Сметная стоимость"));
        QVERIFY(m_ini.writeText(legacy, QStringLiteral("Search"), QStringLiteral("FindKod_1"),
                                QStringLiteral("ксилолит")));
        QCOMPARE(m_ini.readText(legacy, QStringLiteral("Search"), QStringLiteral("Context")),
                 QStringLiteral("Сметная стоимость"));
        QCOMPARE(m_ini.readText(legacy, QStringLiteral("Search"), QStringLiteral("FindKod_1")),
                 QStringLiteral("ксилолит"));

        // One windows-1251 line among UTF-8 ones: each line is read in its own encoding, and
        // the lines not written come back byte for byte, another program's section included.
        const QString mixed = path(QStringLiteral("mixed.ini"));
        const QByteArray ansiLine = TestFiles::cp1251(QStringLiteral("Context=Смета\r\n"));
        const QByteArray head = "[Search]\r\nFindKod_1=бетон\r\n" + ansiLine;
        const QByteArray tail = "[Other]\r\nName=Сметчик ™\r\nLast=без перевода строки";
        QVERIFY(TestFiles::write(mixed, head + tail));
        QCOMPARE(m_ini.readText(mixed, QStringLiteral("Search"), QStringLiteral("Context")),
                 QStringLiteral("Смета"));
        QCOMPARE(m_ini.readText(mixed, QStringLiteral("Search"), QStringLiteral("FindKod_1")),
                 QStringLiteral("бетон"));
        QVERIFY(m_ini.writeText(mixed, QStringLiteral("Search"), QStringLiteral("FindKod_2"),
                                QStringLiteral("грунт")));
        QCOMPARE(TestFiles::read(mixed), head + "FindKod_2=грунт\r\n" + tail);
        QVERIFY(m_ini.writeText(mixed, QStringLiteral("Other"), QStringLiteral("New"),
                                QStringLiteral("да")));
        QCOMPARE(TestFiles::read(mixed), head + "FindKod_2=грунт\r\n" + tail + "\r\nNew=да\r\n");
        QCOMPARE(m_ini.readText(mixed, QStringLiteral("Other"), QStringLiteral("Name")),
                 QStringLiteral("Сметчик ™"));

        // Junk, lines without "=", an unclosed section line and duplicate keys.
        const QString damaged = path(QStringLiteral("damaged.ini"));
        QByteArray junk("\x00\xff\xfe\x01garbage\n", 13);
        junk += "no equals sign here\n[Search\nKey=first\nKey=second\n[TreeView]\nWidth=42\n";
        junk += QByteArray(3000, '\x9f') + "\n";
        QVERIFY(TestFiles::write(damaged, junk));
        QCOMPARE(m_ini.readText(damaged, QStringLiteral("Search"), QStringLiteral("Key")),
                 QStringLiteral("first"));
        QCOMPARE(m_ini.readInt(damaged, QStringLiteral("TreeView"), QStringLiteral("Width")), 42);
        QVERIFY(m_ini.writeText(damaged, QStringLiteral("Search"), QStringLiteral("Key"),
                                QStringLiteral("new")));
        QCOMPARE(m_ini.readText(damaged, QStringLiteral("Search"), QStringLiteral("Key")),
                 QStringLiteral("new"));
        QCOMPARE(m_ini.readInt(damaged, QStringLiteral("TreeView"), QStringLiteral("Width")), 42);
        QVERIFY(TestFiles::read(damaged).contains("no equals sign here"));

        // A large file is read and rewritten whole.
        const QString large = path(QStringLiteral("large.ini"));
        QByteArray big = "[Search]\n";
        for (int i = 0; big.size() < 10 * 1024 * 1024; ++i)
            big += "Key" + QByteArray::number(i) + "=" + QByteArray(60, 'x') + "\n";
        big += "[Last]\nValue=7\n";
        QVERIFY(TestFiles::write(large, big));
        QCOMPARE(m_ini.readInt(large, QStringLiteral("Last"), QStringLiteral("Value")), 7);
        QVERIFY(m_ini.writeInt(large, QStringLiteral("Last"), QStringLiteral("Value"), 8));
        QCOMPARE(m_ini.readInt(large, QStringLiteral("Last"), QStringLiteral("Value")), 8);
        QCOMPARE(m_ini.readText(large, QStringLiteral("Search"), QStringLiteral("Key5")),
                 QString(60, u'x'));
    }

    void failuresAreQuietOrReported()
    {
        const QString section = QStringLiteral("TreeView");
        const QString key = QStringLiteral("Width");

        // A settings path that is a directory: reads give empty values, writes fail.
        const QString dirPath = path(QStringLiteral("adir.ini"));
        QVERIFY(QDir().mkpath(dirPath));
        QVERIFY(!read(dirPath, section, key, 2).found);
        QVERIFY(!m_ini.writeInt(dirPath, section, key, 1));
        QVERIFY(QFileInfo(dirPath).isDir());
        QVERIFY(m_messages.isEmpty());
        QVERIFY(!read(dirPath, section, key, 2, true).found);
        QCOMPARE(m_messages.size(), 1);
        QCOMPARE(m_messages.last(), QStringLiteral("Класс: WIniFile|Ошибка при чтении параметра: "
                                                   "Width\nСекции: TreeView\nФайла: ") +
                                        dirPath);

        // A missing folder is not created.
        const QString inMissing = path(QStringLiteral("nofolder/Lectoria.ini"));
        QVERIFY(!m_ini.writeInt(inMissing, section, key, 1));
        QVERIFY(!QFileInfo::exists(path(QStringLiteral("nofolder"))));
        QVERIFY(!m_ini.writeParameter(inMissing, section, key, 2, {}, 0, 1, false, true));
        QCOMPARE(m_messages.last(), QStringLiteral("Класс: WIniFile|Ошибка при записи параметра: "
                                                   "Width\nСекции: TreeView\nФайла: ") +
                                        inMissing);

        // A read-only file stays as it is.
        const QString readOnly = path(QStringLiteral("ro.ini"));
        QVERIFY(TestFiles::write(readOnly, "[TreeView]\nWidth=5\n"));
        QVERIFY(TestFiles::setReadOnly(readOnly));
        m_messages.clear();
        QVERIFY(!m_ini.writeInt(readOnly, section, key, 9));
        QVERIFY(m_messages.isEmpty());
        QCOMPARE(TestFiles::read(readOnly), QByteArray("[TreeView]\nWidth=5\n"));
        QCOMPARE(m_ini.readInt(readOnly, section, key), 5);

        // A writable file in a read-only folder (no temporary file, no rename, no lock file
        // there) is written in place; a new file there is a failure, and says so.
        const QString folder = path(QStringLiteral("rofolder"));
        const QString inReadOnly = folder + QStringLiteral("/Lectoria.ini");
        QVERIFY(TestFiles::write(inReadOnly, "[TreeView]\nWidth=5\n"));
        QVERIFY(QFile::setPermissions(folder, QFileDevice::ReadOwner | QFileDevice::ExeOwner));
        QVERIFY(m_ini.writeInt(inReadOnly, section, key, 9));
        QCOMPARE(TestFiles::read(inReadOnly), QByteArray("[TreeView]\nWidth=9\n"));
        const bool created = m_ini.writeInt(folder + QStringLiteral("/new.ini"), section, key, 1);
        QCOMPARE(created, QFileInfo::exists(folder + QStringLiteral("/new.ini")));
        QCOMPARE(QDir(folder).entryList(QDir::Files | QDir::Hidden).size(), created ? 2 : 1);
        QVERIFY(QFile::setPermissions(folder, QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                                  QFileDevice::ExeOwner));
    }

    void concurrentWritersKeepEveryValue()
    {
        const QString file = path(QStringLiteral("race.ini"));
        QVERIFY(TestFiles::write(file, "[Other]\nKeep=1\n"));
        QProcess first;
        QProcess second;
        const QString self = QCoreApplication::applicationFilePath();
        first.start(self, {QStringLiteral("--write-settings"), file, QStringLiteral("A")});
        second.start(self, {QStringLiteral("--write-settings"), file, QStringLiteral("B")});
        QVERIFY(first.waitForFinished(60000) && second.waitForFinished(60000));
        QCOMPARE(first.exitCode(), 0);
        QCOMPARE(second.exitCode(), 0);
        for (int i = 0; i < racingWrites; ++i) {
            for (const QString& prefix : {QStringLiteral("A"), QStringLiteral("B")}) {
                bool found = false;
                QCOMPARE(m_ini.readInt(file, QStringLiteral("Race"), prefix + QString::number(i),
                                       &found),
                         i);
                QVERIFY2(found, qPrintable(prefix + QString::number(i)));
            }
        }
        QCOMPARE(m_ini.readInt(file, QStringLiteral("Other"), QStringLiteral("Keep")), 1);
        QCOMPARE(
            QDir(m_dir.path()).entryList({QStringLiteral("race*")}, QDir::Files | QDir::Hidden),
            QStringList{QStringLiteral("race.ini")});
    }

    void valueCannotStartNewEntries()
    {
        const QString file = path(QStringLiteral("inject.ini"));
        QVERIFY(m_ini.writeText(file, QStringLiteral("Search"), QStringLiteral("Context"),
                                QStringLiteral("a\n[TreeView]\nWidth=1")));
        QVERIFY(!read(file, QStringLiteral("TreeView"), QStringLiteral("Width"), 2).found);
        QCOMPARE(TestFiles::read(file).count('\n'), 2);
    }

    void programSettings()
    {
        // Without a file every value has its own default; the colours are not 0.
        const AppSettings missing(path(QStringLiteral("none.ini")));
        QVERIFY(!missing.normativeCollection());
        QCOMPARE(missing.zoomIndex(), 0);
        QCOMPARE(missing.highlightBackColor(), 255u);
        QCOMPARE(missing.highlightFontColor(), 0xFFFFFFu);
        QCOMPARE(missing.searchHistory(), QStringList());

        // A system colour reference (high bit set) survives the signed number in the file.
        AppSettings settings(path(QStringLiteral("program.ini")));
        QSignalSpy changed(&settings, &AppSettings::changed);
        QVERIFY(settings.setHighlightBackColor(0x8000000Fu));
        QVERIFY(settings.setHighlightFontColor(0));
        QVERIFY(settings.setNormativeCollection(true));
        QVERIFY(settings.setExternalDirectory(QStringLiteral("/mnt/Нормы")));
        QVERIFY(settings.setSearchHistory({QStringLiteral("бетон"), QStringLiteral("грунт")}));
        QCOMPARE(changed.count(), 5);
        QCOMPARE(settings.highlightBackColor(), 0x8000000Fu);
        QCOMPARE(settings.highlightFontColor(), 0u);
        QVERIFY(settings.normativeCollection());
        QCOMPARE(settings.externalDirectory(), QStringLiteral("/mnt/Нормы"));
        QCOMPARE(settings.searchHistory(),
                 (QStringList{QStringLiteral("бетон"), QStringLiteral("грунт")}));
        const QByteArray file = TestFiles::read(settings.fileName());
        QVERIFY(file.contains("[Search]\nBackColor=-2147483633\n"));
        QVERIFY(file.contains("[TreeView]\nNormDocButton=1\n"));
        QVERIFY(file.contains("FindKod_20=\n"));

        // Values that are no numbers read as 0; the file is read when the settings are made.
        QVERIFY(TestFiles::write(settings.fileName(),
                                 "[TreeView]\nNormDocButton=yes\n[CppWebBrowser]\nScale=large\n"
                                 "TekFileName=0\n"));
        QVERIFY(settings.normativeCollection());
        const AppSettings again(settings.fileName());
        QVERIFY(!again.normativeCollection());
        QCOMPARE(again.zoomIndex(), 0);
    }

    void settingsAreReadOnceAndWrittenAtOnce()
    {
        // The file's "0" is no node; no node is written as "0".
        const QString file = path(QStringLiteral("once.ini"));
        QVERIFY(TestFiles::write(file, "; kept\n[TreeView]\nTekFileName=0\n[Other]\nKey=1\n"));
        AppSettings settings(file);
        QCOMPARE(settings.bookmarkFile(), QString());
        QVERIFY(settings.setBookmarkFile(QStringLiteral("/lib/СНиП.htm")));
        QCOMPARE(AppSettings(file).bookmarkFile(), QStringLiteral("/lib/СНиП.htm"));
        QVERIFY(settings.setBookmarkFile(QString()));
        QVERIFY(TestFiles::read(file).contains("TekFileName=0\n"));

        // What another program writes meanwhile is kept by the next write.
        QVERIFY(m_ini.writeText(file, QStringLiteral("Other"), QStringLiteral("Key"),
                                QStringLiteral("2")));
        QVERIFY(settings.setMatchOptions(MatchOptions{true, false, true, false}));
        const QByteArray written = TestFiles::read(file);
        QVERIFY(written.startsWith("; kept\n"));
        QVERIFY(written.contains("[Other]\nKey=2\n"));
        QVERIFY(written.contains("Register=1\nWholeWords=0\nTextMode=1\nWordForms=0\n"));
        QCOMPARE(AppSettings(file).matchOptions().textMode, true);

        // A file that cannot be written: the value holds for this run, the setter says no.
        const QString locked = path(QStringLiteral("locked.ini"));
        QVERIFY(TestFiles::write(locked, "[Search]\nTextMode=0\n"));
        QVERIFY(QFile::setPermissions(locked, QFileDevice::ReadOwner));
        AppSettings readOnly(locked);
        QVERIFY(!readOnly.setMatchOptions(MatchOptions{false, false, true, false}));
        QVERIFY(readOnly.matchOptions().textMode);
        QVERIFY(TestFiles::read(locked).contains("TextMode=0"));
    }

    void settingsOfAProgramItsUserCannotWriteBeside()
    {
        QTemporaryDir dir;
        const QString shipped = dir.filePath(QStringLiteral("Bin/Lectoria/Lectoria.ini"));
        QVERIFY(TestFiles::write(shipped, "[TreeView]\nNormDocButton=1\n"));
        const QString config = dir.filePath(QStringLiteral("config"));
        QVERIFY(QDir().mkpath(config));
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(config));
        const QString own = config + QStringLiteral("/lectoria/Lectoria.ini");
        QCOMPARE(SettingsFile::userFile(), own);
        QCOMPARE(SettingsFile::choose(shipped), shipped);
        // A relative XDG_CONFIG_HOME is ignored.
        qputenv("XDG_CONFIG_HOME", "relative/config");
        QCOMPARE(SettingsFile::userFile(),
                 QDir::homePath() + QStringLiteral("/.config/lectoria/Lectoria.ini"));
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(config));
        // No folder can be made where the settings folder should be.
        const QString blocked = dir.filePath(QStringLiteral("Blocked/Lectoria"));
        QVERIFY(TestFiles::write(blocked, "a file"));
        QCOMPARE(SettingsFile::choose(blocked + QStringLiteral("/Lectoria.ini")), own);
        QVERIFY(!QFileInfo::exists(own)); // nothing shipped there to copy

        // A folder of the program that its user may only read (root writes anyway: there
        // the check runs as the user nobody).
        const QStringList folders{dir.path(), dir.filePath(QStringLiteral("Bin")),
                                  QFileInfo(shipped).absolutePath()};
        for (const QString& folder : folders)
            QVERIFY(QFile::setPermissions(folder, QFile::ReadOwner | QFile::ExeOwner |
                                                      QFile::ReadGroup | QFile::ExeGroup |
                                                      QFile::ReadOther | QFile::ExeOther));
        QVERIFY(
            QFile::setPermissions(shipped, QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther));
        const bool asNobody = ::geteuid() == 0;
        for (const QString& folder : {config, QFileInfo(own).absolutePath()}) {
            if (asNobody && ::chown(QFile::encodeName(folder).constData(), 65534, 65534) != 0)
                QSKIP("cannot give a folder to the user nobody");
        }
        if (asNobody && ::seteuid(65534) != 0)
            QSKIP("cannot act as the user nobody");
        const QString first = SettingsFile::choose(shipped);
        const QByteArray seeded = TestFiles::read(own);
        const bool changed = TestFiles::write(own, "[TreeView]\nNormDocButton=0\n");
        const QString again = SettingsFile::choose(shipped);
        if (asNobody)
            QVERIFY(::seteuid(0) == 0);
        for (const QString& folder : folders)
            QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        QCOMPARE(first, own);
        QCOMPARE(seeded, QByteArray("[TreeView]\nNormDocButton=1\n"));
        QVERIFY(changed);
        QCOMPARE(again, own);
        QCOMPARE(TestFiles::read(own), QByteArray("[TreeView]\nNormDocButton=0\n")); // kept
    }
};

int main(int argc, char* argv[])
{
    if (argc == 4 && qstrcmp(argv[1], "--write-settings") == 0)
        return writeSettings(QString::fromLocal8Bit(argv[2]), QString::fromLocal8Bit(argv[3]));
    QCoreApplication application(argc, argv);
    TestIniFile test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}
#include "tst_inifile.moc"

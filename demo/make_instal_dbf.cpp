// Writes the suite's installation table TQ_W/instal.dbf from the demo's list of bases:
// absolute DIR paths under the suite folder, names in code page 866. A staged installation
// names the folder under which the suite is staged.
#include "dbase/dbfwriter.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QStringEncoder>
#include <QTextStream>

#include <cstdio>

int main(int argc, char* argv[])
{
    QCoreApplication application(argc, argv);
    const QStringList arguments = application.arguments();
    if (arguments.size() != 3 && arguments.size() != 4) {
        std::fprintf(stderr, "usage: make_instal_dbf SUITE_DIR BASES_CSV [STAGING_DIR]\n");
        return 2;
    }
    const QString suiteDir = QDir(arguments.at(1)).absolutePath() + u'/';
    const QString staging = arguments.value(3);
    QFile csv(arguments.at(2));
    if (!csv.open(QIODevice::ReadOnly | QIODevice::Text)) {
        std::fprintf(stderr, "make_instal_dbf: cannot read %s\n", qPrintable(arguments.at(2)));
        return 1;
    }
    QStringEncoder oem("IBM866");
    QList<DbfWriter::Record> records;
    QTextStream in(&csv);
    while (!in.atEnd()) {
        const QString line = in.readLine().trimmed();
        if (line.isEmpty() || line.startsWith(u'#'))
            continue;
        const QStringList parts = line.split(u';');
        if (parts.size() != 3)
            continue;
        const QByteArray dir = (suiteDir + parts.at(1)).toUtf8();
        if (dir.size() > 254) {
            std::fprintf(stderr, "make_instal_dbf: path too long for the table: %s\n",
                         dir.constData());
            return 1;
        }
        records.append({{parts.at(0).toLatin1(), dir, oem.encode(parts.at(2))}, false});
    }
    QDir().mkpath(staging + suiteDir + QStringLiteral("TQ_W"));
    const QList<DbfWriter::Field> fields{{"VID", 1}, {"DIR", 254}, {"NAIM", 80}};
    if (!DbfWriter::write(staging + suiteDir + QStringLiteral("TQ_W/instal.dbf"), fields,
                          records)) {
        std::fprintf(stderr, "make_instal_dbf: cannot write the table\n");
        return 1;
    }
    return 0;
}

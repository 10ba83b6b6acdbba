// Writes two editions of a norm for the comparison benchmark: OLD.htm and NEW.htm of about
// the size asked (Word-style paragraphs, windows-1251), NEW with one clause in a hundred
// changed, clauses inserted and removed (those after them renumbered), and UNRELATED.htm, a
// norm of other words; with old.txt, new.txt and unrelated.txt, their paragraphs a line each,
// for a text differ to compare.
// Usage: compare_pair DIR MEGABYTES
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QStringEncoder>
#include <QStringList>

#include <cstdio>

namespace {

QStringList vocabulary(quint32 seed)
{
    static const QStringList syllables = {"ба",   "ве", "ти",  "ро", "мон", "ка", "лу",  "зе",
                                          "прот", "ни", "ста", "фу", "гер", "до", "шин", "ар"};
    QRandomGenerator random(seed);
    QStringList words;
    while (words.size() < 3000) {
        QString word;
        for (int i = 0, count = 2 + int(random.bounded(3)); i < count; ++i)
            word += syllables[int(random.bounded(int(syllables.size())))];
        if (!words.contains(word))
            words << word;
    }
    return words;
}

struct Norm
{
    QList<QStringList> sections; // each section's clauses
};

Norm made(quint32 seed, qint64 bytes)
{
    const QStringList words = vocabulary(seed);
    QRandomGenerator random(seed + 1);
    Norm norm;
    qint64 size = 0;
    while (size < bytes) {
        QStringList clauses;
        for (int c = 0; c < 150 && size < bytes; ++c) {
            QStringList picked;
            for (int w = 0, count = 12 + int(random.bounded(14)); w < count; ++w)
                picked << words[int(random.bounded(int(words.size())))];
            const QString clause = picked.join(u' ') + u'.';
            size += clause.size() + 40;
            clauses << clause;
        }
        norm.sections << clauses;
    }
    return norm;
}

Norm edited(Norm norm)
{
    QRandomGenerator random(99);
    for (QStringList& clauses : norm.sections) {
        for (qsizetype c = 0; c < clauses.size(); c += 100)
            clauses[c].replace(0, 3, QStringLiteral("Изм"));
        if (clauses.size() > 20) {
            clauses.insert(10, QStringLiteral("Вставленный пункт о порядке приемки работ."));
            clauses.removeAt(int(15 + random.bounded(5)));
        }
    }
    return norm;
}

bool write(const QString& path, const QString& text, bool cp1251)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    QStringEncoder encoder(cp1251 ? "windows-1251" : "UTF-8");
    return file.write(encoder.encode(text)) >= 0;
}

bool writeNorm(const QString& dir, const QString& name, const Norm& norm)
{
    QString html = QStringLiteral("<html><head><meta http-equiv=Content-Type content=\"text/html; "
                                  "charset=windows-1251\"><title>Свод правил</title></head>"
                                  "<body lang=RU><div class=WordSection1>\r\n");
    QString text;
    for (qsizetype s = 0; s < norm.sections.size(); ++s) {
        const QString number = QString::number(s % 99 + 1);
        html += QStringLiteral("<h1>%1 Раздел %1</h1>\r\n").arg(number);
        text += QStringLiteral("%1 Раздел %1\n").arg(number);
        for (qsizetype c = 0; c < norm.sections[s].size(); ++c) {
            const QString line =
                QStringLiteral("%1.%2 %3").arg(number).arg(c + 1).arg(norm.sections[s][c]);
            html += QStringLiteral("<p class=MsoNormal><span lang=RU>%1</span></p>\r\n").arg(line);
            text += line + u'\n';
        }
    }
    html += QStringLiteral("</div></body></html>");
    return write(dir + u'/' + name.toUpper() + QStringLiteral(".htm"), html, true) &&
           write(dir + u'/' + name + QStringLiteral(".txt"), text, false);
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication application(argc, argv);
    const QStringList arguments = application.arguments();
    if (arguments.size() != 3) {
        std::fputs("usage: compare_pair DIR MEGABYTES\n", stderr);
        return 2;
    }
    const QString dir = arguments.at(1);
    // A letter is a byte of windows-1251; the markup adds a sixth.
    const qint64 bytes = qint64(arguments.at(2).toDouble() * 1024 * 1024 * 0.85);
    QDir().mkpath(dir);
    const Norm older = made(1, bytes);
    const bool written = writeNorm(dir, QStringLiteral("old"), older) &&
                         writeNorm(dir, QStringLiteral("new"), edited(older)) &&
                         writeNorm(dir, QStringLiteral("unrelated"), made(7, bytes));
    return written ? 0 : 1;
}

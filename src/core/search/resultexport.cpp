#include "search/resultexport.h"

#include "norms/designationrule.h"

#include <QDir>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLocale>
#include <QUrl>

#include <algorithm>

namespace {

const QString Separator = QStringLiteral("->");

QString countText(const ResultExport::Row& row)
{
    return row.occurrences >= 0 ? QString::number(row.occurrences) : QString();
}

QString relevanceText(const ResultExport::Row& row)
{
    return row.relevance >= 0 ? QString::number(qRound(row.relevance)) : QString();
}

QString snippetText(const ResultExport::Row& row)
{
    return row.page > 0 ? QStringLiteral("с. %1: %2").arg(row.page).arg(row.snippet) : row.snippet;
}

// A field of the CSV table: quoted where it holds the separator, a quote or a line end.
QString csvField(QString text)
{
    if (text.contains(u';') || text.contains(u'"') || text.contains(u'\n') ||
        text.contains(u'\r')) {
        text.replace(u'"', QStringLiteral("\"\""));
        return u'"' + text + u'"';
    }
    return text;
}

QString ownCaption(const QString& caption)
{
    const qsizetype at = caption.lastIndexOf(Separator);
    return at < 0 ? caption : caption.mid(at + Separator.size());
}

} // namespace

QString ResultExport::folderOf(const QString& caption)
{
    const qsizetype at = caption.lastIndexOf(Separator);
    return at < 0 ? QString() : caption.left(at);
}

QString ResultExport::designationOf(const QString& caption)
{
    const QList<Designation> found = DesignationRule::find(ownCaption(caption));
    return found.isEmpty() ? QString() : found.first().text();
}

QByteArray ResultExport::csv(const QList<Row>& rows)
{
    QStringList lines{
        QStringLiteral("Документ;Обозначение;Папка;Файл;Совпадения;Соответствие, %;Фрагмент")};
    for (const Row& row : rows) {
        lines << QStringList{csvField(ownCaption(row.caption)),
                             csvField(row.designation),
                             csvField(folderOf(row.caption)),
                             csvField(QDir::toNativeSeparators(row.path)),
                             countText(row),
                             relevanceText(row),
                             csvField(snippetText(row))}
                     .join(u';');
    }
    // The mark tells a spreadsheet the table is UTF-8; lines end as it expects them.
    return QByteArray("\xEF\xBB\xBF") + lines.join(QStringLiteral("\r\n")).toUtf8() + "\r\n";
}

QByteArray ResultExport::html(const Search& search, const QList<Row>& rows)
{
    const auto escaped = [](const QString& text) { return text.toHtmlEscaped(); };
    QString page =
        QStringLiteral("<!DOCTYPE html>\n<html lang=\"ru\"><head><meta charset=\"utf-8\">"
                       "<title>Результаты поиска</title>"
                       "<style>body{font-family:sans-serif}td,th{border:1px solid #ccc;"
                       "padding:2px 6px;vertical-align:top}table{border-collapse:"
                       "collapse}</style></head><body>\n");
    page += QStringLiteral("<h1>Результаты поиска</h1>\n<p>Запрос: <b>%1</b>")
                .arg(escaped(search.query));
    if (!search.reading.isEmpty())
        page += QStringLiteral("<br>Прочитано как: ") + escaped(search.reading);
    page += QStringLiteral("<br>Режим: %1<br>Где искали: %2")
                .arg(escaped(search.mode), escaped(search.scope));
    if (!search.freshness.isEmpty())
        page += QStringLiteral("<br>Ответ: ") + escaped(search.freshness);
    page +=
        QStringLiteral("<br>Дата: %1<br>Найдено документов: %2</p>\n")
            .arg(
                QLocale(QLocale::Russian).toString(search.when, QStringLiteral("dd.MM.yyyy HH:mm")))
            .arg(rows.size());
    const bool relevance =
        std::any_of(rows.begin(), rows.end(), [](const Row& row) { return row.relevance >= 0; });
    page += QStringLiteral("<table>\n<tr><th>Документ</th><th>Обозначение</th><th>Папка</th><th>%1"
                           "</th><th>Фрагмент</th></tr>\n")
                .arg(relevance ? QStringLiteral("Соответствие, %") : QStringLiteral("Совпадения"));
    for (const Row& row : rows) {
        page +=
            QStringLiteral("<tr><td><a href=\"%1\">%2</a></td><td>%3</td><td>%4</td><td>%5</td>"
                           "<td>%6</td></tr>\n")
                .arg(escaped(QUrl::fromLocalFile(row.path).toString(QUrl::FullyEncoded)),
                     escaped(ownCaption(row.caption)), escaped(row.designation),
                     escaped(folderOf(row.caption)),
                     relevance ? relevanceText(row) : countText(row), escaped(snippetText(row)));
    }
    page += QStringLiteral("</table>\n</body></html>\n");
    return page.toUtf8();
}

QByteArray ResultExport::json(const QList<Row>& rows)
{
    QByteArray out;
    for (const Row& row : rows) {
        QJsonObject object{{QStringLiteral("document"), ownCaption(row.caption)},
                           {QStringLiteral("caption"), row.caption},
                           {QStringLiteral("path"), row.path},
                           {QStringLiteral("designation"), row.designation},
                           {QStringLiteral("folder"), folderOf(row.caption)},
                           {QStringLiteral("snippet"), row.snippet}};
        if (row.occurrences >= 0)
            object.insert(QStringLiteral("occurrences"), row.occurrences);
        if (row.relevance >= 0)
            object.insert(QStringLiteral("relevance"), row.relevance);
        if (row.page > 0)
            object.insert(QStringLiteral("page"), row.page);
        out += QJsonDocument(object).toJson(QJsonDocument::Compact) + '\n';
    }
    return out;
}

QString ResultExport::tabSeparated(const QList<Row>& rows)
{
    QStringList lines;
    for (const Row& row : rows) {
        QString snippet = snippetText(row);
        snippet.replace(u'\t', u' ').replace(u'\n', u' ');
        lines << QStringList{ownCaption(row.caption), row.designation, folderOf(row.caption),
                             row.relevance >= 0 ? relevanceText(row) : countText(row), snippet}
                     .join(u'\t');
    }
    return lines.join(u'\n');
}

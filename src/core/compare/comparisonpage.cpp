#include "compare/comparisonpage.h"

#include "text/russianplural.h"

#include <QUrl>

namespace {

// Past this many tokens, the middle of an unchanged run inside a changed part is left out.
constexpr qsizetype LongSameRun = 200;
constexpr qsizetype SameRunContext = 30;

QString escaped(const QString& text)
{
    return text.toHtmlEscaped();
}

QString parts(qint64 count)
{
    return RussianPlural::counted(count, QStringLiteral("пункт"), QStringLiteral("пункта"),
                                  QStringLiteral("пунктов"));
}

QString whatText(PartChange::What what)
{
    switch (what) {
    case PartChange::What::Unchanged:
        return QStringLiteral("без изменений");
    case PartChange::What::Changed:
        return QStringLiteral("изменён");
    case PartChange::What::Moved:
        return QStringLiteral("перенумерован или перенесён");
    case PartChange::What::Added:
        return QStringLiteral("добавлен");
    case PartChange::What::Removed:
        return QStringLiteral("исключён");
    }
    return {};
}

QString whatClass(PartChange::What what)
{
    return PartChange::whatName(what);
}

// The part as a link target: numbered parts by their address, the rest at the document's top.
QString addressOf(const EditionPart& part)
{
    if (part.part.kind == DocumentPart::Kind::Heading ||
        part.part.kind == DocumentPart::Kind::Title)
        return {};
    return part.label();
}

// The text of tokens [from, from + count) of a part, as written.
QString tokenText(const EditionPart& part, qsizetype from, qsizetype count)
{
    if (count <= 0)
        return {};
    const TextToken& first = part.tokens[std::size_t(from)];
    const TextToken& last = part.tokens[std::size_t(from + count - 1)];
    return part.text.mid(first.start, last.start + last.length - first.start);
}

QString changedText(const EditionPart& older, const EditionPart& newer, const PartChange& change)
{
    QStringList pieces;
    for (const DiffStep& step : change.steps) {
        switch (step.kind) {
        case DiffStep::Kind::Same:
            if (step.count > LongSameRun) {
                pieces << escaped(tokenText(older, step.oldAt, SameRunContext))
                       << QStringLiteral("<span class=\"skipped\">…</span>")
                       << escaped(tokenText(older, step.oldAt + step.count - SameRunContext,
                                            SameRunContext));
            } else {
                pieces << escaped(tokenText(older, step.oldAt, step.count));
            }
            break;
        case DiffStep::Kind::Deleted:
            pieces << QStringLiteral("<del>") + escaped(tokenText(older, step.oldAt, step.count)) +
                          QStringLiteral("</del>");
            break;
        case DiffStep::Kind::Inserted:
            pieces << QStringLiteral("<ins>") + escaped(tokenText(newer, step.newAt, step.count)) +
                          QStringLiteral("</ins>");
            break;
        }
    }
    return pieces.join(u' ');
}

QString linkTo(const QString& path, const EditionPart& part, const QString& text)
{
    return QStringLiteral("<a class=\"show\" href=\"%1\">%2</a>")
        .arg(escaped(ComparisonPage::partLink(path, addressOf(part))), text);
}

const char* const style = R"(
body { font-family: "Times New Roman", serif; font-size: 12pt; margin: 1em 2em; }
h1 { font-size: 16pt; } h2 { font-size: 14pt; }
.editions { color: #333; }
.counts span { margin-right: 1.5em; }
.part { margin: 0.8em 0; padding: 0.3em 0.6em; border-left: 4px solid #bbb; }
.part.changed, .part.moved { border-color: #c90; }
.part.added { border-color: #393; }
.part.removed { border-color: #c33; }
.head { font-weight: bold; }
.head .what { font-weight: normal; color: #555; margin-left: 0.5em; }
.head a.show { font-weight: normal; font-size: 10pt; margin-left: 0.8em; }
del { background: #fdd; color: #900; }
ins { background: #dfd; color: #060; text-decoration: none; border-bottom: 1px solid #6a6; }
.part.removed .text { background: #fdd; color: #900; text-decoration: line-through; }
.part.added .text { background: #efe; color: #060; }
.skipped { color: #777; }
details.same { margin: 0.5em 0; color: #555; }
details.same summary { cursor: pointer; }
)";

} // namespace

namespace ComparisonPage {

QString partLink(const QString& path, const QString& part)
{
    QUrl url;
    url.setScheme(QStringLiteral("lectoria-part"));
    url.setPath(path);
    if (!part.isEmpty())
        url.setFragment(part);
    return url.toString(QUrl::FullyEncoded);
}

QString changeLabel(const Edition& older, const Edition& newer, const PartChange& change)
{
    if (change.newPart < 0)
        return older.parts()[std::size_t(change.oldPart)].label();
    const EditionPart& part = newer.parts()[std::size_t(change.newPart)];
    if (change.what != PartChange::What::Moved)
        return part.label();
    const EditionPart& was = older.parts()[std::size_t(change.oldPart)];
    const bool sameKind = was.part.kind == part.part.kind;
    return part.label() + QStringLiteral(" (было ") + (sameKind ? was.part.key : was.label()) +
           u')';
}

QByteArray html(const Edition& older, const Edition& newer, const EditionComparison& comparison,
                const Source& oldSource, const Source& newSource)
{
    using What = PartChange::What;
    QString page = QStringLiteral("<!DOCTYPE html><html><head><meta charset=\"utf-8\"><title>"
                                  "Сравнение редакций</title><style>") +
                   QString::fromUtf8(style) + QStringLiteral("</style></head><body>");
    page += QStringLiteral("<h1>Сравнение редакций</h1><p class=\"editions\">Старая редакция: "
                           "<b>%1</b><br>Новая редакция: <b>%2</b></p>")
                .arg(escaped(oldSource.name), escaped(newSource.name));
    page += QStringLiteral("<h2 id=\"summary\">Что изменилось</h2><p class=\"counts\">");
    const auto count = [&page, &comparison](const QString& name, What what) {
        page += QStringLiteral("<span>%1: %2</span>").arg(name, parts(comparison.count(what)));
    };
    count(QStringLiteral("Добавлено"), What::Added);
    count(QStringLiteral("Исключено"), What::Removed);
    count(QStringLiteral("Изменено"), What::Changed);
    count(QStringLiteral("Перенумеровано или перенесено"), What::Moved);
    count(QStringLiteral("Без изменений"), What::Unchanged);
    page += QStringLiteral("</p>");

    const std::vector<PartChange>& changes = comparison.changes();
    if (!comparison.hasChanges()) {
        page += QStringLiteral("<p>Редакции не различаются.</p>");
    } else {
        page += QStringLiteral("<ul class=\"changed-list\">");
        for (std::size_t c = 0; c < changes.size(); ++c) {
            if (changes[c].what == What::Unchanged)
                continue;
            page +=
                QStringLiteral("<li><a href=\"#change-%1\">%2</a> — %3</li>")
                    .arg(c)
                    .arg(escaped(changeLabel(older, newer, changes[c])), whatText(changes[c].what));
        }
        page += QStringLiteral("</ul>");
    }

    // The parts; a run of unchanged ones folded to their titles.
    QStringList sameRun;
    const auto endSameRun = [&page, &sameRun] {
        if (sameRun.isEmpty())
            return;
        page += QStringLiteral("<details class=\"same\"><summary>Без изменений: %1</summary><ul>")
                    .arg(parts(sameRun.size())) +
                sameRun.join(QString()) + QStringLiteral("</ul></details>");
        sameRun.clear();
    };
    for (std::size_t c = 0; c < changes.size(); ++c) {
        const PartChange& change = changes[c];
        const EditionPart* was =
            change.oldPart >= 0 ? &older.parts()[std::size_t(change.oldPart)] : nullptr;
        const EditionPart* is =
            change.newPart >= 0 ? &newer.parts()[std::size_t(change.newPart)] : nullptr;
        if (change.what == What::Unchanged) {
            QString title = is->part.title;
            if (title == is->label())
                title.clear();
            sameRun << QStringLiteral("<li>") + linkTo(newSource.path, *is, escaped(is->label())) +
                           (title.isEmpty() ? QString() : QStringLiteral(" ") + escaped(title)) +
                           QStringLiteral("</li>");
            continue;
        }
        endSameRun();
        page += QStringLiteral("<div class=\"part %1\" id=\"change-%2\"><div class=\"head\">"
                               "<span class=\"label\">%3</span><span class=\"what\">%4</span>")
                    .arg(whatClass(change.what))
                    .arg(c)
                    .arg(escaped(changeLabel(older, newer, change)), whatText(change.what));
        if (was)
            page += linkTo(oldSource.path, *was, QStringLiteral("в старой редакции"));
        if (is)
            page += linkTo(newSource.path, *is, QStringLiteral("в новой редакции"));
        page += QStringLiteral("</div><div class=\"text\">");
        if (!was)
            page += escaped(is->text);
        else if (!is)
            page += escaped(was->text);
        else
            page += changedText(*was, *is, change);
        page += QStringLiteral("</div></div>\n");
    }
    endSameRun();
    page += QStringLiteral("</body></html>");
    return page.toUtf8();
}

} // namespace ComparisonPage

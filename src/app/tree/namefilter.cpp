#include "tree/namefilter.h"

#include "library/libraryscan.h"
#include "matching/namematcher.h"
#include "platform/platform.h"
#include "support/pictures.h"

#include <QApplication>
#include <QFont>
#include <QPainter>
#include <QStyledItemDelegate>
#include <QTreeWidget>

namespace {

constexpr int PathRole = Qt::UserRole + 1;
constexpr int MarksRole = Qt::UserRole + 2;

// Draws a caption with the parts the typed words cover marked.
class MarkedCaptionDelegate final : public QStyledItemDelegate
{
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override
    {
        const QVariantList marks = index.data(MarksRole).toList();
        QStyleOptionViewItem item = option;
        initStyleOption(&item, index);
        const QString text = item.text;
        item.text.clear();
        const QWidget* widget = option.widget;
        QStyle* style = widget ? widget->style() : QApplication::style();
        style->drawControl(QStyle::CE_ItemViewItem, &item, painter, widget);
        const QRect area = style->subElementRect(QStyle::SE_ItemViewItemText, &item, widget);
        painter->save();
        painter->setFont(item.font);
        const QFontMetrics metrics(item.font);
        const bool selected = item.state & QStyle::State_Selected;
        int x = area.left() + 2;
        qsizetype at = 0;
        const auto run = [&](qsizetype to, bool marked) {
            if (to <= at)
                return;
            const QString part = text.mid(at, to - at);
            const int width = metrics.horizontalAdvance(part);
            if (marked)
                painter->fillRect(QRect(x, area.top() + 1, width, area.height() - 2),
                                  QColor(0xff, 0xe0, 0x80));
            painter->setPen(item.palette.color(selected && !marked ? QPalette::HighlightedText
                                                                   : QPalette::Text));
            painter->drawText(QRect(x, area.top(), width + 1, area.height()),
                              Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, part);
            x += width;
            at = to;
        };
        for (const QVariant& mark : marks) {
            const QPoint range = mark.toPoint();
            run(range.x(), false);
            run(range.y(), true);
        }
        run(text.size(), false);
        painter->restore();
    }
};

} // namespace

NameFilter::NameFilter(QTreeWidget* view, QObject* parent) : QObject(parent), m_view(view)
{
    m_view->setItemDelegate(new MarkedCaptionDelegate(m_view));
}

void NameFilter::setCollection(const QStringList& roots, const QStringList& rootCaptions,
                               const QString& title)
{
    if (roots == m_roots && rootCaptions == m_rootCaptions && title == m_title)
        return;
    m_roots = roots;
    m_rootCaptions = rootCaptions;
    m_title = title;
    invalidate();
}

void NameFilter::invalidate()
{
    m_reading.cancel(); // names still read are of the collection before
    m_ready = false;
    m_entries.reset();
}

void NameFilter::read()
{
    if (m_reading.isRunning())
        return;
    const QStringList roots = m_roots;
    const QStringList captions = m_rootCaptions;
    m_reading.start(
        [roots, captions](const auto&) {
            auto entries = std::make_shared<Entries>();
            const auto add = [&entries](const QString& caption, const QString& path, bool folder,
                                        int parent) {
                const QString fileName =
                    Platform::displayName(path.mid(path.lastIndexOf(u'/') + 1));
                entries->push_back(Entry{caption, NameMatcher::folded(caption),
                                         NameMatcher::folded(fileName), path, parent, folder});
                return int(entries->size()) - 1;
            };
            std::function<void(const std::vector<ScanNode>&, int)> walk;
            walk = [&](const std::vector<ScanNode>& nodes, int parent) {
                for (const ScanNode& node : nodes) {
                    const int at = add(node.caption, node.path, node.isFolder, parent);
                    if (node.isFolder)
                        walk(node.children, at);
                }
            };
            for (qsizetype i = 0; i < roots.size(); ++i) {
                int parent = -1;
                if (i < captions.size() && !captions.at(i).isEmpty())
                    parent = add(captions.at(i), roots.at(i), true, -1);
                walk(LibraryScan::deep(roots.at(i)), parent);
            }
            return std::shared_ptr<const Entries>(std::move(entries));
        },
        [this](std::shared_ptr<const Entries> entries) {
            m_entries = std::move(entries);
            m_ready = true;
            emit ready();
            if (!m_pending.isEmpty())
                filter(QString(m_pending)); // a copy: the filtering forgets what was pending
        });
}

bool NameFilter::filter(const QString& typed)
{
    m_view->clear();
    const NameMatcher matcher(typed);
    if (!matcher.isValid())
        return false;
    if (!m_ready) {
        m_pending = typed;
        read();
        auto* waiting = new QTreeWidgetItem(m_view, {QStringLiteral("Чтение названий…")});
        waiting->setFlags(Qt::NoItemFlags);
        return true;
    }
    m_pending.clear();
    const Entries& entries = *m_entries;
    // What matches, and the folders on the way to it.
    std::vector<char> shown(entries.size(), 0);
    std::vector<char> matched(entries.size(), 0);
    std::vector<char> first(entries.size(), 0); // a caption that begins with the query, or
                                                // a folder on the way to one
    int count = 0;
    for (size_t i = 0; i < entries.size() && count < MaxShown; ++i) {
        const Entry& entry = entries[i];
        const bool all = matcher.matchesFolded(entry.foldedCaption, entry.foldedFileName);
        if (!all)
            continue;
        matched[i] = 1;
        ++count;
        for (int up = int(i); up >= 0 && !shown[size_t(up)]; up = entries[size_t(up)].parent)
            shown[size_t(up)] = 1;
        if (matcher.beginsFolded(entry.foldedCaption)) {
            for (int up = int(i); up >= 0 && !first[size_t(up)]; up = entries[size_t(up)].parent)
                first[size_t(up)] = 1;
        }
    }
    if (count == 0) {
        auto* none = new QTreeWidgetItem(m_view, {QStringLiteral("Ничего не найдено")});
        none->setFlags(Qt::NoItemFlags);
        return false;
    }
    m_view->setUpdatesEnabled(false);
    // How many, first: a cut list says so in a line short enough to be read whole.
    auto* found = new QTreeWidgetItem(
        m_view,
        {count >= MaxShown ? QStringLiteral("Найдено больше %1: уточните название").arg(MaxShown)
                           : QStringLiteral("Найдено: %1").arg(count)});
    found->setFlags(Qt::NoItemFlags);
    found->setToolTip(0, found->text(0));
    auto* top = new QTreeWidgetItem(m_view, {m_title});
    top->setIcon(0, Pictures::icon(Pictures::Picture::Folder));
    QFont bold = m_view->font();
    bold.setBold(true);
    top->setFont(0, bold);
    std::vector<QTreeWidgetItem*> items(entries.size(), nullptr);
    // Ranked: at each level what begins with the query (or leads to it) first, then the rest,
    // each in tree order.
    std::vector<size_t> order;
    order.reserve(entries.size());
    for (const char pass : {char(1), char(0)}) {
        for (size_t i = 0; i < entries.size(); ++i) {
            if (shown[i] && first[i] == pass)
                order.push_back(i);
        }
    }
    for (const size_t i : order) {
        const Entry& entry = entries[i];
        QTreeWidgetItem* parent = entry.parent >= 0 ? items[size_t(entry.parent)] : top;
        auto* item = new QTreeWidgetItem(parent, {entry.caption});
        item->setData(0, PathRole, entry.path);
        item->setIcon(0, Pictures::icon(entry.isFolder ? Pictures::Picture::Folder
                                                       : Pictures::Picture::Document));
        item->setToolTip(0, entry.caption);
        if (entry.isFolder)
            item->setFont(0, bold);
        if (matched[i]) {
            QVariantList marks;
            for (const auto& range : matcher.marks(entry.caption))
                marks.append(QPoint(int(range.first), int(range.second)));
            item->setData(0, MarksRole, marks);
        }
        items[i] = item;
    }
    m_view->expandAll();
    m_view->setUpdatesEnabled(true);
    return true;
}

QString NameFilter::pathOf(const QTreeWidgetItem* item)
{
    return item ? item->data(0, PathRole).toString() : QString();
}

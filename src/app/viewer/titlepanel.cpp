#include "viewer/titlepanel.h"

#include "support/flatbutton.h"
#include "support/keybindings.h"
#include "text/russianplural.h"
#include "viewer/documentviewer.h"
#include "viewer/occurrencenavigator.h"

#include <QEvent>
#include <QFontMetrics>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QToolButton>
#include <QUrl>

namespace {

// "17 совпадений", "1 совпадение", "3 совпадения".
QString occurrencesPhrase(int count)
{
    return RussianPlural::counted(count, QStringLiteral("совпадение"), QStringLiteral("совпадения"),
                                  QStringLiteral("совпадений"));
}

} // namespace

TitlePanel::TitlePanel(DocumentViewer* viewer, QWidget* parent)
    : QWidget(parent), m_occurrences(viewer->occurrences())
{
    connect(viewer, &DocumentViewer::shownChanged, this, &TitlePanel::setTitle);
    connect(this, &TitlePanel::stepRequested, viewer, &DocumentViewer::stepOccurrence);
    setObjectName(QStringLiteral("titlePanel"));
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    m_title = new QLabel(this);
    m_title->setObjectName(QStringLiteral("titleLabel"));
    m_title->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    m_title->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    m_title->setAutoFillBackground(true);
    m_title->setStyleSheet(QStringLiteral("QLabel { background: #ccffcc; font-weight: bold; }"));
    m_title->setTextFormat(Qt::PlainText);
    m_title->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    row->addWidget(m_title, 1);
    m_title->installEventFilter(this);
    // What the library holds beside the shown document: a newer edition, what replaced it.
    m_normNote = new QLabel(this);
    m_normNote->setObjectName(QStringLiteral("normNote"));
    m_normNote->setTextFormat(Qt::RichText);
    m_normNote->setVisible(false);
    connect(m_normNote, &QLabel::linkActivated, this, [this](const QString& link) {
        emit designationRequested(QUrl::fromPercentEncoding(link.mid(5).toLatin1()));
    });
    row->addWidget(m_normNote);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);

    m_previous = makeFlatButton(
        this, QStringLiteral("previousOccurrenceButton"), QStringLiteral("Предыдущее"),
        QStringLiteral("Предыдущее совпадение (") +
            KeyBindings::hintText(QKeySequence::keyBindings(QKeySequence::FindPrevious),
                                  QStringLiteral("Shift+Enter")) +
            u')');
    m_counter = new QLabel(this);
    m_counter->setObjectName(QStringLiteral("occurrenceCounter"));
    m_next =
        makeFlatButton(this, QStringLiteral("nextOccurrenceButton"), QStringLiteral("Следующее"),
                       QStringLiteral("Следующее совпадение (") +
                           KeyBindings::hintText(KeyBindings::withoutF3(QKeySequence::FindNext),
                                                 QStringLiteral("Enter")) +
                           u')');
    row->addWidget(m_previous);
    row->addWidget(m_counter);
    row->addWidget(m_next);

    connect(m_previous, &QToolButton::clicked, this, [this] { emit stepRequested(-1); });
    connect(m_next, &QToolButton::clicked, this, [this] { emit stepRequested(1); });
    connect(m_occurrences, &OccurrenceNavigator::changed, this, &TitlePanel::updateCounter);
    updateCounter();
}

void TitlePanel::setTitle(const QString& title, int marks, int inMarkup)
{
    QString text = QStringLiteral(" ") + title;
    // Found only in its markup: the copy marks nothing, and the user is told why.
    if (marks == 0 && inMarkup > 0)
        text += QStringLiteral(" — совпадения только в разметке");
    else if (marks > 0)
        text += QStringLiteral(" — ") + occurrencesPhrase(marks);
    m_fullText = text;
    m_title->setToolTip(text);
    showFitted();
}

void TitlePanel::showFitted()
{
    // A path too long for the panel is shortened in its middle; the shown node's caption and
    // the count stay whole.
    const QFontMetrics metrics(m_title->font());
    const int room = m_title->contentsRect().width() - 2 * m_title->margin() - 4;
    if (room <= 0 || metrics.horizontalAdvance(m_fullText) <= room) {
        m_title->setText(m_fullText);
        return;
    }
    const qsizetype cut = m_fullText.lastIndexOf(QStringLiteral("->"));
    const QString kept = cut < 0 ? m_fullText : m_fullText.mid(cut);
    const QString path = cut < 0 ? QString() : m_fullText.left(cut);
    const int pathRoom = room - metrics.horizontalAdvance(kept);
    m_title->setText(pathRoom > metrics.horizontalAdvance(QStringLiteral("…"))
                         ? metrics.elidedText(path, Qt::ElideMiddle, pathRoom) + kept
                         : metrics.elidedText(m_fullText, Qt::ElideLeft, room));
}

bool TitlePanel::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_title && event->type() == QEvent::Resize)
        showFitted();
    return QWidget::eventFilter(watched, event);
}

QString TitlePanel::text() const
{
    return m_fullText;
}

void TitlePanel::updateCounter()
{
    const int count = m_occurrences->count();
    for (QWidget* control : {static_cast<QWidget*>(m_previous), static_cast<QWidget*>(m_next),
                             static_cast<QWidget*>(m_counter)})
        control->setVisible(count > 0);
    if (count > 0)
        m_counter->setText(m_occurrences->current() > 0
                               ? QStringLiteral("%1 из %2").arg(m_occurrences->current()).arg(count)
                               : QStringLiteral("%1").arg(count));
}

void TitlePanel::setNormNotes(const QList<NormCatalog::Note>& notes)
{
    QStringList parts;
    for (const NormCatalog::Note& note : notes)
        parts.append(note.text.toHtmlEscaped() + QStringLiteral("<a href='norm:") +
                     QString::fromLatin1(QUrl::toPercentEncoding(note.designation)) +
                     QStringLiteral("'>") + note.designation.toHtmlEscaped() +
                     QStringLiteral("</a>"));
    m_normNote->setText(parts.join(QStringLiteral("; ")));
    m_normNote->setVisible(!parts.isEmpty());
}

#pragma once

#include <QByteArray>
#include <QByteArrayList>

// The text of a PDF file as its text layer gives it, page by page, in reading order.
class PdfText
{
public:
    enum class State
    {
        Text,      // pages with text
        NoText,    // pages but no text layer (a scan)
        Unreadable // damaged, locked by a password, too large, or the reader failed
    };

    PdfText() = default;
    static PdfText withText(QByteArrayList pages) { return PdfText(State::Text, std::move(pages)); }
    static PdfText withoutText() { return PdfText(State::NoText, {}); }
    static PdfText unreadable() { return PdfText(State::Unreadable, {}); }

    State state() const { return m_state; }
    // Each page's text (UTF-8), its lines separated by line feeds.
    const QByteArrayList& pages() const { return m_pages; }
    // The text as a page of the library: a UTF-8 document the search and the index read as
    // they read any page. A line that ends with a hyphen is joined to the next one (see
    // joinedPage); each page is a block of its own, numbered (data-page).
    QByteArray document() const;
    // The page (from 1) a position of document() lies on; 0 before the first.
    static int pageAt(const QByteArray& document, qsizetype position);
    // A page's lines as one text: a word broken by a hyphen at a line end is whole again
    // ("бето-" "на" is "бетона"), a designation keeps its hyphen ("2.01.07-" "85" is
    // "2.01.07-85"); other lines are joined by a line feed.
    static QByteArray joinedPage(const QByteArray& page);

private:
    PdfText(State state, QByteArrayList pages) : m_state(state), m_pages(std::move(pages)) {}

    State m_state = State::Unreadable;
    QByteArrayList m_pages;
};

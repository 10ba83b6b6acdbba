#pragma once

#include <QString>
#include <QStringList>

#include <vector>

// A part of a query: a term, or terms joined.
struct QueryNode
{
    enum class Kind
    {
        Term,
        And,  // every child
        Or,   // any child
        Not,  // its one child must not be present
        Near, // its terms with at most distance words between them, in any order
    };
    enum class Field
    {
        Text,        // the document's text, as the mode reads it
        Title,       // "название:": the caption, file name, <title> and first heading
        Designation, // "обозначение:": a designation of the document, any edition
        Folder,      // "папка:": a folder's name on the document's path
    };

    Kind kind = Kind::Term;
    QString text; // a term's context
    Field field = Field::Text;
    bool quoted = false; // "…": a phrase (word forms), a fragment with operator signs
    bool prefix = false; // word forms: "арматур*", any word beginning so
    int distance = 0;    // Near
    // A Not of a minus ("-асфальт"): it excludes from its whole group, whatever joins the
    // group's other terms ("сваи ИЛИ шпунт -асфальт" is "(сваи ИЛИ шпунт) БЕЗ асфальт").
    bool wholeGroup = false;
    std::vector<QueryNode> children;
};

// A query of the find box or of lectoria-find --query: the existing contexts as terms, with
// И/AND/&, ИЛИ/OR/|, НЕ/NOT or a minus before a letter, "…", "…"~N and term /N term, word*,
// parentheses and the fields название:, обозначение:, папка: (and title:, designation:,
// folder:). Operator words count only in capitals and whole; a minus only before a letter at
// a term's start, and it excludes from the whole group it stands in (НЕ binds to the term
// beside it); only those field names before a colon make a field. A text with no
// operator at all is one context, read exactly as it always was (isPlain).
class SearchQuery
{
public:
    // wordForms: a term is a word, and blanks between words say "and"; otherwise a term is a
    // fragment, blanks included.
    static SearchQuery parse(const QString& text, bool wordForms);

    // The text holds no operator: it is searched as one context.
    bool isPlain() const { return m_plain; }
    bool isValid() const { return m_error.isEmpty(); }
    // Why the query is refused, naming the place ("Нет закрывающей скобки после «(смесь»").
    QString error() const { return m_error; }
    const QueryNode& root() const { return m_root; }
    // How it was read: "бетон И (смесь ИЛИ раствор) БЕЗ асфальт".
    QString reading() const;
    // The terms that must or may be present (not those excluded), in order, of the text.
    QStringList positiveTerms() const;

    // The greatest distance of "~N" and "/N".
    static constexpr int MaxDistance = 100;
    // Letters before "*" at least.
    static constexpr int MinPrefix = 3;

    // What the parser hands over.
    struct Parsed
    {
        QueryNode root;
        QString error;
        bool plain = true;
    };

private:
    QueryNode m_root;
    QString m_error;
    bool m_plain = true;
};

#include "query/searchquery.h"

#include <algorithm>
#include <optional>

namespace {

struct Token
{
    enum class Kind
    {
        Word,
        Quoted,
        Open,
        Close,
        And,
        Or,
        Not,
        Near, // "/N"
    };
    Kind kind = Kind::Word;
    QString text;
    qsizetype end = 0;     // past its last character in the query
    int distance = -1;     // Quoted with "~N", Near
    bool excluded = false; // a Word or Quoted after a minus
    QueryNode::Field field = QueryNode::Field::Text;
    bool fieldOnly = false; // "название:" with its value in the words after
};

std::optional<QueryNode::Field> fieldNamed(const QString& name)
{
    const QString lower = name.toLower();
    if (lower == u"название" || lower == u"title")
        return QueryNode::Field::Title;
    if (lower == u"обозначение" || lower == u"designation")
        return QueryNode::Field::Designation;
    if (lower == u"папка" || lower == u"folder")
        return QueryNode::Field::Folder;
    return std::nullopt;
}

QString fieldName(QueryNode::Field field)
{
    switch (field) {
    case QueryNode::Field::Title:
        return QStringLiteral("название");
    case QueryNode::Field::Designation:
        return QStringLiteral("обозначение");
    case QueryNode::Field::Folder:
        return QStringLiteral("папка");
    case QueryNode::Field::Text:
        break;
    }
    return {};
}

QString quoted(const QString& text)
{
    QString shown = text.simplified();
    if (shown.size() > 48)
        shown = QChar(0x2026) + shown.right(47);
    return QStringLiteral("«") + shown + QStringLiteral("»");
}

class Parser
{
public:
    Parser(const QString& text, bool wordForms) : m_text(text), m_wordForms(wordForms) {}

    SearchQuery::Parsed run()
    {
        SearchQuery::Parsed parsed;
        if (!lex()) {
            parsed.error = m_error;
            parsed.plain = false;
            return parsed;
        }
        parsed.plain = !m_operators;
        if (parsed.plain)
            return parsed;
        std::optional<QueryNode> root = orExpression();
        if (root && m_at < m_tokens.size()) {
            const Token& stray = m_tokens[m_at];
            fail(stray.kind == Token::Kind::Close
                     ? QStringLiteral("Лишняя закрывающая скобка после %1")
                           .arg(quoted(m_text.left(stray.end)))
                     : QStringLiteral("Не понятно, к чему относится %1").arg(quoted(stray.text)));
        }
        if (root)
            hoistExclusions(*root);
        if (root && m_error.isEmpty() && !hasPositive(*root))
            fail(QStringLiteral("Запрос должен содержать хотя бы одно слово, которое нужно найти"));
        if (m_error.isEmpty() && root)
            parsed.root = std::move(*root);
        parsed.error = m_error;
        return parsed;
    }

private:
    void fail(const QString& error)
    {
        if (m_error.isEmpty())
            m_error = error;
    }

    static bool isBlank(QChar c) { return c.isSpace(); }

    // The query cut into tokens; false on an unclosed quote or a malformed distance.
    bool lex()
    {
        const qsizetype size = m_text.size();
        qsizetype i = 0;
        bool termStart = true; // a minus or a field may begin a term here
        while (i < size) {
            const QChar c = m_text[i];
            if (isBlank(c)) {
                ++i;
                termStart = true;
                continue;
            }
            if (c == u'"') {
                const qsizetype close = m_text.indexOf(u'"', i + 1);
                if (close < 0) {
                    m_error = QStringLiteral("Нет закрывающей кавычки после %1")
                                  .arg(quoted(m_text.mid(i)));
                    return false;
                }
                Token token{Token::Kind::Quoted, m_text.mid(i + 1, close - i - 1), close + 1};
                // Quotes around operators say the operators are text: a query of that text.
                if (holdsOperator(token.text))
                    m_operators = true;
                i = close + 1;
                if (i < size && m_text[i] == u'~') {
                    qsizetype digits = i + 1;
                    while (digits < size && m_text[digits].isDigit())
                        ++digits;
                    if (digits == i + 1) {
                        m_error = QStringLiteral("После «~» нужно число слов: %1")
                                      .arg(quoted(m_text.left(i + 1)));
                        return false;
                    }
                    if (!setDistance(token, m_text.mid(i + 1, digits - i - 1)))
                        return false;
                    m_operators = true;
                    i = digits;
                    token.end = i;
                }
                m_tokens.push_back(token);
                termStart = false;
                continue;
            }
            // A word: to the next blank or quote.
            qsizetype end = i;
            while (end < size && !isBlank(m_text[end]) && m_text[end] != u'"')
                ++end;
            addWord(m_text.mid(i, end - i), i, termStart);
            if (!m_error.isEmpty())
                return false;
            i = end;
            termStart = false;
        }
        return true;
    }

    static bool holdsOperator(const QString& text)
    {
        static const QStringList operators{QStringLiteral("И"),  QStringLiteral("AND"),
                                           QStringLiteral("&"),  QStringLiteral("ИЛИ"),
                                           QStringLiteral("OR"), QStringLiteral("|"),
                                           QStringLiteral("НЕ"), QStringLiteral("NOT")};
        const QStringList words = text.split(u' ', Qt::SkipEmptyParts);
        return std::any_of(words.begin(), words.end(),
                           [](const QString& word) { return operators.contains(word); });
    }

    bool setDistance(Token& token, const QString& digits)
    {
        bool ok = false;
        const int distance = digits.toInt(&ok);
        if (!ok || distance > SearchQuery::MaxDistance) {
            m_error = QStringLiteral("Расстояние больше %1 слов: %2")
                          .arg(SearchQuery::MaxDistance)
                          .arg(quoted(digits));
            return false;
        }
        token.distance = distance;
        return true;
    }

    void addWord(QString word, qsizetype at, bool termStart)
    {
        const qsizetype end = at + word.size();
        static const QStringList ands{QStringLiteral("И"), QStringLiteral("AND"),
                                      QStringLiteral("&")};
        static const QStringList ors{QStringLiteral("ИЛИ"), QStringLiteral("OR"),
                                     QStringLiteral("|")};
        static const QStringList nots{QStringLiteral("НЕ"), QStringLiteral("NOT")};
        if (ands.contains(word) || ors.contains(word) || nots.contains(word)) {
            m_operators = true;
            m_tokens.push_back({ands.contains(word)  ? Token::Kind::And
                                : ors.contains(word) ? Token::Kind::Or
                                                     : Token::Kind::Not,
                                word, end});
            return;
        }
        if (word.startsWith(u'/') && (word.size() == 1 || word[1].isDigit())) {
            // "/N" between terms; "с/х" is a word.
            qsizetype digits = 1;
            while (digits < word.size() && word[digits].isDigit())
                ++digits;
            if (digits == 1 || digits < word.size()) {
                m_error =
                    QStringLiteral("После «/» нужно число слов: %1").arg(quoted(m_text.left(end)));
                return;
            }
            Token token{Token::Kind::Near, word, end};
            if (!setDistance(token, word.mid(1)))
                return;
            m_operators = true;
            m_tokens.push_back(token);
            return;
        }
        // Parentheses around words.
        qsizetype opens = 0;
        while (opens < word.size() && word[opens] == u'(')
            ++opens;
        qsizetype closes = 0;
        while (closes < word.size() - opens && word[word.size() - 1 - closes] == u')')
            ++closes;
        for (qsizetype p = 0; p < opens; ++p)
            m_tokens.push_back({Token::Kind::Open, QStringLiteral("("), at + p + 1});
        const QString inner = word.mid(opens, word.size() - opens - closes);
        if (!inner.isEmpty())
            addTerm(inner, at + opens, termStart || opens > 0);
        for (qsizetype p = 0; p < closes; ++p)
            m_tokens.push_back({Token::Kind::Close, QStringLiteral(")"), end - closes + p + 1});
    }

    void addTerm(QString word, qsizetype at, bool termStart)
    {
        Token token{Token::Kind::Word, word, at + word.size()};
        if (termStart && word.size() > 1 && word[0] == u'-' && word[1].isLetter()) {
            token.excluded = true;
            token.text = word.mid(1);
            m_operators = true;
        }
        const qsizetype colon = token.text.indexOf(u':');
        if (termStart && colon > 0) {
            if (const std::optional<QueryNode::Field> field = fieldNamed(token.text.left(colon))) {
                token.field = *field;
                token.text = token.text.mid(colon + 1);
                token.fieldOnly = token.text.isEmpty();
                m_operators = true;
            }
        }
        if (m_wordForms && token.field == QueryNode::Field::Text && token.text.endsWith(u'*'))
            m_operators = true;
        m_tokens.push_back(token);
    }

    // Parsing, over the tokens.
    bool atKind(Token::Kind kind) const
    {
        return m_at < m_tokens.size() && m_tokens[m_at].kind == kind;
    }
    QString before() const { return m_at == 0 ? QString() : m_text.left(m_tokens[m_at - 1].end); }

    std::optional<QueryNode> orExpression()
    {
        std::vector<QueryNode> children;
        if (atKind(Token::Kind::Or)) {
            fail(QStringLiteral("Перед «%1» нет слова").arg(m_tokens[m_at].text));
            return std::nullopt;
        }
        std::optional<QueryNode> first = andExpression();
        if (!first)
            return std::nullopt;
        children.push_back(std::move(*first));
        while (atKind(Token::Kind::Or)) {
            ++m_at;
            std::optional<QueryNode> next = andExpression();
            if (!next)
                return std::nullopt;
            children.push_back(std::move(*next));
        }
        return joined(QueryNode::Kind::Or, std::move(children));
    }

    static QueryNode joined(QueryNode::Kind kind, std::vector<QueryNode> children)
    {
        if (children.size() == 1)
            return std::move(children.front());
        QueryNode node;
        node.kind = kind;
        for (QueryNode& child : children) {
            // (a И b) И c is a И b И c.
            if (child.kind == kind)
                for (QueryNode& grandchild : child.children)
                    node.children.push_back(std::move(grandchild));
            else
                node.children.push_back(std::move(child));
        }
        return node;
    }

    bool startsOperand() const
    {
        return atKind(Token::Kind::Word) || atKind(Token::Kind::Quoted) ||
               atKind(Token::Kind::Open) || atKind(Token::Kind::Not);
    }

    std::optional<QueryNode> andExpression()
    {
        std::vector<QueryNode> children;
        if (atKind(Token::Kind::And)) {
            fail(QStringLiteral("Перед «%1» нет слова").arg(m_tokens[m_at].text));
            return std::nullopt;
        }
        while (true) {
            if (atKind(Token::Kind::And)) {
                ++m_at;
                if (!startsOperand()) {
                    missingAfter();
                    return std::nullopt;
                }
            }
            if (!startsOperand())
                break;
            std::optional<QueryNode> next = nearExpression();
            if (!next)
                return std::nullopt;
            children.push_back(std::move(*next));
        }
        if (children.empty()) {
            missingAfter();
            return std::nullopt;
        }
        return joined(QueryNode::Kind::And, std::move(children));
    }

    void missingAfter()
    {
        if (m_at < m_tokens.size() && m_tokens[m_at].kind == Token::Kind::Close && m_at > 0 &&
            m_tokens[m_at - 1].kind == Token::Kind::Open)
            fail(QStringLiteral("В скобках нет слова: %1")
                     .arg(quoted(m_text.left(m_tokens[m_at].end))));
        else
            fail(QStringLiteral("После %1 нет слова").arg(quoted(before())));
    }

    // term /N term /N term: all of them near each other.
    std::optional<QueryNode> nearExpression()
    {
        std::optional<QueryNode> first = unary();
        if (!first)
            return std::nullopt;
        if (!atKind(Token::Kind::Near))
            return first;
        QueryNode near;
        near.kind = QueryNode::Kind::Near;
        near.distance = m_tokens[m_at].distance;
        near.children.push_back(std::move(*first));
        while (atKind(Token::Kind::Near)) {
            near.distance = std::max(near.distance, m_tokens[m_at].distance);
            ++m_at;
            if (!atKind(Token::Kind::Word) && !atKind(Token::Kind::Quoted)) {
                missingAfter();
                return std::nullopt;
            }
            std::optional<QueryNode> next = unary();
            if (!next)
                return std::nullopt;
            near.children.push_back(std::move(*next));
        }
        for (const QueryNode& child : near.children) {
            if (child.kind != QueryNode::Kind::Term && child.kind != QueryNode::Kind::And) {
                fail(QStringLiteral("Рядом («/N») могут стоять только слова: %1")
                         .arg(quoted(before())));
                return std::nullopt;
            }
        }
        return near;
    }

    std::optional<QueryNode> unary()
    {
        if (atKind(Token::Kind::Not)) {
            ++m_at;
            if (!startsOperand()) {
                missingAfter();
                return std::nullopt;
            }
            std::optional<QueryNode> inner = unary();
            if (!inner)
                return std::nullopt;
            return negated(std::move(*inner));
        }
        return primary();
    }

    static QueryNode negated(QueryNode inner, bool wholeGroup = false)
    {
        QueryNode node;
        node.kind = QueryNode::Kind::Not;
        node.wholeGroup = wholeGroup;
        node.children.push_back(std::move(inner));
        return node;
    }

    // A minus's exclusion taken out of the terms an ИЛИ joins to apply to them all.
    static void hoistExclusions(QueryNode& node)
    {
        for (QueryNode& child : node.children)
            hoistExclusions(child);
        if (node.kind != QueryNode::Kind::Or)
            return;
        std::vector<QueryNode> excluded;
        std::vector<QueryNode> kept;
        for (QueryNode& child : node.children) {
            if (child.kind == QueryNode::Kind::Not && child.wholeGroup) {
                excluded.push_back(std::move(child));
                continue;
            }
            if (child.kind == QueryNode::Kind::And) {
                std::vector<QueryNode> terms;
                for (QueryNode& term : child.children)
                    (term.kind == QueryNode::Kind::Not && term.wholeGroup ? excluded : terms)
                        .push_back(std::move(term));
                child.children = std::move(terms);
                if (child.children.size() == 1) {
                    QueryNode only = std::move(child.children.front());
                    child = std::move(only);
                }
            }
            kept.push_back(std::move(child));
        }
        if (excluded.empty()) {
            node.children = std::move(kept);
            return;
        }
        QueryNode either;
        either.kind = QueryNode::Kind::Or;
        either.children = std::move(kept);
        QueryNode all;
        all.kind = QueryNode::Kind::And;
        if (either.children.size() == 1)
            all.children.push_back(std::move(either.children.front()));
        else if (!either.children.empty())
            all.children.push_back(std::move(either));
        for (QueryNode& exclusion : excluded)
            all.children.push_back(std::move(exclusion));
        node = std::move(all);
    }

    std::optional<QueryNode> primary()
    {
        if (atKind(Token::Kind::Open)) {
            const qsizetype open = m_at;
            ++m_at;
            if (atKind(Token::Kind::Close)) {
                missingAfter();
                return std::nullopt;
            }
            std::optional<QueryNode> inner = orExpression();
            if (!inner)
                return std::nullopt;
            if (!atKind(Token::Kind::Close)) {
                const qsizetype from = m_tokens[open].end - 1;
                fail(QStringLiteral("Нет закрывающей скобки после %1")
                         .arg(quoted(m_text.mid(
                             from, (m_at > 0 ? m_tokens[m_at - 1].end : m_text.size()) - from))));
                return std::nullopt;
            }
            ++m_at;
            return inner;
        }
        if (atKind(Token::Kind::Quoted))
            return quotedTerm(m_tokens[m_at++]);
        return wordTerms();
    }

    std::optional<QueryNode> quotedTerm(const Token& token)
    {
        QueryNode term;
        term.text = token.text.simplified();
        term.quoted = true;
        term.field = token.field;
        if (term.text.isEmpty()) {
            fail(QStringLiteral("В кавычках нет слова: %1").arg(quoted(m_text.left(token.end))));
            return std::nullopt;
        }
        QueryNode result = term;
        if (token.distance >= 0) {
            // "…"~N: its words near each other.
            QueryNode near;
            near.kind = QueryNode::Kind::Near;
            near.distance = token.distance;
            for (const QString& word : term.text.split(u' ', Qt::SkipEmptyParts)) {
                QueryNode child;
                child.text = word;
                near.children.push_back(child);
            }
            result = near.children.size() > 1 ? near : near.children.front();
        }
        return token.excluded ? negated(std::move(result), true) : result;
    }

    // Words in a row: one fragment (the fragment modes, and a field's value), or each a word
    // that must be present (word forms). A minus or a field begins a term of its own.
    std::optional<QueryNode> wordTerms()
    {
        const Token& first = m_tokens[m_at++];
        QStringList words;
        if (!first.text.isEmpty())
            words << first.text;
        const bool fragment = !m_wordForms || first.field != QueryNode::Field::Text;
        while (fragment && atKind(Token::Kind::Word) && !m_tokens[m_at].excluded &&
               m_tokens[m_at].field == QueryNode::Field::Text)
            words << m_tokens[m_at++].text;
        if (first.fieldOnly && atKind(Token::Kind::Quoted) && words.isEmpty())
            words << m_tokens[m_at++].text;
        if (words.isEmpty()) {
            fail(QStringLiteral("После %1 нет слова").arg(quoted(before())));
            return std::nullopt;
        }
        QueryNode term;
        term.field = first.field;
        term.text = words.join(u' ');
        if (m_wordForms && term.field == QueryNode::Field::Text && term.text.endsWith(u'*')) {
            QString stem = term.text;
            while (stem.endsWith(u'*'))
                stem.chop(1);
            int letters = 0;
            for (const QChar c : stem)
                letters += c.isLetter() ? 1 : 0;
            if (letters < SearchQuery::MinPrefix || stem.contains(u'*')) {
                fail(QStringLiteral("Перед «*» нужно не меньше %1 букв: %2")
                         .arg(SearchQuery::MinPrefix)
                         .arg(quoted(term.text)));
                return std::nullopt;
            }
            term.text = stem;
            term.prefix = true;
        }
        return first.excluded ? negated(std::move(term), true) : term;
    }

    static bool hasPositive(const QueryNode& node)
    {
        switch (node.kind) {
        case QueryNode::Kind::Term:
        case QueryNode::Kind::Near:
            return true;
        case QueryNode::Kind::Not:
            return false;
        case QueryNode::Kind::And:
            for (const QueryNode& child : node.children)
                if (hasPositive(child))
                    return true;
            return false;
        case QueryNode::Kind::Or:
            for (const QueryNode& child : node.children)
                if (!hasPositive(child))
                    return false;
            return true;
        }
        return false;
    }

    const QString& m_text;
    const bool m_wordForms;
    std::vector<Token> m_tokens;
    std::size_t m_at = 0;
    bool m_operators = false;
    QString m_error;
};

QString readingOf(const QueryNode& node, bool nested)
{
    switch (node.kind) {
    case QueryNode::Kind::Term: {
        QString term = quoted(node.text);
        if (node.prefix)
            term = QStringLiteral("«") + node.text + QStringLiteral("…»");
        if (node.field != QueryNode::Field::Text)
            term = fieldName(node.field) + QStringLiteral(": ") + term;
        return term;
    }
    case QueryNode::Kind::Not:
        return QStringLiteral("БЕЗ ") + readingOf(node.children.front(), true);
    case QueryNode::Kind::Near: {
        QStringList terms;
        for (const QueryNode& child : node.children)
            terms << readingOf(child, true);
        return QStringLiteral("%1 не дальше %2 слов друг от друга")
            .arg(terms.join(QStringLiteral(", ")))
            .arg(node.distance);
    }
    case QueryNode::Kind::And:
    case QueryNode::Kind::Or: {
        QStringList parts;
        for (const QueryNode& child : node.children)
            parts << readingOf(child, true);
        const QString text = parts.join(
            node.kind == QueryNode::Kind::And ? QStringLiteral(" И ") : QStringLiteral(" ИЛИ "));
        return nested && node.kind == QueryNode::Kind::Or ? u'(' + text + u')' : text;
    }
    }
    return {};
}

void collectPositive(const QueryNode& node, QStringList& terms)
{
    if (node.kind == QueryNode::Kind::Not)
        return;
    if (node.kind == QueryNode::Kind::Term) {
        if (node.field == QueryNode::Field::Text && !terms.contains(node.text))
            terms << node.text;
        return;
    }
    for (const QueryNode& child : node.children)
        collectPositive(child, terms);
}

} // namespace

SearchQuery SearchQuery::parse(const QString& text, bool wordForms)
{
    const Parsed parsed = Parser(text, wordForms).run();
    SearchQuery query;
    query.m_plain = parsed.plain;
    query.m_error = parsed.error;
    query.m_root = parsed.root;
    if (query.m_plain) {
        query.m_root = QueryNode();
        query.m_root.text = text;
    }
    return query;
}

QString SearchQuery::reading() const
{
    if (m_plain || !isValid())
        return {};
    return readingOf(m_root, false);
}

QStringList SearchQuery::positiveTerms() const
{
    QStringList terms;
    collectPositive(m_root, terms);
    return terms;
}

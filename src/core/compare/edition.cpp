#include "compare/edition.h"

#include <QStringList>

namespace {

// The part's number at the start of its first paragraph, with the signs after it, is left
// out: a renumbered part is no change of its text.
QString withoutNumber(const QString& text, const QString& number)
{
    if (number.isEmpty())
        return text;
    const qsizetype at = text.indexOf(number);
    if (at < 0 || at > 24)
        return text;
    qsizetype end = at + number.size();
    while (end < text.size() && (text[end] == u'.' || text[end] == u' '))
        ++end;
    return text.mid(end);
}

QString simplified(const QString& text)
{
    QString key = text.simplified().toLower();
    key.replace(u'ё', u'е');
    return key;
}

} // namespace

QString EditionPart::label() const
{
    using Kind = DocumentPart::Kind;
    switch (part.kind) {
    case Kind::Section:
        return QStringLiteral("разд. ") + part.key;
    case Kind::Clause:
        return QStringLiteral("п. ") + part.key;
    case Kind::Appendix:
        return QStringLiteral("прил. ") + part.key;
    case Kind::Table:
        return QStringLiteral("табл. ") + part.key;
    case Kind::Figure:
        return QStringLiteral("рис. ") + part.key;
    case Kind::Item:
        return part.key;
    case Kind::Title:
    case Kind::Heading:
        break;
    }
    if (part.title.isEmpty())
        return QStringLiteral("Начало документа");
    return part.title.size() > 80 ? part.title.left(79) + QChar(0x2026) : part.title;
}

QString EditionPart::matchKey() const
{
    using Kind = DocumentPart::Kind;
    switch (part.kind) {
    case Kind::Section:
    case Kind::Clause:
        // A first-level number may be read as a section in one edition and a clause in the
        // other ("1. ОБЩИЕ ПОЛОЖЕНИЯ").
        return QStringLiteral("c:") + part.key;
    case Kind::Appendix:
        return QStringLiteral("a:") + part.key;
    case Kind::Table:
        return QStringLiteral("t:") + part.key;
    case Kind::Figure:
        return QStringLiteral("f:") + part.key;
    case Kind::Item:
        return QStringLiteral("i:") + part.key;
    case Kind::Title:
        return QStringLiteral("title");
    case Kind::Heading:
        break;
    }
    return part.title.isEmpty() ? QStringLiteral("start")
                                : QStringLiteral("h:") + simplified(part.title);
}

int EditionPart::wordCount() const
{
    int words = 0;
    for (const TextToken& token : tokens)
        words += token.word ? 1 : 0;
    return words;
}

Edition::Edition(const std::vector<TextBlock>& blocks)
{
    const DocumentStructure structure(blocks);
    const std::vector<DocumentPart>& parts = structure.parts();
    std::vector<QStringList> texts(parts.size() + 1); // [0]: before the first part
    std::vector<bool> numbered(parts.size() + 1, false);
    for (const TextBlock& block : blocks) {
        if (block.runningLine || block.tocEntry || block.text.isEmpty())
            continue;
        const int owner = structure.partAt(block.start) + 1;
        QString text = block.text;
        if (owner > 0 && !numbered[std::size_t(owner)]) {
            numbered[std::size_t(owner)] = true;
            text = withoutNumber(text, parts[std::size_t(owner - 1)].number);
        }
        if (!text.isEmpty())
            texts[std::size_t(owner)] << text;
    }
    const auto addPart = [this](const DocumentPart& part, const QStringList& text) {
        EditionPart made;
        made.part = part;
        made.text = text.join(u' ');
        made.tokens = TextTokens::of(made.text);
        made.hashes.reserve(made.tokens.size());
        for (const TextToken& token : made.tokens)
            made.hashes.push_back(token.hash);
        made.bag = TextTokens::wordBag(made.text, made.tokens);
        m_parts.push_back(std::move(made));
    };
    if (!texts[0].isEmpty()) {
        DocumentPart start;
        start.kind = DocumentPart::Kind::Heading;
        addPart(start, texts[0]);
    }
    for (std::size_t i = 0; i < parts.size(); ++i)
        addPart(parts[i], texts[i + 1]);
}

Edition Edition::ofPage(const QByteArray& raw)
{
    return Edition(TextBlocks::ofPage(raw));
}

Edition Edition::ofPdf(const PdfText& text)
{
    return Edition(TextBlocks::ofPdf(text));
}

std::optional<Edition> Edition::ofFile(const QString& path, const std::atomic<bool>* cancel)
{
    bool withoutText = false;
    const std::optional<std::vector<TextBlock>> blocks =
        TextBlocks::ofFile(path, &withoutText, cancel);
    if (!blocks || withoutText)
        return std::nullopt;
    return Edition(*blocks);
}

#pragma once

// The matching rule and the search-state scan written the plain way: one thread, every
// document read whole, the whole text lower-cased. The fast engine must give exactly this.

#include <QDirIterator>
#include <QFile>
#include <QStringEncoder>

#include <vector>

namespace PlainSearch {

inline QByteArray joinLines(const QByteArray& raw)
{
    QList<QByteArray> lines;
    QByteArray line;
    for (qsizetype i = 0; i < raw.size(); ++i) {
        const char c = raw[i];
        if (c == '\r' || c == '\n') {
            lines.append(line);
            line.clear();
            if (c == '\r' && i + 1 < raw.size() && raw[i + 1] == '\n')
                ++i;
        } else {
            line += c;
        }
    }
    if (!line.isEmpty())
        lines.append(line);
    QByteArray text;
    for (const QByteArray& l : lines)
        text += l + "\r\n";
    return text;
}

inline bool declaresUtf8(const QByteArray& raw)
{
    if (raw.startsWith("\xEF\xBB\xBF"))
        return true;
    const QByteArray head = raw.left(2048).toLower();
    qsizetype at = 0;
    while ((at = head.indexOf("charset", at)) >= 0) {
        qsizetype p = at + 7;
        at = p;
        while (p < head.size() && (head[p] == ' ' || head[p] == '\t'))
            ++p;
        if (p >= head.size() || head[p] != '=')
            continue;
        ++p;
        while (p < head.size() && (head[p] == ' ' || head[p] == '\t'))
            ++p;
        if (p < head.size() && (head[p] == '"' || head[p] == '\''))
            ++p;
        if (head.mid(p).startsWith("utf-8") || head.mid(p).startsWith("utf8"))
            return true;
    }
    return false;
}

// Folds the pairs A-Z, А-Я, Ё of a text to lower case.
inline QString folded(const QString& text)
{
    QString out = text;
    for (QChar& c : out) {
        const char16_t u = c.unicode();
        if ((u >= u'A' && u <= u'Z') || (u >= u'А' && u <= u'Я'))
            c = QChar(char16_t(u + 32));
        else if (u == u'Ё')
            c = QChar(u'ё');
    }
    return out;
}

inline bool contains(const QString& path, const QString& context, bool caseSensitive)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const QByteArray raw = file.readAll();
    const bool utf8 = declaresUtf8(raw);
    QByteArray text = joinLines(raw);
    QByteArray needle;
    if (utf8) {
        needle = context.toUtf8();
    } else {
        QStringEncoder encoder("windows-1251");
        needle = encoder.encode(context);
        if (encoder.hasError() || needle.count('?') != context.count(u'?'))
            return false;
    }
    if (caseSensitive)
        return text.contains(needle);
    // Folding the bytes by decoding each byte as its own character keeps byte positions.
    if (utf8) {
        // Decode, fold and encode again: folded pairs keep their byte lengths.
        QStringDecoder decoder(QStringDecoder::Utf8);
        const QString decodedText = decoder.decode(text);
        if (decoder.hasError())
            return QString::fromLatin1(text).contains(QString::fromLatin1(needle)); // never here
        return folded(decodedText).toUtf8().contains(folded(context).toUtf8());
    }
    QStringDecoder decoder("windows-1251");
    QStringEncoder encoder("windows-1251");
    const QByteArray lowerText = encoder.encode(folded(decoder.decode(text)));
    const QByteArray lowerNeedle = encoder.encode(folded(context));
    return lowerText.contains(lowerNeedle);
}

struct Node
{
    bool isFolder;
    QString path;
    std::vector<Node> children;
};

struct Result
{
    std::vector<Node> nodes;
    int checked = 0;
    int found = 0;
};

inline void scan(const QString& dir, const QString& context, bool caseSensitive, Result& result,
                 std::vector<Node>& out)
{
    QStringList folders, documents;
    QDirIterator it(dir, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    while (it.hasNext()) {
        it.next();
        const QString name = it.fileName();
        if (name.toLower() == u"_index.htm")
            continue;
        if (it.fileInfo().isDir() && !name.contains(QStringLiteral(".files")))
            folders.append(name);
        if (name.lastIndexOf(u'.') >= 0 && name.mid(name.lastIndexOf(u'.')).toLower() == u".htm")
            documents.append(name);
    }
    for (const QString& name : folders) {
        Node folder{true, dir + u'/' + name, {}};
        scan(folder.path, context, caseSensitive, result, folder.children);
        if (!folder.children.empty()) // a folder without a found document is left out
            out.push_back(std::move(folder));
    }
    for (const QString& name : documents) {
        ++result.checked;
        const QString path = dir + u'/' + name;
        if (QFileInfo(path).isFile() && contains(path, context, caseSensitive)) {
            ++result.found;
            out.push_back(Node{false, path, {}});
        }
    }
}

inline Result search(const QString& dir, const QString& context, bool caseSensitive)
{
    Result result;
    scan(dir, context, caseSensitive, result, result.nodes);
    return result;
}

} // namespace PlainSearch

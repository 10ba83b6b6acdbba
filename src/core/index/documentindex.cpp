#include "index/documentindex.h"

#include "norms/documentnorms.h"

#include "dictionary/wordkeys.h"
#include "index/keystokenizer.h"
#include "index/stamptable.h"
#include "matching/wordforms.h"
#include "text/characterrules.h"
#include "text/documenttext.h"

#include <QSet>
#include <QUrl>
#include <QtEndian>

#include <sqlite3.h>

#include <algorithm>
#include <atomic>
#include <memory>

namespace {

// A prepared statement, finalised when it goes.
class Statement
{
public:
    Statement(sqlite3* db, const char* sql)
    {
        if (sqlite3_prepare_v2(db, sql, -1, &m_statement, nullptr) != SQLITE_OK)
            m_statement = nullptr;
    }
    ~Statement() { sqlite3_finalize(m_statement); }
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    bool isValid() const { return m_statement != nullptr; }
    sqlite3_stmt* get() const { return m_statement; }
    // Each bind remembers its failure (a value too big for SQLite); step() then fails too.
    void bindBytes(int index, const QByteArray& bytes)
    {
        remember(sqlite3_bind_blob64(m_statement, index, bytes.constData(),
                                     sqlite3_uint64(bytes.size()), SQLITE_TRANSIENT));
    }
    void bindText(int index, const QString& text) { bindUtf8(index, text.toUtf8()); }
    void bindUtf8(int index, const QByteArray& utf8)
    {
        remember(sqlite3_bind_text64(m_statement, index, utf8.constData(),
                                     sqlite3_uint64(utf8.size()), SQLITE_TRANSIENT, SQLITE_UTF8));
    }
    void bindInt(int index, qint64 value)
    {
        remember(sqlite3_bind_int64(m_statement, index, value));
    }
    int step() { return m_bindError != SQLITE_OK ? m_bindError : sqlite3_step(m_statement); }
    QByteArray bytes(int column) const
    {
        const auto* data = static_cast<const char*>(sqlite3_column_blob(m_statement, column));
        return QByteArray(data, sqlite3_column_bytes(m_statement, column));
    }
    // Valid until the next step.
    QByteArrayView view(int column) const
    {
        const auto* data = static_cast<const char*>(sqlite3_column_blob(m_statement, column));
        return QByteArrayView(data, sqlite3_column_bytes(m_statement, column));
    }
    qint64 integer(int column) const { return sqlite3_column_int64(m_statement, column); }

private:
    void remember(int code)
    {
        if (code != SQLITE_OK && m_bindError == SQLITE_OK)
            m_bindError = code;
    }

    sqlite3_stmt* m_statement = nullptr;
    int m_bindError = SQLITE_OK;
};

QString pathText(const QByteArray& bytes)
{
    return Platform::fromNativeBytes(bytes);
}

bool isDamage(int code)
{
    const int primary = code & 0xFF;
    return primary == SQLITE_CORRUPT || primary == SQLITE_NOTADB || primary == SQLITE_SCHEMA;
}

} // namespace

DocumentIndex::~DocumentIndex()
{
    close();
}

void DocumentIndex::close()
{
    if (m_db)
        sqlite3_close_v2(m_db);
    m_db = nullptr;
}

bool DocumentIndex::fail(Problem problem)
{
    m_problem = problem;
    m_error = m_db ? QString::fromUtf8(sqlite3_errmsg(m_db)) : QString();
    return false;
}

bool DocumentIndex::execute(const char* sql)
{
    char* message = nullptr;
    const int code = sqlite3_exec(m_db, sql, nullptr, nullptr, &message);
    if (code != SQLITE_OK) {
        m_error = QString::fromUtf8(message ? message : sqlite3_errstr(code));
        sqlite3_free(message);
        m_problem = isDamage(code) ? Problem::Unusable : Problem::WriteFailed;
        return false;
    }
    return true;
}

bool DocumentIndex::open(const QString& file, Access access)
{
    close();
    m_problem = Problem::None;
    m_error.clear();
    // A URI names the file, so that any character of its path stays part of the name.
    QByteArray uri = QUrl::fromLocalFile(file).toEncoded();
    int flags = SQLITE_OPEN_URI | SQLITE_OPEN_NOMUTEX;
    if (access == Access::ReadOnly) {
        uri += "?immutable=1";
        flags |= SQLITE_OPEN_READONLY;
    } else if (access == Access::Read) {
        flags |= SQLITE_OPEN_READONLY;
    } else {
        flags |= SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE;
    }
    if (sqlite3_open_v2(uri.constData(), &m_db, flags, nullptr) != SQLITE_OK) {
        fail(Problem::CannotOpen);
        close();
        return false;
    }
    sqlite3_busy_timeout(m_db, 5000);
    if (!KeysTokenizer::addTo(m_db)) {
        fail(Problem::Unusable);
        close();
        return false;
    }
    if (access == Access::ReadWrite) {
        // Readers go on while a build writes; a build killed midway leaves its last commit.
        if (!execute("PRAGMA journal_mode=WAL;") && m_problem == Problem::Unusable) {
            close();
            return false;
        }
        execute("PRAGMA synchronous=NORMAL;");
        m_problem = Problem::None;
    }
    bool usable = checkSchema();
    if (!usable && access == Access::ReadWrite && m_problem == Problem::None)
        usable = createSchema();
    // Words keyed otherwise (another dictionary, or none) cannot be dropped or added: such an
    // index is made anew when written. Read, it still answers text mode.
    if (usable && access == Access::ReadWrite && !hasOwnWordKeys()) {
        usable = false;
        m_problem = Problem::Unusable;
        m_error = QStringLiteral("words keyed by another dictionary");
    }
    if (!usable) {
        if (m_problem == Problem::None)
            m_problem = Problem::Unusable;
        close();
    }
    return usable;
}

bool DocumentIndex::checkSchema()
{
    Statement tables(m_db, "SELECT count(*) FROM sqlite_master;");
    if (!tables.isValid() || tables.step() != SQLITE_ROW) {
        m_problem = Problem::Unusable; // not a database, or a damaged one
        m_error = QString::fromUtf8(sqlite3_errmsg(m_db));
        return false;
    }
    if (tables.integer(0) == 0)
        return false; // empty: a new index
    Statement format(m_db, "SELECT value FROM meta WHERE key = 'format';");
    if (!format.isValid() || format.step() != SQLITE_ROW ||
        format.bytes(0) != QByteArray("lectoria-") + QByteArray::number(FormatVersion)) {
        m_problem = Problem::Unusable;
        m_error = QStringLiteral("not an index of this version");
        return false;
    }
    Statement check(m_db, "SELECT count(*) FROM documents, kept, texts, stems WHERE 0;");
    if (!check.isValid()) {
        m_problem = Problem::Unusable;
        m_error = QString::fromUtf8(sqlite3_errmsg(m_db));
        return false;
    }
    return true;
}

bool DocumentIndex::completeSchema()
{
    // What the documents are and replace, asked for the catalog, are a few rows among the
    // citations: found by their role, not by reading every row (read without it, the rows
    // are still found, more slowly).
    return execute("CREATE INDEX IF NOT EXISTS norms_by_role ON norms(role, doc);");
}

bool DocumentIndex::createSchema()
{
    const QByteArray script =
        "BEGIN;"
        "CREATE TABLE meta(key TEXT PRIMARY KEY, value TEXT);"
        "CREATE TABLE documents(id INTEGER PRIMARY KEY, path BLOB UNIQUE NOT NULL,"
        " stamp BLOB NOT NULL, encoding INTEGER NOT NULL,"
        " words INTEGER NOT NULL, textsize INTEGER NOT NULL);"
        // Apart from the documents' rows, which every search reads whole.
        "CREATE TABLE kept(id INTEGER PRIMARY KEY, text BLOB NOT NULL);"
        // The full-text tables keep no copy of what they index: the folded text is kept once,
        // compressed, beside the document (its stems are made from it again to drop it).
        // The text is folded already: the tokenizer must fold nothing itself.
        "CREATE VIRTUAL TABLE texts USING fts5(body, tokenize='trigram case_sensitive 1',"
        " detail=full, content='');"
        // The keys of its words (WordForms::tokens), one blank between words; the keys of one
        // word stand at one position (KeysTokenizer).
        "CREATE VIRTUAL TABLE stems USING fts5(body, tokenize='" +
        QByteArray(KeysTokenizer::Name) +
        "',"
        " detail=full, content='');"
        // The designations each document is (role 0, count its rank), cites (1, count its
        // mentions, first the place of the first) and replaces (2).
        // Kept in the order of the documents, found by their key.
        "CREATE TABLE norms(doc INTEGER NOT NULL, role INTEGER NOT NULL, key TEXT NOT NULL,"
        " edition INTEGER NOT NULL, written TEXT NOT NULL, count INTEGER NOT NULL,"
        " first INTEGER NOT NULL, PRIMARY KEY(doc, role, key, edition)) WITHOUT ROWID;"
        "CREATE INDEX norms_by_key ON norms(key, role);"
        "INSERT INTO meta VALUES('format', 'lectoria-" +
        QByteArray::number(FormatVersion) +
        "');"
        "INSERT INTO meta VALUES('wordkeys', '" +
        WordKeys::identity() +
        "');"
        "COMMIT;";
    if (!execute(script.constData())) {
        execute("ROLLBACK;");
        return false;
    }
    return completeSchema();
}

namespace {
std::atomic<quint64> stampReadCount{0};
}

quint64 DocumentIndex::stampReads()
{
    return stampReadCount.load(std::memory_order_relaxed);
}

bool DocumentIndex::stamps(StampTable* out)
{
    stampReadCount.fetch_add(1, std::memory_order_relaxed);
    out->clear();
    Statement rows(m_db, "SELECT path, stamp FROM documents;");
    if (!rows.isValid())
        return fail(Problem::Unusable);
    out->reserve(documentCountBound());
    int code = SQLITE_ROW;
    while ((code = rows.step()) == SQLITE_ROW)
        out->add(rows.view(0), Platform::FileStamp::fromBytes(rows.view(1)));
    if (code != SQLITE_DONE)
        return fail(isDamage(code) ? Problem::Unusable : Problem::CannotOpen);
    return out->finish() || fail(Problem::Unusable);
}

QByteArray DocumentIndex::pathBytes(const QString& relativePath)
{
    // Paths are kept as the bytes the file system knows them by.
    return Platform::toNativeBytes(relativePath);
}

bool DocumentIndex::candidates(const QString& foldedPhrase, QSet<QString>* out, int limit)
{
    Statement rows(m_db, "SELECT d.path FROM texts JOIN documents d ON d.id = texts.rowid"
                         " WHERE texts MATCH ?1 LIMIT ?2;");
    if (!rows.isValid())
        return fail(Problem::Unusable);
    // One phrase: the trigrams of the text in their order.
    QString query = foldedPhrase;
    query.replace(u'"', QStringLiteral("\"\""));
    rows.bindText(1, u'"' + query + u'"');
    rows.bindInt(2, limit < 0 ? -1 : qint64(limit) + 1);
    int code = SQLITE_ROW;
    while ((code = rows.step()) == SQLITE_ROW)
        out->insert(pathText(rows.bytes(0)));
    return code == SQLITE_DONE || fail(isDamage(code) ? Problem::Unusable : Problem::CannotOpen);
}

int DocumentIndex::rarestTrigramCount(const QString& foldedPhrase, int cap)
{
    Statement row(m_db, "SELECT count(*) FROM (SELECT rowid FROM texts WHERE texts MATCH ?1"
                        " LIMIT ?2);");
    if (!row.isValid())
        return -1;
    const QList<uint> characters = foldedPhrase.toUcs4();
    const qsizetype trigrams = characters.size() - 2;
    if (trigrams <= 0)
        return -1;
    // Counting a trigram's documents reads its list: the first, middle and last trigrams stand
    // for the rest (a rare one missed only costs the reading of more documents, never an
    // answer), each read only as far as cap.
    QList<qsizetype> sampled{0, trigrams / 2, trigrams - 1};
    sampled.erase(std::unique(sampled.begin(), sampled.end()), sampled.end());
    int rarest = -1;
    for (const qsizetype i : std::as_const(sampled)) {
        sqlite3_reset(row.get());
        QString trigram = QString::fromUcs4(reinterpret_cast<const char32_t*>(&characters[i]), 3);
        trigram.replace(u'"', QStringLiteral("\"\""));
        row.bindText(1, u'"' + trigram + u'"');
        row.bindInt(2, cap);
        if (row.step() != SQLITE_ROW)
            return -1;
        const int count = int(row.integer(0));
        if (rarest < 0 || count < rarest)
            rarest = count;
        if (rarest == 0)
            break;
    }
    return rarest;
}

bool DocumentIndex::hasOwnWordKeys()
{
    Statement keys(m_db, "SELECT value FROM meta WHERE key = 'wordkeys';");
    return keys.isValid() && keys.step() == SQLITE_ROW && keys.bytes(0) == WordKeys::identity();
}

bool DocumentIndex::wordMatches(const QString& fullTextQuery, QHash<QString, QList<int>>* out)
{
    if (!hasOwnWordKeys())
        return fail(Problem::Unusable);
    if (!addCountFunction())
        return false;
    Statement rows(m_db, "SELECT d.path, lectoria_counts(stems) FROM stems JOIN documents d"
                         " ON d.id = stems.rowid WHERE stems MATCH ?1;");
    if (!rows.isValid())
        return fail(Problem::Unusable);
    rows.bindText(1, fullTextQuery);
    int code = SQLITE_ROW;
    while ((code = rows.step()) == SQLITE_ROW) {
        const QByteArray packed = rows.bytes(1);
        QList<int> counts;
        for (qsizetype at = 0; at + 4 <= packed.size(); at += 4)
            counts.append(qFromLittleEndian<qint32>(packed.constData() + at));
        out->insert(pathText(rows.bytes(0)), counts);
    }
    return code == SQLITE_DONE || fail(isDamage(code) ? Problem::Unusable : Problem::CannotOpen);
}

bool DocumentIndex::documentsWithPhrase(const QString& fullTextPhrase, QSet<QString>* out)
{
    if (!hasOwnWordKeys())
        return fail(Problem::Unusable);
    Statement rows(m_db, "SELECT d.path FROM stems JOIN documents d"
                         " ON d.id = stems.rowid WHERE stems MATCH ?1;");
    if (!rows.isValid())
        return fail(Problem::Unusable);
    rows.bindText(1, fullTextPhrase);
    int code = SQLITE_ROW;
    while ((code = rows.step()) == SQLITE_ROW)
        out->insert(pathText(rows.bytes(0)));
    return code == SQLITE_DONE || fail(isDamage(code) ? Problem::Unusable : Problem::CannotOpen);
}

bool DocumentIndex::addCountFunction()
{
    fts5_api* api = nullptr;
    {
        Statement ask(m_db, "SELECT fts5(?1);");
        if (!ask.isValid())
            return fail(Problem::Unusable);
        sqlite3_bind_pointer(ask.get(), 1, static_cast<void*>(&api), "fts5_api_ptr", nullptr);
        ask.step();
    }
    if (!api || api->iVersion < 2)
        return fail(Problem::Unusable);
    // Each phrase's instances, packed as 32-bit little-endian numbers in the phrases' order.
    const auto counts = [](const Fts5ExtensionApi* fts, Fts5Context* context,
                           sqlite3_context* result, int, sqlite3_value**) {
        const int phrases = fts->xPhraseCount(context);
        QByteArray packed(qsizetype(std::max(phrases, 0)) * 4, '\0');
        int instances = 0;
        if (fts->xInstCount(context, &instances) != SQLITE_OK) {
            sqlite3_result_error(result, "lectoria_counts: no instances", -1);
            return;
        }
        for (int i = 0; i < instances; ++i) {
            int phrase = 0;
            int column = 0;
            int offset = 0;
            if (fts->xInst(context, i, &phrase, &column, &offset) != SQLITE_OK || phrase < 0 ||
                phrase >= phrases)
                continue;
            char* at = packed.data() + qsizetype(phrase) * 4;
            qToLittleEndian<qint32>(qFromLittleEndian<qint32>(at) + 1, at);
        }
        sqlite3_result_blob(result, packed.constData(), int(packed.size()), SQLITE_TRANSIENT);
    };
    return api->xCreateFunction(api, "lectoria_counts", nullptr, counts, nullptr) == SQLITE_OK ||
           fail(Problem::Unusable);
}

bool DocumentIndex::wordCounts(QHash<QString, int>* out)
{
    Statement rows(m_db, "SELECT path, words FROM documents;");
    if (!rows.isValid())
        return fail(Problem::Unusable);
    int code = SQLITE_ROW;
    while ((code = rows.step()) == SQLITE_ROW)
        out->insert(pathText(rows.bytes(0)), int(rows.integer(1)));
    return code == SQLITE_DONE || fail(isDamage(code) ? Problem::Unusable : Problem::CannotOpen);
}

int DocumentIndex::documentCount()
{
    Statement count(m_db, "SELECT count(*) FROM documents;");
    return count.isValid() && count.step() == SQLITE_ROW ? int(count.integer(0)) : 0;
}

int DocumentIndex::documentCountBound()
{
    Statement last(m_db, "SELECT max(id) FROM documents;");
    return last.isValid() && last.step() == SQLITE_ROW ? int(last.integer(0)) : 0;
}

qint64 DocumentIndex::textBytes()
{
    Statement bytes(m_db, "SELECT total(textsize) FROM documents;");
    return bytes.isValid() && bytes.step() == SQLITE_ROW ? bytes.integer(0) : 0;
}

bool DocumentIndex::beginRead()
{
    return execute("BEGIN DEFERRED;") && execute("SELECT count(*) FROM meta;");
}

qint64 DocumentIndex::dataVersion()
{
    Statement version(m_db, "PRAGMA data_version;");
    return version.isValid() && version.step() == SQLITE_ROW ? version.integer(0) : -1;
}

bool DocumentIndex::hasWriteAheadLog()
{
    Statement mode(m_db, "PRAGMA journal_mode;");
    return !mode.isValid() || mode.step() != SQLITE_ROW ||
           mode.bytes(0).compare("wal", Qt::CaseInsensitive) == 0;
}

void DocumentIndex::endRead()
{
    sqlite3_exec(m_db, "COMMIT;", nullptr, nullptr, nullptr);
}

bool DocumentIndex::begin()
{
    return execute("BEGIN IMMEDIATE;");
}

bool DocumentIndex::commit()
{
    return execute("COMMIT;");
}

void DocumentIndex::rollback()
{
    sqlite3_exec(m_db, "ROLLBACK;", nullptr, nullptr, nullptr);
}

bool DocumentIndex::dropIndexed(qint64 id)
{
    Statement kept(m_db, "SELECT text FROM kept WHERE id = ?1;");
    kept.bindInt(1, id);
    if (kept.step() != SQLITE_ROW)
        return fail(Problem::Unusable);
    const QString text = QString::fromUtf8(qUncompress(kept.bytes(0)));
    // Rows of a table that keeps no copy are dropped by giving what was indexed.
    Statement dropText(m_db, "INSERT INTO texts(texts, rowid, body) VALUES('delete', ?1, ?2);");
    dropText.bindInt(1, id);
    dropText.bindText(2, text);
    Statement dropStems(m_db, "INSERT INTO stems(stems, rowid, body) VALUES('delete', ?1, ?2);");
    dropStems.bindInt(1, id);
    dropStems.bindText(2, WordForms::tokens(text).join(u' '));
    Statement dropNorms(m_db, "DELETE FROM norms WHERE doc = ?1;");
    dropNorms.bindInt(1, id);
    return (dropText.step() == SQLITE_DONE && dropStems.step() == SQLITE_DONE &&
            dropNorms.step() == SQLITE_DONE) ||
           fail(Problem::WriteFailed);
}

bool DocumentIndex::put(const QString& relativePath, const Platform::FileStamp& stamp, int encoding,
                        const QString& foldedText, const QStringList& stems,
                        const DocumentNorms& norms)
{
    const QByteArray path = pathBytes(relativePath);
    const QByteArray utf8 = foldedText.toUtf8();
    qint64 id = -1;
    {
        Statement find(m_db, "SELECT id FROM documents WHERE path = ?1;");
        find.bindBytes(1, path);
        if (find.step() == SQLITE_ROW)
            id = find.integer(0);
    }
    if (id >= 0 && !dropIndexed(id))
        return false;
    // One row a document: written anew, its id kept for the full-text rows.
    Statement row(m_db, id >= 0 ? "UPDATE documents SET path = ?1, stamp = ?2, encoding = ?3,"
                                  " words = ?4, textsize = ?5 WHERE id = ?6;"
                                : "INSERT INTO documents(path, stamp, encoding, words, textsize)"
                                  " VALUES(?1, ?2, ?3, ?4, ?5);");
    row.bindBytes(1, path);
    row.bindBytes(2, stamp.toBytes());
    row.bindInt(3, encoding);
    row.bindInt(4, stems.size());
    row.bindInt(5, utf8.size());
    if (id >= 0)
        row.bindInt(6, id);
    if (row.step() != SQLITE_DONE)
        return fail(Problem::WriteFailed);
    if (id < 0)
        id = sqlite3_last_insert_rowid(m_db);
    Statement keep(m_db, "INSERT OR REPLACE INTO kept(id, text) VALUES(?1, ?2);");
    keep.bindInt(1, id);
    keep.bindBytes(2, qCompress(utf8));
    if (keep.step() != SQLITE_DONE)
        return fail(Problem::WriteFailed);
    Statement text(m_db, "INSERT INTO texts(rowid, body) VALUES(?1, ?2);");
    text.bindInt(1, id);
    text.bindUtf8(2, utf8);
    Statement words(m_db, "INSERT INTO stems(rowid, body) VALUES(?1, ?2);");
    words.bindInt(1, id);
    words.bindText(2, stems.join(u' '));
    return (text.step() == SQLITE_DONE && words.step() == SQLITE_DONE && putNorms(id, norms)) ||
           fail(Problem::WriteFailed);
}

bool DocumentIndex::putNorms(qint64 id, const DocumentNorms& norms)
{
    Statement add(m_db,
                  "INSERT OR REPLACE INTO norms(doc, role, key, edition, written, count, first)"
                  " VALUES(?1, ?2, ?3, ?4, ?5, ?6, ?7);");
    const auto row = [&](NormRole role, const Designation& designation, int count,
                         const QString& part = QString()) {
        sqlite3_reset(add.get());
        add.bindInt(1, id);
        add.bindInt(2, int(role));
        add.bindText(3, part.isEmpty() ? designation.key() : partKey(designation, part));
        add.bindInt(4, designation.edition);
        add.bindText(5, designation.text());
        add.bindInt(6, count);
        add.bindInt(7, designation.begin);
        return add.step() == SQLITE_DONE;
    };
    for (qsizetype rank = 0; rank < norms.own().size(); ++rank) {
        if (!row(NormRole::Own, norms.own()[rank], int(rank)))
            return false;
    }
    for (const DocumentNorms::Citation& citation : norms.citations()) {
        if (!row(NormRole::Cites, citation.first, citation.count))
            return false;
    }
    for (const Designation& replaced : norms.replaced()) {
        if (!row(NormRole::Replaces, replaced, 0))
            return false;
    }
    // A part cited twice, or in two of its own parts, is one row with the count of the first.
    QSet<QString> keyed;
    for (const DocumentNorms::PartCitation& citation : norms.partCitations()) {
        for (const QString& part : citation.part.coveringIndexKeys()) {
            const QString key =
                partKey(citation.first, part) + u'|' + QString::number(citation.first.edition);
            if (keyed.contains(key))
                continue;
            keyed.insert(key);
            if (!row(NormRole::CitesPart, citation.first, citation.count, part))
                return false;
        }
    }
    return true;
}

QString DocumentIndex::partKey(const Designation& document, const QString& part)
{
    return document.key() + u'#' + part;
}

bool DocumentIndex::norms(NormRole role, QList<NormRow>* out, const QString& key)
{
    Statement rows(m_db, key.isEmpty()
                             ? "SELECT d.path, n.key, n.edition, n.written, n.count, n.first"
                               " FROM norms n JOIN documents d ON d.id = n.doc WHERE n.role = ?1;"
                             : "SELECT d.path, n.key, n.edition, n.written, n.count, n.first"
                               " FROM norms n JOIN documents d ON d.id = n.doc"
                               " WHERE n.role = ?1 AND n.key = ?2;");
    rows.bindInt(1, int(role));
    if (!key.isEmpty())
        rows.bindText(2, key);
    int code = SQLITE_ROW;
    while ((code = rows.step()) == SQLITE_ROW) {
        NormRow row;
        row.path = pathText(rows.bytes(0));
        row.role = role;
        row.key = QString::fromUtf8(rows.bytes(1));
        row.edition = int(rows.integer(2));
        row.written = QString::fromUtf8(rows.bytes(3));
        row.count = int(rows.integer(4));
        row.first = rows.integer(5);
        out->append(row);
    }
    return code == SQLITE_DONE || fail(isDamage(code) ? Problem::Unusable : Problem::CannotOpen);
}

bool DocumentIndex::remove(const QString& relativePath)
{
    Statement find(m_db, "SELECT id FROM documents WHERE path = ?1;");
    find.bindBytes(1, pathBytes(relativePath));
    if (find.step() != SQLITE_ROW)
        return true;
    const qint64 id = find.integer(0);
    if (!dropIndexed(id))
        return false;
    Statement drop(m_db, "DELETE FROM documents WHERE id = ?1;");
    drop.bindInt(1, id);
    Statement dropKept(m_db, "DELETE FROM kept WHERE id = ?1;");
    dropKept.bindInt(1, id);
    return (drop.step() == SQLITE_DONE && dropKept.step() == SQLITE_DONE) ||
           fail(Problem::WriteFailed);
}

bool DocumentIndex::isSound()
{
    Statement check(m_db, "PRAGMA quick_check;");
    if (!check.isValid() || check.step() != SQLITE_ROW || check.bytes(0) != "ok") {
        m_problem = Problem::Unusable;
        m_error = QStringLiteral("damaged");
        return false;
    }
    return true;
}

bool DocumentIndex::finishForSharing()
{
    return execute("PRAGMA wal_checkpoint(TRUNCATE);") && execute("PRAGMA journal_mode=DELETE;");
}

QString DocumentIndex::note(const QString& key)
{
    Statement row(m_db, "SELECT value FROM meta WHERE key = ?1;");
    row.bindText(1, key);
    return row.step() == SQLITE_ROW ? QString::fromUtf8(row.bytes(0)) : QString();
}

bool DocumentIndex::setNote(const QString& key, const QString& value)
{
    Statement row(m_db, "INSERT OR REPLACE INTO meta(key, value) VALUES(?1, ?2);");
    row.bindText(1, key);
    row.bindText(2, value);
    return row.step() == SQLITE_DONE || fail(Problem::WriteFailed);
}

QString DocumentIndex::folded(const QString& text)
{
    QString out;
    out.reserve(text.size());
    for (const uint c : text.toUcs4()) {
        // SQLite's trigram tokenizer ends a text at code 0: it is kept as a character no
        // context is looked for with (IndexFilter reads every document for one that holds it).
        const char32_t lower = c == 0 ? NoContextCharacter : CharacterRules::folded(c, false);
        if (QChar::requiresSurrogates(lower)) {
            out += QChar(QChar::highSurrogate(lower));
            out += QChar(QChar::lowSurrogate(lower));
        } else {
            out += QChar(char16_t(lower));
        }
    }
    return out;
}
